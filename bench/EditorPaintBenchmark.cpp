#include "PluginEditor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <time.h>

namespace
{
    // CPU time of this thread: on a shared machine, wall time would mostly
    // measure the neighbours.
    double threadCpuMilliseconds() noexcept
    {
        timespec now {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
        return (double) now.tv_sec * 1.0e3 + (double) now.tv_nsec * 1.0e-6;
    }

    // A busy display: peaks and valleys all over, moving from frame to frame.
    void fillSpectrum (PluginAudioProcessor& processor, int frame, juce::Random& random)
    {
        auto& scope = processor.spectrumScope;

        for (size_t i = 0; i < scope.size(); ++i)
        {
            const float wave = 0.5f + 0.35f * std::sin ((float) i * 0.09f + (float) frame * 0.4f);
            scope[i].store (juce::jlimit (0.0f, 1.0f, wave + random.nextFloat() * 0.3f - 0.15f));
        }
    }

    // One full repaint of the 580 x 520 window into an image, as the editor's
    // timer asks for about thirty times a second while audio runs.
    void editorPaint (benchmark::State& state)
    {
        PluginAudioProcessor processor;
        processor.setPlayConfigDetails (2, 2, 48000.0, 512);
        processor.prepareToPlay (48000.0, 512);

        PluginAudioProcessorEditor editor (processor, processor.parameterState);
        juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
        juce::Random random (42);

        std::vector<double> milliseconds;
        milliseconds.reserve (4096);
        int frame = 0;

        for (auto _ : state)
        {
            fillSpectrum (processor, frame++, random);
            processor.audioRunning.store (true);

            const double start = threadCpuMilliseconds();
            {
                juce::Graphics g (image);
                editor.paintEntireComponent (g, false);
            }
            milliseconds.push_back (threadCpuMilliseconds() - start);
        }

        if (! milliseconds.empty())
        {
            auto middle = milliseconds.begin() + (std::ptrdiff_t) (milliseconds.size() / 2);
            std::nth_element (milliseconds.begin(), middle, milliseconds.end());
            state.counters["median_cpu_ms"] = *middle;
        }

        state.counters["frames_per_s"] = benchmark::Counter ((double) state.iterations(), benchmark::Counter::kIsRate);
    }
}

BENCHMARK (editorPaint)->Unit (benchmark::kMillisecond)->MinTime (1.0);
