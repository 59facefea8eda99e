#include "X11HostSetup.h"

#include <X11/Xlib.h>

#include <mutex>

namespace
{
    int ignoreXError (Display*, XErrorEvent*)
    {
        return 0;
    }
}

void X11HostSetup::prepare()
{
    static std::once_flag prepared;

    std::call_once (prepared, []
    {
        XInitThreads();
        XSetErrorHandler (ignoreXError);
    });
}
