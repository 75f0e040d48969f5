#include "elevation/voidrule.h"

#include <atomic>
#include <cmath>
#include <limits>

#include "core/rowbands.h"

bool IsVoidSample(double sample, std::optional<double> noData)
{
    return !(sample >= kLowestHeight && sample <= kHighestHeight) || (noData && sample == *noData);
}

uint64_t MarkVoids(std::vector<float>& samples, std::optional<double> noData)
{
    uint64_t voids = 0;
    for (float& s : samples) {
        if (IsVoidSample(double(s), noData)) {
            s = std::numeric_limits<float>::quiet_NaN();
            ++voids;
        }
    }
    return voids;
}

/* The same rule over 16-bit samples, in integers so that it runs at memory
 * speed: a no-data value that no 16-bit sample can equal is left out. */
uint64_t MarkGridVoids(SampleGrid& grid, std::optional<double> noData)
{
    const bool integerNoData = noData && std::trunc(*noData) == *noData && *noData >= INT16_MIN &&
        *noData <= INT16_MAX && !IsVoidSample(*noData, {});
    // Without one, a value the range already voids stands in.
    const int16_t noDataSample = integerNoData ? static_cast<int16_t>(*noData) : kGridVoid;
    std::atomic<uint64_t> voids{0};
    ForRowBands(0, kTileSamples, [&](int begin, int end) {
        uint64_t bandVoids = 0;
        for (int r = begin; r < end; ++r) {
            int16_t* __restrict row = grid[r];
            int16_t count = 0;  // at most 3601
            // Without branches, so that the loop vectorises.
            for (int c = 0; c < kTileSamples; ++c) {
                const int16_t s = row[c];
                const bool isVoid = (s < kLowestHeight) | (s > kHighestHeight) | (s == noDataSample);
                count = int16_t(count + isVoid);
                row[c] = isVoid ? kGridVoid : s;
            }
            bandVoids += uint64_t(count);
        }
        voids += bandVoids;
    });
    return voids;
}
