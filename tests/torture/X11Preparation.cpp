#include "X11HostSetup.h"

// The loaded plug-in opens the display, if there is one, on its own thread;
// Xlib has to be made thread-safe before anything else touches it.
static const bool x11Prepared = (X11HostSetup::prepare(), true);
