#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    One `--set ID=VALUE` request, checked against a hosted instance.

    ID is a parameter's string ID (as the plug-in declares it) or its VST3
    number in hex (0x45E46D1C). VALUE is a plain value: a number within the
    range for a continuous parameter, 0/1/on/off for a switch, a step index or
    a choice name for a choice.
*/
class ParameterAssignment
{
public:
    /** Checks the request; on failure the message says what is wrong. */
    static juce::Result parse (juce::AudioProcessor& instance, const juce::String& request, ParameterAssignment& result);

    /** The string IDs this tool knows, in the plug-in's order. */
    static const juce::StringArray& knownStringIds();

    /** The string ID if this tool knows it, otherwise the VST3 number in hex. */
    static juce::String displayIdOf (const juce::AudioProcessorParameter& parameter);

    /** Sets the parameter the way a host does when the user changes it. */
    void apply() const;

    juce::AudioProcessorParameter* parameter = nullptr;
    float normalisedValue = 0.0f;

private:
    static juce::String describeValidIds (juce::AudioProcessor& instance);
    static juce::Result parseValue (const juce::String& id, const juce::String& text, ParameterAssignment& result);
};
