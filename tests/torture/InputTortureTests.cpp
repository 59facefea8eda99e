#include "ProcessingLoop.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    constexpr double rates[] = { 1000.0, 44100.0, 48000.0, 192000.0, 1234567.8 };

    struct Shape
    {
        const char* name;
        BlockSizePlan::Pattern pattern;
        int maximumBlockSize;
    };

    constexpr Shape shapes[] = {
        { "blocks of 512", BlockSizePlan::Pattern::fixed, 512 },
        { "varying blocks up to 64", BlockSizePlan::Pattern::varying, 64 },
    };

    juce::String describe (SignalKind kind, double rate, const Shape& shape, int channels)
    {
        return juce::String (TestSignal::getName (kind)) + ", " + juce::String (rate, 1) + " Hz, " + shape.name + ", "
             + (channels == 1 ? "mono" : "stereo");
    }

    bool isAllZero (const juce::AudioBuffer<float>& block, int numChannels, int numSamples)
    {
        for (int channel = 0; channel < numChannels; ++channel)
            for (int i = 0; i < numSamples; ++i)
                if (block.getSample (channel, i) != 0.0f)
                    return false;

        return true;
    }
}

// Each kind of input, with every parameter moving at random between blocks
// (often to the ends of its range), from freshly cleared filter states.
TEST (InputTorture, EveryKindOfInputGivesFiniteBoundedOutputAtAnySetting)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk()) << instance.getLoadResult().getErrorMessage();

    juce::int64 seed = 100;

    for (const auto kind : TestSignal::allKinds)
    {
        for (const int channels : { 1, 2 })
        {
            for (const double rate : rates)
            {
                for (const auto& shape : shapes)
                {
                    const auto where = describe (kind, rate, shape, channels);
                    ASSERT_TRUE (instance.prepare (rate, shape.maximumBlockSize, channels)) << where;

                    ProcessingLoop::Options options;
                    options.numChannels = channels;
                    options.maximumBlockSize = shape.maximumBlockSize;
                    options.blockSizes = shape.pattern;
                    options.signal = kind;
                    options.seed = ++seed;
                    options.automateBetweenBlocks = true;

                    ProcessingLoop loop (instance, options);
                    bool silentSoFar = true;

                    for (int block = 0; block < 48; ++block)
                    {
                        loop.runBlock();
                        silentSoFar = silentSoFar && isAllZero (loop.getLastOutput(), channels, loop.getLastBlockSize());
                    }

                    EXPECT_FALSE (loop.getOutputBound().hasFailed()) << where << ": " << loop.getOutputBound().describeFailure();
                    EXPECT_FALSE (loop.getOutputBound().sawSubnormalOutput()) << where;

                    if (allocationCountingAvailable())
                        EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u) << where;

                    // Nothing in, nothing out: the states start cleared and
                    // denormal input is flushed to zero like the arithmetic.
                    if (kind == SignalKind::silence || kind == SignalKind::denormal)
                        EXPECT_TRUE (silentSoFar) << where;
                    else if (kind != SignalKind::extreme)
                        EXPECT_GT (loop.getOutputBound().getLargestOutput(), 0.0f) << where;
                }
            }
        }
    }
}

// NaN and infinity must not poison the filters: the instance hears them as
// silence, sample for sample, and carries on as if they had been zeros.
TEST (InputTorture, NonFiniteInputActsLikeSilenceAndLeavesNoTrace)
{
    HostedInstance poisoned, clean;
    ASSERT_TRUE (poisoned.getLoadResult().wasOk() && clean.getLoadResult().wasOk());
    poisoned.waitUntilSettled();
    clean.waitUntilSettled();

    for (const int channels : { 1, 2 })
    {
        constexpr int blockSize = 256;
        ASSERT_TRUE (poisoned.prepare (48000.0, blockSize, channels));
        ASSERT_TRUE (clean.prepare (48000.0, blockSize, channels));

        juce::AudioBuffer<float> a (channels, blockSize), b (channels, blockSize);
        TestSignal input (SignalKind::extreme, 77);
        int nonFinite = 0;

        for (int block = 0; block < 200; ++block)
        {
            // Poisoned blocks first, then plain noise to hear what stayed behind.
            if (block < 40)
            {
                input.fill (a, channels, blockSize);
            }
            else
            {
                TestSignal tail (SignalKind::whiteNoise, block);
                tail.fill (a, channels, blockSize);
            }

            for (int channel = 0; channel < channels; ++channel)
            {
                for (int i = 0; i < blockSize; ++i)
                {
                    const float x = a.getSample (channel, i);
                    nonFinite += std::isfinite (x) ? 0 : 1;
                    b.setSample (channel, i, std::isfinite (x) ? x : 0.0f);
                }
            }

            poisoned.process (a);
            clean.process (b);

            for (int channel = 0; channel < channels; ++channel)
                ASSERT_EQ (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * blockSize), 0)
                    << (channels == 1 ? "mono" : "stereo") << ", block " << block << ", channel " << channel;
        }

        EXPECT_GT (nonFinite, 100);
        EXPECT_GT (a.getMagnitude (0, blockSize), 0.0f) << "the instance fell silent";
    }
}
