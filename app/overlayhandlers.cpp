// What the main window draws over its views besides the renderer's frame:
// the summits (labels in the 3D view, marks on the map) and the user's GPX
// files (flown along in trackflying.cpp).

#include <algorithm>
#include <vector>

#include <QFile>
#include <QPainter>
#include <QPolygon>

#include "app/language.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/profilepanel.h"
#include "app/recentfiles.h"
#include "core/freedmemory.h"
#include "core/geometry.h"
#include "elevation/terrain.h"
#include "overlays/bitmapimage.h"
#include "overlays/gpxprofile.h"
#include "overlays/usermessages.h"
#include "places/matching.h"

void MainWindow::StartSummitSearch()
{
    if (!model_.HasLandscape())
        return;
    summitSearch_.Start([&terrain = *model_.terrain, params = model_.params](
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
        gpx_.DrawInFrame(renderer_, frameBitmap_, painter, *model_.terrain, model_.params);
    if (const std::optional<GeoPoint> marked = profilePanel_->HoveredPlace())
        DrawProfileMarkInFrame(painter, renderer_, *model_.terrain, model_.params, *marked);
    summitLabels_.Place(renderer_, frame, model_.params, painter.fontMetrics(), labelClock_.elapsed());
    if (highlightedLabel_ >= int(summitLabels_.placed().size()))
        highlightedLabel_ = -1;
    summitLabels_.Draw(painter, highlightedLabel_);
    if (summitLabels_.Pending() && !labelTimer_->isActive())
        labelTimer_->start();
}

void MainWindow::AddNames(const QByteArray& nativePath)
{
    nameLists_.Add(nativePath);
    RememberRecentFile(nativePath);
    ReadNamesForArea();
}

void MainWindow::RemoveNames(const QByteArray& nativePath)
{
    nameLists_.Remove(nativePath);
    ReadNamesForArea();
}

void MainWindow::ReadNamesForArea()
{
    if (model_.params.columns > 0)
        nameLists_.ReadFor(AreaOfGrid(model_.params));
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
    if (!model_.HasLandscape())
        return;
    PlaceList list(AreaOfGrid(model_.params));
    for (const GpxData& file : gpx_.files())
        list.Add(UserPlaces("GPX", WaypointPlaces(file), list.area()));
    for (const ListReading& reading : nameLists_.lists())
        list.Add(ListReading(reading));
    const std::vector<NamedPlace> named =
        MatchPlaces(list, summitLabels_.summits(), model_.params, model_.terrain->heightGrid.rows());
    summitLabels_.SetNames(named, list, WindowLanguage());
}

void MainWindow::AddGpx(const QByteArray& nativePath)
{
    gpxLoading_.Add(nativePath);
}

void MainWindow::TakeGpx(const QByteArray& nativePath, GpxReading reading)
{
    const QString name = QFile::decodeName(nativePath);
    // The reader's buffers, freed on the worker, go back to the system.
    ReturnFreedMemory();
    if (!reading.ok) {
        ShowMessage(CannotOpenText(name, reading.error));
        return;
    }
    RememberRecentFile(nativePath);
    const QStringList notes = reading.data.notes;
    gpx_.Add(std::move(reading.data));
    MatchNames();
    RefreshProfile();
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
    ReturnFreedMemory();
    MatchNames();
    RefreshProfile();
    PaintView3d();
    PaintMap();
}

void MainWindow::RefreshProfile()
{
    profilePanel_->SetTrack(gpx_.FlightLine(), model_.terrain.get(), model_.params);
}
