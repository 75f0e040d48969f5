#pragma once
// Why an elevation file was refused or its load stopped, and the text the
// user is shown for it.

#include <string>
#include <string_view>

enum class TileError {
    None,
    NotATileName,  // neither a product's name nor layout (see IsSupportedTileName)
    CannotOpen,  // the file cannot be opened, or is a folder
    NotARegularFile,  // a FIFO, device or socket, whose reads could block or never end
    TooShort,  // fewer samples than a whole tile, a TIFF cut short, or a failed read
    DamagedTiff,  // says it is a TIFF, but its directory cannot be read or asks too much
    WrongShape,  // a TIFF whose first image is not 3601 x 3601 16-bit samples
    UnsupportedSampleFormat,  // 16-bit samples that are not integers (floats, untyped)
    PolarLatitude,  // the tile's centre lies at or beyond a pole
    Cancelled,  // the user stopped the load while the file was read
    UnsupportedFormat,  // a GeoTIFF of several bands, other sample types or not in latitude and longitude
    WrongSize,  // a GeoTIFF that is not one whole cell, or an .hgt of neither SRTM size
    NoPosition,  // no georeferencing, and no latitude-longitude group in the name
    LongitudeOutOfRange,  // the tile's centre lies beyond 180 degrees east or west
    NoElevationInZip,  // a zip without an .hgt file
    NotEnoughMemory,  // the buffers for the landscape could not be had
    TooManyZipEntries,  // a zip of more entries than any product ships (kMaxZipEntries)
    NoValidHeights,  // every sample a void, no-data or out of range (voidrule.h)
    EncryptedZip,  // the zip's elevation file is encrypted
    NeedsGdal,  // a product only GDAL reads (zipped, georeferenced other than ASTER's), and GDAL is not installed
    NotFound,  // nothing by that name: told before the name is judged, so a mistyped path is not called "no tile"
};

// Why the file was refused, as the user is shown it (UTF-8), without the
// file's name: the Qt side puts it after the name (overlays/usermessages.h).
std::string_view TileErrorMessage(TileError error);

// NotFound for a path that names nothing, CannotOpen for a regular file that
// may not be read; None otherwise, the rest being the readers' to judge.
TileError PathAccessError(const std::string& path);

// What a load put in place of something it could not use: told beside the
// landscape, which loaded.
enum class LoadNoteKind {
    NeighbourAtSeaLevel,  // a neighbour's file was refused: its cell is sea level
    OpenedAlone,  // no memory for the joined set: the tile opened alone
};
// The text shown for a note (UTF-8): %1 stands for the file, %2 for the
// text of the refusal that made it.
std::string_view LoadNoteMessage(LoadNoteKind kind);
