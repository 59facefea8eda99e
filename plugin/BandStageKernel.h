#pragma once

#include "BandStageStorage.h"

/** The band stage: runs bands firstBand..111 in series over one or two
    channels, in place, with the coefficients and states of a BandStageStorage.

    Every variant performs, per band and sample, exactly the single-precision
    operations of the plain transposed-direct-form-II cascade, in the same
    order, so all of them produce the same bits. They differ only in how the
    work is scheduled: the plain one runs one band over the whole block before
    the next, and spends most of its time waiting for each sample's result;
    the wavefront variants give each SIMD lane its own band, one sample behind
    the lane before it, so a whole column of the cascade advances per step.

    All variants flush tiny states to zero at the end of a block, allocate
    nothing and take no locks.
*/
class BandStageKernel
{
public:
    enum class Variant
    {
        reference, // one band after the other, scalar
        sse2,      // 4-lane wavefront, any x86-64
        avx2,      // 8-lane wavefront
        avx512     // 16-lane wavefront
    };

    using Function = void (*) (BandStageStorage& storage,
                               float* const* channels,
                               int numChannels,
                               int numSamples,
                               int firstBand) noexcept;

    /** True if this CPU (and its operating system) can run the variant. */
    static bool isSupported (Variant variant) noexcept;

    /** The variant chosen for this CPU: the widest it runs at full clock. */
    static Variant fastestSupported() noexcept;

    /** The entry point of a variant; only call it if isSupported(). */
    static Function get (Variant variant) noexcept;

    static const char* getName (Variant variant) noexcept;

    // The variants themselves. numChannels must be 1 or 2, firstBand within
    // 0..numBands-1 and numSamples positive; get() wraps them in those checks.
    static void runReference (BandStageStorage&, float* const*, int, int, int) noexcept;
    static void runSse2 (BandStageStorage&, float* const*, int, int, int) noexcept;
    static void runAvx2 (BandStageStorage&, float* const*, int, int, int) noexcept;
    static void runAvx512 (BandStageStorage&, float* const*, int, int, int) noexcept;
};
