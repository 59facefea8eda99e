#include "EditorHarness.h"

#include <algorithm>
#include <climits>
#include <map>

namespace
{
    bool isDark (juce::Colour c)   { return c.getAlpha() > 0 && c.getRed() < 0x80; }
    bool isPainted (juce::Colour c) { return c.getAlpha() > 0; }

    juce::Image drawKnob (OtherLookAndFeel& lookAndFeel, juce::Slider& slider, int width, int height, float position)
    {
        auto image = blankImage (std::max (width, 1), std::max (height, 1));
        juce::Graphics g (image);
        const auto rotary = slider.getRotaryParameters();
        lookAndFeel.drawRotarySlider (g, 0, 0, width, height, position,
                                      rotary.startAngleRadians, rotary.endAngleRadians, slider);
        return image;
    }
}

//==============================================================================
struct KnobStateCase
{
    bool enabled;
    bool expectValueArc;
};

void PrintTo (const KnobStateCase& c, std::ostream* os) { *os << (c.enabled ? "enabled" : "disabled"); }

class KnobStateTest : public testing::TestWithParam<KnobStateCase> {};

TEST_P (KnobStateTest, ValueArcOnlyWhenEnabledTrackAndThumbAlways)
{
    OtherLookAndFeel lookAndFeel;
    juce::Slider slider (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    slider.setLookAndFeel (&lookAndFeel);
    slider.setEnabled (GetParam().enabled);

    const auto image = drawKnob (lookAndFeel, slider, 120, 120, 1.0f);
    slider.setLookAndFeel (nullptr);

    const auto bounds = image.getBounds();
    const int arcPixels = countPixels (image, bounds, isDark);
    const int trackPixels = countPixels (image, bounds, [] (juce::Colour c) { return c == juce::Colour (0x33ffffff); });
    const int thumbPixels = countPixels (image, bounds, [] (juce::Colour c) { return c == juce::Colour (OtherLookAndFeel::thumbColour); });

    if (GetParam().expectValueArc)
        EXPECT_GT (arcPixels, 500);
    else
        EXPECT_EQ (arcPixels, 0);

    // At full scale the value arc covers the whole track when it is drawn.
    if (GetParam().expectValueArc)
        EXPECT_EQ (trackPixels, 0);
    else
        EXPECT_GT (trackPixels, 500);

    EXPECT_GT (thumbPixels, 50);
}

INSTANTIATE_TEST_SUITE_P (LookAndFeel, KnobStateTest,
                          testing::Values (KnobStateCase { true, true },
                                           KnobStateCase { false, false }));

//==============================================================================
struct KnobSizeCase
{
    int width, height;
    bool expectDrawn;
};

void PrintTo (const KnobSizeCase& c, std::ostream* os) { *os << c.width << " x " << c.height; }

class KnobSizeTest : public testing::TestWithParam<KnobSizeCase> {};

TEST_P (KnobSizeTest, KnobsOfTwentyPixelsOrLessDrawNothing)
{
    OtherLookAndFeel lookAndFeel;
    juce::Slider slider (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    const auto& c = GetParam();

    const auto image = drawKnob (lookAndFeel, slider, c.width, c.height, 0.5f);

    EXPECT_EQ (maxAlpha (image) > 0, c.expectDrawn) << c.width << " x " << c.height;
}

INSTANTIATE_TEST_SUITE_P (LookAndFeel, KnobSizeTest,
                          testing::Values (KnobSizeCase { 20, 20, false },
                                           KnobSizeCase { 15, 15, false },
                                           KnobSizeCase { 20, 200, false },
                                           KnobSizeCase { 200, 20, false },
                                           KnobSizeCase { 40, 40, true }));

//==============================================================================
struct ComboArrowCase
{
    bool enabled;
    bool buttonDown;
    int expectedAlpha;
};

void PrintTo (const ComboArrowCase& c, std::ostream* os)
{
    *os << (c.enabled ? "enabled" : "disabled") << (c.buttonDown ? ", pressed" : "");
}

class ComboArrowTest : public testing::TestWithParam<ComboArrowCase> {};

TEST_P (ComboArrowTest, ArrowOnlyWithAlphaByEnablement)
{
    OtherLookAndFeel lookAndFeel;
    juce::ComboBox box;
    box.setLookAndFeel (&lookAndFeel);
    box.setEnabled (GetParam().enabled);

    auto image = blankImage (200, 30);
    {
        juce::Graphics g (image);
        lookAndFeel.drawComboBox (g, 200, 30, GetParam().buttonDown, 0, 0, 200, 30, box);
    }
    box.setLookAndFeel (nullptr);

    EXPECT_EQ (maxAlpha (image), GetParam().expectedAlpha);

    // No background or outline: everything lies in the arrow zone.
    const juce::Rectangle<int> arrowZone (170, 0, 20, 30);
    EXPECT_EQ (countPixels (image, image.getBounds(), isPainted), countPixels (image, arrowZone, isPainted));
    EXPECT_GT (countPixels (image, arrowZone, isPainted), 10);
}

INSTANTIATE_TEST_SUITE_P (LookAndFeel, ComboArrowTest,
                          testing::Values (ComboArrowCase { true, false, 0xe6 },
                                           ComboArrowCase { true, true, 0xe6 },
                                           ComboArrowCase { false, false, 0x33 }));

//==============================================================================
struct ButtonTextCase
{
    juce::Button::ButtonState state;
    bool enabled;
    bool toggled;
    int expectedAlpha;
};

void PrintTo (const ButtonTextCase& c, std::ostream* os)
{
    *os << "state " << (int) c.state << (c.enabled ? "" : ", disabled") << (c.toggled ? ", toggled" : "");
}

class ButtonTextTest : public testing::TestWithParam<ButtonTextCase> {};

TEST_P (ButtonTextTest, WhiteTextWhoseAlphaFollowsTheButtonsOwnState)
{
    const auto& c = GetParam();
    OtherLookAndFeel lookAndFeel;
    juce::TextButton button (PluginAudioProcessorEditor::siteName);
    button.setSize (200, 30);
    button.setEnabled (c.enabled);
    button.setToggleState (c.toggled, juce::dontSendNotification);
    button.setState (c.state);

    // Drawn four times larger so that glyph strokes cover whole pixels.
    auto image = blankImage (800, 120);
    {
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (4.0f));

        // The flags passed contradict the state: the button's own state decides.
        const bool active = c.state != juce::Button::buttonNormal;
        lookAndFeel.drawButtonBackground (g, button, juce::Colours::red, ! active, ! active);
        lookAndFeel.drawButtonText (g, button, ! active, ! active);
    }

    // Where the underline crosses a descender the text is drawn twice, so
    // the alpha of the text is the most common one rather than the largest.
    std::map<int, int> alphaCounts;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (const auto p = image.getPixelAt (x, y); p.getAlpha() > 0)
                ++alphaCounts[p.getAlpha()];

    ASSERT_FALSE (alphaCounts.empty());
    const auto mostCommon = std::max_element (alphaCounts.begin(), alphaCounts.end(),
                                              [] (auto& a, auto& b) { return a.second < b.second; });
    EXPECT_EQ (mostCommon->first, c.expectedAlpha);

    // Faint edge pixels lose colour precision; judge the colour where it is clear.
    EXPECT_EQ (countPixels (image, image.getBounds(),
                            [] (juce::Colour p) { return p.getAlpha() >= 0x20 && std::min ({ p.getRed(), p.getGreen(), p.getBlue() }) < 0xf0; }),
               0) << "text is not white, or a background was drawn";
    EXPECT_TRUE (lookAndFeel.buttonFont.isUnderlined());
}

INSTANTIATE_TEST_SUITE_P (LookAndFeel, ButtonTextTest,
                          testing::Values (ButtonTextCase { juce::Button::buttonNormal, true, false, 0x4c },
                                           ButtonTextCase { juce::Button::buttonOver, true, false, 0x80 },
                                           ButtonTextCase { juce::Button::buttonDown, true, false, 0x80 },
                                           ButtonTextCase { juce::Button::buttonNormal, false, true, 0x4c },
                                           ButtonTextCase { juce::Button::buttonOver, true, true, 0x80 }));

//==============================================================================
TEST (LookAndFeel, PopupMenuIsFilledWithTheThemeColourAndOutlined)
{
    OtherLookAndFeel lookAndFeel;
    lookAndFeel.themeColour = lookAndFeel.backgroundColourFor (3);

    auto image = blankImage (100, 50);
    {
        juce::Graphics g (image);
        lookAndFeel.drawPopupMenuBackground (g, 100, 50);
    }

    const auto fill = juce::Colour (0xffa52a2a);
    const auto outline = fill.overlaidWith (lookAndFeel.findColour (juce::PopupMenu::textColourId).withAlpha ((juce::uint8) 0x99));

    EXPECT_EQ (image.getPixelAt (50, 25), fill);
    EXPECT_EQ (image.getPixelAt (1, 1), fill);

    for (const auto& edge : { juce::Point<int> (0, 25), juce::Point<int> (99, 25), juce::Point<int> (50, 0), juce::Point<int> (50, 49) })
        EXPECT_TRUE (coloursNear (image.getPixelAt (edge.x, edge.y), outline, 3))
            << edge.toString() << ": " << image.getPixelAt (edge.x, edge.y).toDisplayString (true);
}

TEST (LookAndFeel, BubbleIsNotDrawnAndPopupSitsBelow)
{
    OtherLookAndFeel lookAndFeel;
    juce::Slider slider;
    struct EmptyBubble : public juce::BubbleComponent
    {
        void getContentSize (int& w, int& h) override { w = h = 10; }
        void paintContent (juce::Graphics&, int, int) override {}
    } bubble;

    auto image = blankImage (100, 100);
    {
        juce::Graphics g (image);
        lookAndFeel.drawBubble (g, bubble, { 50.0f, 0.0f }, { 10.0f, 10.0f, 80.0f, 80.0f });
    }

    EXPECT_EQ (maxAlpha (image), 0);
    EXPECT_EQ (lookAndFeel.getSliderPopupPlacement (slider), (int) juce::BubbleComponent::below);
}

TEST (LookAndFeel, KnobThumbIsAzure)
{
    OtherLookAndFeel lookAndFeel;
    EXPECT_EQ (lookAndFeel.findColour (juce::Slider::thumbColourId), juce::Colour (0xfff0ffff));
}

//==============================================================================
TEST (LookAndFeel, EveryFontIsTheEmbeddedTypefaceAtDefaultHeight)
{
    OtherLookAndFeel lookAndFeel;
    juce::ComboBox box;
    juce::Slider slider;

    const std::pair<const char*, juce::Font> fonts[] = {
        { "popup menu", lookAndFeel.getPopupMenuFont() },
        { "combo box", lookAndFeel.getComboBoxFont (box) },
        { "slider popup", lookAndFeel.getSliderPopupFont (slider) },
        { "button", lookAndFeel.buttonFont },
    };

    for (const auto& [what, font] : fonts)
    {
        EXPECT_EQ (font.getTypefaceName(), "Sulphur Point") << what;
        EXPECT_FLOAT_EQ (font.getHeight(), 14.0f) << what;
    }
}

//==============================================================================
TEST (LookAndFeel, PalettesGiveTransparentBlackOutsideTheirRange)
{
    const OtherLookAndFeel lookAndFeel;

    for (int id = 0; id < OtherLookAndFeel::numThemeSlots; ++id)
    {
        EXPECT_EQ (lookAndFeel.backgroundColourFor (id), lookAndFeel.backgroundColours[(size_t) id]);
        EXPECT_EQ (lookAndFeel.curveColourFor (id), lookAndFeel.curveColours[(size_t) id]);
    }

    for (const int id : { -1, 7, 8, 1000, INT_MIN, INT_MAX })
    {
        EXPECT_EQ (lookAndFeel.backgroundColourFor (id).getARGB(), 0u) << id;
        EXPECT_EQ (lookAndFeel.curveColourFor (id).getARGB(), 0u) << id;
    }
}
