#include "BandStageKernel.h"

#if defined (__x86_64__) || defined (__i386__)

#include <immintrin.h>

// Everything from here on may use AVX-512F; it only runs once the CPU has
// been asked (BandStageKernel::isSupported). FMA stays off: it would round differently.
#if defined (__clang__)
 #pragma clang attribute push (__attribute__ ((target ("avx512f"))), apply_to = function)
#else
 #pragma GCC push_options
 #pragma GCC target ("avx512f")
#endif

#include "BandStageWavefront.h"

namespace
{
    // Sixteen bands per vector; one lane-shifting instruction moves the
    // wavefront on, and masks live in their own registers.
    struct Avx512Ops
    {
        using Vector = __m512;
        using Mask = __mmask16;
        static constexpr int width = 16;

        // Four vectors per channel fit the 32 registers for the whole block.
        static constexpr int registerGroups = 4;
        static constexpr bool rampsInRegisters = true;

        static Vector load (const float* p) noexcept            { return _mm512_loadu_ps (p); }
        static void store (float* p, Vector v) noexcept         { _mm512_storeu_ps (p, v); }
        static Vector broadcast (float x) noexcept              { return _mm512_set1_ps (x); }
        static Vector zero() noexcept                           { return _mm512_setzero_ps(); }
        static Vector laneIndices() noexcept
        {
            return _mm512_setr_ps (0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f,
                                   8.0f, 9.0f, 10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f);
        }

        static Vector add (Vector a, Vector b) noexcept         { return _mm512_add_ps (a, b); }
        static Vector sub (Vector a, Vector b) noexcept         { return _mm512_sub_ps (a, b); }
        static Vector mul (Vector a, Vector b) noexcept         { return _mm512_mul_ps (a, b); }

        static Mask less (Vector a, Vector b) noexcept          { return _mm512_cmp_ps_mask (a, b, _CMP_LT_OQ); }
        static Mask lessOrEqual (Vector a, Vector b) noexcept   { return _mm512_cmp_ps_mask (a, b, _CMP_LE_OQ); }
        static Mask greater (Vector a, Vector b) noexcept       { return _mm512_cmp_ps_mask (a, b, _CMP_GT_OQ); }
        static Mask greaterOrEqual (Vector a, Vector b) noexcept { return _mm512_cmp_ps_mask (a, b, _CMP_GE_OQ); }
        static Mask maskAnd (Mask a, Mask b) noexcept           { return (Mask) (a & b); }
        static Mask maskOr (Mask a, Mask b) noexcept            { return (Mask) (a | b); }

        static Vector select (Mask m, Vector a, Vector b) noexcept { return _mm512_mask_blend_ps (m, b, a); }
        static Vector keep (Mask m, Vector a) noexcept          { return _mm512_maskz_mov_ps (m, a); }

        // valignd shifts and fills lane 0 from the vector below in one go,
        // so there is nothing to prepare.
        static Vector rotate (Vector v) noexcept                { return v; }

        static Vector shiftIn (Vector current, Vector below) noexcept
        {
            return _mm512_castsi512_ps (_mm512_alignr_epi32 (_mm512_castps_si512 (current),
                                                             _mm512_castps_si512 (below), 15));
        }

        static float lastLane (Vector v) noexcept
        {
            const __m128 upper = _mm512_extractf32x4_ps (v, 3);
            return _mm_cvtss_f32 (_mm_shuffle_ps (upper, upper, _MM_SHUFFLE (3, 3, 3, 3)));
        }
    };
}

void BandStageKernel::runAvx512 (BandStageStorage& storage, float* const* channels,
                                 int numChannels, int numSamples, int firstBand) noexcept
{
    BandStageWavefront<Avx512Ops>::run (storage, channels, numChannels, numSamples, firstBand);
}

#if defined (__clang__)
 #pragma clang attribute pop
#else
 #pragma GCC pop_options
#endif

#else

void BandStageKernel::runAvx512 (BandStageStorage& storage, float* const* channels,
                                 int numChannels, int numSamples, int firstBand) noexcept
{
    runReference (storage, channels, numChannels, numSamples, firstBand);
}

#endif
