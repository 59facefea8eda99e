#include "SpeedupReporter.h"

#include "BandStageKernel.h"

#include <juce_events/juce_events.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>

#include <unistd.h>

// The editor benchmark needs JUCE's message manager, so this main brings it
// up on the benchmark thread before running anything.
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    std::cout << "band-stage kernel on this CPU: "
              << BandStageKernel::getName (BandStageKernel::fastestSupported()) << std::endl;

    SpeedupReporter reporter (isatty (fileno (stdout)) != 0);
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();
    return 0;
}
