#include "OtherLookAndFeel.h"

#include "BinaryData.h"

OtherLookAndFeel::OtherLookAndFeel()
{
    setColour (juce::Slider::thumbColourId, juce::Colour (thumbColour));
}

OtherLookAndFeel::~OtherLookAndFeel() = default;

//==============================================================================
juce::Typeface::Ptr OtherLookAndFeel::createEmbeddedTypeface()
{
    return juce::Typeface::createSystemTypefaceFor (BinaryData::SulphurPointBold_ttf,
                                                    (size_t) BinaryData::SulphurPointBold_ttfSize);
}

juce::Colour OtherLookAndFeel::paletteEntry (const Palette& palette, int themeId) noexcept
{
    if (themeId < 0 || themeId >= numThemeSlots)
        return juce::Colour (0x00000000);

    return palette[(size_t) themeId];
}

juce::Colour OtherLookAndFeel::backgroundColourFor (int themeId) const noexcept
{
    return paletteEntry (backgroundColours, themeId);
}

juce::Colour OtherLookAndFeel::curveColourFor (int themeId) const noexcept
{
    return paletteEntry (curveColours, themeId);
}

//==============================================================================
void OtherLookAndFeel::drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool)
{
}

void OtherLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    buttonFont.setUnderline (true);
    g.setFont (buttonFont);

    // The button's own state decides, so a hover shows even when the caller
    // passes other flags.
    const bool active = button.isOver() || button.isDown();
    g.setColour (juce::Colour (active ? 0x80ffffffu : 0x4cffffffu));

    g.drawFittedText (button.getButtonText(), button.getLocalBounds(), juce::Justification::centred, 1);
}

void OtherLookAndFeel::drawBubble (juce::Graphics&, juce::BubbleComponent&,
                                   const juce::Point<float>&, const juce::Rectangle<float>&)
{
}

void OtherLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (themeColour);

    g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha ((juce::uint8) 0x99));
    g.drawRect (juce::Rectangle<float> (0.0f, 0.0f, (float) width, (float) height), 1.0f);
}

juce::Font OtherLookAndFeel::getPopupMenuFont()
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

void OtherLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool,
                                     int, int, int, int, juce::ComboBox& box)
{
    const int middle = height / 2;

    juce::Path arrow;
    arrow.startNewSubPath ((float) (width - 27), (float) (middle - 2));
    arrow.lineTo ((float) (width - 20), (float) (middle + 3));
    arrow.lineTo ((float) (width - 13), (float) (middle - 2));

    const auto alpha = (juce::uint8) (box.isEnabled() ? 0xe6 : 0x33);
    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withAlpha (alpha));
    g.strokePath (arrow, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
}

juce::Font OtherLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

void OtherLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                         float sliderPos, float rotaryStartAngle, float rotaryEndAngle,
                                         juce::Slider& slider)
{
    const auto bounds = juce::Rectangle<int> (x, y, width, height).toFloat().reduced (10.0f);
    const auto centre = bounds.getCentre();

    const float radius = juce::jmin (bounds.getWidth(), bounds.getHeight()) / 2.0f;
    const float lineW = juce::jmin (8.0f, radius * 0.5f);
    const float arcRadius = radius - lineW / 2.0f;
    const float toAngle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);
    const juce::PathStrokeType arcStroke (lineW, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    juce::Path track;
    track.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour (juce::Colour (0x33ffffff));
    g.strokePath (track, arcStroke);

    if (slider.isEnabled())
    {
        juce::Path valueArc;
        valueArc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, rotaryStartAngle, toAngle, true);
        g.setColour (juce::Colour (0xff000000));
        g.strokePath (valueArc, arcStroke);
    }

    const float thumbDiameter = lineW * 1.8f;
    const juce::Point<float> thumbCentre (centre.x + arcRadius * std::cos (toAngle - juce::MathConstants<float>::halfPi),
                                          centre.y + arcRadius * std::sin (toAngle - juce::MathConstants<float>::halfPi));
    g.setColour (slider.findColour (juce::Slider::thumbColourId));
    g.fillEllipse (juce::Rectangle<float> (thumbDiameter, thumbDiameter).withCentre (thumbCentre));

    // The pointer's base sits on the outer edge of the track, its apex outward.
    const float pointerSize = thumbDiameter * 0.4f;
    juce::Path pointer;
    pointer.addTriangle (-pointerSize / 2.0f, -radius,
                         pointerSize / 2.0f, -radius,
                         0.0f, -radius - pointerSize);
    g.fillPath (pointer, juce::AffineTransform::rotation (toAngle)
                             .translated ((float) x + (float) width / 2.0f, (float) y + (float) height / 2.0f));
}

juce::Font OtherLookAndFeel::getSliderPopupFont (juce::Slider&)
{
    static const juce::Typeface::Ptr typeface = createEmbeddedTypeface();
    return juce::Font (typeface);
}

int OtherLookAndFeel::getSliderPopupPlacement (juce::Slider&)
{
    return juce::BubbleComponent::below;
}
