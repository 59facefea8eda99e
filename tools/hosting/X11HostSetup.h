#pragma once

/**
    What a Linux host does before anything touches Xlib. The plug-ins it loads
    open displays on threads of their own, so Xlib must be made thread-safe
    first; and an X error (for example a window-manager atom missing on a bare
    X server) must not end the process. JUCE does both only for stand-alone
    JUCE applications, which a console tool or a test binary is not.
*/
struct X11HostSetup
{
    /** Call first thing in main, before JUCE or any plug-in is initialised.
        Calling it again does nothing. */
    static void prepare();
};
