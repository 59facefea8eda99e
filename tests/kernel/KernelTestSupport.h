#pragma once

#include "BandFilterBank.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kernel_test
{
    constexpr int offFirstBand = 48;
    constexpr int onFirstBand = 60;
    constexpr std::array<int, 3> sampleRates { 44100, 48000, 96000 };

    inline BandFilterBank::CoefficientSet designedSet (bool reverb, int sampleRate, float top = 15.0f, float low = 10.0f)
    {
        BandFilterBank::CoefficientSet set;
        BandFilterBank::design ({ top, low, reverb, sampleRate }, BandFilterBank::makeBandFrequencies(), set);
        return set;
    }

    /** The wavefront kernels this machine can run. */
    inline std::vector<BandStageKernel::Variant> fastVariants()
    {
        std::vector<BandStageKernel::Variant> variants;

        for (auto v : { BandStageKernel::Variant::sse2, BandStageKernel::Variant::avx2, BandStageKernel::Variant::avx512 })
            if (BandStageKernel::isSupported (v))
                variants.push_back (v);

        return variants;
    }

    inline std::uint32_t bitsOf (float x)
    {
        std::uint32_t bits;
        std::memcpy (&bits, &x, sizeof (bits));
        return bits;
    }

    /** A test signal that runs on across blocks: white noise, then a
        logarithmic sweep, then sparse impulses of alternating sign, over and
        over. Each channel gets its own noise and its own phase in the cycle,
        so swapped or mixed-up channels show. */
    class TestSignal
    {
    public:
        explicit TestSignal (unsigned seed) : random (seed) {}

        void fill (float* const* channels, int numChannels, int numSamples)
        {
            for (int i = 0; i < numSamples; ++i, ++position)
                for (int c = 0; c < numChannels; ++c)
                    channels[c][i] = sampleAt (position + (std::int64_t) c * 2500);
        }

    private:
        static constexpr std::int64_t segmentLength = 6000;

        float sampleAt (std::int64_t n)
        {
            const auto local = n % segmentLength;

            switch ((n / segmentLength) % 3)
            {
                case 0:
                    return noise (random);

                case 1:
                {
                    // 30 Hz to 20 kHz at 48 kHz within one segment.
                    const double t = (double) local / 48000.0;
                    const double duration = (double) segmentLength / 48000.0;
                    const double k = std::log (20000.0 / 30.0);
                    const double phase = 2.0 * 3.141592653589793 * 30.0 * duration / k * (std::exp (t / duration * k) - 1.0);
                    return (float) (0.8 * std::sin (phase));
                }

                default:
                    return local % 997 == 0 ? ((n / 997) % 2 == 0 ? 1.0f : -0.5f) : 0.0f;
            }
        }

        std::int64_t position = 0;
        std::mt19937 random;
        std::uniform_real_distribution<float> noise { -1.0f, 1.0f };
    };

    /** Two channels of samples plus the pointer array the bank takes. */
    struct Block
    {
        explicit Block (int capacity)
            : storage (2, std::vector<float> ((size_t) capacity)),
              pointers { storage[0].data(), storage[1].data() } {}

        void copyFrom (const Block& other, int numSamples)
        {
            for (size_t c = 0; c < 2; ++c)
                std::copy (other.storage[c].begin(), other.storage[c].begin() + numSamples, storage[c].begin());
        }

        std::vector<std::vector<float>> storage;
        std::array<float*, 2> pointers;
    };

    /** Empty if the two blocks agree bit for bit, else where they first differ. */
    inline std::string firstOutputDifference (const Block& expected, const Block& actual, int numChannels, int numSamples)
    {
        for (int c = 0; c < numChannels; ++c)
            for (int i = 0; i < numSamples; ++i)
                if (bitsOf (expected.storage[(size_t) c][(size_t) i]) != bitsOf (actual.storage[(size_t) c][(size_t) i]))
                    return "channel " + std::to_string (c) + " sample " + std::to_string (i)
                         + ": expected " + std::to_string (expected.storage[(size_t) c][(size_t) i])
                         + ", got " + std::to_string (actual.storage[(size_t) c][(size_t) i]);

        return {};
    }

    /** Empty if both banks hold the same bits in every state, else the first difference. */
    inline std::string firstStateDifference (const BandFilterBank& expected, const BandFilterBank& actual, int numChannels)
    {
        for (int c = 0; c < numChannels; ++c)
        {
            for (int band = 0; band < BandFilterBank::numBands; ++band)
            {
                const auto e = expected.getState (band, c);
                const auto a = actual.getState (band, c);

                for (size_t k = 0; k < 2; ++k)
                    if (bitsOf (e[k]) != bitsOf (a[k]))
                        return "band " + std::to_string (band) + " channel " + std::to_string (c)
                             + " s" + std::to_string (k + 1) + ": expected " + std::to_string (e[k])
                             + ", got " + std::to_string (a[k]);
            }
        }

        return {};
    }
}
