#pragma once
// Brings a product's samples onto the grid the passes read: 3601 x 3601,
// one sample every arc-second from the cell's north-west corner.

#include <cstdint>
#include <vector>

#include "elevation/voidrule.h"
#include "relief/relief.h"

// Where a raster's samples stand along one axis, in arc-seconds from the
// cell's west (or north) edge: the first sample's centre, and the spacing.
struct SampleAxis {
    double first = 0;
    double step = 1;
    int count = 0;
};

// Samples as read, row 0 north; NaN marks a void.
struct SourceRaster {
    std::vector<float> samples;
    SampleAxis columns;
    SampleAxis rows;
};

// Fills grid rows 0..3600. Grid points between samples are interpolated
// bilinearly from the valid neighbours; points beyond the first or last
// sample take the edge sample. Heights are rounded to the nearest metre and
// saturated to 16 bits; voids become -9999.
void FillCellGrid(const SourceRaster& source, SampleGrid& grid);
