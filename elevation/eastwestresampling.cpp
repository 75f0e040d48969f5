// The spline's 32-byte vectors pass only between functions of this file,
// inlined into one build or the other, so the ABI note on them is moot.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "elevation/eastwestresampling.h"

#include "core/avx2clone.h"
#include "core/geometry.h"
#include "core/rowbands.h"
#include "core/workerpool.h"
#include "elevation/voidrule.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kSamples = kTileSamples;
constexpr int kFracBits = kSplineFractionBits;
constexpr int kFracOne = 1 << kFracBits;
// The read leaves voids below the lowest height (voidrule.h).
constexpr int kNoDataBelow = kLowestHeight - 1;
constexpr int kHeightMax = INT16_MAX;

int16_t Saturate(int64_t v)
{
    return static_cast<int16_t>(std::min<int64_t>(v, kHeightMax));
}

int32_t Tap(int16_t sample)
{
    return sample <= kNoDataBelow ? 0 : sample;
}

}  // namespace

int32_t ResampledLastColumn(double centreLat)
{
    // Callers refuse polar tiles; the scale's floor keeps the row 3 wide.
    return static_cast<int32_t>(GridCellsPerDegreeEast(centreLat));
}

namespace {

// Where resampled samples are taken from: sample k between source samples
// i and i + 1, from the taps i - 1 .. i + 2. Two arrays rather than one of
// pairs, so that the spline loop vectorises.
struct SourcePositions {
    std::vector<int32_t> firstTap;  // i - 1
    std::vector<int32_t> fraction;  // t / 1024 of the way from sample i to i + 1
};

// Where resampled samples 1 .. last - 1 of a row of `length` samples are
// taken from: one every 1 / cos(latitude) source samples, held short of the
// row's end so that the taps i - 1 .. i + 2 stay inside it.
SourcePositions FindSourcePositions(double centreLat, int32_t last, int32_t length)
{
    const double s = 1 / GridEastWestScale(centreLat);
    const int64_t lastPosition = int64_t(length - 2) * kFracOne - 1;
    SourcePositions positions{
        std::vector<int32_t>(std::size_t(std::max(last, 1))), std::vector<int32_t>(std::size_t(std::max(last, 1)))};
    for (int32_t k = 1; k < last; ++k) {
        const int64_t f = std::min(static_cast<int64_t>(k * s * kFracOne), lastPosition);
        positions.firstTap[std::size_t(k)] = static_cast<int32_t>(f >> kFracBits) - 1;
        positions.fraction[std::size_t(k)] = static_cast<int32_t>(f & (kFracOne - 1));
    }
    return positions;
}

/* Samples 1 .. last - 1 of a resampled row from its taps, the spline's
 * result limited to 0 .. kHeightMax. One of a load's hottest loops: built a
 * second time for AVX2, it runs eight samples at once where the processor
 * has it; both builds give the same integers. */
VANTOREL_AVX2_CLONE void SplineRow(
    const int32_t* taps, const SourcePositions& positions, int32_t last, int16_t* __restrict out)
{
    const int32_t* __restrict firstTap = positions.firstTap.data();
    const int32_t* __restrict fraction = positions.fraction.data();
    const int32_t* __restrict p0 = taps;
    const int32_t* __restrict p1 = taps + 1;
    const int32_t* __restrict p2 = taps + 2;
    const int32_t* __restrict p3 = taps + 3;
    for (int32_t k = 1; k < last; ++k) {
        const int32_t i = firstTap[k];
        out[k] = static_cast<int16_t>(std::clamp(CatmullRom(p0[i], p1[i], p2[i], p3[i], fraction[k]), 0, kHeightMax));
    }
}

#if defined(__SSE2__)
/* Eight rows at a time. Every row samples the same source positions, so with
 * the rows' taps side by side, lane j of each vector holding row j, one
 * spline evaluation serves eight rows, its four taps plain vector loads where
 * one row at a time gathers them sample by sample. The blocks are turned into
 * and out of rows by 8 x 8 transpositions of 16-bit samples. */
constexpr int kBlockRows = 8;
using BlockLanes = int32_t __attribute__((vector_size(32)));
using BlockWords = int16_t __attribute__((vector_size(16)));

// Rows into columns: words[j] holds column j of the eight rows words[0..7] held.
inline void Transpose8x8(__m128i (&words)[kBlockRows])
{
    __m128i pairs[kBlockRows];  // words 2k, 2k + 1 interleaved
    for (int k = 0; k < 4; ++k) {
        pairs[2 * k] = _mm_unpacklo_epi16(words[2 * k], words[2 * k + 1]);
        pairs[2 * k + 1] = _mm_unpackhi_epi16(words[2 * k], words[2 * k + 1]);
    }
    __m128i quads[kBlockRows];  // four rows' pairs of columns
    for (int half = 0; half < 2; ++half) {
        const int from = 4 * half;
        quads[from] = _mm_unpacklo_epi32(pairs[from], pairs[from + 2]);
        quads[from + 1] = _mm_unpackhi_epi32(pairs[from], pairs[from + 2]);
        quads[from + 2] = _mm_unpacklo_epi32(pairs[from + 1], pairs[from + 3]);
        quads[from + 3] = _mm_unpackhi_epi32(pairs[from + 1], pairs[from + 3]);
    }
    for (int k = 0; k < 4; ++k) {
        words[2 * k] = _mm_unpacklo_epi64(quads[k], quads[k + 4]);
        words[2 * k + 1] = _mm_unpackhi_epi64(quads[k], quads[k + 4]);
    }
}

// Samples [0, count) of eight rows as taps, column c in taps[c].
VANTOREL_AVX2_CLONE void GatherBlockTaps(const int16_t* const* rows, int count, BlockLanes* __restrict taps)
{
    const __m128i aboveNoData = _mm_set1_epi16(kNoDataBelow + 1);
    int c = 0;
    for (; c + kBlockRows <= count; c += kBlockRows) {
        __m128i words[kBlockRows];
        for (int j = 0; j < kBlockRows; ++j)
            words[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + c));
        Transpose8x8(words);
        for (int j = 0; j < kBlockRows; ++j) {
            const __m128i tapped = _mm_andnot_si128(_mm_cmpgt_epi16(aboveNoData, words[j]), words[j]);
            taps[c + j] = __builtin_convertvector(BlockWords(tapped), BlockLanes);
        }
    }
    for (; c < count; ++c)
        for (int j = 0; j < kBlockRows; ++j)
            taps[c][j] = Tap(rows[j][c]);
}

