#include "ExitCodes.h"
#include "InfoCommand.h"
#include "RenderCommand.h"
#include "SnapshotCommand.h"
#include "X11HostSetup.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
    const char* const usage =
        "usage:\n"
        "  vesperline-host info PATH.vst3\n"
        "  vesperline-host render [IN.wav] OUT.wav [--set ID=VALUE ...] [--block N] [--rate HZ] [--plugin PATH.vst3]\n"
        "  vesperline-host snapshot PATH.vst3 OUT.png";
}

int main (int argc, char* argv[])
{
    X11HostSetup::prepare();

    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    if (arguments.isEmpty() || arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help")
    {
        (arguments.isEmpty() ? std::cerr : std::cout) << usage << std::endl;
        return arguments.isEmpty() ? ExitCodes::usageError : ExitCodes::success;
    }

    // Hosting needs a message thread; this one is it.
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    const auto command = arguments[0];
    arguments.remove (0);

    return juce::ConsoleApplication::invokeCatchingFailures ([&]
    {
        if (command == "info")
            InfoCommand::run (arguments);
        else if (command == "render")
            RenderCommand::run (arguments);
        else if (command == "snapshot")
            SnapshotCommand::run (arguments);
        else
            juce::ConsoleApplication::fail ("vesperline-host: unknown command '" + command + "'\n" + usage, ExitCodes::usageError);

        return ExitCodes::success;
    });
}
