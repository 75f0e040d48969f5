#include "app/mapview.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "elevation/terrain.h"
#include "overlays/gpxoverlay.h"
#include "overlays/gpxprofile.h"
#include "overlays/mapbase.h"
#include "overlays/mapgrid.h"
#include "overlays/mapmarks.h"
#include "overlays/mapmeasure.h"

namespace {

constexpr double kTextPoints = 9;  // the map's texts, at any screen density
constexpr double kPointsPerInch = 72;
constexpr double kWheelStepsPerZoomDoubling = 2;  // notches of the wheel
constexpr double kWheelNotch = 120;  // angleDelta units of one notch

}  // namespace

MapView::MapView(QWidget* parent) : PaintBox(parent)
{
}

void MapView::FitInto(QRect area)
{
    area_ = area;
    const double k = std::min(
        double(area.width()) / std::max(mapShape_.width(), 1), double(area.height()) / std::max(mapShape_.height(), 1));
    const QSize box(
        std::max(1, int(std::lround(mapShape_.width() * k))), std::max(1, int(std::lround(mapShape_.height() * k))));
    setGeometry(area.x() + (area.width() - box.width()) / 2, area.y(), box.width(), box.height());
    viewport_.SetBox(QSizeF(box));
}

void MapView::SetMapShape(QSize mapPixels)
{
    if (mapPixels == mapShape_)
        return;
    mapShape_ = mapPixels;
    if (area_.isValid())
        FitInto(area_);
}

QFont MapView::TextFont() const
{
    // The system's own face: the form's Japanese one sets degree and minute
    // signs as wide as a letter each.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(std::max(1, int(std::lround(kTextPoints * logicalDpiY() / kPointsPerInch))));
    return font;
}

void MapView::SetGridShown(bool shown)
{
    gridShown_ = shown;
    emit viewChanged();
}

MapPlace MapView::PlaceOf(QPointF pixel) const
{
    return PlaceOfPixel(viewport_, params_, pixel);
}

QPointF MapView::PixelOf(double latitude, double longitude) const
{
    return PixelOfPlace(viewport_, params_, latitude, longitude);
}

void MapView::ZoomAt(QPointF pixel, double factor)
{
    viewport_.ZoomAt(pixel, factor);
    emit viewChanged();
}

void MapView::PanBy(QPointF pixels)
{
    viewport_.PanBy(pixels);
    emit viewChanged();
}

void MapView::ShowWholeSet()
{
    viewport_.Reset();
    emit viewChanged();
}

void MapView::SetMeasure(MapPlace from, MapPlace to)
{
    measureFrom_ = from;
    measureTo_ = to;
    hasMeasure_ = true;
    emit viewChanged();
}

void MapView::ClearMeasure()
{
    if (!std::exchange(hasMeasure_, false))
        return;
    emit viewChanged();
}

void MapView::Compose(const MapScene& scene)
{
    FollowLandscape(scene.params);
    SetMapShape(QSize(scene.terrain.mapBitmap.width(), scene.terrain.mapBitmap.height()));
    // Marks and the eye use the box's size before a resize the map's shape
    // brings; the repaint that the resize brings sets them right.
    const QSize box = size();
    viewport_.SetBox(QSizeF(box));
    if (const StillKey key = StillKeyOf(scene); key != stillKey_) {
        ComposeStill(scene);
        stillKey_ = key;
    }
    // The box still holds the picture shown last; this one is free.
    shown_ ^= 1;
    QImage& picture = composed_[shown_];
    if (picture.size() != box)
        picture = QImage(box, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, still_);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QPointF eye = PixelOfPlace(viewport_, scene.params, scene.view.latitude, scene.view.longitude);
    const QPoint eyePixel(TruncInto(eye.x(), -(1 << 20), 1 << 20), TruncInto(eye.y(), -(1 << 20), 1 << 20));
    DrawViewWedge(painter, viewport_, eyePixel, scene.view);
    DrawEyeMark(painter, viewport_, eyePixel);
    if (hasMeasure_)
        DrawMeasure(painter, viewport_, scene.params, measureFrom_, measureTo_, TextFont());
    painter.end();
    Present(picture, box);
}

MapView::StillKey MapView::StillKeyOf(const MapScene& scene) const
{
    StillKey key{viewport_.box(), viewport_.zoom(), viewport_.centre().x, viewport_.centre().y, scene.landscapeSerial,
        scene.params};
    if (scene.summits) {
        // FNV-1a over the tops' cells: a new search's summits differ in them.
        uint64_t digest = 14695981039346656037ull ^ scene.summits->size();
        for (const Summit& summit : *scene.summits)
            for (const int32_t cell : {summit.row, summit.column})
                digest = (digest ^ uint32_t(cell)) * 1099511628211ull;
        key.summits = digest | 1;
    }
    key.gpxFiles = scene.gpx.filesSerial();
    key.grid = gridShown_;
    if (profileMark_) {
        key.profileMark = true;
        key.profileLatitude = profileMark_->latitude;
        key.profileLongitude = profileMark_->longitude;
    }
    return key;
}

