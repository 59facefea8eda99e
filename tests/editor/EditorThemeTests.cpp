#include "EditorHarness.h"

namespace
{
    constexpr int spectrumLeft = 34;
    const juce::Colour black (0xff000000);
    const juce::Colour panel (0xfff5f5f5);

    /** The panel's gradient runs from transparent at y = 0 to alpha 0xB2 at
        y = 280; a pixel row is sampled at its centre. */
    juce::Colour panelOver (juce::Colour background, int y)
    {
        const auto alpha = (float) 0xb2 * ((float) y + 0.5f) / 280.0f;
        return background.overlaidWith (panel.withAlpha (alpha / 255.0f));
    }

    bool isLighterThan (juce::Colour pixel, juce::Colour background)
    {
        auto sum = [] (juce::Colour c) { return (int) c.getRed() + (int) c.getGreen() + (int) c.getBlue(); };
        return sum (pixel) > sum (background) + 20;
    }
}

struct ThemeCase
{
    int themeId;
    juce::uint32 background;
    juce::uint32 curve;
};

void PrintTo (const ThemeCase& c, std::ostream* os) { *os << "theme " << c.themeId; }

class EditorThemeTest : public testing::TestWithParam<ThemeCase> {};

TEST_P (EditorThemeTest, ThemeFollowsTheStoredChoiceBeforeTheFirstPaint)
{
    EditorHarness harness (GetParam().themeId - 1);

    EXPECT_EQ (harness.processor.themeId, GetParam().themeId);
    EXPECT_EQ (harness.editor->themeBox.getSelectedId(), GetParam().themeId);
    EXPECT_EQ (harness.editor->otherLookAndFeel.themeColour, juce::Colour (GetParam().background));
}

TEST_P (EditorThemeTest, FollowsAChoiceMadeWhileOpen)
{
    EditorHarness harness;
    harness.setParameter ("backColor", (float) (GetParam().themeId - 1));

    EXPECT_EQ (harness.processor.themeId, GetParam().themeId);
    EXPECT_EQ (harness.editor->otherLookAndFeel.themeColour, juce::Colour (GetParam().background));
}

TEST_P (EditorThemeTest, PaintsBackgroundPanelCurveKeyboardAndTexts)
{
    const auto background = juce::Colour (GetParam().background);
    const auto curve = juce::Colour (GetParam().curve);

    EditorHarness harness (GetParam().themeId - 1);

    // Levels alternating between 0.5 and 0.6 pass the smoothing unchanged;
    // their curve zigzags densely between y = 150 and y = 122.
    for (size_t i = 0; i < harness.processor.spectrumScope.size(); ++i)
        harness.processor.spectrumScope[i].store (i % 2 == 0 ? 0.6f : 0.5f);

    const auto image = harness.render();

    auto expectPixel = [&] (int x, int y, juce::Colour expected, int tolerance)
    {
        const auto actual = image.getPixelAt (x, y);
        EXPECT_TRUE (coloursNear (actual, expected, tolerance))
            << "at (" << x << ", " << y << "): " << actual.toDisplayString (true)
            << " instead of " << expected.toDisplayString (true);
    };

    // Window background, left of, right of and above the panel.
    expectPixel (5, 5, background, 0);
    expectPixel (spectrumLeft - 1, 100, background, 0);
    expectPixel (spectrumLeft + 512, 100, background, 0);
    expectPixel (300, 5, background, 0);

    // The panel's gradient above the curve, the curve, and its fill.
    expectPixel (spectrumLeft, 100, panelOver (background, 100), 3);
    expectPixel (300, 100, panelOver (background, 100), 3);
    expectPixel (300, 136, curve, 1);
    expectPixel (450, 140, curve, 1);
    expectPixel (300, 220, panelOver (background, 220).overlaidWith (curve.withAlpha ((juce::uint8) 0x80)), 3);

    // Keyboard strip: black frame, white keys, gaps, black keys in groups.
    expectPixel (spectrumLeft - 1, 305, black, 0);
    expectPixel (spectrumLeft + 3, 305, panel, 0);
    expectPixel (spectrumLeft + 7, 305, black, 0);
    expectPixel (spectrumLeft + 6, 295, black, 0);
    expectPixel (spectrumLeft + 14, 295, black, 0);
    expectPixel (spectrumLeft + 22, 295, panel, 0);
    expectPixel (spectrumLeft + 8 * 6 + 6, 295, panel, 0);
    expectPixel (spectrumLeft + 8 * 63 + 3, 305, panel, 0);
    expectPixel (spectrumLeft + 511, 305, black, 0);
    expectPixel (spectrumLeft + 512, 305, background, 0);

    // Black labels under the four knobs, below the knobs' own drawing.
    for (const int x : { 50, 170, 290, 410 })
        EXPECT_GT (countPixels (image, { x, 457, 120, 23 }, [] (juce::Colour c) { return c.getBrightness() < 0.15f; }), 10)
            << "label at x = " << x;

    // Faint white title and version line.
    auto lighter = [&] (juce::Colour c) { return isLighterThan (c, background); };
    EXPECT_GT (countPixels (image, { 150, 30, 280, 30 }, lighter), 30);
    EXPECT_GT (countPixels (image, { 200, 490, 100, 30 }, lighter), 30);
}

INSTANTIATE_TEST_SUITE_P (Editor, EditorThemeTest,
                          testing::Values (ThemeCase { 1, 0xff4682b4, 0xff000000 },
                                           ThemeCase { 2, 0xff663399, 0xffffffff },
                                           ThemeCase { 3, 0xffa52a2a, 0xffffffff },
                                           ThemeCase { 4, 0xffdaa520, 0xff000000 },
                                           ThemeCase { 5, 0xffff1493, 0xffffffff },
                                           ThemeCase { 6, 0xff5f9ea0, 0xff000000 }));
