#include "ProcessorFixture.h"

#include <complex>

namespace
{
    // Textbook peaking biquad, in double precision, as an independent reference.
    BandFilterBank::Coefficients referencePeak (double rate, double frequency, double q, double gainDb)
    {
        const double A = std::sqrt (std::pow (10.0, gainDb / 20.0));
        const double w0 = 2.0 * juce::MathConstants<double>::pi * frequency / rate;
        const double alpha = std::sin (w0) / (2.0 * q);
        const double a0 = 1.0 + alpha / A;

        return { (float) ((1.0 + alpha * A) / a0), (float) (-2.0 * std::cos (w0) / a0), (float) ((1.0 - alpha * A) / a0),
                 (float) (-2.0 * std::cos (w0) / a0), (float) ((1.0 - alpha / A) / a0) };
    }

    double magnitudeDbAt (const BandFilterBank::Coefficients& k, double rate, double frequency)
    {
        const auto z = std::polar (1.0, -2.0 * juce::MathConstants<double>::pi * frequency / rate);
        const auto h = ((double) k.b0 + (double) k.b1 * z + (double) k.b2 * z * z)
                     / (1.0 + (double) k.a1 * z + (double) k.a2 * z * z);
        return 20.0 * std::log10 (std::abs (h));
    }

    double semitoneGrid (int band) { return 27.5 * std::pow (2.0, band / 12.0); }
}

TEST_F (ProcessorFixture, GridIsTheSemitoneSeriesFrom27Point5Hz)
{
    for (int band = 0; band < PluginAudioProcessor::numBands; ++band)
        EXPECT_NEAR (processor->bandFrequencies[(size_t) band], semitoneGrid (band), semitoneGrid (band) * 1.0e-6) << band;

    EXPECT_EQ (processor->bandFrequencies[48], 440.0f);
    EXPECT_EQ (processor->bandFrequencies[60], 880.0f);
    EXPECT_NEAR (processor->bandFrequencies[111], 16744.04f, 0.005f);
}

TEST_F (ProcessorFixture, BankIsNullAndUnpreparedBeforeFirstPrepare)
{
    EXPECT_EQ (processor->bandFilters.getNumChannels(), 0);
    for (int band = 0; band < PluginAudioProcessor::numBands; ++band)
        EXPECT_EQ (processor->bandFilters.getCoefficients (band), BandFilterBank::Coefficients {});
}

struct GainLawCase
{
    bool reverb;
    float top, low;
    int band;
    double expectedDb;
};

class GainLawTest : public ProcessorFixture, public testing::WithParamInterface<GainLawCase> {};

TEST_P (GainLawTest, CoefficientsMatchThePeakDesignAndTheGainLaw)
{
    const auto& c = GetParam();
    constexpr double rate = 48000.0;
    setParameter ("topValue", c.top);
    setParameter ("lowValue", c.low);
    setParameter ("reverb", c.reverb ? 1.0f : 0.0f);
    prepare (rate);

    const auto& k = processor->bandFilters.getCoefficients (c.band);
    const auto expected = referencePeak (rate, semitoneGrid (c.band), c.low * 10.0, c.expectedDb);

    EXPECT_NEAR (k.b0, expected.b0, 2.0e-5);
    EXPECT_NEAR (k.b1, expected.b1, 2.0e-5);
    EXPECT_NEAR (k.b2, expected.b2, 2.0e-5);
    EXPECT_NEAR (k.a1, expected.a1, 2.0e-5);
    EXPECT_NEAR (k.a2, expected.a2, 2.0e-5);

    // Single-precision coefficients blur the response of the lowest bands,
    // which never run; the running ones must hit their gain law closely.
    if (c.band >= 48)
        EXPECT_NEAR (magnitudeDbAt (k, rate, semitoneGrid (c.band)), c.expectedDb, 0.02);
}