void MapView::ComposeStill(const MapScene& scene)
{
    ++stillBuilds_;
    if (still_.size() != size())
        still_ = QImage(size(), QImage::Format_RGB32);
    QPainter painter(&still_);
    ComposeBase(painter, scene);
    DrawRangeCircles(painter, viewport_, scene.params);
    if (scene.summits)
        DrawSummitMarks(painter, viewport_, scene.params, *scene.summits);
    scene.gpx.DrawOnMap(painter, viewport_, scene.params, TextFont());
    // Over the marks, so that none hides a label.
    if (gridShown_)
        ComposeGrid(painter, scene);
    if (profileMark_)
        DrawProfileMarkOnMap(
            painter, PixelOfPlace(viewport_, scene.params, profileMark_->latitude, profileMark_->longitude));
}

bool MapView::KeptLayer::Holds(const MapViewport& now, uint64_t landscapeSerial) const
{
    return valid && serial == landscapeSerial && viewport.box() == now.box() && viewport.zoom() == now.zoom() &&
        viewport.centre().x == now.centre().x && viewport.centre().y == now.centre().y;
}

void MapView::KeptLayer::Keep(QImage picture, const MapViewport& now, uint64_t landscapeSerial)
{
    image = std::move(picture);
    viewport = now;
    serial = landscapeSerial;
    valid = true;
}

// A new landscape (another tile, or the set re-centred under the eye) puts
// the map's square elsewhere: a zoomed map keeps showing the same place at
// the same scale, the whole set stays the whole set.
void MapView::FollowLandscape(const RenderParams& params)
{
    const bool moved = haveLandscape_ &&
        (AreaNorthLat(params) != AreaNorthLat(params_) || AreaWestLon(params) != AreaWestLon(params_) ||
            params.areaDegrees != params_.areaDegrees);
    if (moved && viewport_.zoom() > 1) {
        const MapFraction middle = viewport_.centre();
        const MapPlace shown{AreaNorthLat(params_) - middle.y * params_.areaDegrees,
            AreaWestLon(params_) + middle.x * params_.areaDegrees};
        viewport_.Show(MapFractionOf(params, shown.latitude, shown.longitude),
            viewport_.zoom() * params.areaDegrees / std::max(params_.areaDegrees, 1));
    }
    params_ = params;
    haveLandscape_ = true;
}

void MapView::ComposeBase(QPainter& painter, const MapScene& scene)
{
    if (MapShownAsIs(viewport_, scene.terrain)) {
        DrawMapBase(painter, viewport_, scene.terrain, scene.params);
        return;
    }
    // Scaled, the landscape is worth keeping while the view on it stays.
    if (!base_.Holds(viewport_, scene.landscapeSerial)) {
        QImage base(size(), QImage::Format_RGB32);
        base.fill(palette().color(QPalette::Window));
        QPainter basePainter(&base);
        DrawMapBase(basePainter, viewport_, scene.terrain, scene.params);
        basePainter.end();
        base_.Keep(std::move(base), viewport_, scene.landscapeSerial);
    }
    painter.drawImage(0, 0, base_.image);
}

void MapView::ComposeGrid(QPainter& painter, const MapScene& scene)
{
    // Its labels' halos are the slowest part of a map picture: kept.
    if (!grid_.Holds(viewport_, scene.landscapeSerial)) {
        QImage grid(size(), QImage::Format_ARGB32_Premultiplied);
        grid.fill(Qt::transparent);
        QPainter gridPainter(&grid);
        const QFont font = TextFont();
        DrawMapGrid(gridPainter, viewport_, scene.params, font);
        DrawScaleBar(gridPainter, viewport_, scene.params, font);
        gridPainter.end();
        grid_.Keep(std::move(grid), viewport_, scene.landscapeSerial);
    }
    painter.drawImage(0, 0, grid_.image);
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panLast_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier) && haveLandscape_) {
        measureDragging_ = true;
        const MapPlace at = PlaceOf(event->position());
        SetMeasure(at, at);
        return;
    }
    if (event->button() == Qt::LeftButton)
        ClearMeasure();
    PaintBox::mousePressEvent(event);
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (panning_) {
        const QPointF delta = event->position() - std::exchange(panLast_, event->position());
        PanBy(delta);
        return;
    }
    if (measureDragging_) {
        SetMeasure(measureFrom_, PlaceOf(event->position()));
        return;
    }
    PaintBox::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && panning_) {
        panning_ = false;
        setCursor(Qt::PointingHandCursor);
        return;
    }
    if (event->button() == Qt::LeftButton && measureDragging_) {
        measureDragging_ = false;
        SetMeasure(measureFrom_, PlaceOf(event->position()));
        return;
    }
    PaintBox::mouseReleaseEvent(event);
}

void MapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        ShowWholeSet();
        return;
    }
    PaintBox::mouseDoubleClickEvent(event);
}

void MapView::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (!haveLandscape_)
        return;
    const double notches = event->angleDelta().y() / kWheelNotch;
    ZoomAt(event->position(), std::pow(2.0, notches / kWheelStepsPerZoomDoubling));
}
