#pragma once
// Runs a pass over grid rows in bands on all cores. Rows are independent in
// every pass that uses this; each band only writes its own rows.

#include <algorithm>
#include <functional>

// Called after a step of a long pass, for the progress shown.
using ProgressStep = std::function<void()>;

// A long pass over grid rows takes a step every this many rows.
inline constexpr int kProgressEveryRows = 1024;

// Processes rows [begin, end) of one band.
using RowBand = std::function<void(int begin, int end)>;

// Runs `band` over rows [first, last) and takes a progress step after every
// row whose index is a multiple of kProgressEveryRows, as a pass in one thread would: the
// rows up to each such row are done before its step, which runs on the
// calling thread. With a grain, every band but the first starts on a
// multiple of it, so that a band may work on whole groups of rows.
void ForRowBands(int first, int last, const RowBand& band, const ProgressStep& step, int grain = 1);
// The same for a pass that shows no progress of its own.
void ForRowBands(int first, int last, const RowBand& band);

// Where band i of `bands` over [begin, end) starts: the range shared evenly,
// every band after the first starting on a multiple of grain; band `bands`
// starts at end. The one band split of every pass shared over cores.
constexpr int BandStart(int begin, int end, int i, int bands, int grain = 1)
{
    if (i <= 0)
        return begin;
    if (i >= bands)
        return end;
    return std::clamp((begin + (end - begin) * i / bands) / grain * grain, begin, end);
}
