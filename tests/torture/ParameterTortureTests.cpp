#include "ParameterShaker.h"
#include "ProcessingThread.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace
{
    juce::AudioProcessorParameter* findByName (HostedInstance& instance, const juce::String& name)
    {
        for (auto* parameter : instance.getEffectParameters())
            if (parameter->getName (64) == name)
                return parameter;

        return nullptr;
    }
}

// Parameters change from three sides at once while blocks run: between blocks
// on the audio thread, from a thread of their own, and from the message
// thread the way a host's generic editor moves them.
TEST (ParameterTorture, ParametersChangingFromEveryThreadKeepTheOutputSane)
{
    for (const int channels : { 2, 1 })
    {
        HostedInstance instance;
        ASSERT_TRUE (instance.getLoadResult().wasOk()) << instance.getLoadResult().getErrorMessage();
        ASSERT_TRUE (instance.prepare (44100.0, 256, channels));

        ProcessingLoop::Options options;
        options.numChannels = channels;
        options.maximumBlockSize = 256;
        options.blockSizes = BlockSizePlan::Pattern::varying;
        options.automateBetweenBlocks = true;
        options.seed = 10 + channels;

        ProcessingThread audio (instance, options);
        ParameterShaker shaker (instance.getEffectParameters(), 20 + channels);
        juce::Random random (30 + channels);

        audio.start();
        shaker.start();

        for (int round = 0; round < 200; ++round)
        {
            auto& parameters = instance.getEffectParameters();
            auto* parameter = parameters[random.nextInt (parameters.size())];
            parameter->beginChangeGesture();
            parameter->setValueNotifyingHost (random.nextFloat());
            parameter->endChangeGesture();

            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        }

        ASSERT_TRUE (audio.waitForBlocks (400));
        ASSERT_TRUE (shaker.waitForChanges (400));
        shaker.stop();
        audio.stop();

        const auto& loop = audio.getLoop();
        EXPECT_GT (loop.getNumParameterChanges(), 100);
        EXPECT_FALSE (loop.getOutputBound().hasFailed()) << loop.getOutputBound().describeFailure();
        EXPECT_FALSE (loop.getOutputBound().sawSubnormalOutput());

        if (allocationCountingAvailable())
            EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u);

        for (auto* parameter : instance.getEffectParameters())
        {
            EXPECT_GE (parameter->getValue(), 0.0f) << parameter->getName (64);
            EXPECT_LE (parameter->getValue(), 1.0f) << parameter->getName (64);
        }

        instance->releaseResources();
    }
}

// After the storm the instance still does what its parameters say: with
// Dry/Wet at 0 % the output is the input times the output gain, exactly.
TEST (ParameterTorture, InstanceObeysItsParametersAfterTheStorm)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 512, 2));

    ProcessingLoop::Options options;
    options.automateBetweenBlocks = true;
    options.blockSizes = BlockSizePlan::Pattern::varying;
    ProcessingLoop storm (instance, options);
    storm.runBlocks (300);

    auto* dryWet = findByName (instance, "Dry/Wet");
    auto* gain = findByName (instance, "Gain");
    ASSERT_NE (dryWet, nullptr);
    ASSERT_NE (gain, nullptr);

    struct { float gainDb; } const cases[] = { { -18.0f }, { -6.0f }, { 0.0f }, { 7.5f }, { 18.0f } };

    for (const auto& c : cases)
    {
        dryWet->setValue (0.0f);
        gain->setValue ((c.gainDb + 18.0f) / 36.0f);

        juce::AudioBuffer<float> block (2, 512);
        TestSignal noise (SignalKind::whiteNoise, 5);
        noise.fill (block, 2, 512);
        const juce::AudioBuffer<float> input (block);

        instance.process (block);

        const float expectedGain = std::pow (10.0f, c.gainDb * 0.05f);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < 512; ++i)
                ASSERT_NEAR (block.getSample (channel, i), input.getSample (channel, i) * expectedGain, 1.0e-5f)
                    << c.gainDb << " dB, channel " << channel << ", sample " << i;
    }
}
