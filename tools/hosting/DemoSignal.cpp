#include "DemoSignal.h"

juce::AudioBuffer<float> DemoSignal::create (double sampleRate, double seconds)
{
    // An A major chord over two octaves; the right channel is detuned a little
    // so the two channels differ.
    constexpr float chordHz[] = { 110.0f, 220.0f, 277.18f, 329.63f, 440.0f, 659.26f, 880.0f };
    constexpr float toneLevel = 0.07f;
    constexpr float noiseLevel = 0.02f;
    constexpr float rightDetune = 1.003f;
    constexpr double fadeSeconds = 0.02;

    const auto numSamples = juce::jmax (0, (int) std::lround (sampleRate * seconds));
    const auto fadeSamples = juce::jmax (1, (int) (sampleRate * fadeSeconds));

    juce::AudioBuffer<float> buffer (2, numSamples);
    juce::Random noise (0x5eed);

    for (int channel = 0; channel < 2; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);
        const auto detune = channel == 0 ? 1.0f : rightDetune;

        for (int i = 0; i < numSamples; ++i)
        {
            const auto t = (double) i / sampleRate;
            float value = 0.0f;

            for (auto hz : chordHz)
                value += toneLevel * (float) std::sin (juce::MathConstants<double>::twoPi * hz * detune * t);

            value += noiseLevel * (noise.nextFloat() * 2.0f - 1.0f);

            const auto fade = (float) juce::jmin (1.0, (double) juce::jmin (i, numSamples - 1 - i) / fadeSamples);
            samples[i] = value * fade;
        }
    }

    return buffer;
}
