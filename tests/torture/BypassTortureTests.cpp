#include "ParameterShaker.h"
#include "ProcessingThread.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace
{
    using Bypass = ProcessingLoop::Options::Bypass;

    bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int channels, int samples)
    {
        for (int channel = 0; channel < channels; ++channel)
            if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * (size_t) samples) != 0)
                return false;

        return true;
    }
}

TEST (BypassTorture, HostSeesTheBypassSwitch)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_NE (instance.getBypass(), nullptr);
    EXPECT_EQ (instance.getBypass(), instance->getBypassParameter());
    EXPECT_EQ (instance.getBypass()->getName (64), "Bypass");
    EXPECT_EQ (instance.getBypass()->getValue(), 0.0f);
    EXPECT_EQ (instance.getEffectParameters().size(), 6);
}

// Engaged either way a host can do it, bypass hands back exactly what came
// in: every kind of input, mono and stereo, any block size.
TEST (BypassTorture, BypassedOutputEqualsInputBitForBit)
{
    struct Shape { double rate; BlockSizePlan::Pattern pattern; int maximumBlockSize; };
    const Shape shapes[] = { { 48000.0, BlockSizePlan::Pattern::fixed, 512 },
                             { 44100.5, BlockSizePlan::Pattern::varying, 64 },
                             { 1234567.8, BlockSizePlan::Pattern::oversized, 17 } };

    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    juce::int64 seed = 200;

    for (const auto route : { Bypass::parameter, Bypass::processBlockBypassed })
    {
        for (const auto kind : TestSignal::allKinds)
        {
            for (const int channels : { 1, 2 })
            {
                for (const auto& shape : shapes)
                {
                    const auto where = juce::String (route == Bypass::parameter ? "bypass parameter" : "processBlockBypassed")
                                     + ", " + TestSignal::getName (kind) + ", " + juce::String (channels) + " channels, "
                                     + juce::String (shape.rate) + " Hz";
                    ASSERT_TRUE (instance.prepare (shape.rate, shape.maximumBlockSize, channels)) << where;

                    ProcessingLoop::Options options;
                    options.numChannels = channels;
                    options.maximumBlockSize = shape.maximumBlockSize;
                    options.blockSizes = shape.pattern;
                    options.signal = kind;
                    options.seed = ++seed;
                    options.bypass = route;
                    options.automateBetweenBlocks = true;

                    ProcessingLoop loop (instance, options);
                    loop.runBlocks (24);

                    EXPECT_EQ (loop.getNumBypassMismatches(), 0) << where;

                    if (allocationCountingAvailable())
                        EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u) << where;
                }
            }
        }
    }
}

// Bypass off again: the next block is processed.
TEST (BypassTorture, EngagingAndReleasingBypassSwitchesBlockByBlock)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 256, 2));
    auto* bypass = instance.getBypass();
    ASSERT_NE (bypass, nullptr);

    juce::AudioBuffer<float> block (2, 256);
    TestSignal noise (SignalKind::whiteNoise, 3);

    for (int round = 0; round < 12; ++round)
    {
        const bool engaged = round % 3 == 1;
        bypass->setValue (engaged ? 1.0f : 0.0f);

        noise.fill (block, 2, 256);
        const juce::AudioBuffer<float> input (block);
        instance.process (block);

        EXPECT_EQ (sameSamples (block, input, 2, 256), engaged) << "round " << round;
    }
}

// Bypass flipped from another thread, along with every other parameter,
// while blocks run through both of the host's calls.
TEST (BypassTorture, BypassFlippingFromAnotherThreadWhileProcessing)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (44100.0, 128, 2));

    auto everything = instance.getEffectParameters();
    everything.add (instance.getBypass());

    ProcessingLoop::Options options;
    options.maximumBlockSize = 128;
    options.blockSizes = BlockSizePlan::Pattern::varying;
    options.seed = 300;

    ProcessingThread audio (instance, options);
    ParameterShaker shaker (everything, 301);
    audio.start();
    shaker.start();
    ASSERT_TRUE (audio.waitForBlocks (600));
    ASSERT_TRUE (shaker.waitForChanges (600));
    shaker.stop();
    audio.stop();

    const auto& loop = audio.getLoop();
    EXPECT_FALSE (loop.getOutputBound().hasFailed()) << loop.getOutputBound().describeFailure();

    if (allocationCountingAvailable())
        EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u);
}
