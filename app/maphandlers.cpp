// The main window's map: composing it, and turning presses on it into moves
// and turns of the eye. The map box itself, its zoom, pan and measuring are
// in mapview.cpp.

#include <algorithm>
#include <cmath>

#include "app/mainwindow.h"
#include "core/geometry.h"
#include "elevation/terrain.h"

namespace {

constexpr int kMapClickSlack = 16;  // a press and release further apart is a drag
constexpr int kPressCrossArm = 3;

// Screen positions of far-away eyes stay far outside any paint box, but
// within the range that integer drawing can take.
constexpr int kFarPixel = 1 << 20;
int PixelOf(double value)
{
    return TruncInto(value, -kFarPixel, kFarPixel);
}

// Bearing clockwise from the top of the screen, in degrees (-180, 180].
double Bearing(int x0, int y0, int x1, int y1)
{
    return std::atan2(double(x1 - x0), double(y0 - y1)) * kRadToDeg;
}

}  // namespace

QPoint MainWindow::MapPixelOfView() const
{
    const QPointF at = PixelOfPlace(ui_.mapView->viewport(), model_.params, model_.eye.latitude, model_.eye.longitude);
    return {PixelOf(at.x()), PixelOf(at.y())};
}

void MainWindow::PaintMap()
{
    if (!model_.HasLandscape())
        return;
    const MapScene scene{*model_.terrain, model_.params, model_.eye,
        summitLabels_.shown() ? &summitLabels_.summits() : nullptr, gpx_, model_.landscapeSerial()};
    ui_.mapView->Compose(scene);
}

void MainWindow::MapMouseDown(Qt::MouseButton, ShiftState shift, int x, int y)
{
    if (shift.buttons & Qt::LeftButton) {
        // The move happens on release; until the next map paint a red cross
        // marks where it will go.
        mapPressX_ = x;
        mapPressY_ = y;
        ui_.mapView->Scribble(Qt::red,
            {QLine(x - kPressCrossArm, y, x + kPressCrossArm, y), QLine(x, y - kPressCrossArm, x, y + kPressCrossArm)});
        return;
    }
    if (demoTimer_->isActive())
        return;
    const QPoint eye = MapPixelOfView();
    if (eye == QPoint(x, y))
        return;
    MoveViewTo(model_.eye.latitude, model_.eye.longitude, Bearing(eye.x(), eye.y(), x, y) + 720);
}

void MainWindow::MapMouseUp(Qt::MouseButton button, ShiftState, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    // The target is the pressed point, always inside the set and never on
    // its south or east edge.
    const auto inside = [](double f) { return f <= 0 ? 0.0 : std::min(f, 0.9999); };
    const MapFraction at = ui_.mapView->viewport().FractionOf(QPointF(mapPressX_, mapPressY_));
    const double degrees = model_.params.areaDegrees;
    const double latitude = AreaNorthLat(model_.params) - inside(at.y) * degrees;
    const double longitude = WrapLongitude(AreaWestLon(model_.params) + inside(at.x) * degrees);

    double azimuth = model_.eye.azimuth;
    if (std::abs(mapPressX_ - x) > kMapClickSlack || std::abs(mapPressY_ - y) > kMapClickSlack) {
        azimuth = Bearing(mapPressX_, mapPressY_, x, y);
        if (azimuth < 0)
            azimuth += 360;
    }
    if (demoTimer_->isActive()) {
        // Stopping and starting the demo at the target works out the circle
        // through it and the heading along it; the glide then flies there.
        const Viewpoint before = model_.eye;
        model_.eye.latitude = latitude;
        model_.eye.longitude = longitude;
        DemoClick(nullptr);
        DemoClick(nullptr);
        azimuth = model_.eye.azimuth;
        model_.eye.latitude = before.latitude;
        model_.eye.longitude = before.longitude;
        model_.eye.azimuth = before.azimuth;
    }
    MoveViewTo(latitude, longitude, azimuth);
}
