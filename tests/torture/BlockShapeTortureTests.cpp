#include "DirectComponent.h"
#include "ProcessingLoop.h"

#include <gtest/gtest.h>

namespace
{
    /** A stream of blocks fed to one instance, recorded end to end. */
    struct Recording
    {
        Recording (int channels, int length) : input (channels, length), output (channels, length)
        {
            TestSignal noise (SignalKind::whiteNoise, 500);
            noise.fill (input, channels, length);
            output.makeCopyOf (input);
        }

        juce::AudioBuffer<float> input, output;
    };

    /** Feeds the recording's output buffer, in place, in blocks of the plan's sizes. */
    void playThroughJuceHost (HostedInstance& instance, Recording& recording, BlockSizePlan& plan)
    {
        const int length = recording.output.getNumSamples();

        for (int start = 0; start < length;)
        {
            const int size = juce::jmin (plan.next(), length - start);
            juce::AudioBuffer<float> block (recording.output.getArrayOfWritePointers(), recording.output.getNumChannels(), start, size);
            instance.process (block);
            start += size;
        }
    }

    /** The same straight through IComponent, reading the input and writing
        separate output buffers, as many hosts do. */
    void playDirectly (DirectComponent& direct, Recording& recording, BlockSizePlan& plan)
    {
        const int length = recording.output.getNumSamples();
        const int channels = recording.output.getNumChannels();

        for (int start = 0; start < length;)
        {
            const int size = juce::jmin (plan.next(), length - start);
            float* in[2] = { recording.input.getWritePointer (0, start), recording.input.getWritePointer (channels - 1, start) };
            float* out[2] = { recording.output.getWritePointer (0, start), recording.output.getWritePointer (channels - 1, start) };
            ASSERT_EQ (direct.process (in, out, channels, size), Steinberg::kResultOk);
            start += size;
        }
    }

    int firstDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        for (int i = 0; i < a.getNumSamples(); ++i)
            for (int channel = 0; channel < a.getNumChannels(); ++channel)
                if (std::memcmp (a.getReadPointer (channel, i), b.getReadPointer (channel, i), sizeof (float)) != 0)
                    return i;

        return -1;
    }
}

// How a host cuts the stream into blocks must not change what comes out:
// blocks of every size, empty ones, ones larger than announced, in place
// through JUCE's host and out of place straight through IComponent, all give
// the samples that blocks of exactly the announced size give.
TEST (BlockShapeTorture, OutputDoesNotDependOnHowTheHostCutsTheStream)
{
    HostedInstance reference, juceHosted, directlyHosted;
    ASSERT_TRUE (reference.getLoadResult().wasOk() && juceHosted.getLoadResult().wasOk() && directlyHosted.getLoadResult().wasOk());
    DirectComponent direct (directlyHosted);
    ASSERT_TRUE (direct.isValid());

    reference.waitUntilSettled();
    juceHosted.waitUntilSettled();
    directlyHosted.waitUntilSettled();

    struct Case { double rate; int maximumBlockSize; int channels; BlockSizePlan::Pattern pattern; };
    const Case cases[] = {
        { 48000.0, 64, 2, BlockSizePlan::Pattern::oversized },
        { 44100.0, 512, 1, BlockSizePlan::Pattern::oversized },
        { 22050.0, 17, 2, BlockSizePlan::Pattern::varying },
        { 1234567.8, 1, 1, BlockSizePlan::Pattern::oversized },
    };

    for (const auto& c : cases)
    {
        const auto where = juce::String (c.rate) + " Hz, at most " + juce::String (c.maximumBlockSize) + ", "
                         + juce::String (c.channels) + " channels";
        constexpr int length = 6000;

        for (auto* instance : { &reference, &juceHosted, &directlyHosted })
            ASSERT_TRUE (instance->prepare (c.rate, c.maximumBlockSize, c.channels)) << where;

        Recording expected (c.channels, length), viaJuce (c.channels, length), viaDirect (c.channels, length);

        BlockSizePlan regular (BlockSizePlan::Pattern::fixed, c.maximumBlockSize, 1);
        BlockSizePlan cut (c.pattern, c.maximumBlockSize, 2);
        BlockSizePlan cutDifferently (c.pattern, c.maximumBlockSize, 3);

        playThroughJuceHost (reference, expected, regular);
        playThroughJuceHost (juceHosted, viaJuce, cut);
        playDirectly (direct, viaDirect, cutDifferently);

        EXPECT_EQ (firstDifference (viaJuce.output, expected.output), -1) << where << ", through JUCE's host";
        EXPECT_EQ (firstDifference (viaDirect.output, expected.output), -1) << where << ", out of place";
        EXPECT_EQ (firstDifference (viaDirect.input, expected.input), -1) << where << ": the input was written to";
        EXPECT_GT (expected.output.getMagnitude (0, length), 0.0f) << where;
    }
}

// The call a host makes only to hand over parameter changes: no samples and
// no buses at all.
TEST (BlockShapeTorture, AProcessCallWithoutAudioIsHarmless)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 128, 2));
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    for (int i = 0; i < 10; ++i)
        EXPECT_EQ (direct.processWithoutAudio(), Steinberg::kResultOk);

    ProcessingLoop::Options options;
    options.maximumBlockSize = 128;
    ProcessingLoop loop (instance, options);
    loop.runBlocks (4);
    EXPECT_FALSE (loop.getOutputBound().hasFailed()) << loop.getOutputBound().describeFailure();
    EXPECT_GT (loop.getOutputBound().getLargestOutput(), 0.0f);
}
