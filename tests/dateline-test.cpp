// The 180th meridian: longitudes wrap to (-180, 180] wherever the core gives
// one, and a landscape across the meridian is drawn, labelled and flown as
// the same landscape anywhere else.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/navigation.h"
#include "core/geometry.h"
#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "render-test-support.h"
#include "summits/summits.h"
#include "tests/support/joinedset.h"

using namespace rendertest;

namespace {

struct Landscape {
    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    Viewpoint start;
};

// The sample tile under the names of the 3 x 3 cells around 35 N and the
// given west edge of the middle cell.
Landscape LoadSetAround(const std::string& folder, long westLon)
{
    const auto name = [](long lat, long lon) {
        const long wrapped = lon >= 180 ? lon - 360 : lon < -180 ? lon + 360 : lon;
        std::string text = "N";
        text += std::to_string(lat);
        text += wrapped < 0 ? 'W' : 'E';
        text += std::to_string(std::labs(wrapped));
        text += "_dem.tif";
        return text;
    };
    std::vector<std::string> names;
    for (long lat = 34; lat <= 36; ++lat)
        for (long lon = westLon - 1; lon <= westLon + 1; ++lon)
            names.push_back(name(lat, lon));
    const std::string dir = MakeTileFolder(folder, names);
    Landscape land;
    TileSet set;
    LoadListener quiet;
    EXPECT_EQ(LoadTileSetInto(dir + "/" + name(35, westLon), false, land.terrain, land.params, land.start, set, quiet),
        TileError::None);
    EXPECT_TRUE(set.joined());
    return land;
}

const Landscape& AcrossTheMeridian()
{
    static const Landscape land = LoadSetAround("vantorel-dateline-set", -180);
    return land;
}
const Landscape& InJapan()
{
    static const Landscape land = LoadSetAround("vantorel-dateline-reference", 138);
    return land;
}

// Colour, depth and height of the frame of `view` over `land`, three frames in.
std::vector<uint32_t> Frame(const Landscape& land, const Viewpoint& view)
{
    TestRenderer owned;
    Renderer& renderer = owned.renderer;
    const Terrain& t = *land.terrain;
    for (int k = 0; k < 3; ++k) {
        BuildViewStrips(renderer, 656, 400, t.tileInfo, t.reliefLevels, t.heightGrid.rows(), land.params, view);
        RasteriseFrame(renderer, t.tileInfo, t.heightGrid.rows(), land.params, view);
    }
    return FramePixels(renderer.Buffers(), 656, 400);
}

Viewpoint View(double latitude, double longitude, double azimuth)
{
    Viewpoint v;
    v.latitude = latitude;
    v.longitude = longitude;
    v.minAltitude = 1000;
    v.azimuth = v.renderAzimuth = azimuth;
    v.pitch = -5;
    v.viewAngle = 40;
    return v;
}

}  // namespace

TEST(DateLine, LongitudesWrapIntoOneTurn)
{
    EXPECT_EQ(WrapLongitude(138.25), 138.25);
    EXPECT_EQ(WrapLongitude(180), 180);
    EXPECT_EQ(WrapLongitude(-180), 180);
    EXPECT_EQ(WrapLongitude(180.5), -179.5);
    EXPECT_EQ(WrapLongitude(-180.5), 179.5);
    EXPECT_EQ(WrapLongitude(540), 180);
    EXPECT_EQ(WrapLongitude(-725), -5);
    EXPECT_TRUE(std::isnan(WrapLongitude(NAN)));
    EXPECT_EQ(LongitudeEastOf(-179.5, 179.5), 1);
    EXPECT_EQ(LongitudeEastOf(179.5, -179.5), -1);
    EXPECT_EQ(LongitudeEastOf(10, 20), -10);
}

TEST(DateLine, ASetAcrossTheMeridianIsDrawnAsTheSameSetElsewhere)
{
    // The same heights under other names: the views at the same places
    // relative to the opened tile draw the same frames, from its own cell
    // and from the neighbour west of the meridian.
    const std::vector<uint32_t> inOpened = Frame(AcrossTheMeridian(), View(35.5, -179.5, 0));
    EXPECT_TRUE(inOpened == Frame(InJapan(), View(35.5, 138.5, 0)));
    const std::vector<uint32_t> westOfIt = Frame(AcrossTheMeridian(), View(35.5, 179.7, 90));
    EXPECT_TRUE(westOfIt == Frame(InJapan(), View(35.5, 137.7, 90)));
    // A view given past the meridian's other side is the same place.
    EXPECT_TRUE(westOfIt == Frame(AcrossTheMeridian(), View(35.5, -180.3, 90)));
    // Not a frame of sky alone.
    const uint32_t sky = westOfIt[0];
    EXPECT_GT(std::count_if(westOfIt.begin(), westOfIt.begin() + 656 * 400, [sky](uint32_t c) { return c != sky; }),
        656 * 100);
}

TEST(DateLine, SummitsAndMapPlacesLieWithinOneTurn)
{
    const Landscape& land = AcrossTheMeridian();
    const Terrain& t = *land.terrain;
    const std::vector<Summit> summits = FindSummits(t.heightGrid.rows(), t.tileInfo.width, t.tileInfo.height);
    ASSERT_GT(summits.size(), 9u);
    int west = 0, east = 0;
    for (const Summit& s : summits) {
        const GeoPoint at = GridToGeo(land.params, s.column, s.row);
        ASSERT_GT(at.longitude, -180);
        ASSERT_LE(at.longitude, 180);
        (at.longitude > 0 ? west : east) += 1;
        // Back onto the grid where it came from.
        const GridPosition g = GeoToGrid(land.params, at.latitude, at.longitude);
        EXPECT_NEAR(g.gx / kGeoUnitsPerCell, s.column, 1e-6);
        // On the map, inside the 3 x 3 square.
        const MapFraction f = MapFractionOf(land.params, at.latitude, at.longitude);
        EXPECT_GE(f.x, 0);
        EXPECT_LE(f.x, 1);
    }
    EXPECT_GT(west, 0) << "summits in the cells west of the meridian";
    EXPECT_GT(east, 0);
}

TEST(DateLine, FlyingEastAcrossTheMeridianComesOutAtItsWestSide)
{
    const Landscape& land = AcrossTheMeridian();
    Viewpoint view = View(35.5, 179.999, 90);
    MoveEye(view, land.params, 90, 0.01);
    EXPECT_GT(view.longitude, -180);
    EXPECT_LT(view.longitude, -179.98);
    MoveEye(view, land.params, 270, 0.02);
    EXPECT_GT(view.longitude, 179.98);
    EXPECT_LE(view.longitude, 180);
}