// The spline's eight lanes limited to 0 .. kHeightMax, as 16-bit words: the
// signed pack saturates at kHeightMax, and a maximum with 0 does the rest.
inline __m128i LimitedWords(BlockLanes v)
{
    static_assert(sizeof(BlockLanes) == 2 * sizeof(__m128i));
    __m128i halves[2];
    std::memcpy(halves, &v, sizeof v);
    return _mm_max_epi16(_mm_packs_epi32(halves[0], halves[1]), _mm_setzero_si128());
}

// SplineRow for eight rows at once, from GatherBlockTaps's taps, into the
// rows `out` and, where given, the rows `copy` as well.
VANTOREL_AVX2_CLONE void SplineBlock(
    const BlockLanes* taps, const SourcePositions& positions, int32_t last, int16_t* const* out, int16_t* const* copy)
{
    const int32_t* firstTap = positions.firstTap.data();
    const int32_t* fraction = positions.fraction.data();
    auto spline = [&](int32_t k) {
        const int32_t i = firstTap[k];
        return LimitedWords(CatmullRom(taps[i], taps[i + 1], taps[i + 2], taps[i + 3], BlockLanes{} + fraction[k]));
    };
    int32_t k = 1;
    for (; k + kBlockRows <= last; k += kBlockRows) {
        __m128i words[kBlockRows];
#pragma GCC unroll 8
        for (int m = 0; m < kBlockRows; ++m)
            words[m] = spline(k + m);
        Transpose8x8(words);
        for (int j = 0; j < kBlockRows; ++j) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out[j] + k), words[j]);
            if (copy)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(copy[j] + k), words[j]);
        }
    }
    for (; k < last; ++k) {
        alignas(16) int16_t lanes[kBlockRows];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), spline(k));
        for (int j = 0; j < kBlockRows; ++j) {
            out[j][k] = lanes[j];
            if (copy)
                copy[j][k] = lanes[j];
        }
    }
}
#endif

/* One row of the unsharp mask: 2 x centre - mean of the eight neighbours,
 * rounded down and never below 1 on land, so that no land point sinks to sea
 * level. columnSums holds the sums of three vertical neighbours, so that each
 * point adds three column sums instead of eight samples. */
VANTOREL_AVX2_CLONE void SharpenRow(const int16_t* north, const int16_t* here, const int16_t* south,
    int16_t* __restrict out, int32_t width, int32_t* __restrict columnSums)
{
    for (int k = 1; k <= width - 2; ++k)
        columnSums[k] = north[k] + here[k] + south[k];
    for (int k = 2; k <= width - 3; ++k) {
        const int32_t centre = here[k];
        const int32_t neighbours = columnSums[k - 1] + columnSums[k] + columnSums[k + 1] - centre;
        const int32_t sharpened = std::clamp((16 * centre - neighbours) >> 3, 1, kHeightMax);
        out[k] = static_cast<int16_t>(centre <= 0 ? 0 : sharpened);
    }
}

}  // namespace

/* Each row of the file spans one degree of longitude, which on the ground is
 * shorter than a degree of latitude by cos(latitude). Every row is shortened
 * to n + 1 samples per tile by a Catmull-Rom spline through four source
 * samples, evaluated in Horner form at the fraction t / 1024:
 *   v = ((A t + B) t + C) t / 8 + P1,  with A, B, C four times the usual
 * cubic coefficients, so that three 10-bit shifts and a final >> 3 keep the
 * whole evaluation in integers. A row's ends are its taps', voids read as sea
 * there as they do inside the row. */
