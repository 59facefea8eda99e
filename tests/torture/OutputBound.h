#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/**
    Checks that what an instance puts out stays finite and within what its
    strongest possible response allows, block after block.

    The bank is linear between parameter changes, so no output can exceed the
    sum of the absolute values of its impulse response (its L1 norm) times the
    largest input magnitude. At the loudest settings (Gain +18 dB, Dry/Wet
    100 %, Q 200) one boosting band contributes at most
    1 + (K - 1) * 4 / pi with K = 31.6 (+30 dB), about 40; the bands sit a
    semitone apart and are far narrower than that, so the cascade is close to
    the sum of its resonators: 52 bands give about 2100, times the make-up of
    at best -10 dB and the output gain of 7.94, about 5300. With Reverberated
    off the cut bands give 64 * 0.29 * 4 / pi * 6.68 * 7.94, about 1300.
    A bound of 1e4 times the largest finite input so far (and never below
    1e4 for a full-scale input) leaves room for coefficient changes between
    blocks, yet catches anything that runs away.

    Allocates nothing once constructed, so it can check on an audio thread.
*/
class OutputBound
{
public:
    static constexpr float maxGain = 1.0e4f;

    /** Takes the input of the next block into account; call before processing,
        since processing replaces the input. */
    void noteInput (const juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept;

    /** Checks the processed block; returns false at the first offending sample
        and remembers it. */
    bool check (const juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept;

    /** Whether any output sample was subnormal (the processor flushes them). */
    bool sawSubnormalOutput() const noexcept { return subnormalOutputs > 0; }

    bool hasFailed() const noexcept { return failed; }
    juce::String describeFailure() const;

    juce::int64 getSamplesChecked() const noexcept { return samplesChecked; }
    float getLargestOutput() const noexcept { return largestOutput; }

private:
    float largestInput = 1.0f;
    float largestOutput = 0.0f;
    juce::int64 samplesChecked = 0;
    juce::int64 subnormalOutputs = 0;

    bool failed = false;
    juce::int64 failedAtSample = 0;
    int failedChannel = 0;
    float failedValue = 0.0f;
    float boundAtFailure = 0.0f;
};
