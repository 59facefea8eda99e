#include "DirectComponent.h"
#include "ProcessingThread.h"
#include "TortureCases.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace
{
    void expectSaneRun (const ProcessingLoop& loop, const juce::String& where)
    {
        EXPECT_GT (loop.getNumBlocks(), 0) << where;
        EXPECT_FALSE (loop.getOutputBound().hasFailed()) << where << ": " << loop.getOutputBound().describeFailure();

        if (allocationCountingAvailable())
            EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u) << where;
    }
}

// One instance keeps playing on its audio thread while others are created,
// prepared, released, prepared again with other settings and deleted, in
// every order a host might do it.
TEST (LifecycleTorture, InstancesComeAndGoWhileAnotherKeepsPlaying)
{
    HostedInstance keeper;
    ASSERT_TRUE (keeper.getLoadResult().wasOk()) << keeper.getLoadResult().getErrorMessage();
    ASSERT_TRUE (keeper.prepare (48000.0, 256, 2));

    ProcessingLoop::Options keeperOptions;
    keeperOptions.maximumBlockSize = 256;
    keeperOptions.blockSizes = BlockSizePlan::Pattern::varying;
    keeperOptions.automateBetweenBlocks = true;
    keeperOptions.seed = 70;

    ProcessingThread keeperAudio (keeper, keeperOptions);
    keeperAudio.start();

    juce::Random random (71);

    for (int round = 0; round < 6; ++round)
    {
        const auto where = "round " + juce::String (round);
        auto guest = std::make_unique<HostedInstance>();
        ASSERT_TRUE (guest->getLoadResult().wasOk()) << where;

        for (int preparation = 0; preparation < 3; ++preparation)
        {
            const auto rate = TortureCases::sampleRates[random.nextInt ((int) std::size (TortureCases::sampleRates))];
            const auto blockSize = TortureCases::blockSizes[random.nextInt ((int) std::size (TortureCases::blockSizes))];
            const int channels = 1 + random.nextInt (2);
            const auto here = where + ", " + juce::String (rate) + " Hz, " + juce::String (blockSize) + ", " + juce::String (channels);

            ASSERT_TRUE (guest->prepare (rate, blockSize, channels)) << here;

            ProcessingLoop::Options options;
            options.numChannels = channels;
            options.maximumBlockSize = blockSize;
            options.blockSizes = BlockSizePlan::Pattern::varying;
            options.automateBetweenBlocks = true;
            options.seed = round * 10 + preparation;

            ProcessingLoop loop (*guest, options);
            loop.runBlocks (juce::jmin (40, TortureCases::blocksFor (blockSize)));
            expectSaneRun (loop, here);

            if (random.nextBool())
                (*guest)->releaseResources();
        }

        // Deleted released or still prepared, with or without a last block.
        guest.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    ASSERT_TRUE (keeperAudio.waitForBlocks (100));
    keeperAudio.stop();
    expectSaneRun (keeperAudio.getLoop(), "the instance that kept playing");
}

// Several instances play at once, each on its own audio thread, at different
// rates and layouts, while the message thread releases and re-prepares one
// of them between its runs.
TEST (LifecycleTorture, SeveralInstancesPlayAtOnce)
{
    struct Setup { double rate; int blockSize; int channels; };
    const Setup setups[] = { { 44100.0, 64, 2 }, { 96000.0, 512, 1 }, { 8000.0, 17, 2 } };

    std::vector<std::unique_ptr<HostedInstance>> instances;
    std::vector<std::unique_ptr<ProcessingThread>> threads;

    for (const auto& setup : setups)
    {
        instances.push_back (std::make_unique<HostedInstance>());
        ASSERT_TRUE (instances.back()->getLoadResult().wasOk());
        ASSERT_TRUE (instances.back()->prepare (setup.rate, setup.blockSize, setup.channels));

        ProcessingLoop::Options options;
        options.numChannels = setup.channels;
        options.maximumBlockSize = setup.blockSize;
        options.blockSizes = BlockSizePlan::Pattern::varying;
        options.automateBetweenBlocks = true;
        options.seed = (juce::int64) threads.size() + 80;

        threads.push_back (std::make_unique<ProcessingThread> (*instances.back(), options));
        threads.back()->start();
    }

    // The last instance is stopped, re-prepared and restarted a few times.
    for (int restart = 0; restart < 4; ++restart)
    {
        ASSERT_TRUE (threads.back()->waitForBlocks (20));
        threads.back()->stop();
        expectSaneRun (threads.back()->getLoop(), "restart " + juce::String (restart));

        const int channels = restart % 2 + 1;
        ASSERT_TRUE (instances.back()->prepare (8000.0 * (restart + 1), 17 * (restart + 1), channels));

        ProcessingLoop::Options options;
        options.numChannels = channels;
        options.maximumBlockSize = 17 * (restart + 1);
        options.blockSizes = BlockSizePlan::Pattern::varying;
        options.automateBetweenBlocks = true;
        options.seed = 90 + restart;

        threads.back() = std::make_unique<ProcessingThread> (*instances.back(), options);
        threads.back()->start();
    }

    for (auto& thread : threads)
        ASSERT_TRUE (thread->waitForBlocks (20));

    for (size_t i = 0; i < threads.size(); ++i)
    {
        threads[i]->stop();
        expectSaneRun (threads[i]->getLoop(), "instance " + juce::String ((int) i));
    }

    // Deleted while still prepared, in creation order.
    threads.clear();
    instances.clear();
}

// What the host is told about latency and tail, in JUCE's terms and in the
// samples VST3 reports, stays zero through every preparation.
TEST (LifecycleTorture, LatencyAndTailStayZero)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    for (const double rate : TortureCases::sampleRates)
    {
        for (const int channels : TortureCases::channelCounts)
        {
            ASSERT_TRUE (instance.prepare (rate, 512, channels));

            ProcessingLoop::Options options;
            options.numChannels = channels;
            options.automateBetweenBlocks = true;
            ProcessingLoop loop (instance, options);
            loop.runBlocks (2);

            EXPECT_EQ (instance->getLatencySamples(), 0) << rate;
            EXPECT_EQ (instance->getTailLengthSeconds(), 0.0) << rate;
            EXPECT_EQ (direct.getLatencySamples(), 0u) << rate;
            EXPECT_EQ (direct.getTailSamples(), (Steinberg::uint32) Steinberg::Vst::kNoTail) << rate;
        }
    }
}
