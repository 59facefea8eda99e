#include "BackgroundAudioThread.h"

BackgroundAudioThread::BackgroundAudioThread (juce::AudioProcessor& processorToUse, const juce::AudioBuffer<float>& signalToLoop,
                                              double rate, int blockSize)
    : juce::Thread ("Background audio"),
      processor (processorToUse),
      signal (signalToLoop),
      sampleRate (rate),
      block (juce::jmax (1, signalToLoop.getNumChannels()), blockSize)
{
    jassert (signal.getNumSamples() > 0);
}

BackgroundAudioThread::~BackgroundAudioThread()
{
    stop();
}

void BackgroundAudioThread::start()
{
    startThread (juce::Thread::Priority::high);
}

void BackgroundAudioThread::stop()
{
    stopThread (5000);
}

void BackgroundAudioThread::run()
{
    const auto blockMs = 1000.0 * block.getNumSamples() / sampleRate;
    auto nextBlockDue = juce::Time::getMillisecondCounterHiRes();
    int position = 0;

    while (! threadShouldExit())
    {
        for (int i = 0; i < block.getNumSamples(); ++i)
        {
            for (int channel = 0; channel < block.getNumChannels(); ++channel)
                block.setSample (channel, i, signal.getSample (juce::jmin (channel, signal.getNumChannels() - 1), position));

            position = (position + 1) % signal.getNumSamples();
        }

        midi.clear();
        processor.processBlock (block, midi);
        blocksProcessed.fetch_add (1);

        nextBlockDue += blockMs;
        const auto remainingMs = nextBlockDue - juce::Time::getMillisecondCounterHiRes();

        if (remainingMs > 1.0)
            wait ((int) remainingMs);
        else if (remainingMs < -200.0)
            nextBlockDue = juce::Time::getMillisecondCounterHiRes(); // fell behind; don't try to catch up
    }
}
