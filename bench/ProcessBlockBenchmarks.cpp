#include "BenchSignal.h"
#include "SpeedupReporter.h"

#include "PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr int sampleRates[] = { 44100, 48000, 96000 };
    constexpr int smallestBlock = 32;
    constexpr int largestBlock = 2048;

    int firstBandFor (bool reverb) { return reverb ? 60 : 48; }
    int sectionsFor (bool reverb) { return BandFilterBank::numBands - firstBandFor (reverb); }

    struct Configuration
    {
        int numChannels, sampleRate, blockSize;
        bool reverb;

        explicit Configuration (const benchmark::State& state)
            : numChannels ((int) state.range (0)), sampleRate ((int) state.range (1)),
              blockSize ((int) state.range (2)), reverb (state.range (3) != 0) {}
    };

    // The bank at the default settings, designed for this configuration.
    void prepareDefaultBank (BandFilterBank& bank, const Configuration& config)
    {
        BandFilterBank::CoefficientSet coefficients;
        BandFilterBank::design ({ 15.0f, 10.0f, config.reverb, config.sampleRate },
                                BandFilterBank::makeBandFrequencies(), coefficients);
        bank.prepare (config.numChannels);
        bank.setCoefficients (coefficients);
    }

    /** Seconds of audio per second of CPU, and CPU time per band per channel per sample. */
    void reportThroughput (benchmark::State& state, const Configuration& config)
    {
        const double frames = (double) state.iterations() * config.blockSize;
        const double sectionSamples = frames * config.numChannels * sectionsFor (config.reverb);

        state.counters[SpeedupReporter::realTimeFactor] = benchmark::Counter (frames / config.sampleRate,
                                                                              benchmark::Counter::kIsRate);
        state.counters[SpeedupReporter::timePerSectionSample]
            = benchmark::Counter (sectionSamples,
                                  static_cast<benchmark::Counter::Flags> (benchmark::Counter::kIsRate | benchmark::Counter::kInvert));
    }

    void addConfigurations (benchmark::internal::Benchmark* b, const int* rates, size_t numRates)
    {
        b->ArgNames ({ "ch", "rate", "block", "reverb" });

        for (int reverb = 0; reverb <= 1; ++reverb)
            for (int numChannels = 2; numChannels >= 1; --numChannels)
                for (size_t r = 0; r < numRates; ++r)
                    for (int blockSize = smallestBlock; blockSize <= largestBlock; blockSize *= 2)
                        b->Args ({ numChannels, rates[r], blockSize, reverb });
    }

    void allConfigurations (benchmark::internal::Benchmark* b)
    {
        addConfigurations (b, sampleRates, std::size (sampleRates));
    }

    void configurationsAt48k (benchmark::internal::Benchmark* b)
    {
        const int rate[] = { 48000 };
        addConfigurations (b, rate, 1);
    }

    //==============================================================================
    // The whole plug-in as a host drives it: dry copy, band stage, mix, analyser.
    void processBlock (benchmark::State& state)
    {
        const Configuration config (state);

        PluginAudioProcessor processor;
        processor.setPlayConfigDetails (config.numChannels, config.numChannels, config.sampleRate, config.blockSize);
        processor.parameterState.getParameter ("reverb")->setValueNotifyingHost (config.reverb ? 1.0f : 0.0f);
        processor.prepareToPlay (config.sampleRate, config.blockSize);

        juce::AudioBuffer<float> buffer (config.numChannels, config.blockSize);
        juce::MidiBuffer midi;
        BenchSignal signal (config.numChannels, config.blockSize);

        for (auto _ : state)
        {
            signal.copyNextBlock (buffer.getArrayOfWritePointers());
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0)[0]);
        }

        state.SetLabel (BandStageKernel::getName (processor.bandFilters.getKernel()));
        reportThroughput (state, config);
    }

    // The baseline: the plain cascade, one band over the whole block after the
    // other, with the plug-in's default coefficients, on the same noise.
    void referenceCascade (benchmark::State& state)
    {
        const Configuration config (state);

        BandFilterBank bank;
        prepareDefaultBank (bank, config);

        juce::AudioBuffer<float> buffer (config.numChannels, config.blockSize);
        BenchSignal signal (config.numChannels, config.blockSize);
        const juce::ScopedNoDenormals noDenormals;

        for (auto _ : state)
        {
            signal.copyNextBlock (buffer.getArrayOfWritePointers());
            bank.processReference (buffer.getArrayOfWritePointers(), config.numChannels, config.blockSize,
                                   firstBandFor (config.reverb));
            bank.resetIfNonFinite();
            benchmark::DoNotOptimize (buffer.getReadPointer (0)[0]);
        }

        state.SetLabel ("plain cascade");
        reportThroughput (state, config);
    }

    // Each band-stage kernel alone, on the same data.
    void bandStageKernel (benchmark::State& state, BandStageKernel::Variant variant)
    {
        if (! BandStageKernel::isSupported (variant))
        {
            state.SkipWithError ("not supported by this CPU");
            for (auto _ : state) {}
            return;
        }

        const Configuration config (state);

        BandFilterBank bank;
        bank.setKernel (variant);
        prepareDefaultBank (bank, config);

        juce::AudioBuffer<float> buffer (config.numChannels, config.blockSize);
        BenchSignal signal (config.numChannels, config.blockSize);
        const juce::ScopedNoDenormals noDenormals;

        for (auto _ : state)
        {
            signal.copyNextBlock (buffer.getArrayOfWritePointers());
            bank.process (buffer.getArrayOfWritePointers(), config.numChannels, config.blockSize,
                          firstBandFor (config.reverb));
            benchmark::DoNotOptimize (buffer.getReadPointer (0)[0]);
        }

        state.SetLabel (BandStageKernel::getName (variant));
        reportThroughput (state, config);
    }
}

BENCHMARK (processBlock)->Name (SpeedupReporter::pluginFamily)->Apply (allConfigurations)->MinTime (0.2);
BENCHMARK (referenceCascade)->Name (SpeedupReporter::referenceFamily)->Apply (allConfigurations)->MinTime (0.2);

BENCHMARK_CAPTURE (bandStageKernel, sse2, BandStageKernel::Variant::sse2)->Apply (configurationsAt48k)->MinTime (0.1);
BENCHMARK_CAPTURE (bandStageKernel, avx2, BandStageKernel::Variant::avx2)->Apply (configurationsAt48k)->MinTime (0.1);
BENCHMARK_CAPTURE (bandStageKernel, avx512, BandStageKernel::Variant::avx512)->Apply (configurationsAt48k)->MinTime (0.1);
