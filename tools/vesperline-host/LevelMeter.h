#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Peak and RMS level over every sample of every channel it has been given. */
class LevelMeter
{
public:
    void add (const juce::AudioBuffer<float>& buffer, int numSamples);

    float getPeak() const noexcept { return peak; }
    double getRms() const noexcept;

    /** "peak -6.02 dBFS, RMS -15.31 dBFS" ("-inf" for silence); says so when
        a sample was NaN or infinite. */
    juce::String describe() const;

private:
    float peak = 0.0f;
    double sumOfSquares = 0.0;
    juce::int64 count = 0;
    bool sawNonFiniteSample = false;
};
