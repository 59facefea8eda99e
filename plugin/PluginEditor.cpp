#include "PluginEditor.h"

namespace
{
    constexpr int panelTop = 10;
    constexpr int panelHeight = 280;
    constexpr int baseLine = panelTop + panelHeight;
    constexpr int knobSize = 120;
    constexpr uint32_t faintWhite = 0x4cffffff;

    void drawCentredLine (juce::Graphics& g, const juce::String& text, int x, int y, int width, int height)
    {
        g.drawFittedText (text, x, y, width, height, juce::Justification::centred, 1);
    }
}

//==============================================================================
PluginAudioProcessorEditor::PluginAudioProcessorEditor (PluginAudioProcessor& p,
                                                        juce::AudioProcessorValueTreeState& state,
                                                        const juce::URL& versionFileUrl)
    : AudioProcessorEditor (p), parameterState (state), audioProcessor (p)
{
    startTimer (33);
    setResizable (false, false);
    setSize (audioProcessor.editorWidth, audioProcessor.editorHeight);

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;

    // Each listened knob gets the editor as listener before its attachment.
    // A slider calls its listeners from the last registered to the first, so
    // the attachment has already passed a user's edit to the parameter when
    // sliderValueChanged() recomputes the bank from it.
    setUpKnob (topValueSlider, " dB");
    topValueSlider.addListener (this);
    topValueAttachment = std::make_unique<SliderAttachment> (parameterState, "topValue", topValueSlider);

    setUpKnob (midValueSlider, " %");
    midValueSlider.addListener (this);
    midValueAttachment = std::make_unique<SliderAttachment> (parameterState, "midValue", midValueSlider);

    setUpKnob (lowValueSlider, " dB/oct");
    lowValueSlider.addListener (this);
    lowValueAttachment = std::make_unique<SliderAttachment> (parameterState, "lowValue", lowValueSlider);

    setUpKnob (gainSlider, " dB");
    gainAttachment = std::make_unique<SliderAttachment> (parameterState, "gain", gainSlider);

    // The click handler comes after the attachment, so the initial toggle
    // state does not trigger it.
    addAndMakeVisible (reverbButton);
    reverbButton.setButtonText ("Reverberated");
    reverbAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (parameterState, "reverb", reverbButton);
    reverbButton.onClick = [this] { audioProcessor.updateParameters (false); };

    // The change handler comes before the attachment: its initial selection
    // then runs the theme step, so themeId follows the stored choice before
    // the first paint.
    const juce::StringArray themeNames { "Vibrato Background", "Crescendo Background", "Rhapsody Background",
                                         "Staccato Background", "Tremolo Background", "Arpeggio Background" };
    themeBox.addItemList (themeNames, 1);
    themeBox.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (themeBox);
    applyTheme();
    themeBox.onChange = [this] { applyTheme(); };
    backColorAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (parameterState, "backColor", themeBox);

    addAndMakeVisible (siteButton);
    siteButton.onClick = [] { juce::URL (PluginAudioProcessor::siteUrl).launchInDefaultBrowser(); };

    versionText = composeVersionLine (juce::SystemStats::getOperatingSystemName());

    layoutTop = getHeight() / 2 - 180;

    setLookAndFeel (&otherLookAndFeel);

    // The window must not wait for the network: the check runs in the
    // background and replaces versionText later if a newer version is out.
    updateCheck = std::make_unique<UpdateCheckTask> (versionFileUrl,
                                                     [this] (const juce::String& fetchedText) { showVersionIfNewer (fetchedText); });
}

PluginAudioProcessorEditor::~PluginAudioProcessorEditor()
{
    // First, so that a check finishing now cannot touch a half-destroyed editor.
    updateCheck.reset();

    setLookAndFeel (nullptr);
    stopTimer();
}

juce::String PluginAudioProcessorEditor::composeVersionLine (const juce::String& operatingSystemName)
{
    const juce::String platform = operatingSystemName.contains ("Mac") ? "Mac" : "Win";
    return "Version " JucePlugin_VersionString " " + platform;
}

