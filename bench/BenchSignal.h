#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A few blocks of white noise, handed out one block after the other so
    that consecutive iterations see different audio. */
class BenchSignal
{
public:
    BenchSignal (int numChannels, int blockSize)
        : noise (numChannels, blockSize * numBlocks), blockLength (blockSize)
    {
        juce::Random random (0x5eed);

        for (int c = 0; c < numChannels; ++c)
            for (int i = 0; i < noise.getNumSamples(); ++i)
                noise.setSample (c, i, random.nextFloat() * 1.6f - 0.8f);
    }

    /** Copies the next block of noise into the first blockSize samples of each channel. */
    void copyNextBlock (float* const* channels) noexcept
    {
        for (int c = 0; c < noise.getNumChannels(); ++c)
            juce::FloatVectorOperations::copy (channels[c], noise.getReadPointer (c, position), blockLength);

        position = (position + blockLength) % noise.getNumSamples();
    }

private:
    static constexpr int numBlocks = 8;

    juce::AudioBuffer<float> noise;
    const int blockLength;
    int position = 0;
};
