#pragma once

#include <juce_core/juce_core.h>

/** The rates and block sizes hosts use, from the odd to the extreme. */
struct TortureCases
{
    static constexpr double sampleRates[] = { 1000.0, 8000.0, 11025.0, 22050.0, 32000.0, 44100.0, 48000.0,
                                              88200.0, 96000.0, 176400.0, 192000.0, 352800.0, 384000.0,
                                              44100.5, 1234567.8 };

    static constexpr int blockSizes[] = { 1, 2, 3, 17, 64, 511, 512, 4096, 8192 };

    static constexpr int channelCounts[] = { 1, 2 };

    /** Enough blocks of this size to run a few thousand samples, at least two. */
    static int blocksFor (int blockSize) { return juce::jmax (2, 2048 / blockSize); }
};
