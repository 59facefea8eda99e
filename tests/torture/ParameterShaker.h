#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Moves parameters to random values from a thread of its own, as a host's
    automation or control-surface thread may, until stopped.
*/
class ParameterShaker : private juce::Thread
{
public:
    ParameterShaker (const juce::Array<juce::AudioProcessorParameter*>& parameters, juce::int64 seed);
    ~ParameterShaker() override;

    void start();
    void stop();

    juce::int64 getNumChanges() const noexcept { return changes.load(); }

    /** Waits (pumping the message loop when called on the message thread)
        until at least this many changes were made; false on timeout. */
    bool waitForChanges (juce::int64 count, int timeoutMs = 60000) const;

private:
    void run() override;

    const juce::Array<juce::AudioProcessorParameter*> parameters;
    juce::Random random;
    std::atomic<juce::int64> changes { 0 };
};
