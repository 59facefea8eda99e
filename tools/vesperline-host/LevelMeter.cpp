#include "LevelMeter.h"

namespace
{
    juce::String toDecibelText (double gain)
    {
        if (! (gain > 0.0))
            return "-inf dBFS";

        return juce::String (20.0 * std::log10 (gain), 2) + " dBFS";
    }
}

void LevelMeter::add (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        const auto* samples = buffer.getReadPointer (channel);

        for (int i = 0; i < numSamples; ++i)
        {
            const auto magnitude = std::abs (samples[i]);

            if (std::isfinite (magnitude))
                peak = juce::jmax (peak, magnitude);
            else
                sawNonFiniteSample = true;

            sumOfSquares += (double) samples[i] * (double) samples[i];
        }

        count += numSamples;
    }
}

double LevelMeter::getRms() const noexcept
{
    return count > 0 ? std::sqrt (sumOfSquares / (double) count) : 0.0;
}

juce::String LevelMeter::describe() const
{
    if (sawNonFiniteSample)
        return "peak and RMS undefined (non-finite samples)";

    return "peak " + toDecibelText (peak) + ", RMS " + toDecibelText (getRms());
}
