#pragma once
// The map box: the loaded set's map, as large as its panel allows, with
// the marks, grid, scale bar and GPX files drawn over it. What stays while
// the eye moves is kept as one picture, so that a frame of flight draws only
// the eye's mark, its view lines and a measure.
//
// The mouse: the wheel zooms about the cursor, a middle-button drag pans,
// a middle double-click shows the whole set again, and a Shift+left drag
// measures the great-circle distance and bearing between two places; the
// measure stays until the next click. Other presses and releases go to the
// owner through PaintBox's signals, with box pixels that placeOf() and
// pixelOf() turn into places and back.

#include <optional>
#include <vector>

#include <QFont>
#include <QRect>

#include "app/paintbox.h"
#include "core/geometry.h"
#include "overlays/mapviewport.h"
#include "summits/summits.h"

class GpxOverlay;
struct Terrain;

// What one picture of the map shows.
struct MapScene {
    const Terrain& terrain;
    const RenderParams& params;
    const Viewpoint& view;
    const std::vector<Summit>* summits;  // null while the summits are hidden
    const GpxOverlay& gpx;
    uint64_t landscapeSerial;  // changes with every landscape shown
};

class MapView : public PaintBox {
    Q_OBJECT

public:
    explicit MapView(QWidget* parent = nullptr);

    // Sizes the box to the map image's shape, as large as fits in `area`
    // (the parent's pixels): centred across it, at its top.
    void FitInto(QRect area);
    void SetMapShape(QSize mapPixels);
    QSize mapShape() const { return mapShape_; }

    // Composes the scene at the box's size, and shows it.
    void Compose(const MapScene& scene);
    // How often the still picture under the eye has been drawn.
    int stillBuilds() const { return stillBuilds_; }

    const MapViewport& viewport() const { return viewport_; }
    void ZoomAt(QPointF pixel, double factor);
    void PanBy(QPointF pixels);
    void ShowWholeSet();

    // Where a box pixel lies, and where a place shows, on the landscape
    // composed last.
    MapPlace PlaceOf(QPointF pixel) const;
    QPointF PixelOf(double latitude, double longitude) const;

    // The measure between two places, as a Shift+left drag leaves it.
    void SetMeasure(MapPlace from, MapPlace to);
    void ClearMeasure();
    bool measuring() const { return hasMeasure_; }

    // The place hovered on the elevation profile, marked from the next
    // composition on; nothing for none.
    void SetProfileMark(std::optional<GeoPoint> place) { profileMark_ = place; }
    const std::optional<GeoPoint>& profileMark() const { return profileMark_; }

    void SetGridShown(bool shown);
    bool gridShown() const { return gridShown_; }
    // The map's texts: a size in points, in pixels at the screen's density.
    QFont TextFont() const;

signals:
    // The zoom, the pan or the measure changed: the owner composes again.
    void viewChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // A picture kept while the view on the landscape stays: the same
    // landscape, box, zoom and centre.
    struct KeptLayer {
        QImage image;
        MapViewport viewport;
        uint64_t serial = 0;
        bool valid = false;
        bool Holds(const MapViewport& now, uint64_t landscapeSerial) const;
        void Keep(QImage picture, const MapViewport& now, uint64_t landscapeSerial);
    };

    // What the still picture shows: it is drawn again when any of it changes.
    struct StillKey {
        QSizeF box;
        double zoom = 1;
        double centreX = 0;
        double centreY = 0;
        uint64_t landscapeSerial = 0;
        RenderParams params;
        uint64_t summits = 0;  // 0 while hidden, else a digest of the tops marked
        uint64_t gpxFiles = 0;
        bool grid = false;
        bool profileMark = false;
        double profileLatitude = 0;
        double profileLongitude = 0;
        bool operator==(const StillKey&) const = default;
    };
    StillKey StillKeyOf(const MapScene& scene) const;
    void ComposeStill(const MapScene& scene);
    void FollowLandscape(const RenderParams& params);
    void ComposeBase(QPainter& painter, const MapScene& scene);
    void ComposeGrid(QPainter& painter, const MapScene& scene);

    // The landscape with its marks, GPX files and grid, and the two pictures
    // shown in turns over it: the box holds one while the next is drawn.
    QImage still_;
    std::optional<StillKey> stillKey_;
    int stillBuilds_ = 0;
    QImage composed_[2];
    int shown_ = 0;
    MapViewport viewport_;
    QSize mapShape_{360, 360};
    QRect area_;
    RenderParams params_{};  // of the landscape composed last
    bool haveLandscape_ = false;
    KeptLayer base_;  // the landscape, where scaled
    KeptLayer grid_;  // the grid, its labels and the scale bar
    bool panning_ = false;
    QPointF panLast_;
    bool measureDragging_ = false;
    bool hasMeasure_ = false;
    MapPlace measureFrom_{};
    MapPlace measureTo_{};
    bool gridShown_ = true;
    std::optional<GeoPoint> profileMark_;
};
