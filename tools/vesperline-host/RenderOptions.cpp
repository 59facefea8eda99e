#include "RenderOptions.h"

#include "ExitCodes.h"
#include "PluginHost.h"

namespace
{
    [[noreturn]] void usageError (const juce::String& message)
    {
        juce::ConsoleApplication::fail ("vesperline-host render: " + message, ExitCodes::usageError);
        jassertfalse;
        std::abort();
    }

    juce::File resolvePath (const juce::String& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (path);
    }

    int parseBlockSize (const juce::String& text)
    {
        if (text.isEmpty() || text.length() > 9 || ! text.containsOnly ("0123456789"))
            usageError ("--block expects a whole number of samples, got '" + text + "'");

        const auto blockSize = text.getIntValue();

        if (blockSize < 1 || blockSize > RenderOptions::maxBlockSize)
            usageError ("--block " + text + " is out of range 1 to " + juce::String (RenderOptions::maxBlockSize));

        return blockSize;
    }

    double parseSampleRate (const juce::String& text)
    {
        const auto utf8 = text.toStdString();
        char* end = nullptr;
        const auto rate = std::strtod (utf8.c_str(), &end);

        if (utf8.empty() || end != utf8.c_str() + utf8.size() || ! text.containsOnly ("0123456789.") || ! std::isfinite (rate))
            usageError ("--rate expects a sample rate in Hz, got '" + text + "'");

        if (rate < RenderOptions::minSampleRate || rate > RenderOptions::maxSampleRate)
            usageError ("--rate " + text + " is out of range " + juce::String (RenderOptions::minSampleRate)
                        + " to " + juce::String (RenderOptions::maxSampleRate) + " Hz");

        return rate;
    }
}

RenderOptions RenderOptions::parse (const juce::StringArray& arguments)
{
    RenderOptions options;
    options.plugin = PluginHost::getDefaultBundle();

    juce::StringArray files;

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];

        if (! argument.startsWith ("--") || argument == "--")
        {
            files.add (argument);
            continue;
        }

        // Accepts both "--option value" and "--option=value".
        const auto name = argument.upToFirstOccurrenceOf ("=", false, false);
        juce::String value;

        if (argument.contains ("="))
            value = argument.fromFirstOccurrenceOf ("=", false, false);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            usageError (name + " needs a value");

        if (name == "--set")
            options.parameterRequests.add (value);
        else if (name == "--block")
            options.blockSize = parseBlockSize (value);
        else if (name == "--rate")
            options.demoSampleRate = parseSampleRate (value);
        else if (name == "--plugin")
            options.plugin = resolvePath (value);
        else
            usageError ("unknown option " + name);
    }

    if (files.isEmpty() || files.size() > 2)
        usageError ("expects [IN.wav] OUT.wav");

    options.output = resolvePath (files[files.size() - 1]);

    if (files.size() == 2)
        options.input = resolvePath (files[0]);

    if (options.hasInput() && options.demoSampleRate > 0.0)
        usageError ("--rate applies to the built-in demo signal only; an input file keeps its own rate");

    if (options.output.isDirectory())
        usageError ("the output " + options.output.getFullPathName() + " is a directory");

    return options;
}
