#pragma once
// The viewer's state: the eye, the landscape it looks at and the tiles
// joined in it, and what the last frame showed. The main window owns one and
// hands it to the parts that read or change it; one GUI thread touches it.
// Commands (the handlers) change it and draw at once; views that keep what
// they drew from it follow landscapeChanged.

#include <cstdint>
#include <functional>
#include <memory>

#include <QObject>
#include <QPoint>

#include "core/viewrecords.h"
#include "elevation/tileset.h"

struct Terrain;

// A millisecond tick count that wraps at 2^32, like every tick count.
using TickClock = std::function<uint32_t()>;
// The system's steady clock in milliseconds.
uint32_t SteadyTicks();

class ViewerModel : public QObject {
    Q_OBJECT

public:
    explicit ViewerModel(TickClock clock = SteadyTicks);
    ~ViewerModel() override;
    ViewerModel(const ViewerModel&) = delete;
    ViewerModel& operator=(const ViewerModel&) = delete;

    // Where the eye is and where it looks.
    Viewpoint eye;
    // Where the loaded grid lies and how it is drawn; no columns until a tile loads.
    RenderParams params;
    // The loaded landscape's grids and pictures, made by the first load; the
    // renderer keeps pointers into them, so they live as long as the model.
    std::unique_ptr<Terrain> terrain;
    // The tiles joined in `terrain`.
    TileSet tiles;
    // The eye's altitude in the last frame, metres.
    double shownAltitude = 0;
    // The mouse's last position over the 3D view.
    QPoint cursor;

    bool HasLandscape() const { return params.columns != 0 && terrain; }

    // Milliseconds on the model's clock: the system's, or a test's own.
    uint32_t Ticks() const { return clock_(); }
    void SetClock(TickClock clock) { clock_ = clock ? std::move(clock) : SteadyTicks; }

    // Says that a new landscape (a tile opened, or the set around a
    // neighbour taken over) replaced the one on screen, once its grids,
    // params and tiles are in place.
    void TookLandscape()
    {
        ++landscapeSerial_;
        emit landscapeChanged();
    }
    // Changes with every landscape taken: what was built for one is known
    // by it.
    uint64_t landscapeSerial() const { return landscapeSerial_; }

signals:
    void landscapeChanged();

private:
    TickClock clock_;
    uint64_t landscapeSerial_ = 0;
};
