#include "InfoCommand.h"

#include "BundleInspector.h"
#include "DirectVst3Instance.h"
#include "ExitCodes.h"
#include "HostedParameters.h"
#include "ParameterAssignment.h"
#include "PluginHost.h"

#include <iostream>

namespace
{
    struct LayoutCase
    {
        const char* name;
        juce::AudioChannelSet input, output;
    };

    std::vector<LayoutCase> getLayoutCases()
    {
        using Set = juce::AudioChannelSet;

        return { { "mono -> mono", Set::mono(), Set::mono() },
                 { "stereo -> stereo", Set::stereo(), Set::stereo() },
                 { "mono -> stereo", Set::mono(), Set::stereo() },
                 { "stereo -> mono", Set::stereo(), Set::mono() },
                 { "5.1 -> 5.1", Set::create5point1(), Set::create5point1() },
                 { "LCR -> LCR", Set::createLCR(), Set::createLCR() },
                 { "2 discrete -> 2 discrete", Set::discreteChannels (2), Set::discreteChannels (2) },
                 { "disabled -> stereo", Set::disabled(), Set::stereo() },
                 { "disabled -> mono", Set::disabled(), Set::mono() },
                 { "stereo -> disabled", Set::stereo(), Set::disabled() },
                 { "disabled -> disabled", Set::disabled(), Set::disabled() } };
    }

    juce::String row (const juce::String& label, const juce::String& value)
    {
        return "  " + (label + ":").paddedRight (' ', 16) + value + "\n";
    }

    void printFactory (const Vst3FactoryDescription& factory)
    {
        std::cout << "Factory\n"
                  << row ("vendor", factory.vendor)
                  << row ("url", factory.url)
                  << row ("email", factory.email)
                  << row ("flags", juce::String (factory.flags) + ((factory.flags & 16) != 0 ? " (unicode)" : ""));

        const auto& classes = factory.unicodeClasses.empty() ? factory.classes : factory.unicodeClasses;

        for (size_t i = 0; i < classes.size(); ++i)
        {
            const auto& c = classes[i];
            std::cout << "\nClass " << (int) i << "\n"
                      << row ("category", c.category)
                      << row ("name", c.name)
                      << row ("class ID", c.getClassIdAsHex())
                      << row ("cardinality", "0x" + juce::String::toHexString (c.cardinality).toUpperCase())
                      << row ("class flags", juce::String (c.classFlags))
                      << row ("sub-categories", c.subCategories)
                      << row ("vendor", c.vendor)
                      << row ("version", c.version)
                      << row ("SDK version", c.sdkVersion);
        }
    }

    void printParameters (juce::AudioPluginInstance& instance)
    {
        const auto& parameters = instance.getParameters();
        std::cout << "\nParameters (" << parameters.size() << ")\n"
                  << "  " << juce::String ("VST3 ID").paddedRight (' ', 12) << juce::String ("ID").paddedRight (' ', 12)
                  << juce::String ("name").paddedRight (' ', 12) << juce::String ("default").paddedRight (' ', 10)
                  << juce::String ("normalised").paddedRight (' ', 12) << "text\n";

        for (auto* parameter : parameters)
        {
            const auto vst3Id = HostedParameters::vst3IdOf (*parameter);
            const auto normalised = parameter->getDefaultValue();
            const auto id = ParameterAssignment::displayIdOf (*parameter);

            std::cout << "  " << HostedParameters::toHex (vst3Id).paddedRight (' ', 12)
                      << (id.startsWith ("0x") ? juce::String ("-") : id).paddedRight (' ', 12)
                      << parameter->getName (64).paddedRight (' ', 12)
                      << juce::String (HostedParameters::plainValueOf (*parameter, normalised)).paddedRight (' ', 10)
                      << juce::String (normalised, 6).paddedRight (' ', 12)
                      << parameter->getText (normalised, 1024) << "\n";
        }
    }

    void printPrograms (const juce::File& bundle)
    {
        std::cout << "\nProgram lists\n";
        DirectVst3Instance direct (bundle);

        if (direct.getCreateResult().failed())
        {
            std::cout << "  (cannot tell: " << direct.getCreateResult().getErrorMessage() << ")\n";
            return;
        }

        const auto lists = direct.getProgramLists();

        if (lists.empty())
            std::cout << "  none\n";

        for (auto& list : lists)
        {
            std::cout << "  \"" << list.name << "\": " << list.programNames.size() << " program(s)\n";

            for (int i = 0; i < list.programNames.size(); ++i)
                std::cout << "    " << i << ": \"" << list.programNames[i] << "\"\n";
        }
    }

    void printLayouts (juce::AudioPluginInstance& instance)
    {
        std::cout << "\nBus layouts (main input -> main output)\n";

        for (auto& layoutCase : getLayoutCases())
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (layoutCase.input);
            layout.outputBuses.add (layoutCase.output);

            const auto accepted = instance.checkBusesLayoutSupported (layout);
            std::cout << "  " << juce::String (layoutCase.name).paddedRight (' ', 28)
                      << (accepted ? "accepted" : "refused") << "\n";
        }

        std::cout << "  (VST3 disables a bus by deactivating it; its arrangement stays the last enabled one)\n";
    }
}

void InfoCommand::run (const juce::StringArray& arguments)
{
    if (arguments.size() != 1 || arguments[0].startsWith ("-"))
        juce::ConsoleApplication::fail ("usage: vesperline-host info PATH.vst3", ExitCodes::usageError);

    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (arguments[0]);

    Vst3FactoryDescription factory;

    if (auto inspected = BundleInspector::inspect (bundle, factory); inspected.failed())
        juce::ConsoleApplication::fail ("vesperline-host: " + inspected.getErrorMessage(), ExitCodes::runtimeFailure);

    PluginHost host;

    if (auto loaded = host.load (bundle, 48000.0, 512); loaded.failed())
        juce::ConsoleApplication::fail ("vesperline-host: " + loaded.getErrorMessage(), ExitCodes::runtimeFailure);

    printFactory (factory);
    printParameters (*host);
    printPrograms (bundle);
    printLayouts (*host);
    std::cout << std::flush;
}