INSTANTIATE_TEST_SUITE_P (Bands, GainLawTest, testing::Values (
    GainLawCase { false, 15.0f, 10.0f, 0, -15.0 },
    GainLawCase { false, 15.0f, 10.0f, 48, -15.0 },
    GainLawCase { false, 15.0f, 10.0f, 111, -15.0 },
    GainLawCase { false, 30.0f, 4.0f, 60, -30.0 },
    GainLawCase { false, 3.0f, 20.0f, 72, -3.0 },
    GainLawCase { true, 15.0f, 10.0f, 0, 0.0 },
    GainLawCase { true, 15.0f, 10.0f, 48, 10.0 },
    GainLawCase { true, 15.0f, 10.0f, 60, 12.5 },
    GainLawCase { true, 15.0f, 10.0f, 66, 13.75 },
    GainLawCase { true, 15.0f, 10.0f, 71, 15.0 * 71.0 / 72.0 },
    GainLawCase { true, 15.0f, 10.0f, 72, 15.0 },
    GainLawCase { true, 15.0f, 10.0f, 111, 15.0 },
    GainLawCase { true, 24.0f, 20.0f, 36, 12.0 }));

TEST_F (ProcessorFixture, BandsAtOrAboveHalfTheRatePassUnchanged)
{
    struct RateCase { double rate; int firstPassThrough; };

    for (const auto& c : { RateCase { 22050.0, 104 }, RateCase { 32000.0, 111 }, RateCase { 8000.0, 87 }, RateCase { 44100.0, 112 } })
    {
        prepare (c.rate);
        for (int band = 0; band < PluginAudioProcessor::numBands; ++band)
        {
            const bool passes = processor->bandFilters.getCoefficients (band) == BandFilterBank::passThrough();
            EXPECT_EQ (passes, band >= c.firstPassThrough) << c.rate << " Hz, band " << band;
        }
    }
}

TEST_F (ProcessorFixture, PrepareGivesOneFilterStatePerOutputChannel)
{
    for (int channels : { 2, 1, 2 })
    {
        prepare (48000.0, 512, channels);
        EXPECT_EQ (processor->bandFilters.getNumChannels(), channels);
        EXPECT_TRUE (processor->bandFilters.isCleared());
    }
}

TEST_F (ProcessorFixture, RecomputationClearsStatesOnlyWhenForcedOrTheModeChanged)
{
    prepare();
    std::vector<std::vector<float>> signal { noise (2048), noise (2048, 1.0f, 7) };

    const auto stateAfterRecomputation = [&] (auto change)
    {
        process (signal);
        change();
        processEmptyBlock();
        return ! processor->bandFilters.isCleared();
    };

    EXPECT_TRUE (stateAfterRecomputation ([&] { processor->updateParameters (false); }));
    EXPECT_TRUE (stateAfterRecomputation ([&] { setParameter ("topValue", 20.0f); processor->updateParameters (false); }));
    EXPECT_FALSE (stateAfterRecomputation ([&] { processor->updateParameters (true); }));
    EXPECT_FALSE (stateAfterRecomputation ([&] { setParameter ("reverb", 1.0f); processor->updateParameters (false); }));
    EXPECT_TRUE (stateAfterRecomputation ([&] { processor->updateParameters (false); })) << "a second call clears nothing";
    EXPECT_FALSE (stateAfterRecomputation ([&] { setParameter ("reverb", 0.0f); })) << "a host switch alone is heard at once";
}

TEST_F (ProcessorFixture, HostChangesReachTheBankAtTheNextBlockWithoutAnEditor)
{
    prepare();
    const auto before = processor->bandFilters.getCoefficients (70);

    setParameter ("topValue", 27.0f);
    processEmptyBlock();
    const auto afterTop = processor->bandFilters.getCoefficients (70);
    EXPECT_NE (afterTop, before);
    EXPECT_NEAR (magnitudeDbAt (afterTop, 48000.0, semitoneGrid (70)), -27.0, 0.02);

    setParameter ("lowValue", 20.0f);
    processEmptyBlock();
    EXPECT_NE (processor->bandFilters.getCoefficients (70), afterTop);

    setParameter ("reverb", 1.0f);
    processEmptyBlock();
    EXPECT_NEAR (magnitudeDbAt (processor->bandFilters.getCoefficients (70), 48000.0, semitoneGrid (70)), 27.0 * 70 / 72, 0.02);
}
