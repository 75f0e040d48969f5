#include "elevation/cellresample.h"

#include "core/rowbands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kSamples = kTileSamples;
// Positions this close to a sample are that sample: georeferencing written as
// decimal degrees never lands exactly on an arc-second.
constexpr double kSnap = 1e-6;
// A grid point whose valid neighbours carry less than this share of the
// weight is left void rather than made up from one far sample.
constexpr double kMinWeight = 0.5;

struct Tap {
    int first;  // the sample at or before the point
    int second;  // the one after it (the same at the edge)
    double weight;  // of the second
};

std::vector<Tap> Taps(const SampleAxis& axis)
{
    std::vector<Tap> taps(kSamples);
    const int last = axis.count - 1;
    for (int k = 0; k < kSamples; ++k) {
        const double position = std::clamp((k - axis.first) / axis.step, 0.0, double(last));
        int first = int(std::floor(position));
        double weight = position - first;
        if (weight < kSnap) {
            weight = 0;
        } else if (weight > 1 - kSnap) {
            weight = 0;
            ++first;
        }
        first = std::min(first, last);
        taps[std::size_t(k)] = {first, std::min(first + 1, last), weight};
    }
    return taps;
}

int16_t Height(double value)
{
    return static_cast<int16_t>(std::clamp(std::round(value), double(INT16_MIN), double(INT16_MAX)));
}

// One sample every arc-second from the cell's corner: every grid point is a
// sample, as the interpolation would find it with all its weight on one tap.
bool OnTheGrid(const SampleAxis& axis)
{
    return axis.first == 0 && axis.step == 1 && axis.count == kSamples;
}

void CopyCellGrid(const SourceRaster& source, SampleGrid& grid)
{
    ForRowBands(0, kSamples, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const float* in = &source.samples[std::size_t(r) * kSamples];
            int16_t* out = grid[r];
            for (int c = 0; c < kSamples; ++c)
                out[c] = std::isnan(in[c]) ? kGridVoid : Height(in[c]);
        }
    });
}

}  // namespace

/* Coarser products (3" SRTM, GLO-90, the narrower Copernicus rows towards the
 * poles) are interpolated bilinearly: it keeps every sample where it stands,
 * never overshoots between them, and the east-west pass resamples with a
 * spline afterwards anyway. Samples that sit on grid points are copied. */
void FillCellGrid(const SourceRaster& source, SampleGrid& grid)
{
    if (OnTheGrid(source.columns) && OnTheGrid(source.rows))
        return CopyCellGrid(source, grid);
    const std::vector<Tap> columnTaps = Taps(source.columns);
    const std::vector<Tap> rowTaps = Taps(source.rows);
    const std::size_t width = std::size_t(source.columns.count);
    ForRowBands(0, kSamples, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const Tap& rowTap = rowTaps[std::size_t(r)];
            const float* north = &source.samples[std::size_t(rowTap.first) * width];
            const float* south = &source.samples[std::size_t(rowTap.second) * width];
            int16_t* out = grid[r];
            for (int c = 0; c < kSamples; ++c) {
                const Tap& tap = columnTaps[std::size_t(c)];
                const double taps[4] = {north[tap.first], north[tap.second], south[tap.first], south[tap.second]};
                const double weights[4] = {(1 - rowTap.weight) * (1 - tap.weight), (1 - rowTap.weight) * tap.weight,
                    rowTap.weight * (1 - tap.weight), rowTap.weight * tap.weight};
                double sum = 0, weight = 0;
                for (int i = 0; i < 4; ++i) {
                    if (weights[i] > 0 && !std::isnan(taps[i])) {
                        sum += weights[i] * taps[i];
                        weight += weights[i];
                    }
                }
                out[c] = weight < kMinWeight ? kGridVoid : Height(sum / weight);
            }
        }
    });
}
