#include "DemoSignal.h"
#include "HostedPlugin.h"
#include "PluginProcessor.h"
#include "RenderTestSupport.h"

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr double seconds = 1.3; // not a whole number of blocks

    using Settings = std::vector<std::pair<const char*, const char*>>;

    juce::AudioBuffer<float> makeInput (int numChannels)
    {
        auto demo = DemoSignal::create (sampleRate, seconds);
        juce::AudioBuffer<float> input (numChannels, demo.getNumSamples());

        for (int channel = 0; channel < numChannels; ++channel)
            input.copyFrom (channel, 0, demo, channel, 0, demo.getNumSamples());

        return input;
    }

    /** The processor class itself, driven block by block as the tool drives
        the loaded bundle. */
    juce::AudioBuffer<float> processDirectly (const juce::AudioBuffer<float>& input, int blockSize, const Settings& settings)
    {
        PluginAudioProcessor processor;
        const auto channels = juce::AudioChannelSet::canonicalChannelSet (input.getNumChannels());
        processor.setBusesLayout ({ { channels }, { channels } });

        for (auto& [id, text] : settings)
        {
            auto* parameter = processor.parameterState.getParameter (id);
            parameter->setValueNotifyingHost (parameter->getValueForText (text));
        }

        // In this order, as JUCE's VST3 client does when the host sets up processing.
        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
        processor.prepareToPlay (sampleRate, blockSize);

        juce::AudioBuffer<float> output (input);
        juce::MidiBuffer midi;

        for (int start = 0; start < output.getNumSamples(); start += blockSize)
        {
            const auto length = juce::jmin (blockSize, output.getNumSamples() - start);
            juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), output.getNumChannels(), start, length);
            processor.processBlock (block, midi);
        }

        return output;
    }

    juce::String describeFirstDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        for (int channel = 0; channel < a.getNumChannels(); ++channel)
            for (int i = 0; i < a.getNumSamples(); ++i)
                if (a.getSample (channel, i) != b.getSample (channel, i))
                    return "channel " + juce::String (channel) + ", sample " + juce::String (i) + ": "
                           + juce::String (a.getSample (channel, i), 9) + " != " + juce::String (b.getSample (channel, i), 9);

        return "none";
    }

    juce::StringArray renderArguments (const ScratchFolder& scratch, int blockSize, const Settings& settings)
    {
        juce::StringArray arguments { "render", (scratch / "in.wav").getFullPathName(), (scratch / "out.wav").getFullPathName(),
                                      "--plugin", builtBundle().getFullPathName() };

        if (blockSize != 512)
            arguments.addArray ({ "--block", juce::String (blockSize) });

        for (auto& [id, text] : settings)
            arguments.addArray ({ "--set", juce::String (id) + "=" + text });

        return arguments;
    }
}

TEST (Renderer, WritesWhatTheProcessorItselfProducesSampleForSample)
{
    struct { int numChannels; int blockSize; Settings settings; const char* summaryMentions; } const cases[] = {
        { 2, 512, {}, "topValue=15.00 midValue=50.00 lowValue=10.00 gain=0.00 reverb=Off backColor=Vibrato" },
        { 2, 300, { { "topValue", "20.5" }, { "midValue", "70" }, { "lowValue", "6" }, { "gain", "-4.5" },
                    { "reverb", "on" }, { "backColor", "Staccato" } },
          "topValue=20.50 midValue=70.00 lowValue=6.00 gain=-4.50 reverb=On backColor=Staccato" },
        { 1, 1024, { { "topValue", "9" }, { "midValue", "100" }, { "gain", "3" }, { "reverb", "0" } },
          "topValue=9.00 midValue=100.00" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.numChannels) + " channel(s), block " + juce::String (c.blockSize));
        ScratchFolder scratch;
        const auto input = makeInput (c.numChannels);
        writeFloatWav (scratch / "in.wav", input, sampleRate);

        const auto run = runHostTool (renderArguments (scratch, c.blockSize, c.settings));
        ASSERT_EQ (run.exitCode, 0) << run.output;
        EXPECT_TRUE (run.output.contains (c.summaryMentions)) << run.output;
        EXPECT_TRUE (run.output.contains ("in: peak ") && run.output.contains ("out: peak ")) << run.output;

        const auto rendered = readWav (scratch / "out.wav");
        EXPECT_EQ (rendered.bitsPerSample, 32u);
        EXPECT_TRUE (rendered.isFloat);
        EXPECT_EQ (rendered.sampleRate, sampleRate);
        ASSERT_EQ (rendered.audio.getNumChannels(), c.numChannels);
        ASSERT_EQ (rendered.audio.getNumSamples(), input.getNumSamples());

        const auto expected = processDirectly (input, c.blockSize, c.settings);
        EXPECT_EQ (describeFirstDifference (rendered.audio, expected), "none");

        // The comparison means something only if the plug-in changed the signal.
        EXPECT_NE (describeFirstDifference (input, expected), "none");
    }
}

