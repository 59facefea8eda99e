#include "ProcessorFixture.h"
#include "AllocationCounter.h"

#include <thread>

namespace
{
    constexpr double rate = 48000.0;
    constexpr int seconds = 1;
    constexpr int length = (int) rate * seconds;
    constexpr size_t settled = length / 2;

    double gridFrequency (int band) { return 27.5 * std::pow (2.0, band / 12.0); }
}

TEST_F (ProcessorFixture, CutModeKeepsOnlyTheGridTonesInTheWetSignal)
{
    setParameter ("midValue", 100.0f);
    prepare (rate);

    struct ToneCase { double frequency; bool passes; };
    const ToneCase tones[] = {
        { gridFrequency (48), true }, { gridFrequency (60), true }, { gridFrequency (84), true },
        { gridFrequency (60) * std::pow (2.0, 1.0 / 24.0), false },
        { gridFrequency (84) * std::pow (2.0, 1.0 / 24.0), false },
        { gridFrequency (36), false },
    };

    for (const auto& tone : tones)
    {
        prepare (rate);
        std::vector<std::vector<float>> signal { sine (tone.frequency, rate, length), sine (tone.frequency, rate, length) };
        const double inputRms = rms (signal[0], settled);
        process (signal);

        // wet = (dry - cut) * U with U = 10^(8/20) at the defaults: a grid tone
        // loses 15 dB in the cut, so the difference keeps most of it.
        const double ratioDb = 20.0 * std::log10 (rms (signal[0], settled) / inputRms);
        // Off the grid, only the small phase deviations of 64 distant cuts
        // leave anything in the difference.
        if (tone.passes)
            EXPECT_GT (ratioDb, 4.0) << tone.frequency;
        else
            EXPECT_LT (ratioDb, -4.0) << tone.frequency;
    }
}

TEST_F (ProcessorFixture, BoostModeLeavesBandsBelow880HzAlone)
{
    setParameter ("midValue", 100.0f);
    setParameter ("reverb", 1.0f);

    // With the wet signal alone, a tone that meets no running band comes out
    // scaled by the make-up gain T = 10^(-10/20) at the defaults.
    const double T = std::pow (10.0, -10.0 / 20.0);

    for (int band : { 48, 54, 59 })
    {
        prepare (rate);
        std::vector<std::vector<float>> signal { sine (gridFrequency (band), rate, length) };
        signal.push_back (signal[0]);
        const double inputRms = rms (signal[0], settled);
        process (signal);
        // Band 48 alone would boost this tone by 10 dB if it ran.
        EXPECT_NEAR (20.0 * std::log10 (rms (signal[0], settled) / inputRms), 20.0 * std::log10 (T), 0.5) << band;
    }

    prepare (rate);
    std::vector<std::vector<float>> boosted { sine (gridFrequency (72), rate, length) };
    boosted.push_back (boosted[0]);
    const double inputRms = rms (boosted[0], settled);
    process (boosted);
    EXPECT_NEAR (20.0 * std::log10 (rms (boosted[0], settled) / inputRms), 15.0 - 10.0, 1.0);
}

TEST_F (ProcessorFixture, DryOnlyMixIsTheInputTimesTheOutputGain)
{
    struct GainCase { float gainDb; float G; };

    for (const auto& c : { GainCase { 0.0f, 1.0f }, GainCase { -18.0f, 0.12589254f }, GainCase { 18.0f, 7.943282f } })
    {
        setParameter ("midValue", 0.0f);
        setParameter ("gain", c.gainDb);
        prepare (rate);

        const auto input = noise (4096, 0.25f);
        std::vector<std::vector<float>> signal { input, noise (4096, 0.25f, 3) };
        const auto right = signal[1];
        process (signal);

        for (size_t i = 0; i < input.size(); ++i)
        {
            ASSERT_FLOAT_EQ (signal[0][i], input[i] * c.G) << i;
            ASSERT_FLOAT_EQ (signal[1][i], right[i] * c.G) << i;
        }
    }
}

TEST_F (ProcessorFixture, MonoAndIdenticalStereoChannelsComeOutAlike)
{
    for (bool reverb : { false, true })
    {
        setParameter ("reverb", reverb ? 1.0f : 0.0f);
        const auto input = noise (8192, 0.5f);

        prepare (rate, 512, 1);
        std::vector<std::vector<float>> mono { input };
        process (mono);

        prepare (rate, 512, 2);
        std::vector<std::vector<float>> stereo { input, input };
        process (stereo);

        EXPECT_EQ (mono[0], stereo[0]);
        EXPECT_EQ (stereo[0], stereo[1]);
    }
}

