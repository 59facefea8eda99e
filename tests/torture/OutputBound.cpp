#include "OutputBound.h"

#include <cmath>

void OutputBound::noteInput (const juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        const auto* samples = block.getReadPointer (channel);

        for (int i = 0; i < numSamples; ++i)
            if (std::isfinite (samples[i]))
                largestInput = std::max (largestInput, std::abs (samples[i]));
    }
}

bool OutputBound::check (const juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept
{
    const float bound = maxGain * largestInput;

    for (int i = 0; i < numSamples; ++i)
    {
        for (int channel = 0; channel < numChannels; ++channel)
        {
            const float value = block.getSample (channel, i);
            const float magnitude = std::abs (value);

            if (std::fpclassify (value) == FP_SUBNORMAL)
                ++subnormalOutputs;

            if (! std::isfinite (value) || magnitude >= bound)
            {
                if (! failed)
                {
                    failed = true;
                    failedAtSample = samplesChecked + i;
                    failedChannel = channel;
                    failedValue = value;
                    boundAtFailure = bound;
                }

                return false;
            }

            largestOutput = std::max (largestOutput, magnitude);
        }
    }

    samplesChecked += numSamples;
    return true;
}

juce::String OutputBound::describeFailure() const
{
    if (! failed)
        return "no failure";

    return "output sample " + juce::String (failedAtSample) + " of channel " + juce::String (failedChannel)
         + " is " + juce::String (failedValue) + " (bound " + juce::String (boundAtFailure) + ")";
}
