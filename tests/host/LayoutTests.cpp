#include "HostedPlugin.h"

namespace
{
    using Set = juce::AudioChannelSet;
    using LayoutTests = HostedPlugin;
}

TEST_F (LayoutTests, HostNegotiatesOnlyEqualMonoOrStereoBuses)
{
    struct { const char* name; Set input, output; bool accepted; } const rows[] = {
        { "mono to mono",         Set::mono(),                 Set::mono(),                 true },
        { "stereo to stereo",     Set::stereo(),               Set::stereo(),               true },
        { "mono to stereo",       Set::mono(),                 Set::stereo(),               false },
        { "stereo to mono",       Set::stereo(),               Set::mono(),                 false },
        { "5.1 to 5.1",           Set::create5point1(),        Set::create5point1(),        false },
        { "stereo to 5.1",        Set::stereo(),               Set::create5point1(),        false },
        { "LCR to LCR",           Set::createLCR(),            Set::createLCR(),            false },
        { "2 discrete channels",  Set::discreteChannels (2),   Set::discreteChannels (2),   false },
        // VST3 has no disabled arrangement: a host deactivates the bus and
        // keeps its last arrangement (stereo here), and the client lets any
        // bus be deactivated. What is negotiated is the arrangement pair.
        { "disabled in, mono out",   Set::disabled(),          Set::mono(),                 false },
        { "disabled in, stereo out", Set::disabled(),          Set::stereo(),               true },
        { "stereo in, disabled out", Set::stereo(),            Set::disabled(),             true },
    };

    for (const auto& row : rows)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (row.input);
        layout.outputBuses.add (row.output);

        EXPECT_EQ (instance().checkBusesLayoutSupported (layout), row.accepted) << row.name;
    }

    // Asking changes nothing.
    EXPECT_EQ (instance().getMainBusNumInputChannels(), 2);
    EXPECT_EQ (instance().getMainBusNumOutputChannels(), 2);
}

TEST_F (LayoutTests, AnAcceptedMonoLayoutIsApplied)
{
    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (Set::mono());
    mono.outputBuses.add (Set::mono());

    ASSERT_TRUE (instance().setBusesLayout (mono));
    EXPECT_EQ (instance().getMainBusNumInputChannels(), 1);
    EXPECT_EQ (instance().getMainBusNumOutputChannels(), 1);
}

TEST_F (LayoutTests, HostSeesOneAudioBusEachWayAndNoMidi)
{
    EXPECT_EQ (instance().getBusCount (true), 1);
    EXPECT_EQ (instance().getBusCount (false), 1);
    EXPECT_EQ (instance().getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (instance().getBus (false, 0)->getName(), "Output");
    EXPECT_FALSE (instance().acceptsMidi());
    EXPECT_FALSE (instance().producesMidi());
    EXPECT_EQ (instance().getTailLengthSeconds(), 0.0);
    EXPECT_EQ (instance().getLatencySamples(), 0);
}
