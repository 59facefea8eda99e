#include "ProcessorFixture.h"

namespace
{
    using Set = juce::AudioChannelSet;

    struct LayoutCase
    {
        const char* name;
        Set input, output;
        bool accepted;
    };

    juce::AudioChannelSet discreteTwo() { return Set::discreteChannels (2); }
}

class LayoutTest : public ProcessorFixture, public testing::WithParamInterface<LayoutCase> {};

TEST_P (LayoutTest, AcceptsOnlyEqualMonoOrStereo)
{
    const auto& c = GetParam();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (c.input);
    layout.outputBuses.add (c.output);

    EXPECT_EQ (processor->checkBusesLayoutSupported (layout), c.accepted);
}

INSTANTIATE_TEST_SUITE_P (Layouts, LayoutTest, testing::Values (
    LayoutCase { "MonoMono", Set::mono(), Set::mono(), true },
    LayoutCase { "StereoStereo", Set::stereo(), Set::stereo(), true },
    LayoutCase { "MonoStereo", Set::mono(), Set::stereo(), false },
    LayoutCase { "StereoMono", Set::stereo(), Set::mono(), false },
    LayoutCase { "DisabledInMono", Set::disabled(), Set::mono(), false },
    LayoutCase { "DisabledInStereo", Set::disabled(), Set::stereo(), false },
    LayoutCase { "StereoDisabledOut", Set::stereo(), Set::disabled(), false },
    LayoutCase { "BothDisabled", Set::disabled(), Set::disabled(), false },
    LayoutCase { "FivePointOne", Set::create5point1(), Set::create5point1(), false },
    LayoutCase { "TwoDiscrete", discreteTwo(), discreteTwo(), false },
    LayoutCase { "LeftOnlyMono", Set::discreteChannels (1), Set::discreteChannels (1), false }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST_F (ProcessorFixture, LayoutWithoutBusesIsRefused)
{
    EXPECT_FALSE (processor->checkBusesLayoutSupported ({}));
}

TEST_F (ProcessorFixture, AnswersTheHostsQuestions)
{
    EXPECT_EQ (processor->getName(), "Vesperline");
    EXPECT_EQ (processor->getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor->acceptsMidi());
    EXPECT_FALSE (processor->producesMidi());
    EXPECT_FALSE (processor->isMidiEffect());
    EXPECT_TRUE (processor->hasEditor());
    EXPECT_EQ (processor->getLatencySamples(), 0);
    EXPECT_EQ (processor->getBusCount (true), 1);
    EXPECT_EQ (processor->getBusCount (false), 1);
    EXPECT_EQ (processor->getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor->getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor->getBus (false, 0)->getDefaultLayout(), juce::AudioChannelSet::stereo());
    EXPECT_EQ (processor->getBypassParameter(), nullptr);
}

TEST_F (ProcessorFixture, ProgramCallsAnswerAlikeForAnyIndex)
{
    for (int index : { -1, 0, 1, 5, 1000 })
    {
        processor->setCurrentProgram (index);
        processor->changeProgramName (index, "renamed");
        EXPECT_EQ (processor->getNumPrograms(), 1);
        EXPECT_EQ (processor->getCurrentProgram(), 0);
        EXPECT_EQ (processor->getProgramName (index), juce::String());
    }
}
