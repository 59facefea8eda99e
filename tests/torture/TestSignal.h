#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The kinds of input a host may feed an effect. */
enum class SignalKind
{
    silence,
    whiteNoise, // uniform, full scale
    dc,         // a constant full-scale value
    impulses,   // full-scale clicks, a few hundred samples apart, on silence
    denormal,   // values far below the smallest normal float, such as 1e-40
    extreme     // noise scattered with +-1e30, NaN and +-infinity
};

/**
    An endless input stream of one kind. Filling continues where the last fill
    stopped; the same kind and seed always give the same samples. Allocates
    nothing, so it can run on an audio thread.
*/
class TestSignal
{
public:
    TestSignal (SignalKind kind, juce::int64 seed);

    void fill (juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept;

    SignalKind getKind() const noexcept { return kind; }

    static const char* getName (SignalKind kind) noexcept;

    /** Every kind, for tables of cases. */
    static constexpr SignalKind allKinds[] = { SignalKind::silence, SignalKind::whiteNoise, SignalKind::dc,
                                               SignalKind::impulses, SignalKind::denormal, SignalKind::extreme };

private:
    float next (int channel) noexcept;

    const SignalKind kind;
    juce::Random random;
    juce::int64 position = 0;
};
