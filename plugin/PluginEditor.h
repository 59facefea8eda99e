#pragma once

#include "OtherLookAndFeel.h"
#include "PluginProcessor.h"
#include "UpdateCheckTask.h"

#include <array>
#include <memory>

/** The plug-in window: four knobs, the reverb switch, the theme selector and
    the site link over a painted background with the live output spectrum.

    The state is public, like the processor's data, so that tests can look
    at what the window shows and drive its timer and painting directly. */
class PluginAudioProcessorEditor : public juce::AudioProcessorEditor,
                                   public juce::Slider::Listener,
                                   public juce::Timer
{
public:
    /** The version file's address can be replaced, for a local test server. */
    PluginAudioProcessorEditor (PluginAudioProcessor&, juce::AudioProcessorValueTreeState&,
                                const juce::URL& versionFileUrl = juce::URL (PluginAudioProcessor::versionUrl));
    ~PluginAudioProcessorEditor() override;

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override;

    void timerCallback() override;
    void sliderValueChanged (juce::Slider*) override;

    //==============================================================================
    /** "Version <x.y.z> Mac" when the OS name contains "Mac", "... Win" otherwise. */
    static juce::String composeVersionLine (const juce::String& operatingSystemName);

    static constexpr const char* siteName = "orlevaudio.example";
    static constexpr int numLevelSlots = PluginAudioProcessor::spectrumPoints;

    //==============================================================================
    juce::AudioProcessorValueTreeState& parameterState;
    PluginAudioProcessor& audioProcessor;

    // Declared before the controls, so that it outlives them.
    OtherLookAndFeel otherLookAndFeel;

    juce::Slider topValueSlider;
    juce::Slider midValueSlider;
    juce::Slider lowValueSlider;
    juce::Slider gainSlider;
    juce::ComboBox themeBox { juce::String() };
    juce::ToggleButton reverbButton;
    juce::TextButton siteButton { siteName };

    // Declared after the controls, so that they detach from live controls.
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> topValueAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> midValueAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> lowValueAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> gainAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> reverbAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> backColorAttachment;

    /** Consecutive timer ticks without a processed block; stops counting at 2. */
    int idleTicks = 0;

    /** Entries 0 and the last are fixed zero neighbours of the drawn range. */
    std::array<float, numLevelSlots + 1> smoothedLevels {};

    /** The levels the previous paint drew; entry 0 is unused. */
    std::array<float, numLevelSlots> heldLevels {};

    juce::String versionText;
    int layoutTop = 0;
    juce::Font titleFont { OtherLookAndFeel::createEmbeddedTypeface() };

    /** The background check that may turn versionText into a new-version
        notice; it never calls back once the editor has started closing. */
    std::unique_ptr<UpdateCheckTask> updateCheck;

private:
    void setUpKnob (juce::Slider&, const juce::String& suffix);
    void applyTheme();
    void updateSpectrumLevels();
    juce::Path createSpectrumCurve() const;
    void paintSpectrum (juce::Graphics&);
    void paintKeyboard (juce::Graphics&);
    void paintKnobLabels (juce::Graphics&);
    void layOutControls();
    void showVersionIfNewer (const juce::String& fetchedText);

    int spectrumLeft() const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginAudioProcessorEditor)
};
