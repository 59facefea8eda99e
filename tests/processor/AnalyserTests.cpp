#include "ProcessorFixture.h"
#include "AllocationCounter.h"

#include <numeric>
#include <set>

namespace
{
    constexpr int fftSize = PluginAudioProcessor::analyserFftSize;

    int binForPoint (int i)
    {
        const float p = (float) i * (1.0f / 512.0f);
        const float e = (p * 0.67f + 0.3f) / 0.1f - 10.0f;
        const float r = (float) std::exp ((double) e * std::log (2.0));
        return std::clamp ((int) ((double) (r * 2048.0f) * 0.5), 0, 1024);
    }
}

TEST_F (ProcessorFixture, WindowIsAHannWindowWithAMeanOfOne)
{
    const auto& w = processor->analyserWindow;
    EXPECT_EQ (w[0], 0.0f);
    EXPECT_EQ (w[fftSize - 1], 0.0f);
    EXPECT_NEAR (std::accumulate (w.begin(), w.end(), 0.0), (double) fftSize, 0.01);

    const auto raw = [] (int i) { return 0.5 - 0.5 * std::cos (2.0 * juce::MathConstants<double>::pi * i / 2047); };
    double rawSum = 0.0;
    for (int i = 0; i < fftSize; ++i)
        rawSum += raw (i);

    for (int i : { 1, 100, 512, 1023, 1024, 2000 })
        EXPECT_NEAR (w[(size_t) i], raw (i) * fftSize / rawSum, 1.0e-5) << i;
}

TEST_F (ProcessorFixture, SilenceGivesAllZeroLevels)
{
    for (int i = 0; i <= fftSize; ++i)
        processor->pushAnalyserSample (0.0f);

    ASSERT_TRUE (processor->analyserBlockReady.load());
    processor->drawNextFrameOfSpectrum();
    for (const auto& level : processor->spectrumScope)
        EXPECT_EQ (level.load(), 0.0f);
}

TEST_F (ProcessorFixture, UnitSineAtBin64ShowsAtPoint230)
{
    for (int n = 0; n < fftSize; ++n)
        processor->pushAnalyserSample ((float) std::sin (2.0 * juce::MathConstants<double>::pi * 64.0 * n / fftSize));

    EXPECT_FALSE (processor->analyserBlockReady.load());
    processor->pushAnalyserSample (0.25f);
    ASSERT_TRUE (processor->analyserBlockReady.load());
    EXPECT_EQ (processor->analyserFifoIndex, 1);
    EXPECT_EQ (processor->analyserFifo[0], 0.25f);

    processor->drawNextFrameOfSpectrum();
    EXPECT_NEAR (processor->spectrumScope[230].load(), 0.940, 0.002);
    EXPECT_LT (processor->spectrumScope[100].load(), 0.5f);
}

TEST_F (ProcessorFixture, PendingBlockIsKeptWhileTheFlagStaysSet)
{
    for (int n = 0; n <= fftSize; ++n)
        processor->pushAnalyserSample ((float) n);

    const auto handedOver = processor->analyserFftData;
    EXPECT_EQ (handedOver[0], 0.0f);
    EXPECT_EQ (handedOver[fftSize - 1], (float) (fftSize - 1));
    EXPECT_EQ (handedOver[fftSize], 0.0f);

    for (int n = 0; n < 3 * fftSize + 5; ++n)
        processor->pushAnalyserSample (-1.0f);

    EXPECT_EQ (processor->analyserFftData, handedOver);
    EXPECT_EQ (processor->analyserFifoIndex, 6);

    // prepareToPlay clears the display but keeps the pending block.
    processor->spectrumScope[10].store (0.5f);
    prepare();
    EXPECT_EQ (processor->spectrumScope[10].load(), 0.0f);
    EXPECT_TRUE (processor->analyserBlockReady.load());
    EXPECT_EQ (processor->analyserFftData, handedOver);
}

TEST_F (ProcessorFixture, DisplayPointsReadLogSpacedBinsWithinEightTo824)
{
    const std::pair<int, int> table[] = { { 0, 8 }, { 12, 8 }, { 64, 14 }, { 128, 25 }, { 230, 64 },
                                          { 256, 81 }, { 384, 260 }, { 448, 465 }, { 511, 824 } };
    for (const auto& [point, bin] : table)
        EXPECT_EQ (binForPoint (point), bin) << point;

    // Put a distinct magnitude into every bin: each point must show its own.
    std::set<int> distinct;
    for (int i = 0; i < 512; ++i)
    {
        const int bin = binForPoint (i);
        ASSERT_GE (bin, 8);
        ASSERT_LE (bin, 824);
        distinct.insert (bin);
    }
    EXPECT_EQ (distinct.size(), 325u);

    for (int bin : { 8, 64, 824 })
    {
        // A cosine at exactly this bin peaks there after the transform.
        std::fill (processor->analyserFftData.begin(), processor->analyserFftData.end(), 0.0f);
        for (int n = 0; n < fftSize; ++n)
            processor->analyserFftData[(size_t) n] = (float) std::cos (2.0 * juce::MathConstants<double>::pi * bin * n / fftSize);

        processor->drawNextFrameOfSpectrum();
        for (int i = 0; i < 512; ++i)
            if (binForPoint (i) == bin)
                EXPECT_NEAR (processor->spectrumScope[(size_t) i].load(), 0.94, 0.01) << "point " << i;
    }
}

TEST_F (ProcessorFixture, LevelConversionCoversMinus100To0Decibels)
{
    struct LevelCase { float magnitude; float level; };
    for (const auto& c : { LevelCase { 0.0f, 0.0f }, LevelCase { 1024.0f, 0.9398f }, LevelCase { 2048.0f, 1.0f },
                           LevelCase { 1.0e6f, 1.0f }, LevelCase { 2048.0e-3f, 0.4f } })
    {
        // A constant input of c/2048 gives |X[0]| = c; point 0 reads bin 8,
        // so feed a cosine at bin 8 scaled to give that magnitude there.
        std::fill (processor->analyserFftData.begin(), processor->analyserFftData.end(), 0.0f);
        for (int n = 0; n < fftSize; ++n)
            processor->analyserFftData[(size_t) n] = (c.magnitude / 1024.0f) * (float) std::cos (2.0 * juce::MathConstants<double>::pi * 8 * n / fftSize);

        processor->drawNextFrameOfSpectrum();
        EXPECT_NEAR (processor->spectrumScope[0].load(), c.level, 0.002) << c.magnitude;
    }
}

TEST_F (ProcessorFixture, AnalyserFeedFromProcessingAllocatesNothing)
{
    if (! allocationCountingAvailable())
        GTEST_SKIP() << "allocation counting is off in sanitizer builds";

    prepare (48000.0, 1024, 2);
    std::vector<float> left (1024, 0.25f), right (1024, -0.25f);
    float* channels[] = { left.data(), right.data() };
    juce::MidiBuffer midi;

    AllocationCounter counter;
    for (int block = 0; block < 10; ++block)
    {
        juce::AudioBuffer<float> buffer (channels, 2, 1024);
        processor->processBlock (buffer, midi);
    }
    EXPECT_EQ (counter.getCount(), 0u);
    EXPECT_TRUE (processor->analyserBlockReady.load());
}
