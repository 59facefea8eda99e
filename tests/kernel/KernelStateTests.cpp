#include "KernelTestSupport.h"

#include "AllocationCounter.h"

#include <juce_audio_basics/juce_audio_basics.h>

using namespace kernel_test;

namespace
{
    /** Every variant, the plain cascade included. */
    std::vector<BandStageKernel::Variant> allVariants()
    {
        auto variants = fastVariants();
        variants.insert (variants.begin(), BandStageKernel::Variant::reference);
        return variants;
    }

    std::string nameOf (BandStageKernel::Variant variant) { return BandStageKernel::getName (variant); }

    /** A bank running only band 111, with the given section there. */
    BandFilterBank singleSectionBank (BandStageKernel::Variant variant, BandFilterBank::Coefficients section)
    {
        BandFilterBank bank;
        EXPECT_TRUE (bank.setKernel (variant));
        bank.prepare (2);

        BandFilterBank::CoefficientSet set;
        set.fill (BandFilterBank::passThrough());
        set[BandFilterBank::numBands - 1] = section;
        bank.setCoefficients (set);
        return bank;
    }
}

TEST (BandStageState, FastestSupportedKernelIsSelectedByDefault)
{
    BandFilterBank bank;
    EXPECT_EQ (bank.getKernel(), BandStageKernel::fastestSupported());
    EXPECT_NE (bank.getKernel(), BandStageKernel::Variant::reference) << "every x86-64 has SSE2";
}

// One section, worked by hand: with b0 = 0.5, b1 = 0.25, b2 = 0.125,
// a1 = -0.5, a2 = 0.25, an impulse gives y = 0.5, 0.5, 0.25 and leaves
// (s1, s2) = (0.5, 0), then (0.25, -0.125), then (0, -0.0625); all exact in binary.
TEST (BandStageState, GetStateReportsTheStateAfterEachBlock)
{
    const BandFilterBank::Coefficients section { 0.5f, 0.25f, 0.125f, -0.5f, 0.25f };

    for (auto variant : allVariants())
    {
        auto bank = singleSectionBank (variant, section);

        float left[3] = { 1.0f, 0.0f, 0.0f };
        float right[3] = { -2.0f, 0.0f, 0.0f };
        float* channels[2] = { left, right };

        bank.process (channels, 2, 1, BandFilterBank::numBands - 1);
        EXPECT_EQ (left[0], 0.5f) << nameOf (variant);
        EXPECT_EQ (right[0], -1.0f) << nameOf (variant);
        EXPECT_EQ (bank.getState (111, 0), (std::array<float, 2> { 0.5f, 0.0f })) << nameOf (variant);
        EXPECT_EQ (bank.getState (111, 1), (std::array<float, 2> { -1.0f, 0.0f })) << nameOf (variant);

        float* later[2] = { left + 1, right + 1 };
        bank.process (later, 2, 1, BandFilterBank::numBands - 1);
        EXPECT_EQ (left[1], 0.5f) << nameOf (variant);
        EXPECT_EQ (bank.getState (111, 0), (std::array<float, 2> { 0.25f, -0.125f })) << nameOf (variant);

        later[0] = left + 2;
        later[1] = right + 2;
        bank.process (later, 2, 1, BandFilterBank::numBands - 1);
        EXPECT_EQ (left[2], 0.25f) << nameOf (variant);
        EXPECT_EQ (bank.getState (111, 0), (std::array<float, 2> { 0.0f, -0.0625f })) << nameOf (variant);
        EXPECT_EQ (bank.getState (111, 1), (std::array<float, 2> { 0.0f, 0.125f })) << nameOf (variant);

        for (int band = 0; band < BandFilterBank::numBands - 1; ++band)
            EXPECT_EQ (bank.getState (band, 0), (std::array<float, 2> { 0.0f, 0.0f })) << nameOf (variant) << " band " << band;
    }
}

