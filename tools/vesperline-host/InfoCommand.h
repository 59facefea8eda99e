#pragma once

#include <juce_core/juce_core.h>

/** `vesperline-host info PATH.vst3`: prints what a host learns about a bundle:
    the factory and its classes, the parameters and the accepted bus layouts. */
class InfoCommand
{
public:
    static void run (const juce::StringArray& arguments);
};
