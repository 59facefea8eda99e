#include "ProcessingLoop.h"
#include "TortureCases.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace
{
    juce::String describe (double rate, int blockSize, int channels)
    {
        return juce::String (rate, 1) + " Hz, blocks of " + juce::String (blockSize) + ", "
             + (channels == 1 ? "mono" : "stereo");
    }

    void expectCleanRun (const ProcessingLoop& loop, const juce::String& where)
    {
        EXPECT_FALSE (loop.getOutputBound().hasFailed()) << where << ": " << loop.getOutputBound().describeFailure();
        EXPECT_FALSE (loop.getOutputBound().sawSubnormalOutput()) << where;

        if (allocationCountingAvailable())
            EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u) << where;
    }
}

// One instance goes through every combination in turn, re-prepared each time,
// with random automation between blocks.
TEST (SampleRateTorture, EveryRateBlockSizeAndLayoutPreparesAndProcessesWithinBounds)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk()) << instance.getLoadResult().getErrorMessage();

    juce::int64 seed = 1;

    for (const int channels : TortureCases::channelCounts)
    {
        for (const double rate : TortureCases::sampleRates)
        {
            for (const int blockSize : TortureCases::blockSizes)
            {
                const auto where = describe (rate, blockSize, channels);
                ASSERT_TRUE (instance.prepare (rate, blockSize, channels)) << where;
                ASSERT_EQ (instance->getTotalNumOutputChannels(), channels) << where;

                ProcessingLoop::Options options;
                options.numChannels = channels;
                options.maximumBlockSize = blockSize;
                options.seed = ++seed;
                options.automateBetweenBlocks = true;

                ProcessingLoop fixedBlocks (instance, options);
                fixedBlocks.runBlocks (TortureCases::blocksFor (blockSize));
                expectCleanRun (fixedBlocks, where);

                // Then sizes that change from call to call: empty blocks, the
                // edge sizes, and blocks up to four times the announced maximum.
                options.blockSizes = BlockSizePlan::Pattern::oversized;
                ProcessingLoop varyingBlocks (instance, options);
                varyingBlocks.runBlocks (16);
                expectCleanRun (varyingBlocks, where + ", varying");

                EXPECT_EQ (instance->getLatencySamples(), 0) << where;
                EXPECT_EQ (instance->getTailLengthSeconds(), 0.0) << where;
            }
        }
    }

    instance->releaseResources();
}
