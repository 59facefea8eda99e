#pragma once

#include <juce_core/juce_core.h>

/** `vesperline-host render [IN.wav] OUT.wav [--set ID=VALUE ...] [--block N]
    [--rate HZ] [--plugin PATH.vst3]`: runs a file, or the built-in demo
    signal, through the plug-in block by block and writes a 32-bit float WAV. */
class RenderCommand
{
public:
    static void run (const juce::StringArray& arguments);
};
