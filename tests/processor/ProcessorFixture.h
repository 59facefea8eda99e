#pragma once

#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

/** A processor prepared like a host would, with helpers to set parameters by
    their plain values and to run signals through it in blocks. */
class ProcessorFixture : public testing::Test
{
protected:
    void prepare (double rate = 48000.0, int block = 512, int channels = 2)
    {
        const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        ASSERT_TRUE (processor->setBusesLayout (layout));
        processor->setRateAndBufferSizeDetails (rate, block);
        processor->prepareToPlay (rate, block);
        blockSize = block;
    }

    void setParameter (const juce::String& id, float plainValue)
    {
        auto* parameter = processor->parameterState.getParameter (id);
        ASSERT_NE (parameter, nullptr) << id;
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    float getParameter (const juce::String& id) const
    {
        return processor->parameterState.getRawParameterValue (id)->load();
    }

    /** Processes the channels in place, block by block. */
    void process (std::vector<std::vector<float>>& channels)
    {
        const int total = (int) channels[0].size();
        juce::MidiBuffer midi;

        for (int start = 0; start < total; start += blockSize)
        {
            const int n = std::min (blockSize, total - start);
            std::vector<float*> pointers;
            for (auto& c : channels)
                pointers.push_back (c.data() + start);

            juce::AudioBuffer<float> buffer (pointers.data(), (int) pointers.size(), n);
            processor->processBlock (buffer, midi);
        }
    }

    void processEmptyBlock()
    {
        juce::AudioBuffer<float> buffer (processor->getTotalNumOutputChannels(), 0);
        juce::MidiBuffer midi;
        processor->processBlock (buffer, midi);
    }

    static std::vector<float> sine (double frequency, double rate, int numSamples, float amplitude = 0.5f)
    {
        std::vector<float> s ((size_t) numSamples);
        for (int i = 0; i < numSamples; ++i)
            s[(size_t) i] = amplitude * (float) std::sin (2.0 * juce::MathConstants<double>::pi * frequency * i / rate);
        return s;
    }

    static std::vector<float> noise (int numSamples, float amplitude = 1.0f, int seed = 1)
    {
        juce::Random random (seed);
        std::vector<float> s ((size_t) numSamples);
        for (auto& x : s)
            x = amplitude * (random.nextFloat() * 2.0f - 1.0f);
        return s;
    }

    static double rms (const std::vector<float>& s, size_t from = 0)
    {
        double sum = 0.0;
        for (size_t i = from; i < s.size(); ++i)
            sum += (double) s[i] * s[i];
        return std::sqrt (sum / (double) (s.size() - from));
    }

    std::unique_ptr<PluginAudioProcessor> processor = std::make_unique<PluginAudioProcessor>();
    int blockSize = 512;
};
