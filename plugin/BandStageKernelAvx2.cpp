#include "BandStageKernel.h"

#if defined (__x86_64__) || defined (__i386__)

#include <immintrin.h>

// Everything from here on may use AVX2; it only runs once the CPU has been
// asked (BandStageKernel::isSupported). FMA stays off: it would round differently.
#if defined (__clang__)
 #pragma clang attribute push (__attribute__ ((target ("avx2"))), apply_to = function)
#else
 #pragma GCC push_options
 #pragma GCC target ("avx2")
#endif

#include "BandStageWavefront.h"

namespace
{
    // Eight bands per vector.
    struct Avx2Ops
    {
        using Vector = __m256;
        using Mask = __m256;
        static constexpr int width = 8;

        // With up to eight vectors per channel, the steady state does best with
        // the lanes in locals (partly spilled); filling and draining do best
        // with them in memory, skipping idle vectors.
        static constexpr int registerGroups = 8;
        static constexpr bool rampsInRegisters = false;

        static Vector load (const float* p) noexcept            { return _mm256_loadu_ps (p); }
        static void store (float* p, Vector v) noexcept         { _mm256_storeu_ps (p, v); }
        static Vector broadcast (float x) noexcept              { return _mm256_set1_ps (x); }
        static Vector zero() noexcept                           { return _mm256_setzero_ps(); }
        static Vector laneIndices() noexcept                    { return _mm256_setr_ps (0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f); }

        static Vector add (Vector a, Vector b) noexcept         { return _mm256_add_ps (a, b); }
        static Vector sub (Vector a, Vector b) noexcept         { return _mm256_sub_ps (a, b); }
        static Vector mul (Vector a, Vector b) noexcept         { return _mm256_mul_ps (a, b); }

        static Mask less (Vector a, Vector b) noexcept          { return _mm256_cmp_ps (a, b, _CMP_LT_OQ); }
        static Mask lessOrEqual (Vector a, Vector b) noexcept   { return _mm256_cmp_ps (a, b, _CMP_LE_OQ); }
        static Mask greater (Vector a, Vector b) noexcept       { return _mm256_cmp_ps (a, b, _CMP_GT_OQ); }
        static Mask greaterOrEqual (Vector a, Vector b) noexcept { return _mm256_cmp_ps (a, b, _CMP_GE_OQ); }
        static Mask maskAnd (Mask a, Mask b) noexcept           { return _mm256_and_ps (a, b); }
        static Mask maskOr (Mask a, Mask b) noexcept            { return _mm256_or_ps (a, b); }

        static Vector select (Mask m, Vector a, Vector b) noexcept { return _mm256_blendv_ps (b, a, m); }
        static Vector keep (Mask m, Vector a) noexcept          { return _mm256_and_ps (m, a); }

        static Vector rotate (Vector v) noexcept
        {
            return _mm256_permutevar8x32_ps (v, _mm256_setr_epi32 (7, 0, 1, 2, 3, 4, 5, 6));
        }

        static Vector shiftIn (Vector rotated, Vector rotatedBelow) noexcept { return _mm256_blend_ps (rotated, rotatedBelow, 1); }

        static float lastLane (Vector v) noexcept
        {
            const __m128 upper = _mm256_extractf128_ps (v, 1);
            return _mm_cvtss_f32 (_mm_shuffle_ps (upper, upper, _MM_SHUFFLE (3, 3, 3, 3)));
        }
    };
}

void BandStageKernel::runAvx2 (BandStageStorage& storage, float* const* channels,
                               int numChannels, int numSamples, int firstBand) noexcept
{
    BandStageWavefront<Avx2Ops>::run (storage, channels, numChannels, numSamples, firstBand);
}

#if defined (__clang__)
 #pragma clang attribute pop
#else
 #pragma GCC pop_options
#endif

#else

void BandStageKernel::runAvx2 (BandStageStorage& storage, float* const* channels,
                               int numChannels, int numSamples, int firstBand) noexcept
{
    runReference (storage, channels, numChannels, numSamples, firstBand);
}

#endif
