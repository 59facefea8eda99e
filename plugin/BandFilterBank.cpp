#include "BandFilterBank.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

float BandFilterBank::decibelsToGain (float dB) noexcept
{
    return dB > -100.0f ? std::pow (10.0f, dB * 0.05f) : 0.0f;
}

bool BandFilterBank::Coefficients::operator== (const Coefficients& o) const noexcept
{
    return b0 == o.b0 && b1 == o.b1 && b2 == o.b2 && a1 == o.a1 && a2 == o.a2;
}

bool BandFilterBank::DesignKey::operator== (const DesignKey& o) const noexcept
{
    return top == o.top && low == o.low && reverb == o.reverb && sampleRate == o.sampleRate;
}

std::array<float, BandFilterBank::numBands> BandFilterBank::makeBandFrequencies() noexcept
{
    std::array<float, numBands> frequencies {};

    for (int i = 0; i < numBands; ++i)
        frequencies[(size_t) i] = std::exp (((float) i / 12.0f) * 0.693147182f) * 27.5f;

    return frequencies;
}

void BandFilterBank::design (const DesignKey& key,
                             const std::array<float, numBands>& frequencies,
                             CoefficientSet& out) noexcept
{
    const float top = key.top;
    const float q = (key.low == 0.0f ? 10.0f : key.low) * 10.0f;
    const float sampleRate = (float) key.sampleRate;

    for (int i = 0; i < numBands; ++i)
    {
        const float frequency = frequencies[(size_t) i];

        if (key.sampleRate <= 0 || frequency * 2.0f >= sampleRate)
        {
            out[(size_t) i] = passThrough();
            continue;
        }

        const float tilt = i <= 71 ? (top * (float) i) / -72.0f + top : 0.0f;
        const float gainDb = key.reverb ? top - tilt : -top;
        const float gain = BandFilterBank::decibelsToGain (gainDb);

        // The peak design, in single precision and in this order.
        const float A = std::max (std::sqrt (gain), 0.0f);
        const float w0 = (std::max (frequency, 2.0f) * 6.2831855f) / sampleRate;
        const float alpha = std::sin (w0) / (q * 2.0f);
        const float c = -2.0f * std::cos (w0);
        const float alphaTimesA = alpha * A;
        const float alphaOverA = alpha / A;

        const float b0 = 1.0f + alphaTimesA, b1 = c, b2 = 1.0f - alphaTimesA;
        const float a0 = 1.0f + alphaOverA, a1 = c, a2 = 1.0f - alphaOverA;
        const float a0Inv = a0 != 0.0f ? 1.0f / a0 : 0.0f;

        out[(size_t) i] = { b0 * a0Inv, b1 * a0Inv, b2 * a0Inv, a1 * a0Inv, a2 * a0Inv };
    }
}

BandFilterBank::BandFilterBank()
{
    setKernel (BandStageKernel::fastestSupported());
}

void BandFilterBank::prepare (int newNumChannels)
{
    numChannels = std::clamp (newNumChannels, 0, maxChannels);
    reset();
}

void BandFilterBank::setCoefficients (const CoefficientSet& newSet) noexcept
{
    for (int band = 0; band < numBands; ++band)
    {
        const auto& k = newSet[(size_t) band];
        storage.coefficients[BandStageStorage::b0][band] = k.b0;
        storage.coefficients[BandStageStorage::b1][band] = k.b1;
        storage.coefficients[BandStageStorage::b2][band] = k.b2;
        storage.coefficients[BandStageStorage::a1][band] = k.a1;
        storage.coefficients[BandStageStorage::a2][band] = k.a2;
    }
}

BandFilterBank::Coefficients BandFilterBank::getCoefficients (int band) const noexcept
{
    if (band < 0 || band >= numBands)
        return {};

    return { storage.coefficients[BandStageStorage::b0][band],
             storage.coefficients[BandStageStorage::b1][band],
             storage.coefficients[BandStageStorage::b2][band],
             storage.coefficients[BandStageStorage::a1][band],
             storage.coefficients[BandStageStorage::a2][band] };
}

BandFilterBank::CoefficientSet BandFilterBank::getCoefficients() const noexcept
{
    CoefficientSet set;

    for (int band = 0; band < numBands; ++band)
        set[(size_t) band] = getCoefficients (band);

    return set;
}

void BandFilterBank::reset() noexcept
{
    for (int channel = 0; channel < maxChannels; ++channel)
    {
        std::fill (std::begin (storage.s1[channel]), std::end (storage.s1[channel]), 0.0f);
        std::fill (std::begin (storage.s2[channel]), std::end (storage.s2[channel]), 0.0f);
    }
}

bool BandFilterBank::isCleared() const noexcept
{
    const auto isZero = [] (float x) { return x == 0.0f; };

    for (int channel = 0; channel < maxChannels; ++channel)
        if (! std::all_of (std::begin (storage.s1[channel]), std::end (storage.s1[channel]), isZero)
            || ! std::all_of (std::begin (storage.s2[channel]), std::end (storage.s2[channel]), isZero))
            return false;

    return true;
}

std::array<float, 2> BandFilterBank::getState (int band, int channel) const noexcept
{
    if (channel < 0 || channel >= numChannels || band < 0 || band >= numBands)
        return { 0.0f, 0.0f };

    return { storage.s1[channel][band], storage.s2[channel][band] };
}

bool BandFilterBank::setKernel (BandStageKernel::Variant variant) noexcept
{
    if (! BandStageKernel::isSupported (variant))
        return false;

    kernelVariant = variant;
    kernel = BandStageKernel::get (variant);
    return true;
}

void BandFilterBank::process (float* const* channels, int numChannelsToRun, int numSamples, int firstBand) noexcept
{
    run (kernel, channels, numChannelsToRun, numSamples, firstBand);
}

void BandFilterBank::processReference (float* const* channels, int numChannelsToRun, int numSamples, int firstBand) noexcept
{
    run (BandStageKernel::runReference, channels, numChannelsToRun, numSamples, firstBand);
}

void BandFilterBank::run (BandStageKernel::Function kernelToRun, float* const* channels,
                          int numChannelsToRun, int numSamples, int firstBand) noexcept
{
    numChannelsToRun = std::min (numChannelsToRun, numChannels);
    firstBand = std::max (0, firstBand);

    if (numChannelsToRun <= 0 || numSamples <= 0 || firstBand >= numBands)
        return;

    kernelToRun (storage, channels, numChannelsToRun, numSamples, firstBand);
}

bool BandFilterBank::resetIfNonFinite() noexcept
{
    // A float is infinite or NaN when its exponent bits are all set. Testing
    // the bits keeps the loop free of branches, so it vectorises.
    constexpr std::uint32_t exponentBits = 0x7f800000u;
    std::uint32_t nonFinite = 0;

    for (const auto* rows : { storage.s1, storage.s2 })
    {
        for (int channel = 0; channel < maxChannels; ++channel)
        {
            for (const float x : rows[channel])
            {
                std::uint32_t bits;
                std::memcpy (&bits, &x, sizeof (bits));
                nonFinite |= (bits & exponentBits) == exponentBits ? 1u : 0u;
            }
        }
    }

    if (nonFinite == 0)
        return false;

    reset();
    return true;
}
