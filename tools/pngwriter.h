#pragma once
// Writes our 0x00RRGGBB pixel rows as PNG files.

#include <string>

#include "core/raster.h"

// Saves the top-left width x height pixels of rows. Returns false on failure.
bool WritePng(const std::string& path, const uint32_t* const* rows, int width, int height);
