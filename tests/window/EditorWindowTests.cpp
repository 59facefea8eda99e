#include "BackgroundAudioThread.h"
#include "DemoSignal.h"
#include "DirectVst3Instance.h"
#include "PluginHost.h"
#include "WindowCapture.h"

#include <gtest/gtest.h>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    juce::File builtBundle()
    {
        return juce::File (VESPERLINE_BUNDLE_PATH);
    }

    void pumpMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** The host's editor window: the editor JUCE's host wraps around the
        plug-in's view, put on the desktop as a window of its own. */
    struct EditorWindow
    {
        explicit EditorWindow (juce::AudioProcessor& instance)
            : editor (instance.createEditorIfNeeded())
        {
            if (editor != nullptr)
            {
                editor->setTopLeftPosition (60, 60);
                editor->addToDesktop (juce::ComponentPeer::windowAppearsOnTaskbar);
                editor->setVisible (true);
            }
        }

        ~EditorWindow()
        {
            if (editor != nullptr)
                editor->removeFromDesktop();
        }

        std::unique_ptr<juce::AudioProcessorEditor> editor;
    };

    class EditorWindowTests : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            const auto loaded = host.load (builtBundle(), sampleRate, blockSize);
            ASSERT_TRUE (loaded.wasOk()) << loaded.getErrorMessage();
        }

        PluginHost host;
    };
}

TEST (EditorView, TellsTheHostItsFixedSize)
{
    DirectVst3Instance direct (builtBundle());
    ASSERT_TRUE (direct.getCreateResult().wasOk()) << direct.getCreateResult().getErrorMessage();

    const auto view = direct.askEditorView();
    ASSERT_TRUE (view.created);
    EXPECT_TRUE (view.supportsX11EmbedWindow);
    EXPECT_FALSE (view.canResize);
    EXPECT_EQ (view.width, 580);
    EXPECT_EQ (view.height, 520);
}

TEST_F (EditorWindowTests, EditorShowsInARealWindowOf580By520)
{
    EditorWindow window (*host);
    ASSERT_NE (window.editor, nullptr);
    pumpMessages (400);

    auto& editor = *window.editor;
    EXPECT_EQ (host->getActiveEditor(), &editor);
    EXPECT_EQ (editor.getWidth(), 580);
    EXPECT_EQ (editor.getHeight(), 520);
    EXPECT_TRUE (editor.isOnDesktop());
    EXPECT_TRUE (editor.isShowing());
    EXPECT_FALSE (editor.isResizable());

    // The window shows the plug-in's own drawing, not the host frame's black.
    const auto image = WindowCapture::capture (editor);
    ASSERT_TRUE (image.isValid());
    ASSERT_EQ (image.getBounds(), editor.getLocalBounds());

    int blackPixels = 0;

    for (int y = 0; y < image.getHeight(); y += 4)
        for (int x = 0; x < image.getWidth(); x += 4)
            if (image.getPixelAt (x, y).getPixelARGB().getNativeARGB() == juce::Colours::black.getARGB())
                ++blackPixels;

    EXPECT_LT (blackPixels, (image.getWidth() / 4) * (image.getHeight() / 4) / 2);
}

TEST_F (EditorWindowTests, EditorOpensAndClosesRepeatedlyWhileAudioRuns)
{
    constexpr int openings = 20;

    host->prepareToPlay (sampleRate, blockSize);
    const auto demo = DemoSignal::create (sampleRate, 1.0);

    {
        BackgroundAudioThread audio (*host, demo, sampleRate, blockSize);
        audio.start();

        for (int i = 0; i < openings; ++i)
        {
            EditorWindow window (*host);
            ASSERT_NE (window.editor, nullptr) << "opening " << i;
            pumpMessages (40);
            EXPECT_TRUE (window.editor->isShowing()) << "opening " << i;
        }

        pumpMessages (40);
        audio.stop();
        EXPECT_GT (audio.getNumBlocksProcessed(), 0);
    }

    EXPECT_EQ (host->getActiveEditor(), nullptr);

    // The instance still processes normally afterwards.
    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;
    block.copyFrom (0, 0, demo, 0, 0, blockSize);
    block.copyFrom (1, 0, demo, 1, 0, blockSize);
    host->processBlock (block, midi);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_TRUE (std::isfinite (block.getSample (channel, i)));

    host->releaseResources();
}
