#include "SnapshotCommand.h"

#include "BackgroundAudioThread.h"
#include "DemoSignal.h"
#include "ExitCodes.h"
#include "PluginHost.h"
#include "WindowCapture.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
    constexpr double sampleRate = DemoSignal::defaultSampleRate;
    constexpr int blockSize = 512;
    constexpr int paintForMs = 800;

    [[noreturn]] void failWith (const juce::String& message, int exitCode)
    {
        juce::ConsoleApplication::fail ("vesperline-host snapshot: " + message, exitCode);
        std::abort();
    }

    void writePng (const juce::Image& image, const juce::File& output)
    {
        juce::TemporaryFile temporary (output);

        {
            juce::FileOutputStream stream (temporary.getFile());
            juce::PNGImageFormat png;

            if (stream.failedToOpen() || ! png.writeImageToStream (image, stream))
                failWith ("cannot write " + output.getFullPathName(), ExitCodes::runtimeFailure);
        }

        if (! temporary.overwriteTargetFileWithTemporary())
            failWith ("cannot move the picture to " + output.getFullPathName(), ExitCodes::runtimeFailure);
    }
}

void SnapshotCommand::run (const juce::StringArray& arguments)
{
    if (arguments.size() != 2 || arguments[0].startsWith ("-") || arguments[1].startsWith ("-"))
        failWith ("usage: vesperline-host snapshot PATH.vst3 OUT.png", ExitCodes::usageError);

    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (arguments[0]);
    const auto output = juce::File::getCurrentWorkingDirectory().getChildFile (arguments[1]);

    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        failWith ("needs a display; run it under xvfb-run", ExitCodes::runtimeFailure);

    PluginHost host;

    if (auto loaded = host.load (bundle, sampleRate, blockSize); loaded.failed())
        failWith (loaded.getErrorMessage(), ExitCodes::runtimeFailure);

    auto& instance = *host;
    instance.prepareToPlay (sampleRate, blockSize);

    juce::Image image;

    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (instance.createEditorIfNeeded());

        if (editor == nullptr)
            failWith ("the plug-in has no editor", ExitCodes::runtimeFailure);

        BackgroundAudioThread audio (instance, DemoSignal::create (sampleRate), sampleRate, blockSize);

        editor->setTopLeftPosition (40, 40);
        editor->addToDesktop (0);
        editor->setVisible (true);
        audio.start();

        juce::MessageManager::getInstance()->runDispatchLoopUntil (paintForMs);
        image = WindowCapture::capture (*editor);

        audio.stop();
        editor->removeFromDesktop();
    }

    if (! image.isValid())
        failWith ("cannot read the window back from the display", ExitCodes::runtimeFailure);

    instance.releaseResources();
    writePng (image, output);

    std::cout << "wrote " << output.getFullPathName() << " (" << image.getWidth() << " x " << image.getHeight() << ")" << std::endl;
}
