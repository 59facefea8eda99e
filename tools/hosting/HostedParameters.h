#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** What a host can tell about the parameters of a hosted VST3 instance, which
    it sees only through their VST3 numbers, normalised values and texts. */
struct HostedParameters
{
    /** The SDK's "no parameter" number. */
    static constexpr juce::uint32 noId = 0xffffffffu;

    /** The number JUCE's VST3 client gives a string parameter ID: h = 31 h + c
        over the code points in 32-bit arithmetic, then the top bit cleared. */
    static juce::uint32 vst3IdFromStringId (const juce::String& stringId) noexcept;

    /** The VST3 number of a parameter of a hosted VST3 instance; noId for any
        other kind of parameter. */
    static juce::uint32 vst3IdOf (const juce::AudioProcessorParameter& parameter);

    /** The parameter with this VST3 number, or nullptr. */
    static juce::AudioProcessorParameter* find (juce::AudioProcessor& instance, juce::uint32 vst3Id);

    /** "0x" followed by eight upper-case hex digits. */
    static juce::String toHex (juce::uint32 vst3Id);

    enum class Kind
    {
        continuous, // any value in a range, shown as a number
        toggle,     // two steps: off and on
        choice      // a list of named steps
    };

    static Kind kindOf (const juce::AudioProcessorParameter& parameter);

    /** For a continuous parameter, the values its texts show at both ends. */
    static juce::Range<double> plainRangeOf (const juce::AudioProcessorParameter& parameter);

    /** The plain value behind a normalised one: the number its text shows for
        a continuous parameter, the step index for a toggle or choice. */
    static double plainValueOf (const juce::AudioProcessorParameter& parameter, float normalisedValue);

    /** The normalised value of a step of a toggle or choice. */
    static float normalisedValueOfStep (const juce::AudioProcessorParameter& parameter, int step);
};
