#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** The editor's drawing style: arc knobs with a round thumb and a small
    pointer, a bare drop-down arrow, a theme-tinted popup menu, underlined
    text buttons and bubble-less value popups, all in the embedded font.
    It also carries the per-theme palettes the editor paints with. */
class OtherLookAndFeel : public juce::LookAndFeel_V4
{
public:
    static constexpr int numThemeSlots = 7;
    using Palette = std::array<juce::Colour, (size_t) numThemeSlots>;

    OtherLookAndFeel();
    ~OtherLookAndFeel() override;

    //==============================================================================
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawBubble (juce::Graphics&, juce::BubbleComponent&,
                     const juce::Point<float>& tip, const juce::Rectangle<float>& body) override;
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;
    juce::Font getSliderPopupFont (juce::Slider&) override;
    int getSliderPopupPlacement (juce::Slider&) override;

    //==============================================================================
    /** Palette lookups by theme item ID; an ID outside the palette gives
        transparent black rather than reading past the array. */
    juce::Colour backgroundColourFor (int themeId) const noexcept;
    juce::Colour curveColourFor (int themeId) const noexcept;

    /** A new typeface made from the font data compiled into the plug-in. */
    static juce::Typeface::Ptr createEmbeddedTypeface();

    //==============================================================================
    /** Fill of the theme box's popup menu; the editor keeps it in step with
        the chosen theme. */
    juce::Colour themeColour { 0x804682b4 };

    const Palette backgroundColours { juce::Colour (0x804682b4),
                                      juce::Colour (0xff4682b4),
                                      juce::Colour (0xff663399),
                                      juce::Colour (0xffa52a2a),
                                      juce::Colour (0xffdaa520),
                                      juce::Colour (0xffff1493),
                                      juce::Colour (0xff5f9ea0) };

    const Palette curveColours { juce::Colour (0x804682b4),
                                 juce::Colour (0xff000000),
                                 juce::Colour (0xffffffff),
                                 juce::Colour (0xffffffff),
                                 juce::Colour (0xff000000),
                                 juce::Colour (0xffffffff),
                                 juce::Colour (0xff000000) };

    const juce::Colour panelColour { 0xfff5f5f5 };

    juce::Font buttonFont { createEmbeddedTypeface() };

    static constexpr juce::uint32 thumbColour = 0xfff0ffff;

private:
    static juce::Colour paletteEntry (const Palette&, int themeId) noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OtherLookAndFeel)
};