void PluginAudioProcessorEditor::showVersionIfNewer (const juce::String& fetchedText)
{
    if (UpdateChecker::isNewerThanRunning (fetchedText))
    {
        versionText = UpdateChecker::describeNewVersion (fetchedText);
        repaint();
    }
}

void PluginAudioProcessorEditor::setUpKnob (juce::Slider& knob, const juce::String& suffix)
{
    knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    knob.setPopupDisplayEnabled (true, true, this, 2000);
    knob.setTextValueSuffix (suffix);
    addAndMakeVisible (knob);
}

void PluginAudioProcessorEditor::applyTheme()
{
    audioProcessor.themeId = themeBox.getSelectedId();
    otherLookAndFeel.themeColour = otherLookAndFeel.backgroundColourFor (audioProcessor.themeId);
}

//==============================================================================
void PluginAudioProcessorEditor::sliderValueChanged (juce::Slider*)
{
    audioProcessor.updateParameters (false);

    // While audio runs the timer repaints; without it, a knob change must.
    if (idleTicks >= 2)
        repaint();
}

void PluginAudioProcessorEditor::timerCallback()
{
    if (audioProcessor.audioRunning.load())
    {
        idleTicks = 0;
        repaint();
    }
    else if (idleTicks < 2)
    {
        ++idleTicks;
    }

    audioProcessor.audioRunning.store (false);

    if (audioProcessor.analyserBlockReady.load (std::memory_order_acquire))
    {
        audioProcessor.drawNextFrameOfSpectrum();
        audioProcessor.analyserBlockReady.store (false, std::memory_order_release);
    }
}

void PluginAudioProcessorEditor::resized()
{
}

//==============================================================================
int PluginAudioProcessorEditor::spectrumLeft() const noexcept
{
    return (int) (getWidth() * 0.5 - 256.0);
}

void PluginAudioProcessorEditor::paint (juce::Graphics& g)
{
    const int width = getWidth();
    const int height = getHeight();

    g.fillAll (otherLookAndFeel.backgroundColourFor (audioProcessor.themeId));

    g.setFont (titleFont.withHeight (24.0f));
    g.setColour (juce::Colour (faintWhite));
    drawCentredLine (g, juce::String::fromUTF8 (audioProcessor.editorTitle), 0, layoutTop - 50, width, 30);

    const auto panel = otherLookAndFeel.panelColour;
    g.setGradientFill (juce::ColourGradient (panel.withAlpha ((juce::uint8) 0x00), 0.0f, 0.0f,
                                             panel.withAlpha ((juce::uint8) 0xb2), 0.0f, (float) panelHeight,
                                             false));
    g.fillRect (spectrumLeft(), panelTop, numLevelSlots, panelHeight);

    paintSpectrum (g);
    paintKeyboard (g);
    paintKnobLabels (g);
    layOutControls();

    g.setColour (juce::Colour (faintWhite));
    drawCentredLine (g, versionText, 150, height - 30, 200, 30);
}

void PluginAudioProcessorEditor::updateSpectrumLevels()
{
    auto& scope = audioProcessor.spectrumScope;
    auto& levels = smoothedLevels;
    const auto last = (size_t) numLevelSlots - 1;

    // A flat run would draw as a plateau: each repeated level leans towards
    // its right neighbour, which still holds the previous paint's value here.
    for (size_t i = 1; i <= last; ++i)
    {
        float v = scope[i].load();

        if (v < 0.0f || v > 1.0f)
        {
            scope[i].store (0.0f);
            v = 0.0f;
        }

        levels[i] = v;

        if (levels[i] == levels[i - 1])
            levels[i] = (levels[i - 1] + levels[i + 1]) * 0.5f;
    }

    // The same once more on the fresh values, and isolated gaps are bridged.
    for (size_t i = 1; i <= last; ++i)
    {
        if (levels[i] == levels[i - 1])
            levels[i] = (levels[i - 1] + levels[i + 1]) * 0.5f;

        if (levels[i] == 0.0f && levels[i - 1] != 0.0f && levels[i + 1] != 0.0f)
            levels[i] = (levels[i - 1] + levels[i + 1]) * 0.5f;
    }

    // Rises show at once; falls cover a quarter of the remaining distance.
    for (size_t i = 1; i <= last; ++i)
    {
        const float e = levels[i];
        const float h = heldLevels[i];
        float r = h < e ? e : h + (h - e) * -0.25f;

        if (! (r >= 0.0f && r <= 1.0f))
            r = 0.0f;

        heldLevels[i] = r;
    }
}

