#pragma once

#include "PluginProcessor.h"

#include <cmath>
#include <string>

/** Restores a block into the processor and checks what must hold for any
    bytes at all: every parameter stays finite and inside its range, a block
    the reader must refuse leaves every parameter as it was, and processing
    afterwards gives finite audio. Returns a description of the first
    violation, or an empty string. */
inline std::string restoreAndCheck (PluginAudioProcessor& processor, const void* data, int size)
{
    std::vector<float> before;
    for (auto* p : processor.getParameters())
        before.push_back (p->getValue());

    processor.setStateInformation (data, size);

    const auto* bytes = static_cast<const unsigned char*> (data);
    const bool mustBeIgnored = size <= 8
                            || juce::ByteOrder::littleEndianInt (bytes) != 0x21324356
                            || (int) juce::ByteOrder::littleEndianInt (bytes + 4) <= 0;

    const auto& parameters = processor.getParameters();
    for (int i = 0; i < parameters.size(); ++i)
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        const auto plain = parameter->convertFrom0to1 (parameter->getValue());
        const auto& range = parameter->getNormalisableRange();

        if (! std::isfinite (plain) || plain < range.start || plain > range.end)
            return "parameter " + parameter->getParameterID().toStdString() + " is " + std::to_string (plain);

        if (mustBeIgnored && parameter->getValue() != before[(size_t) i])
            return "a refused block changed " + parameter->getParameterID().toStdString();
    }

    float left[64], right[64];
    for (int i = 0; i < 64; ++i)
        left[i] = right[i] = (i % 2 == 0 ? 1.0f : -1.0f);

    float* channels[] = { left, right };
    juce::AudioBuffer<float> buffer (channels, 2, 64);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (int i = 0; i < 64; ++i)
        if (! std::isfinite (left[i]) || ! std::isfinite (right[i]))
            return "non-finite audio after restoring";

    return {};
}
