// The name a saved view is offered under.

#include <gtest/gtest.h>

#include "app/savepicture.h"

namespace {

struct NameCase {
    double centreLat;  // the tile's centre
    double centreLon;
    double latitude;  // the eye
    double longitude;
    double azimuth;
    const char* name;
};

const NameCase kNames[] = {
    {35.5, 138.5, 35.25, 138.5, 245, "N35E138_35.2500N_138.5000E_az245.png"},
    {-11.5, -76.5, -11.23456, -76.54321, 359.6, "S12W077_11.2346S_76.5432W_az0.png"},
    {0.5, -0.5, 0.00001, -0.99995, 44.5, "N00W001_0.0000N_1.0000W_az45.png"},
    {-0.5, 8.5, -0.00004, 8.12344, 0.4, "S01E008_0.0000N_8.1234E_az0.png"},
};

}  // namespace

TEST(ViewPictureName, TileEyeAndAzimuth)
{
    for (const NameCase& c : kNames) {
        RenderParams params;
        params.centreLat = c.centreLat;
        params.centreLon = c.centreLon;
        Viewpoint view;
        view.latitude = c.latitude;
        view.longitude = c.longitude;
        view.azimuth = c.azimuth;
        EXPECT_EQ(ViewPictureName(params, view).toStdString(), c.name);
    }
}
