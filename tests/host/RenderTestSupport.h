#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** A scratch folder, deleted with everything in it. */
struct ScratchFolder
{
    ScratchFolder()
    {
        folder.createDirectory();
    }

    ~ScratchFolder()
    {
        folder.deleteRecursively();
    }

    juce::File operator/ (const char* name) const { return folder.getChildFile (name); }

    juce::StringArray listNames() const
    {
        juce::StringArray names;

        for (auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            names.add (file.getFileName());

        names.sort (false);
        return names;
    }

    const juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                  .getNonexistentChildFile ("vesperline-host-test", "", false);
};

inline void writeFloatWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    std::unique_ptr<juce::AudioFormatWriter> writer (juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate,
                                                                                            (unsigned int) audio.getNumChannels(),
                                                                                            32, {}, 0));
    jassert (writer != nullptr);
    stream.release();
    writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

struct WavContents
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
    unsigned int bitsPerSample = 0;
    bool isFloat = false;
};

inline WavContents readWav (const juce::File& file)
{
    WavContents contents;
    std::unique_ptr<juce::AudioFormatReader> reader (juce::WavAudioFormat().createReaderFor (new juce::FileInputStream (file), true));

    if (reader == nullptr)
        return contents;

    contents.audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
    reader->read (&contents.audio, 0, (int) reader->lengthInSamples, 0, true, true);
    contents.sampleRate = reader->sampleRate;
    contents.bitsPerSample = reader->bitsPerSample;
    contents.isFloat = reader->usesFloatingPointData;
    return contents;
}

struct ToolRun
{
    int exitCode = -1;
    juce::String output; // stdout and stderr together
};

/** Runs the built vesperline-host with these arguments. */
inline ToolRun runHostTool (const juce::StringArray& arguments)
{
    juce::StringArray command { VESPERLINE_HOST_TOOL };
    command.addArray (arguments);

    ToolRun run;
    juce::ChildProcess process;

    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return run;

    run.output = process.readAllProcessOutput();
    process.waitForProcessToFinish (120000);
    run.exitCode = (int) process.getExitCode();
    return run;
}
