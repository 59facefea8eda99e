#include "KernelTestSupport.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <memory>

using namespace kernel_test;

namespace
{
    std::string describeBlock (int numChannels, int firstBand, int numSamples)
    {
        return std::to_string (numChannels) + " channel(s), first band " + std::to_string (firstBand)
             + ", block size " + std::to_string (numSamples);
    }

    struct CascadeCase
    {
        bool reverb;
        int numChannels;
    };

    std::string describe (const CascadeCase& c)
    {
        return std::string (c.reverb ? "ReverbOn" : "ReverbOff") + (c.numChannels == 2 ? "Stereo" : "Mono");
    }

    [[maybe_unused]] void PrintTo (const CascadeCase& c, std::ostream* os) { *os << describe (c); }

    std::string caseName (const testing::TestParamInfo<CascadeCase>& info) { return describe (info.param); }

    /** A plain-cascade bank and one bank per fast kernel, fed the same blocks. */
    struct BankSet
    {
        explicit BankSet (int numChannels)
        {
            reference.prepare (numChannels);

            for (auto variant : fastVariants())
            {
                auto bank = std::make_unique<BandFilterBank>();
                EXPECT_TRUE (bank->setKernel (variant));
                bank->prepare (numChannels);
                fast.push_back (std::move (bank));
            }
        }

        void setCoefficients (const BandFilterBank::CoefficientSet& set)
        {
            reference.setCoefficients (set);

            for (auto& bank : fast)
                bank->setCoefficients (set);
        }

        BandFilterBank reference;
        std::vector<std::unique_ptr<BandFilterBank>> fast;
    };

    /** Runs one block through every bank; fails on the first bit that differs. */
    void expectSameBlock (BankSet& banks, const Block& input, int numChannels, int numSamples, int firstBand,
                          const std::string& context)
    {
        Block expected (numSamples), actual (numSamples);
        expected.copyFrom (input, numSamples);
        banks.reference.processReference (expected.pointers.data(), numChannels, numSamples, firstBand);

        for (auto& bank : banks.fast)
        {
            actual.copyFrom (input, numSamples);
            bank->process (actual.pointers.data(), numChannels, numSamples, firstBand);

            const auto name = std::string (BandStageKernel::getName (bank->getKernel())) + ", " + context;
            const auto outputDifference = firstOutputDifference (expected, actual, numChannels, numSamples);
            ASSERT_TRUE (outputDifference.empty()) << name << ": output " << outputDifference;

            const auto stateDifference = firstStateDifference (banks.reference, *bank, BandFilterBank::maxChannels);
            ASSERT_TRUE (stateDifference.empty()) << name << ": state " << stateDifference;
        }
    }

    class EveryBlockSize : public testing::TestWithParam<CascadeCase> {};
}

// One continuous signal cut into blocks of 1, 2, 3, ... 4096 samples, so each
// size starts from the states the previous one left; the coefficient set
// changes between blocks through all three sample rates.
TEST_P (EveryBlockSize, WavefrontMatchesPlainCascadeBitForBit)
{
    juce::ScopedNoDenormals noDenormals;

    const auto [reverb, numChannels] = GetParam();
    const int firstBand = reverb ? onFirstBand : offFirstBand;

    std::array<BandFilterBank::CoefficientSet, sampleRates.size()> sets;
    for (size_t i = 0; i < sets.size(); ++i)
        sets[i] = designedSet (reverb, sampleRates[i]);

    BankSet banks (numChannels);
    ASSERT_FALSE (banks.fast.empty()) << "every x86-64 has SSE2";

    constexpr int largestBlock = 4096;
    Block input (largestBlock);
    TestSignal signal (reverb ? 11u : 7u);

    for (int numSamples = 1; numSamples <= largestBlock; ++numSamples)
    {
        const auto rate = (size_t) numSamples % sets.size();
        banks.setCoefficients (sets[rate]);
        signal.fill (input.pointers.data(), numChannels, numSamples);

        expectSameBlock (banks, input, numChannels, numSamples, firstBand,
                         "block size " + std::to_string (numSamples) + " at " + std::to_string (sampleRates[rate]) + " Hz");

        if (HasFatalFailure())
            return;
    }

    EXPECT_FALSE (banks.reference.isCleared()) << "the signal should leave the filters ringing";
}

