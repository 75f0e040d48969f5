#pragma once
// Finds an entry in a zip archive from its central directory alone, read
// once and front to back, so that an archive of many entries costs no more
// than one pass over them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "elevation/asterreader.h"
#include "elevation/checkedfile.h"
#include "elevation/tileerror.h"

// No product ships more than a handful of files in a zip; an archive with
// more entries than this is refused before its directory is read.
inline constexpr uint64_t kMaxZipEntries = 10000;

struct ZipEntry {
    std::string name;  // as stored, with its folders
    uint64_t size = 0;  // uncompressed
    bool encrypted = false;
};

// The first entry whose name `wanted` accepts: None, or NoElevationInZip
// when no entry is wanted, TooManyZipEntries past kMaxZipEntries, TooShort
// for a directory that cannot be read, Cancelled when `stop` says so (asked
// every few hundred entries).
TileError FindZipEntry(const CheckedFile& file, const std::function<bool(std::string_view)>& wanted, ZipEntry& found,
    const StopRequest& stop);