// What a fast kernel leaves in the bank is what processing continues from:
// handing over to the plain cascade mid-stream changes nothing.
TEST (BandStageState, PlainCascadeContinuesFromTheKernelsStates)
{
    juce::ScopedNoDenormals noDenormals;

    for (auto variant : fastVariants())
    {
        BandFilterBank mixed, plain;
        ASSERT_TRUE (mixed.setKernel (variant));

        for (auto* bank : { &mixed, &plain })
        {
            bank->prepare (2);
            bank->setCoefficients (designedSet (false, 44100));
        }

        Block first (777), second (500), mixedFirst (777), mixedSecond (500);
        TestSignal signal (21u);
        signal.fill (first.pointers.data(), 2, 777);
        signal.fill (second.pointers.data(), 2, 500);
        mixedFirst.copyFrom (first, 777);
        mixedSecond.copyFrom (second, 500);

        mixed.process (mixedFirst.pointers.data(), 2, 777, offFirstBand);
        plain.processReference (first.pointers.data(), 2, 777, offFirstBand);
        ASSERT_EQ (firstStateDifference (plain, mixed, 2), "") << nameOf (variant);

        mixed.processReference (mixedSecond.pointers.data(), 2, 500, offFirstBand);
        plain.processReference (second.pointers.data(), 2, 500, offFirstBand);
        EXPECT_EQ (firstOutputDifference (second, mixedSecond, 2, 500), "") << nameOf (variant);
    }
}

// States within +-1e-8 (the flush JUCE's filters apply) end the block as zero.
TEST (BandStageState, TinyStatesAreFlushedAtTheEndOfTheBlock)
{
    struct Case
    {
        float b1;
        float expectedS1;
    };

    const Case cases[] = {
        { 5.0e-9f, 0.0f },
        { -1.0e-8f, 0.0f },
        { 2.0e-8f, 2.0e-8f },
        { -3.0e-8f, -3.0e-8f },
        { 0.25f, 0.25f },
    };

    for (auto variant : allVariants())
    {
        for (const auto& c : cases)
        {
            // An impulse into b0 = 1, b1 = c.b1, everything else 0 leaves s1 = c.b1.
            auto bank = singleSectionBank (variant, { 1.0f, c.b1, 0.0f, 0.0f, 0.0f });
            float samples[1] = { 1.0f };
            float* channels[1] = { samples };
            bank.process (channels, 1, 1, BandFilterBank::numBands - 1);

            EXPECT_EQ (bank.getState (111, 0)[0], c.expectedS1) << nameOf (variant) << " b1 " << c.b1;
        }
    }
}

TEST (BandStageState, ResetClearsEveryState)
{
    juce::ScopedNoDenormals noDenormals;

    for (auto variant : allVariants())
    {
        BandFilterBank bank;
        ASSERT_TRUE (bank.setKernel (variant));
        bank.prepare (2);
        bank.setCoefficients (designedSet (true, 48000));

        Block block (512);
        TestSignal signal (1u);
        signal.fill (block.pointers.data(), 2, 512);
        bank.process (block.pointers.data(), 2, 512, 0);
        ASSERT_FALSE (bank.isCleared()) << nameOf (variant);

        bank.reset();
        EXPECT_TRUE (bank.isCleared()) << nameOf (variant);

        // Cleared filters answer silence with silence.
        std::fill (block.storage[0].begin(), block.storage[0].end(), 0.0f);
        std::fill (block.storage[1].begin(), block.storage[1].end(), 0.0f);
        bank.process (block.pointers.data(), 2, 512, 0);

        for (size_t c = 0; c < 2; ++c)
            EXPECT_TRUE (std::all_of (block.storage[c].begin(), block.storage[c].end(), [] (float x) { return x == 0.0f; }))
                << nameOf (variant) << " channel " << c;
    }
}

TEST (BandStageState, ProcessAllocatesNothing)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    for (auto variant : allVariants())
    {
        BandFilterBank bank;
        ASSERT_TRUE (bank.setKernel (variant));
        bank.prepare (2);
        bank.setCoefficients (designedSet (false, 48000));

        Block block (4096);
        TestSignal signal (2u);

        for (int numChannels = 1; numChannels <= 2; ++numChannels)
        {
            for (int numSamples : { 1, 63, 512, 4096 })
            {
                for (int firstBand : { offFirstBand, onFirstBand })
                {
                    signal.fill (block.pointers.data(), numChannels, numSamples);

                    AllocationCounter counter;
                    bank.process (block.pointers.data(), numChannels, numSamples, firstBand);
                    bank.resetIfNonFinite();
                    EXPECT_EQ (counter.getCount(), 0u) << nameOf (variant) << ", " << numChannels << " channel(s), "
                                                       << numSamples << " samples, first band " << firstBand;
                }
            }
        }
    }
}
