#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Loads a VST3 bundle through JUCE's VST3 hosting, as a host application
    would, and keeps the loaded instance. Load and unload on the message thread.
*/
class PluginHost
{
public:
    PluginHost() = default;

    /** Loads the first audio-module class of the bundle. */
    juce::Result load (const juce::File& bundle, double sampleRate, int blockSize);

    juce::AudioPluginInstance* getInstance() const noexcept { return instance.get(); }
    juce::AudioPluginInstance& operator*() const noexcept { return *instance; }
    juce::AudioPluginInstance* operator->() const noexcept { return instance.get(); }

    /** Some plug-ins do deferred work on their own message thread shortly after
        they are created; this plug-in recomputes its filter bank once, a second
        after construction, and clears the filter states while doing so. Waiting
        until that has happened before the first block makes offline renders
        independent of machine speed. Pumps the message loop while waiting when
        called on the message thread. */
    void waitForDeferredStartupWork() const;

    /** How long after creation an instance counts as settled. */
    static constexpr int deferredStartupWorkMs = 1600;

    /** The default install location of the bundle for the current user. */
    static juce::File getDefaultBundle();

private:
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::uint32 createdAtMs = 0;

    JUCE_DECLARE_NON_COPYABLE (PluginHost)
};