void ResampleBandInto(
    double centreLat, const std::vector<const SampleGrid*>& band, SampleGrid& out, int row, const ProgressStep& step)
{
    const int tiles = int(band.size());
    const int length = (kSamples - 1) * tiles + 1;
    const int32_t last = ResampledLastColumn(centreLat) * tiles;
    const SourcePositions positions = FindSourcePositions(centreLat, last, length);
    // West to east, each tile's first sample taking the place of its
    // neighbour's last; a cell without a tile is sea level.
    auto tileOffset = [](int t) { return std::size_t(t) * (kSamples - 1); };
    ForRowBands(
        0, kSamples,
        [&](int begin, int end) {
            int r = begin;
#if defined(__SSE2__)
            const std::unique_ptr<BlockLanes[]> blockTaps(new BlockLanes[std::size_t(length)]);
            for (; r + kBlockRows <= end; r += kBlockRows) {
                for (int t = 0; t < tiles; ++t) {
                    BlockLanes* to = blockTaps.get() + tileOffset(t);
                    if (const SampleGrid* tile = band[std::size_t(t)])
                        GatherBlockTaps(tile->rows() + r, kSamples, to);
                    else
                        std::fill_n(to, kSamples, BlockLanes{});
                }
                int16_t* const* outRows = out.rows() + row + r;
                SplineBlock(blockTaps.get(), positions, last, outRows, nullptr);
                for (int j = 0; j < kBlockRows; ++j) {
                    outRows[j][0] = Saturate(blockTaps[0][j]);
                    outRows[j][last] = Saturate(blockTaps[length - 1][j]);
                }
            }
#endif
            std::vector<int32_t> taps(static_cast<std::size_t>(length));
            for (; r < end; ++r) {
                for (int t = 0; t < tiles; ++t) {
                    int32_t* to = taps.data() + tileOffset(t);
                    if (const SampleGrid* tile = band[std::size_t(t)])
                        std::transform((*tile)[r], (*tile)[r] + kSamples, to, Tap);
                    else
                        std::fill_n(to, kSamples, 0);
                }
                int16_t* outRow = out[row + r];
                outRow[0] = Saturate(taps.front());
                outRow[last] = Saturate(taps.back());
                SplineRow(taps.data(), positions, last, outRow);
            }
        },
        step);
}

/* The mask over one grid. A row's own samples are kept aside before it is
 * overwritten; the rows just outside each chunk are kept aside before any
 * chunk starts, since the neighbouring chunk may overwrite them first. The
 * chunks go over the cores a stretch of kProgressEveryRows rows at a time, a step after
 * each but the last. */
void SharpenInPlace(SampleGrid& grid, int32_t width, int32_t rows, const ProgressStep& step)
{
    constexpr int kChunkRows = 256;
    constexpr int kStepChunks = kProgressEveryRows / kChunkRows;
    const int first = 2, last = rows - 2;
    if (last <= first || width < 5)
        return;
    const int chunks = (last - first + kChunkRows - 1) / kChunkRows;
    const std::size_t rowLength = std::size_t(width);
    // For chunk i: the row above it, then the row below it.
    std::vector<int16_t> edges(2 * std::size_t(chunks) * rowLength);
    auto edge = [&](int chunk, int which) {
        return edges.data() + (2 * std::size_t(chunk) + std::size_t(which)) * rowLength;
    };
    for (int i = 0; i < chunks; ++i) {
        const int begin = first + i * kChunkRows, end = std::min(begin + kChunkRows, last);
        std::copy_n(grid[begin - 1], rowLength, edge(i, 0));
        std::copy_n(grid[end], rowLength, edge(i, 1));
    }
    WorkerPool& pool = WorkerPool::Shared();
    for (int firstChunk = 0; firstChunk < chunks; firstChunk += kStepChunks) {
        if (firstChunk > 0)
            step();
        const int stretch = std::min(kStepChunks, chunks - firstChunk);
        const int bands = std::min(stretch, pool.threads());
        pool.Run(bands, [&](int band) {
            std::vector<int32_t> columnSums(rowLength);
            std::vector<int16_t> aside(2 * rowLength);
            const int chunkEnd = BandStart(firstChunk, firstChunk + stretch, band + 1, bands);
            for (int i = BandStart(firstChunk, firstChunk + stretch, band, bands); i < chunkEnd; ++i) {
                const int begin = first + i * kChunkRows, end = std::min(begin + kChunkRows, last);
                const int16_t* north = edge(i, 0);
                int16_t* here = aside.data();
                for (int m = begin; m < end; ++m) {
                    std::copy_n(grid[m], rowLength, here);
                    const int16_t* south = m + 1 == end ? edge(i, 1) : grid[m + 1];
                    SharpenRow(north, here, south, grid[m], width, columnSums.data());
                    north = here;
                    here = here == aside.data() ? aside.data() + rowLength : aside.data();
                }
            }
        });
    }
}
