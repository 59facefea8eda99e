#include "DirectComponent.h"
#include "ProcessingLoop.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <thread>

// The counter replaces malloc and operator new in the test binary, and the
// binary exports them, so the plug-in's own calls, made from the dlopen'ed
// bundle, land there too. Saving state allocates inside the plug-in only,
// since the stream it writes to never allocates on the host's side.
TEST (AllocationTorture, CounterSeesAllocationsMadeInsideThePlugIn)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    FixedMemoryStream stream (1 << 16);
    std::size_t allocationsWhileSaving = 0;
    std::size_t allocationsWhileAsking = 0;

    {
        const AllocationCounter counter;
        ASSERT_EQ (direct.writeState (stream), Steinberg::kResultOk);
        allocationsWhileSaving = counter.getCount();
    }

    {
        const AllocationCounter counter;
        direct.getLatencySamples();
        allocationsWhileAsking = counter.getCount();
    }

    EXPECT_GT (stream.getSize(), 9u);
    EXPECT_GT (allocationsWhileSaving, 0u);
    EXPECT_EQ (allocationsWhileAsking, 0u);
}

// With the host's side taken out of the picture (process() called directly
// with buffers made beforehand), every allocation counted is the plug-in's,
// from the very first block after preparation on, in place and not.
TEST (AllocationTorture, DirectProcessCallsNeverAllocateFromTheFirstBlockOn)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    constexpr int maximumBlockSize = 300;
    juce::AudioBuffer<float> input (2, maximumBlockSize * 3), output (2, maximumBlockSize * 3);
    TestSignal noise (SignalKind::whiteNoise, 400);
    juce::Random random (401);

    for (const int channels : { 2, 1 })
    {
        // JUCE's own prepareToPlay only; no block of JUCE's host runs before ours.
        instance->releaseResources();
        juce::AudioProcessor::BusesLayout layout;
        const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        ASSERT_TRUE (instance->setBusesLayout (layout));
        instance->prepareToPlay (32000.0, maximumBlockSize);

        for (int block = 0; block < 200; ++block)
        {
            const int size = block % 7 == 0 ? 0 : random.nextInt (maximumBlockSize * 3 + 1);
            const bool inPlace = block % 2 == 0;
            noise.fill (input, channels, size);

            std::size_t allocations = 0;
            Steinberg::tresult result = Steinberg::kResultFalse;

            {
                const AllocationCounter counter;
                result = direct.process (input.getArrayOfWritePointers(),
                                         inPlace ? input.getArrayOfWritePointers() : output.getArrayOfWritePointers(),
                                         channels, size);
                allocations = counter.getCount();
            }

            ASSERT_EQ (result, Steinberg::kResultOk) << "block " << block;
            ASSERT_EQ (allocations, 0u) << channels << " channels, block " << block << " of " << size
                                        << (inPlace ? " samples in place" : " samples");
        }
    }
}

// What ProcessingLoop::warmUpThread takes out of the count, pinned down: on a
// new audio thread only the first block that hands over a parameter change
// allocates, and only the C library's thread-local storage for the bundle
// (one block, allocated by the dynamic loader through malloc).
TEST (AllocationTorture, OnANewAudioThreadOnlyTheFirstParameterChangeAllocatesOnce)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 64, 2));

    std::vector<std::size_t> counts;

    std::thread audioThread ([&]
    {
        juce::AudioBuffer<float> block (2, 64);
        juce::Random random (600);
        auto* dryWet = instance.getEffectParameters()[1];

        for (int i = 0; i < 20; ++i)
        {
            block.clear();
            dryWet->setValue (random.nextFloat());

            const AllocationCounter counter;
            instance.process (block);
            counts.push_back (counter.getCount());
        }
    });

    audioThread.join();

    ASSERT_EQ (counts.size(), 20u);
    EXPECT_LE (counts[0], 1u) << "the first block on a new thread";

    for (size_t i = 1; i < counts.size(); ++i)
        EXPECT_EQ (counts[i], 0u) << "block " << i;
}
