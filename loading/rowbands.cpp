#include "rowbands.h"

#include <algorithm>

#include "workerpool.h"

namespace {

constexpr int kProgressEveryRows = 1024;
constexpr int kMinRowsPerBand = 64;  // below this a thread costs more than it saves

// Splits [begin, end) into bands, one per thread of the pool.
void RunBands(int begin, int end, const RowBand& band)
{
    const int rows = end - begin;
    if (rows <= 0)
        return;
    WorkerPool& pool = WorkerPool::Shared();
    const int bands = std::clamp(rows / kMinRowsPerBand, 1, pool.threads());
    pool.Run(bands, [&](int i) { band(begin + rows * i / bands, begin + rows * (i + 1) / bands); });
}

}  // namespace

void ForRowBands(int first, int last, const RowBand& band, const ProgressStep& step)
{
    int begin = first;
    for (int stepRow = (first + kProgressEveryRows - 1) / kProgressEveryRows * kProgressEveryRows; stepRow < last;
         stepRow += kProgressEveryRows) {
        RunBands(begin, stepRow + 1, band);
        step();
        begin = stepRow + 1;
    }
    RunBands(begin, last, band);
}

void ForRowBands(int first, int last, const RowBand& band)
{
    RunBands(first, last, band);
}
