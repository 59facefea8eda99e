#include "TestSignal.h"

#include <limits>

TestSignal::TestSignal (SignalKind kindToMake, juce::int64 seed) : kind (kindToMake), random (seed) {}

const char* TestSignal::getName (SignalKind kind) noexcept
{
    switch (kind)
    {
        case SignalKind::silence:    return "silence";
        case SignalKind::whiteNoise: return "white noise";
        case SignalKind::dc:         return "DC";
        case SignalKind::impulses:   return "impulses";
        case SignalKind::denormal:   return "denormals";
        case SignalKind::extreme:    return "extreme values";
    }

    return "?";
}

void TestSignal::fill (juce::AudioBuffer<float>& block, int numChannels, int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
    {
        for (int channel = 0; channel < numChannels; ++channel)
            block.setSample (channel, i, next (channel));

        ++position;
    }
}

float TestSignal::next (int channel) noexcept
{
    switch (kind)
    {
        case SignalKind::silence:
            return 0.0f;

        case SignalKind::whiteNoise:
            return random.nextFloat() * 2.0f - 1.0f;

        case SignalKind::dc:
            return channel == 0 ? 1.0f : -1.0f;

        case SignalKind::impulses:
            return position % 331 == 0 ? 1.0f : 0.0f;

        case SignalKind::denormal:
        {
            // From the largest subnormal down to the smallest one, both signs.
            static constexpr float values[] = { 1.0e-40f, -1.0e-40f, 1.0e-39f, -3.0e-44f,
                                                std::numeric_limits<float>::denorm_min(), 1.1e-38f };
            return values[(size_t) ((position + channel) % (juce::int64) std::size (values))];
        }

        case SignalKind::extreme:
        {
            const auto roll = random.nextInt (64);

            switch (roll)
            {
                case 0:  return 1.0e30f;
                case 1:  return -1.0e30f;
                case 2:  return std::numeric_limits<float>::quiet_NaN();
                case 3:  return std::numeric_limits<float>::infinity();
                case 4:  return -std::numeric_limits<float>::infinity();
                case 5:  return std::numeric_limits<float>::max();
                case 6:  return -std::numeric_limits<float>::signaling_NaN();
                default: return random.nextFloat() * 2.0f - 1.0f;
            }
        }
    }

    return 0.0f;
}
