#pragma once
// The rasteriser: the second stage of a frame, after BuildViewStrips has
// gathered the visible grid samples into strips, nearest first.
//
// The route of a pixel, stage by stage:
//  1. projection (projection.h): each strip sample is turned to the view,
//     tilted and divided by its depth into a frame column and row;
//  2. column fill (columnfill.h): the run from each sample to the next of
//     its strip is stepped column by column, and each column follows the
//     column rule (columnrule.h): a point below the column's top is hidden by
//     nearer terrain, one above it rises the column with a gradient; so the
//     frame fills front to back without a depth test, into tiled copies of
//     the buffers (tiles.h);
//  3. tile copy (tilecopy.h): finished tiles' colours go into the frame's
//     rows, with the sky above each column's terrain and the skyline blend
//     (sky.h); depth and height stay in the tiles (FrameBufferSet::DepthAt);
//  4. bands (here): the projection is shared out over the cores by strips,
//     the fill and copy by bands of whole columns side by side, each band
//     walking every strip but filling only its own columns.

#include <cstdint>

class Renderer;

// Fills rows from each column's top (ColumnTop afterwards) down to the
// bottom; rows above are left as they were. Sets the renderer's feedback.
void RasteriseStrips(Renderer& renderer);
// RasteriseStrips, then the sky from SkyRowColours above every column's top,
// and each column's top row blended half and half with the sky above it.
void RasteriseStripsUnderSky(Renderer& renderer);