INSTANTIATE_TEST_SUITE_P (BandStage, EveryBlockSize,
                          testing::Values (CascadeCase { false, 1 }, CascadeCase { false, 2 },
                                           CascadeCase { true, 1 }, CascadeCase { true, 2 }),
                          caseName);

// Every possible first band gives a different split of the bands into
// vectors; each must match, and bands below it must keep their states.
TEST (BandStage, EveryFirstBandMatchesPlainCascade)
{
    juce::ScopedNoDenormals noDenormals;

    for (int numChannels = 1; numChannels <= 2; ++numChannels)
    {
        BankSet banks (numChannels);
        banks.setCoefficients (designedSet (true, 96000));
        Block input (200);
        TestSignal signal (3u);

        for (int firstBand = 0; firstBand < BandFilterBank::numBands; ++firstBand)
        {
            for (int numSamples : { 1, 5, 37, 200 })
            {
                signal.fill (input.pointers.data(), numChannels, numSamples);
                expectSameBlock (banks, input, numChannels, numSamples, firstBand,
                                 describeBlock (numChannels, firstBand, numSamples));

                if (HasFatalFailure())
                    return;
            }
        }
    }
}

// The reverb switch moves the first band between blocks; states of the bands
// that sit out a block must come through untouched.
TEST (BandStage, SwitchingFirstBandBetweenBlocksKeepsTheOtherStates)
{
    juce::ScopedNoDenormals noDenormals;
    constexpr int firstBands[] = { offFirstBand, onFirstBand, offFirstBand, 100, onFirstBand, 0, 111 };

    for (int numChannels = 1; numChannels <= 2; ++numChannels)
    {
        BankSet banks (numChannels);
        Block input (300);
        TestSignal signal (5u);

        for (int numSamples = 1; numSamples <= 300; ++numSamples)
        {
            const int firstBand = firstBands[(size_t) numSamples % std::size (firstBands)];
            banks.setCoefficients (designedSet (firstBand == onFirstBand, 48000));
            signal.fill (input.pointers.data(), numChannels, numSamples);
            expectSameBlock (banks, input, numChannels, numSamples, firstBand,
                             describeBlock (numChannels, firstBand, numSamples));

            if (HasFatalFailure())
                return;
        }
    }
}

// A non-finite input sample poisons outputs and states in both implementations
// alike, and both clean up alike.
TEST (BandStage, NonFiniteInputIsCaughtAfterTheBlock)
{
    for (auto variant : fastVariants())
    {
        BandFilterBank reference, fast;
        ASSERT_TRUE (fast.setKernel (variant));

        for (auto* bank : { &reference, &fast })
        {
            bank->prepare (2);
            bank->setCoefficients (designedSet (false, 48000));
        }

        Block expected (256), actual (256);
        TestSignal signal (9u);
        signal.fill (expected.pointers.data(), 2, 256);
        expected.storage[1][100] = std::numeric_limits<float>::infinity();
        actual.copyFrom (expected, 256);

        reference.processReference (expected.pointers.data(), 2, 256, offFirstBand);
        fast.process (actual.pointers.data(), 2, 256, offFirstBand);

        for (size_t c = 0; c < 2; ++c)
        {
            for (size_t i = 0; i < 256; ++i)
            {
                const float e = expected.storage[c][i], a = actual.storage[c][i];
                ASSERT_EQ (std::isfinite (e), std::isfinite (a)) << BandStageKernel::getName (variant) << " channel " << c << " sample " << i;

                if (std::isfinite (e))
                    ASSERT_EQ (bitsOf (e), bitsOf (a)) << BandStageKernel::getName (variant) << " channel " << c << " sample " << i;
            }
        }

        EXPECT_EQ (firstStateDifference (reference, fast, 2), "");
        EXPECT_EQ (reference.resetIfNonFinite(), fast.resetIfNonFinite());
        EXPECT_EQ (firstStateDifference (reference, fast, 2), "");
        EXPECT_FALSE (fast.resetIfNonFinite()) << "nothing non-finite may be left";
    }
}
