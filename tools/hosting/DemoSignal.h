#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A short stereo test signal made in code: a chord of sine tones with a
    little noise, faded in and out. The same arguments give the same samples. */
struct DemoSignal
{
    static constexpr double defaultSampleRate = 48000.0;
    static constexpr double defaultSeconds = 4.0;

    static juce::AudioBuffer<float> create (double sampleRate = defaultSampleRate,
                                            double seconds = defaultSeconds);
};
