#include "DemoSignal.h"
#include "HostedPlugin.h"

namespace
{
    juce::AudioBuffer<float> renderDemo (PluginHost& host, double sampleRate, int blockSize)
    {
        auto audio = DemoSignal::create (sampleRate, 0.5);
        juce::MidiBuffer midi;

        host.waitForDeferredStartupWork();
        host->prepareToPlay (sampleRate, blockSize);

        for (int start = 0; start < audio.getNumSamples(); start += blockSize)
        {
            juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), audio.getNumChannels(), start,
                                            juce::jmin (blockSize, audio.getNumSamples() - start));
            host->processBlock (block, midi);
        }

        host->releaseResources();
        return audio;
    }

    bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        for (int channel = 0; channel < a.getNumChannels(); ++channel)
            if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * (size_t) a.getNumSamples()) != 0)
                return false;

        return true;
    }

    using StateTests = HostedPlugin;
}

TEST_F (StateTests, StateSavedFromOneInstanceRestoresIntoAnother)
{
    struct { int index; const char* text; } const settings[] = {
        { 0, "22.5" }, { 1, "80" }, { 2, "7" }, { 3, "-3" }, { 4, "On" }, { 5, "Tremolo" },
    };

    for (const auto& setting : settings)
        parameter (setting.index).setValueNotifyingHost (parameter (setting.index).getValueForText (setting.text));

    juce::MemoryBlock state;
    instance().getStateInformation (state);

    PluginHost second;
    ASSERT_TRUE (second.load (builtBundle(), sampleRate, blockSize).wasOk());
    second->setStateInformation (state.getData(), (int) state.getSize());

    const juce::StringArray expectedTexts { "22.50", "80.00", "7.00", "-3.00", "On", "Tremolo", "Off" };

    for (int i = 0; i < expectedTexts.size(); ++i)
    {
        auto& restored = *second->getParameters()[i];
        EXPECT_EQ (restored.getText (restored.getValue(), 128), expectedTexts[i]) << restored.getName (64);
        EXPECT_FLOAT_EQ (restored.getValue(), parameter (i).getValue()) << restored.getName (64);
    }

    const auto fromFirst = renderDemo (host, sampleRate, blockSize);
    const auto fromSecond = renderDemo (second, sampleRate, blockSize);
    EXPECT_TRUE (sameSamples (fromFirst, fromSecond));

    // A fresh instance sounds different, so the equality above is the state's doing.
    PluginHost fresh;
    ASSERT_TRUE (fresh.load (builtBundle(), sampleRate, blockSize).wasOk());
    EXPECT_FALSE (sameSamples (fromFirst, renderDemo (fresh, sampleRate, blockSize)));
}
