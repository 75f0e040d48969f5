#pragma once
// The viewer's side of the natural look: whether it is chosen, the moment
// its sun is drawn for, its haze and snow line, and its relief, rebuilt in
// the background for the landscape shown and the sun of that moment over
// it. The look, haze and snow line are remembered across sessions; the
// moment starts as today's local noon where the landscape lies, until one
// is chosen.

#include <cstdint>
#include <functional>
#include <optional>

#include <QString>

#include "app/reliefrebuild.h"
#include "core/raster.h"
#include "core/sunposition.h"
#include "core/viewrecords.h"
#include "overlays/bitmapimage.h"
#include "render/framestate.h"

struct Terrain;

// What the natural relief of a landscape is built from besides its heights:
// the moment whose sun lights it and the snow line.
struct NaturalLight {
    CivilTime moment;
    int32_t snowLine = kDefaultSnowLine;
};

// The sun of `light.moment` over the landscape's centre.
SunPosition SunOver(const NaturalLight& light, const RenderParams& params);
// The relief order of landscape `serial` in that light.
ReliefOrder NaturalOrder(const NaturalLight& light, uint64_t serial, const RenderParams& params);

// The pictures a frame is drawn from.
struct ReliefPictures {
    const TileInfo* relief;
    const ReliefLevels* levels;
};

class NaturalView {
public:
    // `settings` are the screen renderer's, whose look, sun and haze this
    // keeps; `arrived` runs on the GUI thread when a rebuilt relief is in place.
    NaturalView(FrameSettings& settings, std::function<void()> arrived);

    // The choices remembered from the last session (QSettings), or the defaults.
    void Restore();

    bool natural() const { return settings_.look == Look::Natural; }
    void SetLook(Look look);
    double haze() const { return settings_.haze; }
    void SetHaze(double haze);
    int32_t snowLine() const { return snowLine_; }
    void SetSnowLine(int32_t metres);

    const CivilTime& moment() const { return moment_; }
    // A moment the user chose: it stays when another landscape is opened.
    void SetMoment(const CivilTime& moment);
    void StepMinutes(int minutes);
    // Today's local noon at `longitude`, unless a moment has been chosen.
    void DefaultMomentAt(double longitude);

    // The sun at the moment over the landscape's centre, as of the last frame.
    const SunPosition& sun() const { return sun_; }
    // In the natural look, the light a relief is prepared in beside a
    // landscape's load (PrepareRelief); none in the classic look.
    std::optional<NaturalLight> LightToPrepare() const;
    // A relief prepared for the landscape `serial`, about to be followed.
    void Adopt(uint64_t serial, PreparedRelief prepared) { rebuild_.Adopt(serial, std::move(prepared)); }

    // Before each frame: brings the sun up to date for the landscape (its
    // `serial` names it) and, in the natural look, asks for its relief.
    void Follow(const Terrain& terrain, uint64_t serial, const RenderParams& params);
    // What frames are drawn from: the natural relief once built for the
    // landscape last followed, the classic one until then and in the
    // classic look.
    ReliefPictures Pictures(const Terrain& terrain) const;

    // The status line's note of the sun; empty in the classic look.
    QString StatusText() const;
    // The look, and in the natural one its moment, sun and haze, for the
    // texts of a saved picture.
    PngTexts PictureTexts() const;

    const ReliefRebuild& rebuild() const { return rebuild_; }

private:
    void Save() const;

    FrameSettings& settings_;
    int32_t snowLine_ = kDefaultSnowLine;
    CivilTime moment_;
    bool momentChosen_ = false;
    SunPosition sun_;
    ReliefRebuild rebuild_;
};
