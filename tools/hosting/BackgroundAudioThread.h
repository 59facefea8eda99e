#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Plays a looping signal through a processor on a thread of its own, block by
    block and roughly in real time, the way a host's audio thread does while
    its user works with the editor.

    Prepare the processor before start() and release it after stop().
*/
class BackgroundAudioThread : private juce::Thread
{
public:
    BackgroundAudioThread (juce::AudioProcessor& processor, const juce::AudioBuffer<float>& signal,
                           double sampleRate, int blockSize);
    ~BackgroundAudioThread() override;

    void start();
    void stop();

    int getNumBlocksProcessed() const noexcept { return blocksProcessed.load(); }

private:
    void run() override;

    juce::AudioProcessor& processor;
    const juce::AudioBuffer<float> signal;
    const double sampleRate;
    juce::AudioBuffer<float> block;
    juce::MidiBuffer midi;
    std::atomic<int> blocksProcessed { 0 };

    JUCE_DECLARE_NON_COPYABLE (BackgroundAudioThread)
};
