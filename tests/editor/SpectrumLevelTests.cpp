#include "EditorHarness.h"

#include <vector>

namespace
{
    enum class Levels { smoothed, held, scope };

    struct LevelCheck
    {
        Levels which;
        int first;
        std::vector<float> expected;
    };

    /** One paint: the spectrum it sees (a fill level with a few entries
        overridden) and what the editor keeps afterwards. */
    struct Frame
    {
        float fill;
        std::vector<std::pair<int, float>> entries;
        std::vector<LevelCheck> checks;
    };

    struct LevelCase
    {
        const char* name;
        std::vector<Frame> frames;
    };

    float readLevel (EditorHarness& harness, Levels which, int index)
    {
        switch (which)
        {
            case Levels::smoothed: return harness.editor->smoothedLevels[(size_t) index];
            case Levels::held:     return harness.editor->heldLevels[(size_t) index];
            case Levels::scope:    return harness.processor.spectrumScope[(size_t) index].load();
        }
        return -1.0f;
    }

    void paintOnce (PluginAudioProcessorEditor& editor)
    {
        auto image = blankImage (editor.getWidth(), editor.getHeight());
        juce::Graphics g (image);
        editor.paint (g);
    }
}

class SpectrumLevelTest : public testing::TestWithParam<LevelCase> {};

namespace
{
    void PrintTo (const LevelCase& c, std::ostream* os) { *os << c.name; }
}

TEST_P (SpectrumLevelTest, SmoothsAndHoldsAsDrawn)
{
    EditorHarness harness;
    int paintNumber = 0;

    for (const auto& frame : GetParam().frames)
    {
        ++paintNumber;
        harness.fillScope (frame.fill);
        for (const auto& [index, level] : frame.entries)
            harness.processor.spectrumScope[(size_t) index].store (level);

        paintOnce (*harness.editor);

        for (const auto& check : frame.checks)
            for (size_t k = 0; k < check.expected.size(); ++k)
            {
                const int index = check.first + (int) k;
                EXPECT_FLOAT_EQ (readLevel (harness, check.which, index), check.expected[k])
                    << "paint " << paintNumber << ", " << (check.which == Levels::smoothed ? "smoothed"
                                                           : check.which == Levels::held ? "held" : "scope")
                    << " entry " << index;
            }
    }

    // The fixed neighbours of the drawn range are never written.
    EXPECT_EQ (harness.editor->smoothedLevels.front(), 0.0f);
    EXPECT_EQ (harness.editor->smoothedLevels.back(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P (
    Editor, SpectrumLevelTest,
    testing::Values (
        LevelCase { "plateau",
                    { Frame { 0.0f, { { 1, 0.5f }, { 2, 0.5f }, { 3, 0.5f }, { 4, 0.8f } },
                              { { Levels::smoothed, 1, { 0.5f, 0.25f, 0.5f, 0.8f, 0.0f } },
                                { Levels::held, 1, { 0.5f, 0.25f, 0.5f, 0.8f, 0.0f } } } },
                      Frame { 0.0f, { { 1, 0.5f }, { 2, 0.5f }, { 3, 0.5f }, { 4, 0.8f } },
                              { { Levels::smoothed, 1, { 0.5f, 0.575f, 0.65f, 0.8f, 0.0f } } } } } },
        LevelCase { "isolatedZero",
                    { Frame { 0.0f, { { 10, 0.4f }, { 11, 0.0f }, { 12, 0.6f } },
                              { { Levels::smoothed, 9, { 0.2f, 0.4f, 0.5f, 0.6f, 0.0f } } } } } },
        LevelCase { "constantFullScale",
                    { Frame { 1.0f, {},
                              { { Levels::smoothed, 1, { 1.0f, 0.5f, 1.0f, 0.5f, 1.0f, 0.5f, 1.0f, 0.5f } } } } } },
        LevelCase { "fallingHeldLevel",
                    { Frame { 0.0f, { { 100, 1.0f } }, { { Levels::held, 100, { 1.0f } } } },
                      Frame { 0.0f, {}, { { Levels::smoothed, 100, { 0.0f } }, { Levels::held, 100, { 0.75f } } } },
                      Frame { 0.0f, {}, { { Levels::held, 100, { 0.5625f } } } },
                      Frame { 0.0f, {}, { { Levels::held, 100, { 0.421875f } } } } } },
        LevelCase { "outOfRange",
                    { Frame { 0.0f, { { 20, 1.5f }, { 40, -0.5f } },
                              { { Levels::scope, 20, { 0.0f } },
                                { Levels::held, 20, { 0.0f } },
                                { Levels::scope, 40, { 0.0f } },
                                { Levels::held, 40, { 0.0f } } } } } }),
    [] (const testing::TestParamInfo<LevelCase>& info) { return std::string (info.param.name); });
