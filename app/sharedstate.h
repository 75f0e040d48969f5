#pragma once
// The program-wide state that the windows, the tile reader and the renderer
// share. One GUI thread touches it, so plain variables are enough; the large
// buffers live from their creation to the end of the process.

#include <array>
#include <cstdint>

#include <QImage>
#include <QString>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "elevation/tileset.h"

struct Terrain;

extern const QString VersionText;

extern Viewpoint TheViewpoint;
extern RenderParams TheRenderParams;

extern double ShownAltitude;  // eye altitude of the last frame, metres
extern int32_t CursorX;  // last mouse position over the 3D view
extern int32_t CursorY;

inline constexpr int kRateRingSize = 16;
extern int32_t RateFrameCount;
extern std::array<uint32_t, kRateRingSize> RateTicks;

// Created once by the loading window and never released: the renderer keeps
// pointers into them for the rest of the run.
// A load may replace it with the buffers of a differently sized landscape.
extern Terrain* TheTerrain;
// The tiles joined in TheTerrain.
extern TileSet TheTileSet;

// The composed map view, made by the first map paint that finds a map image.
extern QImage MapViewBitmap;

// The system's millisecond tick count, wrapping at 2^32 like every tick
// count; tests put their own clock in its place.
using TickSource = uint32_t (*)();
uint32_t GetTickCount();
TickSource SetTickSource(TickSource source);
