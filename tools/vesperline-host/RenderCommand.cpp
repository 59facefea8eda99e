#include "RenderCommand.h"

#include "DemoSignal.h"
#include "ExitCodes.h"
#include "LevelMeter.h"
#include "ParameterAssignment.h"
#include "PluginHost.h"
#include "RenderOptions.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <iostream>

namespace
{
    [[noreturn]] void failWith (const juce::String& message, int exitCode)
    {
        juce::ConsoleApplication::fail ("vesperline-host render: " + message, exitCode);
        std::abort();
    }

    /** The signal to render: a readable audio file or the demo buffer. */
    class SignalSource
    {
    public:
        explicit SignalSource (const RenderOptions& options)
        {
            if (! options.hasInput())
            {
                sampleRate = options.demoSampleRate > 0.0 ? options.demoSampleRate : DemoSignal::defaultSampleRate;
                demo = DemoSignal::create (sampleRate);
                numChannels = demo.getNumChannels();
                length = demo.getNumSamples();
                return;
            }

            if (! options.input.existsAsFile())
                failWith ("cannot read " + options.input.getFullPathName() + ": no such file", ExitCodes::runtimeFailure);

            juce::AudioFormatManager formats;
            formats.registerBasicFormats();
            reader.reset (formats.createReaderFor (options.input));

            if (reader == nullptr)
                failWith ("cannot read " + options.input.getFullPathName() + ": not a readable audio file", ExitCodes::runtimeFailure);

            sampleRate = reader->sampleRate;
            numChannels = (int) reader->numChannels;
            length = reader->lengthInSamples;

            if (numChannels < 1 || numChannels > 2)
                failWith ("the input has " + juce::String (numChannels) + " channels; the plug-in takes mono or stereo",
                          ExitCodes::runtimeFailure);

            if (! (sampleRate >= RenderOptions::minSampleRate && sampleRate <= RenderOptions::maxSampleRate))
                failWith ("the input's sample rate " + juce::String (sampleRate) + " Hz is out of range "
                          + juce::String (RenderOptions::minSampleRate) + " to " + juce::String (RenderOptions::maxSampleRate) + " Hz",
                          ExitCodes::runtimeFailure);
        }

        void read (juce::AudioBuffer<float>& destination, juce::int64 start, int numSamples)
        {
            if (reader == nullptr)
            {
                for (int channel = 0; channel < numChannels; ++channel)
                    destination.copyFrom (channel, 0, demo, channel, (int) start, numSamples);

                return;
            }

            if (! reader->read (&destination, 0, numSamples, start, true, true))
                failWith ("reading the input failed at sample " + juce::String (start), ExitCodes::runtimeFailure);
        }

        double sampleRate = 0.0;
        int numChannels = 0;
        juce::int64 length = 0;

    private:
        std::unique_ptr<juce::AudioFormatReader> reader;
        juce::AudioBuffer<float> demo;
    };

    /** Prints every tenth percent to stderr, for inputs long enough to wait for. */
    class ProgressReport
    {
    public:
        ProgressReport (juce::int64 totalIn, double sampleRate)
            : total (totalIn), enabled ((double) totalIn > minimumSecondsToReport * sampleRate)
        {
        }

        void update (juce::int64 done)
        {
            if (! enabled)
                return;

            const auto tenths = (int) ((done * 10) / total);

            while (reported < tenths)
            {
                ++reported;
                std::cerr << "vesperline-host render: " << reported * 10 << "%" << std::endl;
            }
        }

    private:
        static constexpr double minimumSecondsToReport = 10.0;
        const juce::int64 total;
        const bool enabled;
        int reported = 0;
    };

    void chooseLayout (juce::AudioPluginInstance& instance, int numChannels)
    {
        const auto set = juce::AudioChannelSet::canonicalChannelSet (numChannels);
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);

        if (! instance.setBusesLayout (layout))
            failWith ("the plug-in refuses " + set.getDescription() + " in and out", ExitCodes::runtimeFailure);
    }

    juce::String describeParameters (juce::AudioPluginInstance& instance)
    {
        juce::StringArray values;

        for (auto* parameter : instance.getParameters())
            if (parameter != instance.getBypassParameter())
                values.add (ParameterAssignment::displayIdOf (*parameter) + "=" + parameter->getCurrentValueAsText());

        return values.joinIntoString (" ");
    }
}

void RenderCommand::run (const juce::StringArray& arguments)
{
    const auto options = RenderOptions::parse (arguments);

    SignalSource source (options);

    PluginHost host;

    if (auto loaded = host.load (options.plugin, source.sampleRate, options.blockSize); loaded.failed())
        failWith (loaded.getErrorMessage(), ExitCodes::runtimeFailure);

    auto& instance = *host;
    chooseLayout (instance, source.numChannels);

    for (auto& request : options.parameterRequests)
    {
        ParameterAssignment assignment;

        if (auto parsed = ParameterAssignment::parse (instance, request, assignment); parsed.failed())
            failWith (parsed.getErrorMessage(), ExitCodes::usageError);

        assignment.apply();
    }

    // Written next to the target and moved over it only once complete; the
    // temporary file is deleted when anything fails on the way.
    juce::TemporaryFile temporary (options.output);
    std::unique_ptr<juce::AudioFormatWriter> writer;

    {
        auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());

        if (stream->failedToOpen())
            failWith ("cannot write " + options.output.getFullPathName() + ": " + stream->getStatus().getErrorMessage(),
                      ExitCodes::runtimeFailure);

        juce::WavAudioFormat wav;
        writer.reset (wav.createWriterFor (stream.get(), source.sampleRate, (unsigned int) source.numChannels, 32, {}, 0));

        if (writer == nullptr)
            failWith ("cannot create a WAV writer for " + options.output.getFullPathName(), ExitCodes::runtimeFailure);

        stream.release(); // now owned by the writer
    }

    host.waitForDeferredStartupWork();
    instance.setNonRealtime (true);
    instance.prepareToPlay (source.sampleRate, options.blockSize);

    juce::AudioBuffer<float> block (source.numChannels, options.blockSize);
    juce::MidiBuffer midi;
    LevelMeter inputLevel, outputLevel;
    ProgressReport progress (source.length, source.sampleRate);

    for (juce::int64 position = 0; position < source.length;)
    {
        const auto numSamples = (int) juce::jmin ((juce::int64) options.blockSize, source.length - position);
        juce::AudioBuffer<float> chunk (block.getArrayOfWritePointers(), source.numChannels, numSamples);

        source.read (chunk, position, numSamples);
        inputLevel.add (chunk, numSamples);

        midi.clear();
        instance.processBlock (chunk, midi);

        outputLevel.add (chunk, numSamples);

        if (! writer->writeFromAudioSampleBuffer (chunk, 0, numSamples))
            failWith ("writing " + options.output.getFullPathName() + " failed", ExitCodes::runtimeFailure);

        position += numSamples;
        progress.update (position);
    }

    instance.releaseResources();
    writer.reset();

    if (! temporary.overwriteTargetFileWithTemporary())
        failWith ("cannot move the rendered file to " + options.output.getFullPathName(), ExitCodes::runtimeFailure);

    std::cout << "rendered " << juce::String ((double) source.length / source.sampleRate, 2) << " s at "
              << juce::String (source.sampleRate) << " Hz, " << source.numChannels << " ch, block " << options.blockSize
              << " | in: " << inputLevel.describe()
              << " | out: " << outputLevel.describe()
              << " | " << describeParameters (instance) << std::endl;
}
