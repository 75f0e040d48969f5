// What the main window draws over its views besides the renderer's frame:
// the summits (labels in the 3D view, marks on the map) and the user's GPX
// files, with the flight along a track.

#include <algorithm>
#include <vector>

#include <QFile>
#include <QPainter>
#include <QPolygon>

#include "app/language.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/sharedstate.h"
#include "core/geometry.h"
#include "elevation/terrain.h"
#include "overlays/bitmapimage.h"
#include "places/matching.h"

namespace {

// Flying a GPX track: a steady ground speed, the view along the track this
// far ahead and a little down; the ground follow keeps the eye above it.
constexpr double kTrackMetresPerSecond = 150;
constexpr double kTrackLookAhead = 400;
constexpr double kTrackPitch = -8;
constexpr qint64 kTrackStepMaxMs = 100;  // a slow frame slows the flight rather than jumping

// The point of the track `metres` along it, the last one past its end.
GpxPoint AlongTrack(const std::vector<GpxPoint>& points, const std::vector<double>& distances, double metres)
{
    const auto next = std::upper_bound(distances.begin(), distances.end(), metres);
    if (next == distances.end())
        return points.back();
    const std::size_t i = std::size_t(next - distances.begin());
    const double span = distances[i] - distances[i - 1];
    const double t = span > 0 ? (metres - distances[i - 1]) / span : 0;
    return {points[i - 1].latitude + (points[i].latitude - points[i - 1].latitude) * t,
        WrapLongitude(points[i - 1].longitude + LongitudeEastOf(points[i].longitude, points[i - 1].longitude) * t)};
}

}  // namespace

void MainWindow::StartSummitSearch()
{
    if (TheRenderParams.columns == 0 || !TheTerrain)
        return;
    summitSearch_.Start([&terrain = *TheTerrain, params = TheRenderParams](
                            const std::atomic<bool>* stop) { return FindLandscapeSummits(terrain, params, stop); });
}

void MainWindow::ToggleSummitLabels()
{
    summitLabels_.SetShown(!summitLabels_.shown());
    highlightedLabel_ = -1;
    PaintView3d();
}

void MainWindow::DrawOverlays(QSize frame)
{
    // Over the frame bitmap itself, as the cross is: an image made over const
    // pixels would copy them on the first paint.
    QImage image = ImageOverBitmap(frameBitmap_, frame);
    QPainter painter(&image);
    painter.setFont(LabelFont());
    if (!gpx_.empty())
        gpx_.DrawInFrame(renderer_, frameBitmap_, painter, *TheTerrain, TheRenderParams);
    summitLabels_.Place(renderer_, frame, TheRenderParams, painter.fontMetrics(), labelClock_.elapsed());
    if (highlightedLabel_ >= int(summitLabels_.placed().size()))
        highlightedLabel_ = -1;
    summitLabels_.Draw(painter, highlightedLabel_);
    if (summitLabels_.Pending() && !labelTimer_->isActive())
        labelTimer_->start();
}

void MainWindow::AddNames(const QByteArray& nativePath)
{
    nameLists_.Add(nativePath);
    ReadNamesForArea();
}

void MainWindow::RemoveNames(const QByteArray& nativePath)
{
    nameLists_.Remove(nativePath);
    ReadNamesForArea();
}

void MainWindow::ReadNamesForArea()
{
    if (TheRenderParams.columns > 0)
        nameLists_.ReadFor(AreaOfGrid(TheRenderParams));
}

void MainWindow::TakeNames(NameReading reading)
{
    MatchNames();
    PaintView3d();
    if (!reading.problems.isEmpty())
        ShowMessage(reading.problems.join(QLatin1Char('\n')));
}

// The GPX files' waypoints, then the lists read, matched to the summits
// found: the waypoints' names come first where both name a summit.
void MainWindow::MatchNames()
{
    if (TheRenderParams.columns == 0 || !TheTerrain)
        return;
    PlaceList list(AreaOfGrid(TheRenderParams));
    for (const GpxData& file : gpx_.files())
        list.Add(UserPlaces("GPX", WaypointPlaces(file), list.area()));
    for (const ListReading& reading : nameLists_.lists())
        list.Add(ListReading(reading));
    const std::vector<NamedPlace> named =
        MatchPlaces(list, summitLabels_.summits(), TheRenderParams, TheTerrain->heightGrid.rows());
    summitLabels_.SetNames(named, list, WindowLanguage());
}

void MainWindow::AddGpx(const QByteArray& nativePath)
{
    gpxLoading_.Add(nativePath);
}

void MainWindow::TakeGpx(const QByteArray& nativePath, GpxReading reading)
{
    const QString name = QFile::decodeName(nativePath);
    if (!reading.ok) {
        ShowMessage(name + QLatin1Char('\n') + reading.error);
        return;
    }
    const QStringList notes = reading.data.notes;
    gpx_.Add(std::move(reading.data));
    MatchNames();
    PaintView3d();
    PaintMap();
    if (!notes.isEmpty())
        ShowMessage(name + QLatin1Char('\n') + notes.join(QLatin1Char('\n')));
}

void MainWindow::ClearGpx()
{
    gpxLoading_.Stop();
    StopTrackFlight();
    gpx_.Clear();
    MatchNames();
    PaintView3d();
    PaintMap();
}

void MainWindow::StartTrackFlight()
{
    const GpxLine* line = gpx_.FlightLine();
    if (!line || TheRenderParams.columns == 0)
        return;
    demoTimer->stop();
    trackPoints_ = line->points;
    trackDistances_.assign(1, 0.0);
    for (std::size_t i = 1; i < trackPoints_.size(); ++i)
        trackDistances_.push_back(trackDistances_.back() + GroundMetres(trackPoints_[i - 1], trackPoints_[i]));
    trackAt_ = 0;
    TheViewpoint.pitch = kTrackPitch;
    trackClock_.start();
    trackTimer_->start();
    TrackFlightTick();
}

void MainWindow::StopTrackFlight()
{
    trackTimer_->stop();
}

void MainWindow::TrackFlightTick()
{
    const double seconds = double(std::clamp<qint64>(trackClock_.restart(), 0, kTrackStepMaxMs)) / 1000;
    trackAt_ += kTrackMetresPerSecond * seconds;
    const GpxPoint here = AlongTrack(trackPoints_, trackDistances_, trackAt_);
    const GpxPoint ahead = AlongTrack(trackPoints_, trackDistances_, trackAt_ + kTrackLookAhead);
    TheViewpoint.latitude = here.latitude;
    TheViewpoint.longitude = here.longitude;
    if (GroundMetres(here, ahead) > 1)
        TheViewpoint.azimuth = BearingDegrees(here, ahead);
    if (trackAt_ >= trackDistances_.back())
        StopTrackFlight();
    PaintView3d();
}
