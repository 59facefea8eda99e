#include "BandFilterBank.h"

#include <cmath>

namespace
{
    // The same flush JUCE's IIR filters apply to their state after every block.
    inline void snapToZero (float& x) noexcept
    {
        if (! (x < -1.0e-8f || x > 1.0e-8f))
            x = 0.0f;
    }

    float decibelsToGain (float dB) noexcept
    {
        return dB > -100.0f ? std::pow (10.0f, dB * 0.05f) : 0.0f;
    }
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
        const float gain = decibelsToGain (gainDb);

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
    // Statically the bank reserves its largest layout, so that prepare() for
    // any supported channel count only has to clear.
    states.reserve ((size_t) maxChannels * numBands);
}

void BandFilterBank::prepare (int newNumChannels)
{
    numChannels = juce::jlimit (0, maxChannels, newNumChannels);
    states.assign ((size_t) numChannels * numBands, State {});
}

void BandFilterBank::reset() noexcept
{
    std::fill (states.begin(), states.end(), State {});
}

bool BandFilterBank::isCleared() const noexcept
{
    return std::all_of (states.begin(), states.end(),
                        [] (const State& s) { return s.s1 == 0.0f && s.s2 == 0.0f; });
}

std::array<float, 2> BandFilterBank::getState (int band, int channel) const noexcept
{
    if (channel < 0 || channel >= numChannels || band < 0 || band >= numBands)
        return { 0.0f, 0.0f };

    const auto& s = states[(size_t) channel * numBands + (size_t) band];
    return { s.s1, s.s2 };
}

void BandFilterBank::process (int channel, float* samples, int numSamples, int firstBand) noexcept
{
    if (channel < 0 || channel >= numChannels || numSamples <= 0)
        return;

    State* channelStates = statesFor (channel);

    for (int band = juce::jmax (0, firstBand); band < numBands; ++band)
    {
        const auto& k = coefficients[(size_t) band];
        auto& state = channelStates[band];
        float lv1 = state.s1, lv2 = state.s2;

        for (int i = 0; i < numSamples; ++i)
        {
            const float input = samples[i];
            const float output = (input * k.b0) + lv1;
            samples[i] = output;

            lv1 = (input * k.b1) - (output * k.a1) + lv2;
            lv2 = (input * k.b2) - (output * k.a2);
        }

        snapToZero (lv1);
        snapToZero (lv2);
        state.s1 = lv1;
        state.s2 = lv2;
    }
}

bool BandFilterBank::resetIfNonFinite() noexcept
{
    const bool allFinite = std::all_of (states.begin(), states.end(), [] (const State& s)
    {
        return std::isfinite (s.s1) && std::isfinite (s.s2);
    });

    if (! allFinite)
        reset();

    return ! allFinite;
}
