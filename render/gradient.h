#pragma once
// A run's colours: a gradient from one end's colour to the other's, changing
// at every second step, in integers the same on every processor.

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/framebuffers.h"

inline constexpr uint32_t kRgbMask = 0xFFFFFF;

// Blue, green and red of (a (n - k) + b k) / n, top byte 0, for k = 1, 3,
// 5, ... in turn. Each byte is ((a (n - k) + b k) * ReciprocalTable[n]) >> 16
// (a plain division by n where the table has no entry, for segments 2048 or
// more long); the weighted sums are stepped by 2 (b - a) per call rather than
// recomputed, which gives the very same integers.
class GradientStepper {
public:
    GradientStepper(uint32_t a, uint32_t b, int32_t n, const int32_t* reciprocals) :
        n_(n), scale_(n < kReciprocalEntries ? reciprocals[n] : 1), divide_(n >= kReciprocalEntries)
    {
        for (int i = 0; i < 3; ++i) {
            const int32_t from = int32_t((a >> (8 * i)) & 0xFF);
            const int32_t to = int32_t((b >> (8 * i)) & 0xFF);
            // The sum at k = 1: a (n - 1) + b.
            sum_[i] = (from * (n - 1) + to) * scale_;
            step_[i] = 2 * (to - from) * scale_;
        }
    }

    // The colour at the current odd k; then moves on to k + 2.
    uint32_t Next()
    {
        uint32_t mixed = 0;
        for (int i = 0; i < 3; ++i) {
            const int32_t byte = divide_ ? sum_[i] / n_ : sum_[i] >> kReciprocalBits;
            mixed |= uint32_t(byte) << (8 * i);
            sum_[i] += step_[i];
        }
        return mixed;
    }

private:
    int32_t n_;
    int32_t scale_;
    bool divide_;
    int32_t sum_[3];
    int32_t step_[3];
};

#if defined(__SSE2__)
// GradientStepper's colours with its three sums side by side in one register
// (a fourth stays 0): a step is one addition, a colour one shift and two
// packs. Only for n below kReciprocalEntries, where no division is needed.
class PackedGradient {
public:
    PackedGradient(uint32_t a, uint32_t b, int32_t n, const int32_t* reciprocals)
    {
        // Each channel's from and to side by side in 16 bits, so that one
        // multiply-add makes from (n - 1) + to, and another 2 (to - from).
        const __m128i zero = _mm_setzero_si128();
        const __m128i from = _mm_cvtsi32_si128(int32_t(a & kRgbMask));
        const __m128i to = _mm_cvtsi32_si128(int32_t(b & kRgbMask));
        const __m128i pairs = _mm_unpacklo_epi8(_mm_unpacklo_epi8(from, to), zero);
        const __m128i start = _mm_madd_epi16(pairs, _mm_set1_epi32((1 << 16) | (n - 1)));
        const __m128i change = _mm_madd_epi16(pairs, _mm_set1_epi32(int32_t(0x0002FFFE)));
        const __m128i scale = _mm_set1_epi32(reciprocals[n]);
        sum_ = MultiplyLanes(start, scale);
        step_ = MultiplyLanes(change, scale);
    }

    uint32_t Next()
    {
        // The sums never go below 0 nor above 255 << kReciprocalBits, so the
        // shifted lanes pack to bytes without saturating.
        const __m128i bytes = _mm_srli_epi32(sum_, kReciprocalBits);
        sum_ = _mm_add_epi32(sum_, step_);
        const __m128i words = _mm_packs_epi32(bytes, bytes);
        return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    }
    // The colours of the next four calls of Next, in order, one a lane.
    __m128i NextFour()
    {
        const __m128i s1 = _mm_add_epi32(sum_, step_);
        const __m128i s2 = _mm_add_epi32(s1, step_);
        const __m128i s3 = _mm_add_epi32(s2, step_);
        const __m128i words01 =
            _mm_packs_epi32(_mm_srli_epi32(sum_, kReciprocalBits), _mm_srli_epi32(s1, kReciprocalBits));
        const __m128i words23 =
            _mm_packs_epi32(_mm_srli_epi32(s2, kReciprocalBits), _mm_srli_epi32(s3, kReciprocalBits));
        sum_ = _mm_add_epi32(s3, step_);
        return _mm_packus_epi16(words01, words23);
    }

private:
    // The low 32 bits of each lane's product: the same for signed lanes.
    static __m128i MultiplyLanes(__m128i x, __m128i y)
    {
        const __m128i even = _mm_mul_epu32(x, y);
        const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), _mm_srli_epi64(y, 32));
        return _mm_unpacklo_epi32(
            _mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)), _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }

    __m128i sum_;
    __m128i step_;
};
#else
class PackedGradient : public GradientStepper {
public:
    using GradientStepper::GradientStepper;
};
#endif

// A segment's colours at each column: its start colour throughout when
// both ends have the same one.
struct FlatColour {
    uint32_t colour;
    uint32_t Next() const { return colour; }
};
template <class Stepper> struct SteppedColour {
    Stepper stepper;
    uint32_t topByte;
    uint32_t Next() { return topByte | stepper.Next(); }
};
