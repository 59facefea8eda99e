#pragma once

#include "PluginHost.h"

#include <gtest/gtest.h>

/** The built bundle, loaded through JUCE's VST3 hosting as a host would. */
inline juce::File builtBundle()
{
    return juce::File (VESPERLINE_BUNDLE_PATH);
}

class HostedPlugin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto loaded = host.load (builtBundle(), sampleRate, blockSize);
        ASSERT_TRUE (loaded.wasOk()) << loaded.getErrorMessage();
    }

    juce::AudioPluginInstance& instance() { return *host; }

    juce::AudioProcessorParameter& parameter (int index) { return *instance().getParameters()[index]; }

    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 512;

    PluginHost host;
};
