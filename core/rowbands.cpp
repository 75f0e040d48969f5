#include "core/rowbands.h"

#include <algorithm>

#include "core/workerpool.h"

namespace {

constexpr int kMinRowsPerBand = 64;  // below this a thread costs more than it saves

// Splits [begin, end) into bands, one per thread of the pool, every band
// after the first starting on a multiple of grain.
void RunBands(int begin, int end, const RowBand& band, int grain)
{
    const int rows = end - begin;
    if (rows <= 0)
        return;
    WorkerPool& pool = WorkerPool::Shared();
    const int bands = std::clamp(rows / kMinRowsPerBand, 1, pool.threads());
    pool.Run(bands,
        [&](int i) { band(BandStart(begin, end, i, bands, grain), BandStart(begin, end, i + 1, bands, grain)); });
}

}  // namespace

void ForRowBands(int first, int last, const RowBand& band, const ProgressStep& step, int grain)
{
    int begin = first;
    for (int stepRow = (first + kProgressEveryRows - 1) / kProgressEveryRows * kProgressEveryRows; stepRow < last;
         stepRow += kProgressEveryRows) {
        // Past the step's row to the next multiple of the grain.
        const int end = std::min(last, (stepRow + grain) / grain * grain);
        RunBands(begin, end, band, grain);
        step();
        begin = end;
    }
    RunBands(begin, last, band, grain);
}

void ForRowBands(int first, int last, const RowBand& band)
{
    RunBands(first, last, band, 1);
}
