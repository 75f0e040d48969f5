#include "rowbands.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

constexpr int kProgressEveryRows = 1024;
constexpr int kMaxBands = 8;
constexpr int kMinRowsPerBand = 64;  // below this a thread costs more than it saves

int bandCount(int rows)
{
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(rows / kMinRowsPerBand, 1, std::min(cores, kMaxBands));
}

// Splits [begin, end) into bands; the calling thread takes the last one.
void runBands(int begin, int end, const RowBand& band)
{
    const int rows = end - begin;
    if (rows <= 0)
        return;
    const int bands = bandCount(rows);
    std::vector<std::jthread> helpers;
    helpers.reserve(std::size_t(bands - 1));
    for (int i = 0; i < bands - 1; ++i)
        helpers.emplace_back(band, begin + rows * i / bands, begin + rows * (i + 1) / bands);
    band(begin + rows * (bands - 1) / bands, end);
}

}  // namespace

void ForRowBands(int first, int last, const RowBand& band, const ProgressStep& step)
{
    int begin = first;
    for (int stepRow = (first + kProgressEveryRows - 1) / kProgressEveryRows * kProgressEveryRows; stepRow < last;
         stepRow += kProgressEveryRows) {
        runBands(begin, stepRow + 1, band);
        step();
        begin = stepRow + 1;
    }
    runBands(begin, last, band);
}

void ForRowBands(int first, int last, const RowBand& band)
{
    runBands(first, last, band);
}
