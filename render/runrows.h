#pragma once
// The rows a run of a strip passes through, column after column: Bresenham's
// steps, and the same rows from one fixed-point sum.

#include <cstdint>

// The rows of a run n columns long that falls or climbs e rows, column
// after column from its first point's row y0: Bresenham's
// "err -= e; while (err < 0) { y += step; err += n; }" with err starting at
// n / 2. Here in one step: err stays within [0, n), so after the whole rows
// of e / n it needs at most one more, and the branch-free form gives the
// same rows. Most runs fall less than a row per column: no division for those.
class BresenhamRows {
public:
    BresenhamRows(int32_t y0, int32_t n, int32_t e, int32_t step) :
        y_(y0), err_(n >> 1), n_(n), step_(step), wholeRows_(e < n ? 0 : e / n * step), partRows_(e < n ? e : e % n)
    {
    }
    int32_t Next()
    {
        err_ -= partRows_;
        y_ += wholeRows_;
        const int32_t carry = err_ >> 31;  // -1 where err < 0
        y_ += carry & step_;
        err_ += carry & n_;
        return y_;
    }

private:
    int32_t y_, err_, n_, step_, wholeRows_, partRows_;
};

// BresenhamRows' rows from one sum with 32 fraction bits: two registers
// instead of six in the fill's busiest loop. After k columns Bresenham has
// moved floor((k e + c) / n) rows, c = n - 1 - n / 2. The sum's start and
// step are that quotient's for k = 0 and its step, each rounded up by less
// than 2^-32, so after k < n steps the sum lies above the quotient by less
// than n 2^-32, at most 1 / n where n <= 2^16. The quotient's fraction is a
// multiple of 1 / n, so the sum never reaches the next whole row. Falling
// rows count down from y0 + 1 - 2^-32, so that the floor of the sum is again
// y0 less the quotient's floor.
class FixedPointRows {
public:
    // Whether every run of a frame this size is stepped exactly: none is
    // longer than the frame is wide, nor falls further than it is high.
    static bool Covers(int32_t W, int32_t H) { return W <= kMaxLength && H <= kMaxLength; }

    FixedPointRows(int32_t y0, int32_t n, int32_t e, int32_t step)
    {
        const auto un = uint64_t(n);
        const auto roundedUp = [un](int32_t numerator) {
            return int64_t(((uint64_t(numerator) << kFractionBits) + un - 1) / un);
        };
        const int64_t start = roundedUp(n - 1 - (n >> 1));
        const int64_t slope = roundedUp(e);
        const int64_t origin = int64_t(y0) << kFractionBits;
        sum_ = step > 0 ? origin + start : origin + (kOne - 1) - start;
        slope_ = step > 0 ? slope : -slope;
    }
    int32_t Next()
    {
        sum_ += slope_;
        return int32_t(sum_ >> kFractionBits);
    }

private:
    static constexpr int kFractionBits = 32;
    static constexpr int64_t kOne = int64_t(1) << kFractionBits;
    static constexpr int32_t kMaxLength = 1 << 16;
    int64_t sum_, slope_;
};
