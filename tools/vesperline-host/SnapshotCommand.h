#pragma once

#include <juce_core/juce_core.h>

/** `vesperline-host snapshot PATH.vst3 OUT.png`: opens the plug-in's editor in
    a window while demo audio runs through the instance and saves a picture of
    it. Needs a display (for example under xvfb-run). */
class SnapshotCommand
{
public:
    static void run (const juce::StringArray& arguments);
};
