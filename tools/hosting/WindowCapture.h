#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Reads back what the X server shows in a window on the desktop, including
    the windows of other toolkits embedded in it, such as a plug-in's editor.
    Component::createComponentSnapshot cannot see those: it only repaints the
    JUCE components, and a hosted editor is a foreign child window.
*/
struct WindowCapture
{
    /** The pixels of the component's desktop window; an invalid image when the
        component is not on the desktop or the display cannot be read. */
    static juce::Image capture (juce::Component& desktopComponent);
};
