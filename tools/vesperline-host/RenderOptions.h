#pragma once

#include <juce_core/juce_core.h>

/** The command line of `vesperline-host render`, checked for form only; the
    parameter requests are checked against the plug-in once it is loaded. */
struct RenderOptions
{
    static constexpr int defaultBlockSize = 512;
    static constexpr int maxBlockSize = 65536;
    static constexpr double minSampleRate = 8000.0;
    static constexpr double maxSampleRate = 384000.0;

    /** Parses the arguments after "render"; fails with a usage error. */
    static RenderOptions parse (const juce::StringArray& arguments);

    juce::File input;        // none: render the built-in demo signal
    juce::File output;
    juce::StringArray parameterRequests;
    int blockSize = defaultBlockSize;
    double demoSampleRate = 0.0; // 0: the demo's default rate
    juce::File plugin;

    bool hasInput() const { return input != juce::File(); }
};
