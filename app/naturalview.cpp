#include "app/naturalview.h"

#include <algorithm>
#include <utility>

#include <QSettings>

#include "app/readouts.h"
#include "app/sunmoment.h"
#include "elevation/terrain.h"

namespace {

const char* const kLookKey = "NaturalLook/look";
const char* const kHazeKey = "NaturalLook/haze";
const char* const kSnowLineKey = "NaturalLook/snowLine";
const char* const kNaturalName = "natural";
const char* const kClassicName = "classic";

constexpr int32_t kSnowLineMax = 9000;

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

}  // namespace

SunPosition SunOver(const NaturalLight& light, const RenderParams& params)
{
    return SunAt(light.moment, params.centreLat, params.centreLon);
}

ReliefOrder NaturalOrder(const NaturalLight& light, uint64_t serial, const RenderParams& params)
{
    const SunPosition sun = SunOver(light, params);
    return {serial, params.metresPerCell, {{sun.azimuth, sun.elevation}, light.snowLine}};
}

NaturalView::NaturalView(FrameSettings& settings, std::function<void()> arrived) :
    settings_(settings), rebuild_(std::move(arrived))
{
}

void NaturalView::Restore()
{
    const QSettings stored;
    const bool natural = stored.value(QLatin1String(kLookKey)).toString() == QLatin1String(kNaturalName);
    settings_.look = natural ? Look::Natural : Look::Classic;
    settings_.haze = std::clamp(stored.value(QLatin1String(kHazeKey), FrameSettings{}.haze).toDouble(), 0.0, 1.0);
    snowLine_ = std::clamp(stored.value(QLatin1String(kSnowLineKey), kDefaultSnowLine).toInt(), 0, kSnowLineMax);
}

void NaturalView::Save() const
{
    QSettings stored;
    stored.setValue(QLatin1String(kLookKey), QLatin1String(natural() ? kNaturalName : kClassicName));
    stored.setValue(QLatin1String(kHazeKey), settings_.haze);
    stored.setValue(QLatin1String(kSnowLineKey), snowLine_);
}

void NaturalView::SetLook(Look look)
{
    settings_.look = look;
    Save();
}

void NaturalView::SetHaze(double haze)
{
    settings_.haze = std::clamp(haze, 0.0, 1.0);
    Save();
}

void NaturalView::SetSnowLine(int32_t metres)
{
    snowLine_ = std::clamp(metres, 0, kSnowLineMax);
    Save();
}

void NaturalView::SetMoment(const CivilTime& moment)
{
    moment_ = moment;
    momentChosen_ = true;
}

void NaturalView::StepMinutes(int minutes)
{
    SetMoment(MinutesLater(moment_, minutes));
}

void NaturalView::DefaultMomentAt(double longitude)
{
    if (!momentChosen_)
        moment_ = LocalNoonToday(longitude);
}

std::optional<NaturalLight> NaturalView::LightToPrepare() const
{
    if (!natural())
        return std::nullopt;
    return NaturalLight{moment_, snowLine_};
}

void NaturalView::Follow(const Terrain& terrain, uint64_t serial, const RenderParams& params)
{
    const NaturalLight light{moment_, snowLine_};
    sun_ = SunOver(light, params);
    settings_.sun = {sun_.azimuth, sun_.elevation};
    if (natural())
        rebuild_.Request(NaturalOrder(light, serial, params), terrain.heightGrid.rows(), terrain.tileInfo.width,
            terrain.tileInfo.height);
}

ReliefPictures NaturalView::Pictures(const Terrain& terrain) const
{
    // Any relief the rebuild holds is of the landscape followed last.
    if (const NaturalRelief* relief = rebuild_.Relief(); relief && natural())
        return {&relief->Relief(), &relief->Levels()};
    return {&terrain.tileInfo, &terrain.reliefLevels};
}

QString NaturalView::StatusText() const
{
    return natural() ? SunReadout(sun_.azimuth, sun_.elevation) : QString();
}

PngTexts NaturalView::PictureTexts() const
{
    if (!natural())
        return {{QStringLiteral("Look"), QLatin1String(kClassicName)}};
    return {{QStringLiteral("Look"), QLatin1String(kNaturalName)}, {QStringLiteral("Sun"), MomentText(moment_)},
        {QStringLiteral("SunAzimuth"), Number(sun_.azimuth, 1)},
        {QStringLiteral("SunElevation"), Number(sun_.elevation, 1)}, {QStringLiteral("Haze"), Number(haze(), 2)},
        {QStringLiteral("SnowLine"), QString::number(snowLine_)}};
}
