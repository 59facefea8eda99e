#include "EditorHarness.h"

namespace
{
    using ControlGetter = juce::Component& (*) (PluginAudioProcessorEditor&);

    struct ControlBoundsCase
    {
        const char* name;
        ControlGetter control;
        juce::Rectangle<int> bounds;
    };

    const ControlBoundsCase controlBounds[] = {
        { "lowValueSlider", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.lowValueSlider; }, { 50, 345, 120, 120 } },
        { "topValueSlider", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.topValueSlider; }, { 170, 345, 120, 120 } },
        { "midValueSlider", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.midValueSlider; }, { 290, 345, 120, 120 } },
        { "gainSlider", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.gainSlider; }, { 410, 345, 120, 120 } },
        { "reverbButton", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.reverbButton; }, { 120, 309, 200, 30 } },
        { "themeBox", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.themeBox; }, { 290, 310, 200, 30 } },
        { "siteButton", [] (PluginAudioProcessorEditor& e) -> juce::Component& { return e.siteButton; }, { -10, 490, 200, 30 } },
    };
}

TEST (EditorControls, AreLaidOutByTheFirstPaint)
{
    EditorHarness harness;
    auto& editor = *harness.editor;

    EXPECT_EQ (editor.getWidth(), 580);
    EXPECT_EQ (editor.getHeight(), 520);
    EXPECT_FALSE (editor.isResizable());
    EXPECT_EQ (editor.layoutTop, 80);

    for (const auto& c : controlBounds)
        EXPECT_TRUE (c.control (editor).getBounds().isEmpty()) << c.name;

    harness.render();

    for (const auto& c : controlBounds)
    {
        EXPECT_EQ (c.control (editor).getBounds(), c.bounds) << c.name;
        EXPECT_TRUE (c.control (editor).isVisible()) << c.name;
    }

    EXPECT_EQ (&editor.themeBox.getLookAndFeel(), &editor.otherLookAndFeel);
    EXPECT_EQ (&editor.siteButton.getLookAndFeel(), &editor.otherLookAndFeel);
}

TEST (EditorControls, ShowTheirTextsAndChoices)
{
    EditorHarness harness;
    auto& editor = *harness.editor;

    const std::pair<juce::Slider*, const char*> knobs[] = {
        { &editor.topValueSlider, "15.00 dB" },
        { &editor.midValueSlider, "50.00 %" },
        { &editor.lowValueSlider, "10.00 dB/oct" },
        { &editor.gainSlider, "0.00 dB" },
    };

    for (const auto& [knob, text] : knobs)
    {
        EXPECT_EQ (knob->getTextFromValue (knob->getValue()), text);
        EXPECT_EQ (knob->getSliderStyle(), juce::Slider::RotaryVerticalDrag);
        EXPECT_EQ (knob->getTextBoxPosition(), juce::Slider::NoTextBox);
    }

    EXPECT_EQ (editor.reverbButton.getButtonText(), "Reverberated");
    EXPECT_EQ (editor.siteButton.getButtonText(), "orlevaudio.example");

    const juce::StringArray themes { "Vibrato Background", "Crescendo Background", "Rhapsody Background",
                                     "Staccato Background", "Tremolo Background", "Arpeggio Background" };
    ASSERT_EQ (editor.themeBox.getNumItems(), themes.size());
    for (int i = 0; i < themes.size(); ++i)
    {
        EXPECT_EQ (editor.themeBox.getItemId (i), i + 1);
        EXPECT_EQ (editor.themeBox.getItemText (i), themes[i]);
    }
}

//==============================================================================
struct KnobEditCase
{
    const char* parameterId;
    juce::Slider PluginAudioProcessorEditor::* knob;
    std::atomic<float> PluginAudioProcessor::* snapshot;
    double newValue;
};

void PrintTo (const KnobEditCase& c, std::ostream* os) { *os << c.parameterId << " to " << c.newValue; }

class KnobEditTest : public testing::TestWithParam<KnobEditCase> {};

TEST_P (KnobEditTest, RecomputesTheBankFromTheKnobsNewValue)
{
    const auto& c = GetParam();
    EditorHarness harness;
    auto& knob = (*harness.editor).*(c.knob);

    knob.setValue (c.newValue, juce::sendNotificationSync);

    // updateParameters loads the snapshot from the parameter: it holds the new
    // value only if the attachment passed it on before the editor reacted.
    EXPECT_FLOAT_EQ (harness.processor.parameterState.getRawParameterValue (c.parameterId)->load(), (float) c.newValue);
    EXPECT_FLOAT_EQ ((harness.processor.*(c.snapshot)).load(), (float) c.newValue);
}

INSTANTIATE_TEST_SUITE_P (EditorControls, KnobEditTest,
                          testing::Values (KnobEditCase { "topValue", &PluginAudioProcessorEditor::topValueSlider, &PluginAudioProcessor::currentTopValue, 20.0 },
                                           KnobEditCase { "topValue", &PluginAudioProcessorEditor::topValueSlider, &PluginAudioProcessor::currentTopValue, 3.0 },
                                           KnobEditCase { "lowValue", &PluginAudioProcessorEditor::lowValueSlider, &PluginAudioProcessor::currentLowValue, 7.5 },
                                           KnobEditCase { "lowValue", &PluginAudioProcessorEditor::lowValueSlider, &PluginAudioProcessor::currentLowValue, 20.0 }));

TEST (EditorControls, ReverbClickRecomputesTheBankInTheNewMode)
{
    EditorHarness harness;
    ASSERT_FALSE (harness.processor.reverbOn.load());

    harness.editor->reverbButton.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_TRUE (harness.editor->reverbButton.getToggleState());
    EXPECT_TRUE (harness.processor.reverbOn.load());
}

//==============================================================================
struct VersionLineCase
{
    const char* operatingSystem;
    const char* expected;
};

void PrintTo (const VersionLineCase& c, std::ostream* os) { *os << '"' << c.operatingSystem << '"'; }

class VersionLineTest : public testing::TestWithParam<VersionLineCase> {};

TEST_P (VersionLineTest, NamesThePlatform)
{
    EXPECT_EQ (PluginAudioProcessorEditor::composeVersionLine (GetParam().operatingSystem), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (EditorControls, VersionLineTest,
                          testing::Values (VersionLineCase { "Mac OSX", "Version 2.5.0 Mac" },
                                           VersionLineCase { "Linux", "Version 2.5.0 Win" },
                                           VersionLineCase { "Windows 10", "Version 2.5.0 Win" },
                                           VersionLineCase { "mac", "Version 2.5.0 Win" },
                                           VersionLineCase { "", "Version 2.5.0 Win" }));