juce::Path PluginAudioProcessorEditor::createSpectrumCurve() const
{
    const auto left = (float) spectrumLeft();

    juce::Path curve;
    curve.startNewSubPath (left, (float) baseLine);

    for (int i = 1; i < numLevelSlots; ++i)
        curve.lineTo (left + (float) i, (float) baseLine - (float) panelHeight * heldLevels[(size_t) i]);

    curve.lineTo (left + (float) numLevelSlots, (float) baseLine);
    return curve.createPathWithRoundedCorners (3.0f);
}

void PluginAudioProcessorEditor::paintSpectrum (juce::Graphics& g)
{
    updateSpectrumLevels();

    const auto left = (float) spectrumLeft();
    const auto curveColour = otherLookAndFeel.curveColourFor (audioProcessor.themeId);
    const auto curve = createSpectrumCurve();

    g.setColour (curveColour);
    g.strokePath (curve, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    auto area = curve;
    area.lineTo (left + (float) numLevelSlots, (float) baseLine);
    area.lineTo (left, (float) baseLine);
    area.closeSubPath();
    g.setColour (curveColour.withAlpha ((juce::uint8) 0x80));
    g.fillPath (area);
}

void PluginAudioProcessorEditor::paintKeyboard (juce::Graphics& g)
{
    const int left = spectrumLeft();

    g.setColour (juce::Colour (0xff000000));
    g.fillRect (left - 1, baseLine, numLevelSlots + 1, 20);

    g.setColour (otherLookAndFeel.panelColour);
    for (int k = 0; k < 64; ++k)
        g.fillRect (left + 8 * k, baseLine + 1, 7, 18);

    // Black keys come in groups of two and three, as on a piano.
    g.setColour (juce::Colour (0xff000000));
    for (int k = 0; k < 62; ++k)
        if (k % 7 != 2 && k % 7 != 6)
            g.fillRect (left + 5 + 8 * k, baseLine, 5, 10);
}

void PluginAudioProcessorEditor::paintKnobLabels (juce::Graphics& g)
{
    const int centreX = getWidth() / 2;
    const int top = layoutTop + 370;

    g.setFont (titleFont.withHeight (15.0f));
    g.setColour (juce::Colour (0xff000000));
    drawCentredLine (g, "Filter Q", centreX - 240, top, knobSize, 30);
    drawCentredLine (g, "Filter Gain", centreX - 120, top, knobSize, 30);
    drawCentredLine (g, "Dry/Wet", centreX, top, knobSize, 30);
    drawCentredLine (g, "Gain", centreX + 120, top, knobSize, 30);
}

void PluginAudioProcessorEditor::layOutControls()
{
    const int centreX = getWidth() / 2;
    const int knobTop = layoutTop + 265;

    lowValueSlider.setBounds (centreX - 240, knobTop, knobSize, knobSize);
    topValueSlider.setBounds (centreX - 120, knobTop, knobSize, knobSize);
    midValueSlider.setBounds (centreX, knobTop, knobSize, knobSize);
    gainSlider.setBounds (centreX + 120, knobTop, knobSize, knobSize);
    reverbButton.setBounds (centreX - 170, layoutTop + 229, 200, 30);

    themeBox.setLookAndFeel (&otherLookAndFeel);
    themeBox.setBounds (centreX, layoutTop + 230, 200, 30);

    siteButton.setBounds (-10, getHeight() - 30, 200, 30);
}
