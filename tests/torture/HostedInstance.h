#pragma once

#include "PluginHost.h"

#include <juce_audio_processors/juce_audio_processors.h>

/**
    One instance of the built bundle, loaded through JUCE's VST3 hosting, with
    what a host does around it: choosing the channel layout, preparing,
    processing and finding the parameters it automates.

    Load, prepare, release and delete on the message thread; process on any
    one thread at a time.
*/
class HostedInstance
{
public:
    HostedInstance();

    const juce::Result& getLoadResult() const noexcept { return loadResult; }

    juce::AudioPluginInstance& operator*() const noexcept { return *host; }
    juce::AudioPluginInstance* operator->() const noexcept { return host.getInstance(); }

    /** Releases, applies a mono (1) or stereo (2) layout and prepares; false if
        the layout was refused. */
    bool prepare (double sampleRate, int maximumBlockSize, int numChannels);

    /** Processes in place, bypassed or not, as a host's audio thread does.
        Allocates nothing on the host's side. */
    void process (juce::AudioBuffer<float>& block, bool bypassed = false);

    /** Waits until the plug-in's deferred start-up work (a recomputation of
        its bank a second after creation, which clears the filter states) is
        behind it, so that two instances fed alike put out alike. */
    void waitUntilSettled() const { host.waitForDeferredStartupWork(); }

    /** The plug-in's own six parameters, in the order the host lists them. */
    const juce::Array<juce::AudioProcessorParameter*>& getEffectParameters() const noexcept { return effectParameters; }

    /** The host's bypass switch (VST3 number 0x62797073), or nullptr. */
    juce::AudioProcessorParameter* getBypass() const noexcept { return bypass; }

    /** The built bundle under test. */
    static juce::File getBundle();

    static constexpr juce::uint32 bypassVst3Id = 0x62797073; // "byps"

private:
    PluginHost host;
    juce::Result loadResult { juce::Result::ok() };
    juce::Array<juce::AudioProcessorParameter*> effectParameters;
    juce::AudioProcessorParameter* bypass = nullptr;
    juce::MidiBuffer midi;

    JUCE_DECLARE_NON_COPYABLE (HostedInstance)
};
