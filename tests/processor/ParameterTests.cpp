#include "ProcessorFixture.h"

namespace
{
    struct ParameterCase
    {
        const char* id;
        const char* name;
        float minimum, maximum, defaultValue;
        float normalisedDefault;
        const char* defaultText;
        float interval;
    };

    const ParameterCase parameterTable[] = {
        { "topValue", "FilterGain", 3.0f, 30.0f, 15.0f, 12.0f / 27.0f, "15.00", 0.01f },
        { "midValue", "Dry/Wet", 0.0f, 100.0f, 50.0f, 0.5f, "50.00", 0.01f },
        { "lowValue", "FilterQ", 4.0f, 20.0f, 10.0f, 6.0f / 16.0f, "10.00", 0.01f },
        { "gain", "Gain", -18.0f, 18.0f, 0.0f, 0.5f, "0.00", 0.01f },
        { "reverb", "Reverb", 0.0f, 1.0f, 0.0f, 0.0f, "Off", 1.0f },
        { "backColor", "BackColor", 0.0f, 5.0f, 0.0f, 0.0f, "Vibrato", 1.0f },
    };
}

TEST_F (ProcessorFixture, ParametersInLayoutOrderWithRangesDefaultsAndTexts)
{
    const auto& parameters = processor->getParameters();
    ASSERT_EQ (parameters.size(), (int) std::size (parameterTable));

    for (int i = 0; i < parameters.size(); ++i)
    {
        const auto& expected = parameterTable[i];
        SCOPED_TRACE (expected.id);

        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[i]);
        ASSERT_NE (parameter, nullptr);
        EXPECT_EQ (parameter->getParameterID(), expected.id);
        EXPECT_EQ (parameter->getVersionHint(), 0);
        EXPECT_EQ (parameter->getName (100), expected.name);
        EXPECT_EQ (parameter->getLabel(), juce::String());
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_FALSE (parameter->isMetaParameter());
        EXPECT_FALSE (parameter->isOrientationInverted());
        EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);

        const auto& range = parameter->getNormalisableRange();
        EXPECT_EQ (range.start, expected.minimum);
        EXPECT_EQ (range.end, expected.maximum);
        EXPECT_FLOAT_EQ (range.interval, expected.interval);
        EXPECT_EQ (range.skew, 1.0f);

        EXPECT_FLOAT_EQ (parameter->getDefaultValue(), expected.normalisedDefault);
        EXPECT_FLOAT_EQ (parameter->getValue(), expected.normalisedDefault);
        EXPECT_EQ (parameter->getCurrentValueAsText(), expected.defaultText);
        EXPECT_EQ (processor->parameterState.getRawParameterValue (expected.id)->load(), expected.defaultValue);
    }
}

TEST_F (ProcessorFixture, HandlesPointAtTheRawValues)
{
    const std::pair<std::atomic<float>*, const char*> handles[] = {
        { processor->topValueParam, "topValue" }, { processor->midValueParam, "midValue" },
        { processor->lowValueParam, "lowValue" }, { processor->gainParam, "gain" },
        { processor->reverbParam, "reverb" },     { processor->backColorParam, "backColor" },
    };

    for (const auto& [handle, id] : handles)
        EXPECT_EQ (handle, processor->parameterState.getRawParameterValue (id)) << id;

    EXPECT_EQ (processor->themeId, 1);
}

TEST_F (ProcessorFixture, HostValuesSnapToTheStep)
{
    auto* top = processor->parameterState.getParameter ("topValue");
    top->setValueNotifyingHost ((15.004f - 3.0f) / 27.0f);
    EXPECT_EQ (top->getCurrentValueAsText(), "15.00");
    EXPECT_FLOAT_EQ (getParameter ("topValue"), 15.0f);

    auto* choice = processor->parameterState.getParameter ("backColor");
    choice->setValueNotifyingHost (1.0f);
    EXPECT_EQ (choice->getCurrentValueAsText(), "Arpeggio");
    EXPECT_EQ (getParameter ("backColor"), 5.0f);
    choice->setValueNotifyingHost (0.29f);
    EXPECT_EQ (getParameter ("backColor"), 1.0f);
}

TEST_F (ProcessorFixture, TypedTextIsParsedLikeTheHostShowsIt)
{
    struct TextCase { const char* id; const char* text; float plain; };
    const TextCase cases[] = {
        { "topValue", "20", 20.0f }, { "topValue", "7.25", 7.25f }, { "topValue", "100", 30.0f },
        { "midValue", "12.345", 12.35f }, { "gain", "-18", -18.0f }, { "lowValue", "1", 4.0f },
        { "reverb", "On", 1.0f }, { "reverb", "Off", 0.0f },
        { "backColor", "Staccato", 3.0f }, { "backColor", "Arpeggio", 5.0f },
    };

    for (const auto& c : cases)
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (processor->parameterState.getParameter (c.id));
        parameter->setValueNotifyingHost (parameter->getValueForText (c.text));
        EXPECT_NEAR (getParameter (c.id), c.plain, 1.0e-4f) << c.id << " " << c.text;
    }
}

TEST_F (ProcessorFixture, ReverbSwitchesAtHalfOnTheNextRefresh)
{
    prepare();
    auto* reverb = processor->parameterState.getParameter ("reverb");

    for (const auto& [normalised, expectedOn] : { std::pair { 0.49f, false }, { 0.5f, true }, { 0.7f, true }, { 0.1f, false } })
    {
        reverb->setValueNotifyingHost (normalised);
        processEmptyBlock();
        EXPECT_EQ (processor->reverbOn.load(), expectedOn) << normalised;
    }
}

TEST_F (ProcessorFixture, OneShotTimerRebuildsTheBankOnceAfterASecond)
{
    prepare();
    std::vector<std::vector<float>> signal { noise (512), noise (512, 1.0f, 2) };

    EXPECT_TRUE (processor->isTimerRunning());
    process (signal);
    ASSERT_FALSE (processor->bandFilters.isCleared());

    juce::MessageManager::getInstance()->runDispatchLoopUntil (1300);
    EXPECT_FALSE (processor->isTimerRunning());

    processEmptyBlock();
    EXPECT_TRUE (processor->bandFilters.isCleared()) << "the timer's forced recomputation clears the states";

    process (signal);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (1300);
    processEmptyBlock();
    EXPECT_FALSE (processor->bandFilters.isCleared()) << "the timer fires only once";
}
