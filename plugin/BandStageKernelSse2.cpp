#include "BandStageKernel.h"

#if defined (__SSE2__)

#include <emmintrin.h>

#include "BandStageWavefront.h"

namespace
{
    // Baseline x86-64: four bands per vector.
    struct Sse2Ops
    {
        using Vector = __m128;
        using Mask = __m128;
        static constexpr int width = 4;

        // Sixteen vectors per channel are far more than the sixteen registers
        // hold; the lanes stay in memory throughout.
        static constexpr int registerGroups = 0;
        static constexpr bool rampsInRegisters = false;

        static Vector load (const float* p) noexcept            { return _mm_loadu_ps (p); }
        static void store (float* p, Vector v) noexcept         { _mm_storeu_ps (p, v); }
        static Vector broadcast (float x) noexcept              { return _mm_set1_ps (x); }
        static Vector zero() noexcept                           { return _mm_setzero_ps(); }
        static Vector laneIndices() noexcept                    { return _mm_setr_ps (0.0f, 1.0f, 2.0f, 3.0f); }

        static Vector add (Vector a, Vector b) noexcept         { return _mm_add_ps (a, b); }
        static Vector sub (Vector a, Vector b) noexcept         { return _mm_sub_ps (a, b); }
        static Vector mul (Vector a, Vector b) noexcept         { return _mm_mul_ps (a, b); }

        static Mask less (Vector a, Vector b) noexcept          { return _mm_cmplt_ps (a, b); }
        static Mask lessOrEqual (Vector a, Vector b) noexcept   { return _mm_cmple_ps (a, b); }
        static Mask greater (Vector a, Vector b) noexcept       { return _mm_cmpgt_ps (a, b); }
        static Mask greaterOrEqual (Vector a, Vector b) noexcept { return _mm_cmpge_ps (a, b); }
        static Mask maskAnd (Mask a, Mask b) noexcept           { return _mm_and_ps (a, b); }
        static Mask maskOr (Mask a, Mask b) noexcept            { return _mm_or_ps (a, b); }

        /** Lanes of a where the mask is set, of b elsewhere. */
        static Vector select (Mask m, Vector a, Vector b) noexcept { return _mm_or_ps (_mm_and_ps (m, a), _mm_andnot_ps (m, b)); }
        /** Lanes of a where the mask is set, zero elsewhere. */
        static Vector keep (Mask m, Vector a) noexcept          { return _mm_and_ps (m, a); }

        /** Moves every lane up by one, the top lane wrapping round to lane 0. */
        static Vector rotate (Vector v) noexcept                { return _mm_shuffle_ps (v, v, _MM_SHUFFLE (2, 1, 0, 3)); }
        /** A rotated vector with lane 0 taken from the rotated vector below it. */
        static Vector shiftIn (Vector rotated, Vector rotatedBelow) noexcept { return _mm_move_ss (rotated, rotatedBelow); }
        static float lastLane (Vector v) noexcept               { return _mm_cvtss_f32 (_mm_shuffle_ps (v, v, _MM_SHUFFLE (3, 3, 3, 3))); }
    };
}

void BandStageKernel::runSse2 (BandStageStorage& storage, float* const* channels,
                               int numChannels, int numSamples, int firstBand) noexcept
{
    BandStageWavefront<Sse2Ops>::run (storage, channels, numChannels, numSamples, firstBand);
}

#else

void BandStageKernel::runSse2 (BandStageStorage& storage, float* const* channels,
                               int numChannels, int numSamples, int firstBand) noexcept
{
    runReference (storage, channels, numChannels, numSamples, firstBand);
}

#endif