TEST_F (ProcessorFixture, OutputStaysFiniteAndBoundedAtEveryRate)
{
    for (double sampleRate : { 8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 384000.0 })
    {
        for (bool reverb : { false, true })
        {
            setParameter ("reverb", reverb ? 1.0f : 0.0f);
            setParameter ("topValue", 30.0f);
            setParameter ("lowValue", 20.0f);
            setParameter ("midValue", 100.0f);
            setParameter ("gain", 18.0f);
            prepare (sampleRate);

            std::vector<std::vector<float>> signal { noise ((int) sampleRate / 2), noise ((int) sampleRate / 2, 1.0f, 9) };
            process (signal);

            for (const auto& channel : signal)
                for (float x : channel)
                    ASSERT_TRUE (std::isfinite (x) && std::abs (x) < 1000.0f) << sampleRate << " Hz: " << x;
        }
    }
}

TEST_F (ProcessorFixture, ProcessingAllocatesNothingAcrossChangesAndRecomputations)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    prepare (rate, 512, 2);
    std::vector<std::vector<float>> signal { noise (512), noise (512, 1.0f, 4) };
    std::vector<float*> pointers { signal[0].data(), signal[1].data() };
    juce::AudioBuffer<float> buffer (pointers.data(), 2, 512);
    juce::MidiBuffer midi;

    for (int round = 0; round < 40; ++round)
    {
        // Host automation and editor recomputations between blocks.
        setParameter ("topValue", 3.0f + (float) round * 0.5f);
        setParameter ("lowValue", 4.0f + (float) (round % 16));
        setParameter ("reverb", (float) (round % 3 == 0));
        setParameter ("midValue", (float) round);
        processor->updateParameters (round % 5 == 0);

        juce::AudioBuffer<float> empty (2, 0);
        AllocationCounter counter;
        processor->processBlock (buffer, midi);
        processor->processBlock (empty, midi);
        ASSERT_EQ (counter.getCount(), 0u) << "round " << round;
    }
}

TEST_F (ProcessorFixture, BlocksLargerThanAnnouncedAreProcessedWhole)
{
    prepare (rate, 64);
    const auto input = noise (4096, 0.5f);

    std::vector<std::vector<float>> big { input, input };
    blockSize = 4096;
    process (big);

    prepare (rate, 64);
    std::vector<std::vector<float>> small { input, input };
    blockSize = 64;
    process (small);

    EXPECT_EQ (big[0], small[0]);
}

TEST_F (ProcessorFixture, NonFiniteInputIsSilencedAndDoesNotPoisonTheBank)
{
    prepare (rate, 256);
    std::vector<std::vector<float>> signal { noise (256), noise (256, 1.0f, 5) };
    signal[0][10] = std::numeric_limits<float>::quiet_NaN();
    signal[1][20] = std::numeric_limits<float>::infinity();
    process (signal);

    std::vector<std::vector<float>> next { noise (4096), noise (4096, 1.0f, 6) };
    process (next);

    for (const auto* channel : { &signal, &next })
        for (const auto& c : *channel)
            for (float x : c)
                ASSERT_TRUE (std::isfinite (x));
}

TEST_F (ProcessorFixture, UnpreparedProcessorIsSilent)
{
    std::vector<std::vector<float>> signal { noise (256), noise (256, 1.0f, 5) };
    process (signal);
    for (const auto& c : signal)
        for (float x : c)
            ASSERT_EQ (x, 0.0f);
}

// Runs under ThreadSanitizer in CI: the message thread recomputes the bank,
// changes parameters and saves and restores state while blocks run.
TEST_F (ProcessorFixture, RecomputationsAndStateCallsDuringProcessingDoNotRace)
{
    prepare (rate, 256);
    std::atomic<bool> stop { false };

    std::thread audio ([&]
    {
        std::vector<float> left (256), right (256);
        float* channels[] = { left.data(), right.data() };
        juce::MidiBuffer midi;
        juce::Random random (3);

        while (! stop.load())
        {
            for (int i = 0; i < 256; ++i)
                left[(size_t) i] = right[(size_t) i] = random.nextFloat() - 0.5f;

            juce::AudioBuffer<float> buffer (channels, 2, 256);
            processor->processBlock (buffer, midi);

            for (float x : left)
                ASSERT_TRUE (std::isfinite (x));
        }
    });

    juce::MemoryBlock saved;
    for (int round = 0; round < 200; ++round)
    {
        setParameter ("topValue", 3.0f + (float) (round % 27));
        setParameter ("reverb", (float) (round % 2));
        processor->updateParameters (round % 7 == 0);
        processor->getStateInformation (saved);
        processor->setStateInformation (saved.getData(), (int) saved.getSize());
        if (processor->analyserBlockReady.load (std::memory_order_acquire))
        {
            processor->drawNextFrameOfSpectrum();
            processor->analyserBlockReady.store (false, std::memory_order_release);
        }
    }

    stop.store (true);
    audio.join();
}

TEST_F (ProcessorFixture, PreparedRateHoldsWhenTheHostRateReadsZero)
{
    processor->prepareToPlay (48000.0, 512);
    ASSERT_EQ (processor->getSampleRate(), 0.0);

    processEmptyBlock();
    EXPECT_EQ (processor->sampleRateHz.load(), 48000);
    EXPECT_NE (processor->bandFilters.getCoefficients (60), BandFilterBank::passThrough());
}
