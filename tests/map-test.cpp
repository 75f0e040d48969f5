// The map's geometry: what part of the set the box shows under zoom and
// pan, the grid's step and labels, the scale bar, and great-circle measures.

#include <gtest/gtest.h>

#include <cmath>

#include "overlays/mapgrid.h"
#include "overlays/mapmeasure.h"
#include "overlays/mapviewport.h"

namespace {

// A tile's 1-degree square, shown in a 300 x 360 box.
MapViewport TileBox()
{
    MapViewport viewport;
    viewport.SetBox(QSizeF(300, 360));
    return viewport;
}

RenderParams TileParams()
{
    RenderParams params{};
    params.northLat = 36;
    params.westLon = 138;
    params.areaDegrees = 1;
    return params;
}

double DegreesMinutesSeconds(double degrees, double minutes, double seconds)
{
    return degrees + minutes / 60 + seconds / 3600;
}

TEST(MapViewportTest, WholeSquareFillsTheBox)
{
    const MapViewport viewport = TileBox();
    EXPECT_EQ(viewport.SquareRect(), QRectF(0, 0, 300, 360));
    EXPECT_EQ(viewport.PixelOf({0.5, 0.25}), QPointF(150, 90));
    const RenderParams params = TileParams();
    const MapPlace place = PlaceOfPixel(viewport, params, {75, 90});
    EXPECT_DOUBLE_EQ(place.latitude, 35.75);
    EXPECT_DOUBLE_EQ(place.longitude, 138.25);
    EXPECT_EQ(PixelOfPlace(viewport, params, 35.75, 138.25), QPointF(75, 90));
}

TEST(MapViewportTest, ZoomKeepsThePlaceUnderTheCursor)
{
    MapViewport viewport = TileBox();
    const RenderParams params = TileParams();
    for (const QPointF cursor : {QPointF(100, 120), QPointF(220, 300), QPointF(150, 180)}) {
        SCOPED_TRACE(cursor.x());
        viewport.Reset();
        const MapPlace before = PlaceOfPixel(viewport, params, cursor);
        for (const double factor : {1.5, 2.0, 3.0, 0.5}) {
            viewport.ZoomAt(cursor, factor);
            const MapPlace after = PlaceOfPixel(viewport, params, cursor);
            EXPECT_NEAR(after.latitude, before.latitude, 1e-12);
            EXPECT_NEAR(after.longitude, before.longitude, 1e-12);
        }
        EXPECT_DOUBLE_EQ(viewport.zoom(), 4.5);
    }
    // The zoom stays between the whole set and its limit.
    viewport.ZoomAt({10, 10}, 1000);
    EXPECT_EQ(viewport.zoom(), MapViewport::kMaxZoom);
    viewport.ZoomAt({10, 10}, 1e-6);
    EXPECT_EQ(viewport.zoom(), 1);
    EXPECT_EQ(viewport.SquareRect(), QRectF(0, 0, 300, 360));
}

TEST(MapViewportTest, PanAndZoomStayWithinTheSet)
{
    MapViewport viewport = TileBox();
    const QRectF box(0, 0, 300, 360);
    // At the whole set there is nowhere to pan to.
    viewport.PanBy({80, -50});
    EXPECT_EQ(viewport.SquareRect(), box);
    viewport.ZoomAt({150, 180}, 4);
    for (const QPointF drag : {QPointF(5000, 0), QPointF(0, -5000), QPointF(-5000, 5000), QPointF(123, 45)}) {
        SCOPED_TRACE(drag.x());
        viewport.PanBy(drag);
        EXPECT_TRUE(viewport.SquareRect().contains(box));
    }
    // Pulled to the north-west corner, the corner sits on the box's.
    viewport.PanBy({1e6, 1e6});
    EXPECT_NEAR(viewport.SquareRect().left(), 0, 1e-9);
    EXPECT_NEAR(viewport.SquareRect().top(), 0, 1e-9);
    // Within the limits, the place under the cursor follows the drag.
    const MapFraction under = viewport.FractionOf({200, 200});
    viewport.PanBy({-30, -40});
    const MapFraction moved = viewport.FractionOf({170, 160});
    EXPECT_NEAR(moved.x, under.x, 1e-12);
    EXPECT_NEAR(moved.y, under.y, 1e-12);
    // Zooming out near an edge pulls the view back over the set.
    viewport.ZoomAt({0, 0}, 0.5);
    EXPECT_TRUE(viewport.SquareRect().contains(box));
}

TEST(MapGridTest, StepFollowsTheZoom)
{
    // Lines at least 60 pixels apart.
    EXPECT_EQ(GridStepMinutes(60, 60), 60);  // a degree is all there is room for
    EXPECT_EQ(GridStepMinutes(30, 60), 60);  // and stays the coarsest step
    EXPECT_EQ(GridStepMinutes(120, 60), 30);
    EXPECT_EQ(GridStepMinutes(360, 60), 10);  // a tile in the smallest box
    EXPECT_EQ(GridStepMinutes(359, 60), 30);
    EXPECT_EQ(GridStepMinutes(720, 60), 5);
    EXPECT_EQ(GridStepMinutes(3600, 60), 1);
    EXPECT_EQ(GridStepMinutes(360 * 64, 60), 1);
}

TEST(MapGridTest, LabelsInDegreesAndMinutes)
{
    EXPECT_EQ(GridLabel(35 + 20.0 / 60, true), QStringLiteral("35°20′N"));
    EXPECT_EQ(GridLabel(138, false), QStringLiteral("138°E"));
    EXPECT_EQ(GridLabel(-0.5, true), QStringLiteral("0°30′S"));
    EXPECT_EQ(GridLabel(-179 - 59.0 / 60, false), QStringLiteral("179°59′W"));
    // A line reached by adding steps lands a hair off the minute.
    EXPECT_EQ(GridLabel(138 + 3 * (10.0 / 60) - 1e-12, false), QStringLiteral("138°30′E"));
}

TEST(MapGridTest, ScaleBarTakesARoundLength)
{
    EXPECT_EQ(ScaleBarMetres(10, 100), 1000);
    EXPECT_EQ(ScaleBarMetres(7, 100), 500);
    EXPECT_EQ(ScaleBarMetres(23, 100), 2000);
    EXPECT_EQ(ScaleBarMetres(0.5, 100), 50);
    EXPECT_EQ(ScaleBarMetres(0.5, 99), 20);
    EXPECT_EQ(ScaleBarMetres(0, 100), 0);
    EXPECT_EQ(ScaleBarLabel(2000), QStringLiteral("2 km"));
    EXPECT_EQ(ScaleBarLabel(500), QStringLiteral("500 m"));
}

TEST(MapMeasureTest, GreatCircleDistanceAndBearing)
{
    // Land's End to John o' Groats, the haversine formula's textbook case:
    // 968.9 km on a sphere of 6371 km, leaving at 9°07′11″.
    const MapPlace landsEnd{DegreesMinutesSeconds(50, 3, 59), -DegreesMinutesSeconds(5, 42, 53)};
    const MapPlace johnOGroats{DegreesMinutesSeconds(58, 38, 38), -DegreesMinutesSeconds(3, 4, 12)};
    EXPECT_NEAR(GreatCircleMetres(landsEnd, johnOGroats), 968.9e3 * kEarthMeanRadiusMetres / 6371e3, 60);
    EXPECT_NEAR(InitialBearingDegrees(landsEnd, johnOGroats), DegreesMinutesSeconds(9, 7, 11), 0.001);
    EXPECT_NEAR(InitialBearingDegrees(johnOGroats, landsEnd), 180 + DegreesMinutesSeconds(11, 16, 31), 0.001);

    // A degree of the equator, either way round the 180th meridian.
    const double degree = kEarthMeanRadiusMetres * kPi / 180;
    EXPECT_NEAR(GreatCircleMetres({0, 179.5}, {0, -179.5}), degree, 1e-6);
    EXPECT_NEAR(InitialBearingDegrees({0, 179.5}, {0, -179.5}), 90, 1e-9);
    EXPECT_NEAR(InitialBearingDegrees({0, -179.5}, {0, 179.5}), 270, 1e-9);
    // A degree of a meridian, northwards and southwards.
    EXPECT_NEAR(GreatCircleMetres({35, 138}, {36, 138}), degree, 1e-6);
    EXPECT_NEAR(InitialBearingDegrees({35, 138}, {36, 138}), 0, 1e-9);
    EXPECT_NEAR(InitialBearingDegrees({36, 138}, {35, 138}), 180, 1e-9);
    // East along a parallel is shorter than along the equator by about cos(latitude).
    EXPECT_NEAR(GreatCircleMetres({60, 10}, {60, 10.01}), degree * 0.01 * 0.5, 0.01);
    // Two metres apart stays two metres.
    EXPECT_NEAR(GreatCircleMetres({35, 138}, {35 + 2 / degree, 138}), 2, 1e-6);
}

TEST(MapMeasureTest, TextGivesDistanceAndBearing)
{
    const QString near = MeasureText(1234, 45.4);
    EXPECT_TRUE(near.contains(QStringLiteral("1.23 km"))) << near.toStdString();
    EXPECT_TRUE(near.contains(QStringLiteral("45°"))) << near.toStdString();
    const QString far = MeasureText(98765, 359.6);
    EXPECT_TRUE(far.contains(QStringLiteral("98.8 km"))) << far.toStdString();
    EXPECT_TRUE(far.contains(QStringLiteral(" 0°"))) << far.toStdString();
    EXPECT_FALSE(far.contains(QStringLiteral("360"))) << far.toStdString();
}

}  // namespace