TEST (Renderer, RendersTheBuiltInDemoWithoutAnInput)
{
    ScratchFolder scratch;
    const auto run = runHostTool ({ "render", (scratch / "demo.wav").getFullPathName(), "--rate", "44100",
                                    "--plugin", builtBundle().getFullPathName() });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto rendered = readWav (scratch / "demo.wav");
    EXPECT_EQ (rendered.sampleRate, 44100.0);
    EXPECT_EQ (rendered.audio.getNumChannels(), 2);
    EXPECT_NEAR (rendered.audio.getNumSamples() / 44100.0, DemoSignal::defaultSeconds, 0.01);
    EXPECT_GT (rendered.audio.getRMSLevel (0, 0, rendered.audio.getNumSamples()), 0.01f);
}

TEST (Renderer, RefusesBadInputWithOneLineAndLeavesNoFileBehind)
{
    struct { const char* what; juce::StringArray arguments; int exitCode; const char* mentions; } const cases[] = {
        { "missing input",         { "{dir}/missing.wav", "{out}" },                        1, "no such file" },
        { "input is not audio",    { "{dir}/notes.txt", "{out}" },                          1, "not a readable audio file" },
        { "output folder missing", { "{in}", "{dir}/nowhere/out.wav" },                     1, "cannot write" },
        { "missing plug-in",       { "{in}", "{out}", "--plugin", "{dir}/Absent.vst3" },     1, "no VST3 bundle" },
        { "unknown ID",            { "{in}", "{out}", "--set", "FilterGain=3" },             2,
                                   "valid IDs: topValue, midValue, lowValue, gain, reverb, backColor" },
        { "above the range",       { "{in}", "{out}", "--set", "topValue=30.01" },           2, "out of range 3 to 30" },
        { "below the range",       { "{in}", "{out}", "--set", "gain=-18.5" },               2, "out of range -18 to 18" },
        { "not a number",          { "{in}", "{out}", "--set", "midValue=half" },            2, "not a number" },
        { "bad switch value",      { "{in}", "{out}", "--set", "reverb=2" },                 2, "0, 1, on or off" },
        { "choice index too big",  { "{in}", "{out}", "--set", "backColor=6" },              2, "Arpeggio" },
        { "unknown choice name",   { "{in}", "{out}", "--set", "backColor=Legato" },         2, "Vibrato" },
        { "no value",              { "{in}", "{out}", "--set", "topValue" },                 2, "ID=VALUE" },
        { "zero rate",             { "{out}", "--rate", "0" },                               2, "--rate" },
        { "negative rate",         { "{out}", "--rate=-48000" },                             2, "--rate" },
        { "rate with an input",    { "{in}", "{out}", "--rate", "48000" },                   2, "--rate" },
        { "zero block",            { "{in}", "{out}", "--block", "0" },                      2, "--block" },
        { "huge block",            { "{in}", "{out}", "--block", "100000000" },              2, "--block" },
        { "block not a number",    { "{in}", "{out}", "--block", "1e3" },                    2, "--block" },
        { "unknown option",        { "{in}", "{out}", "--gain", "3" },                       2, "unknown option" },
        { "no output",             { "--block", "64" },                                      2, "OUT.wav" },
    };

    ScratchFolder scratch;
    writeFloatWav (scratch / "in.wav", makeInput (2), sampleRate);
    (scratch / "notes.txt").replaceWithText ("not audio");
    const auto namesBefore = scratch.listNames();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        juce::StringArray arguments { "render", "--plugin", builtBundle().getFullPathName() };

        for (auto argument : c.arguments)
            arguments.add (argument.replace ("{in}", (scratch / "in.wav").getFullPathName())
                                   .replace ("{out}", (scratch / "out.wav").getFullPathName())
                                   .replace ("{dir}", scratch.folder.getFullPathName()));

        const auto run = runHostTool (arguments);
        EXPECT_EQ (run.exitCode, c.exitCode) << run.output;
        EXPECT_TRUE (run.output.contains (c.mentions)) << run.output;
        EXPECT_FALSE (run.output.trim().containsChar ('\n')) << run.output;
        EXPECT_EQ (scratch.listNames(), namesBefore);
    }
}

TEST (Renderer, FailedRenderLeavesAnExistingOutputUntouched)
{
    ScratchFolder scratch;
    writeFloatWav (scratch / "in.wav", makeInput (2), sampleRate);
    (scratch / "out.wav").replaceWithText ("previous render");

    const auto run = runHostTool ({ "render", (scratch / "in.wav").getFullPathName(), (scratch / "out.wav").getFullPathName(),
                                    "--plugin", builtBundle().getFullPathName(), "--set", "lowValue=21" });

    EXPECT_EQ (run.exitCode, 2) << run.output;
    EXPECT_EQ ((scratch / "out.wav").loadFileAsString(), "previous render");
    EXPECT_EQ (scratch.listNames(), (juce::StringArray { "in.wav", "out.wav" }));
}
