#include "app/lastview.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "app/mainwindow.h"
#include "app/navigation.h"

namespace {

const char* const kRestoreKey = "lastView/restore";
const char* const kTileKey = "lastView/tile";
const char* const kLatitudeKey = "lastView/latitude";
const char* const kLongitudeKey = "lastView/longitude";
const char* const kAltitudeKey = "lastView/minAltitude";
const char* const kAzimuthKey = "lastView/azimuth";
const char* const kPitchKey = "lastView/pitch";
const char* const kAngleKey = "lastView/viewAngle";

// A number kept, or nothing when it is missing or not a finite number.
std::optional<double> StoredNumber(const QSettings& stored, const char* key)
{
    bool ok = false;
    const double value = stored.value(QLatin1String(key)).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

bool RestoresLastView()
{
    return QSettings().value(QLatin1String(kRestoreKey), true).toBool();
}

void SetRestoresLastView(bool on)
{
    QSettings().setValue(QLatin1String(kRestoreKey), on);
}

std::optional<LastView> StoredLastView()
{
    const QSettings stored;
    LastView last;
    last.tile = stored.value(QLatin1String(kTileKey)).toByteArray();
    const std::optional<double> values[] = {StoredNumber(stored, kLatitudeKey), StoredNumber(stored, kLongitudeKey),
        StoredNumber(stored, kAltitudeKey), StoredNumber(stored, kAzimuthKey), StoredNumber(stored, kPitchKey),
        StoredNumber(stored, kAngleKey)};
    if (last.tile.isEmpty() || std::any_of(std::begin(values), std::end(values), [](auto v) { return !v; }))
        return std::nullopt;
    // Held within what the navigation allows: the file may have been edited.
    last.view.latitude = std::clamp(*values[0], -90.0, 90.0);
    last.view.longitude = std::clamp(*values[1], -180.0, 180.0);
    last.view.minAltitude = std::max(*values[2], kAltitudeFloor);
    last.view.azimuth = std::fmod(std::fmod(*values[3], 360) + 360, 360);
    last.view.pitch = std::clamp(*values[4], kPitchMin, kPitchMax);
    last.view.viewAngle = std::clamp(*values[5], kViewAngleMin, kViewAngleMax);
    last.view.renderAzimuth = last.view.azimuth;
    return last;
}

void StoreLastView(const LastView& last)
{
    QSettings stored;
    stored.setValue(QLatin1String(kTileKey), last.tile);
    stored.setValue(QLatin1String(kLatitudeKey), last.view.latitude);
    stored.setValue(QLatin1String(kLongitudeKey), last.view.longitude);
    stored.setValue(QLatin1String(kAltitudeKey), last.view.minAltitude);
    stored.setValue(QLatin1String(kAzimuthKey), last.view.azimuth);
    stored.setValue(QLatin1String(kPitchKey), last.view.pitch);
    stored.setValue(QLatin1String(kAngleKey), last.view.viewAngle);
}

void KeepLastViewOnQuit(MainWindow& window)
{
    // On quitting rather than on closing the window: the tests make and
    // close windows without ever quitting, and leave the stored view alone.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window] {
        if (!window.TilePath().isEmpty())
            StoreLastView({window.TilePath(), window.Model().eye});
    });
}

bool RestoreLastView(MainWindow& window)
{
    if (!RestoresLastView())
        return false;
    const std::optional<LastView> last = StoredLastView();
    // A tile moved or deleted since is not worth a message at every start.
    if (!last || !QFileInfo::exists(QFile::decodeName(last->tile)))
        return false;
    window.OpenTile(last->tile);
    // A tile that no longer opens has said why; the start view stays. So
    // does an eye that the set loaded does not reach.
    if (window.TilePath().isEmpty() || window.Model().tiles.CellAt(last->view.latitude, last->view.longitude) < 0)
        return false;
    window.Model().eye = last->view;
    window.PaintView3d();
    return true;
}
