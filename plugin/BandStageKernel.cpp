#include "BandStageKernel.h"

namespace
{
    // NaN fails both comparisons and is flushed as well.
    float snapToZero (float x) noexcept
    {
        return (x < -BandStageStorage::flushThreshold || x > BandStageStorage::flushThreshold) ? x : 0.0f;
    }

   #if defined (__x86_64__) || defined (__i386__)
    // libgcc's feature table also checks that the OS saves the wide registers.
    bool cpuHasSse2() noexcept    { __builtin_cpu_init(); return __builtin_cpu_supports ("sse2"); }
    bool cpuHasAvx2() noexcept    { __builtin_cpu_init(); return __builtin_cpu_supports ("avx2"); }
    bool cpuHasAvx512() noexcept  { __builtin_cpu_init(); return __builtin_cpu_supports ("avx512f"); }

    // The first AVX-512 generations lower the core's clock while 512-bit
    // floating-point work runs, which would slow everything else the host
    // schedules on that core. VBMI2 arrived with the generations that do not
    // (Ice Lake, Zen 4 and later), so it serves as the sign.
    bool cpuRunsAvx512AtFullClock() noexcept { __builtin_cpu_init(); return __builtin_cpu_supports ("avx512vbmi2"); }
   #else
    bool cpuHasSse2() noexcept    { return false; }
    bool cpuHasAvx2() noexcept    { return false; }
    bool cpuHasAvx512() noexcept  { return false; }
    bool cpuRunsAvx512AtFullClock() noexcept { return false; }
   #endif
}

bool BandStageKernel::isSupported (Variant variant) noexcept
{
    switch (variant)
    {
        case Variant::reference: return true;
        case Variant::sse2:      return cpuHasSse2();
        case Variant::avx2:      return cpuHasAvx2();
        case Variant::avx512:    return cpuHasAvx512();
    }

    return false;
}

BandStageKernel::Variant BandStageKernel::fastestSupported() noexcept
{
    if (isSupported (Variant::avx512) && cpuRunsAvx512AtFullClock())
        return Variant::avx512;

    const Variant widestFirst[] = { Variant::avx2, Variant::sse2 };

    for (auto variant : widestFirst)
        if (isSupported (variant))
            return variant;

    return Variant::reference;
}

BandStageKernel::Function BandStageKernel::get (Variant variant) noexcept
{
    switch (variant)
    {
        case Variant::reference: return runReference;
        case Variant::sse2:      return runSse2;
        case Variant::avx2:      return runAvx2;
        case Variant::avx512:    return runAvx512;
    }

    return runReference;
}

const char* BandStageKernel::getName (Variant variant) noexcept
{
    switch (variant)
    {
        case Variant::reference: return "reference";
        case Variant::sse2:      return "sse2";
        case Variant::avx2:      return "avx2";
        case Variant::avx512:    return "avx512";
    }

    return "";
}

void BandStageKernel::runReference (BandStageStorage& storage, float* const* channels,
                                    int numChannels, int numSamples, int firstBand) noexcept
{
    const auto& k = storage.coefficients;

    for (int channel = 0; channel < numChannels; ++channel)
    {
        float* samples = channels[channel];

        for (int band = firstBand; band < BandStageStorage::numBands; ++band)
        {
            const float b0 = k[BandStageStorage::b0][band], b1 = k[BandStageStorage::b1][band],
                        b2 = k[BandStageStorage::b2][band], a1 = k[BandStageStorage::a1][band],
                        a2 = k[BandStageStorage::a2][band];

            float lv1 = storage.s1[channel][band];
            float lv2 = storage.s2[channel][band];

            for (int i = 0; i < numSamples; ++i)
            {
                const float input = samples[i];
                const float output = (input * b0) + lv1;
                samples[i] = output;

                lv1 = (input * b1) - (output * a1) + lv2;
                lv2 = (input * b2) - (output * a2);
            }

            storage.s1[channel][band] = snapToZero (lv1);
            storage.s2[channel][band] = snapToZero (lv2);
        }
    }
}
