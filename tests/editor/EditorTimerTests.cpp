#include "EditorHarness.h"

#include <cmath>

namespace
{
    /** Counts the requests to repaint the whole component it is attached to;
        the editor never paints through it. */
    struct RepaintCounter : public juce::CachedComponentImage
    {
        explicit RepaintCounter (int& counter) : count (counter) {}

        void paint (juce::Graphics&) override {}
        bool invalidateAll() override { ++count; return false; }
        bool invalidate (const juce::Rectangle<int>&) override { return false; }
        void releaseResources() override {}

        int& count;
    };

    void countRepaints (PluginAudioProcessorEditor& editor, int& counter)
    {
        editor.setVisible (true);
        editor.setCachedComponentImage (new RepaintCounter (counter));
        counter = 0; // attaching it requested one
    }
}

TEST (EditorTimer, CountsIdleTicksAndClearsTheRunningFlag)
{
    EditorHarness harness;

    const std::pair<bool, int> ticks[] = { { true, 0 }, { false, 1 }, { false, 2 }, { false, 2 }, { true, 0 }, { false, 1 } };

    for (const auto& [running, expectedIdleTicks] : ticks)
    {
        harness.processor.audioRunning.store (running);
        harness.editor->timerCallback();

        EXPECT_EQ (harness.editor->idleTicks, expectedIdleTicks);
        EXPECT_FALSE (harness.processor.audioRunning.load());
    }
}

TEST (EditorTimer, RequestsARepaintOnlyWhileAudioRuns)
{
    EditorHarness harness;
    int repaints = 0;
    countRepaints (*harness.editor, repaints);

    for (const bool running : { false, true, false, false, true, true, false })
    {
        harness.processor.audioRunning.store (running);
        const int before = repaints;

        harness.editor->timerCallback();

        EXPECT_EQ (repaints - before, running ? 1 : 0);
    }
}

struct KnobRepaintCase
{
    int idleTicks;
    juce::Slider PluginAudioProcessorEditor::* knob;
    bool expectRepaint;
};

void PrintTo (const KnobRepaintCase& c, std::ostream* os) { *os << c.idleTicks << " idle ticks"; }

class KnobRepaintTest : public testing::TestWithParam<KnobRepaintCase> {};

TEST_P (KnobRepaintTest, KnobChangeRepaintsOnlyWithoutAudio)
{
    const auto& c = GetParam();
    EditorHarness harness;
    auto& editor = *harness.editor;

    harness.processor.audioRunning.store (true);
    editor.timerCallback();
    for (int i = 0; i < c.idleTicks; ++i)
        editor.timerCallback();
    ASSERT_EQ (editor.idleTicks, c.idleTicks);

    int repaints = 0;
    countRepaints (editor, repaints);
    auto& knob = editor.*(c.knob);
    knob.setValue (knob.getMinimum(), juce::sendNotificationSync);

    EXPECT_EQ (repaints, c.expectRepaint ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P (EditorTimer, KnobRepaintTest,
                          testing::Values (KnobRepaintCase { 0, &PluginAudioProcessorEditor::topValueSlider, false },
                                           KnobRepaintCase { 1, &PluginAudioProcessorEditor::midValueSlider, false },
                                           KnobRepaintCase { 2, &PluginAudioProcessorEditor::topValueSlider, true },
                                           KnobRepaintCase { 2, &PluginAudioProcessorEditor::midValueSlider, true },
                                           KnobRepaintCase { 2, &PluginAudioProcessorEditor::lowValueSlider, true },
                                           KnobRepaintCase { 2, &PluginAudioProcessorEditor::gainSlider, false }));

TEST (EditorTimer, DrawsAPendingAnalyserBlockAndClearsTheFlag)
{
    for (const bool blockReady : { false, true })
    {
        EditorHarness harness;
        auto& processor = harness.processor;

        for (size_t i = 0; i < processor.analyserFftData.size() / 2; ++i)
            processor.analyserFftData[i] = std::sin (0.2f * (float) i);

        harness.fillScope (0.0f);
        processor.analyserBlockReady.store (blockReady);

        harness.editor->timerCallback();

        const int lit = (int) std::count_if (processor.spectrumScope.begin(), processor.spectrumScope.end(),
                                             [] (const std::atomic<float>& level) { return level.load() > 0.0f; });

        EXPECT_FALSE (processor.analyserBlockReady.load()) << "block ready: " << blockReady;
        EXPECT_EQ (lit > 0, blockReady) << lit << " levels lit";
    }
}
