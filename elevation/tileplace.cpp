#include "elevation/tileplace.h"

#include "elevation/productreader.h"

#include <cmath>
#include <string>

GeoCentre CentreOf(const TileCell& cell)
{
    return {double(cell.lat) + 0.5, double(cell.lon) + 0.5};
}

void FillRenderParams(RenderParams& params, const GeoCentre& centre, const TileInfo& tileInfo)
{
    params.metresPerCell = kMetresPerMinute / 60;
    params.columns = tileInfo.width;
    params.rows = tileInfo.height;
    params.northLat = std::floor(centre.centreLat) + 1;
    params.westLon = std::floor(centre.centreLon);
    params.centreLat = centre.centreLat;
    params.centreLon = centre.centreLon;
    params.centreColumnShift = 0;
    params.centreRowShift = 0;
    params.areaDegrees = 1;
    params.tileColumns = params.tileRows = 0;
}

void ResetViewpoint(Viewpoint& view, const GeoCentre& centre)
{
    view.latitude = centre.centreLat - 0.25;
    view.longitude = centre.centreLon;
    view.minAltitude = 1000;
    view.azimuth = 0;
    view.viewAngle = 40;
    view.pitch = -5;
}

TileError LocateTile(const std::string& path, const ProductFile& file, TileCell& cell)
{
    if (file.Unrecognised())
        return TileError::NotATileName;
    NamedCell named = CellFromName(path);
    if (!named.found)
        named = CellFromName(file.InnerName());
    cell = named.cell;
    if (file.Located()) {
        cell = file.Cell();
    } else if (!named.found) {
        // Nothing places the file. One that opened as a raster lacks only a
        // position; one that did not open is known by its name alone.
        if (file.Error() == TileError::CannotOpen)
            return TileError::NotATileName;
        if (file.Error() == TileError::None)
            return file.IsRaster() ? TileError::NoPosition : TileError::NotATileName;
    }
    // At or beyond a pole the rows would have no width to resample into.
    if (!LatitudeInRange(cell))
        return TileError::PolarLatitude;
    if (!LongitudeInRange(cell))
        return TileError::LongitudeOutOfRange;
    return TileError::None;
}
