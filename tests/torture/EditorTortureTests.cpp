#include "ParameterShaker.h"
#include "ProcessingThread.h"

#include <gtest/gtest.h>

namespace
{
    /** The host's editor window: JUCE's wrapper around the plug-in's view,
        put on the desktop as a window of its own. */
    struct EditorWindow
    {
        explicit EditorWindow (juce::AudioProcessor& instance) : editor (instance.createEditorIfNeeded())
        {
            if (editor != nullptr)
            {
                editor->setTopLeftPosition (40, 40);
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
}

// The editor comes and goes while audio runs, parameters move from another
// thread, and the state is saved and restored with the window open.
TEST (EditorTorture, EditorOpensAndClosesRepeatedlyWhileEverythingElseMoves)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk()) << instance.getLoadResult().getErrorMessage();
    ASSERT_TRUE (instance.prepare (44100.0, 256, 2));

    ProcessingLoop::Options options;
    options.maximumBlockSize = 256;
    options.blockSizes = BlockSizePlan::Pattern::varying;
    options.automateBetweenBlocks = true;
    options.seed = 60;

    ProcessingThread audio (instance, options);
    ParameterShaker shaker (instance.getEffectParameters(), 61);
    audio.start();
    shaker.start();

    juce::Random random (62);
    constexpr int openings = 24;

    for (int opening = 0; opening < openings; ++opening)
    {
        EditorWindow window (*instance);
        ASSERT_NE (window.editor, nullptr) << "opening " << opening;

        // Sometimes closed at once, sometimes after it has drawn a few frames.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (random.nextInt (60));

        if (opening % 4 == 0)
        {
            juce::MemoryBlock state;
            instance->getStateInformation (state);
            instance->setStateInformation (state.getData(), (int) state.getSize());
        }

        EXPECT_TRUE (window.editor->isOnDesktop()) << "opening " << opening;
    }

    EXPECT_EQ (instance->getActiveEditor(), nullptr);

    // A window left open while the instance is released and prepared again.
    {
        EditorWindow window (*instance);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
        ASSERT_TRUE (shaker.waitForChanges (200));
        shaker.stop();
        audio.stop();

        ASSERT_TRUE (instance.prepare (96000.0, 512, 1));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
    }

    const auto& loop = audio.getLoop();
    EXPECT_GT (loop.getNumBlocks(), 0);
    EXPECT_FALSE (loop.getOutputBound().hasFailed()) << loop.getOutputBound().describeFailure();

    // Processing goes on normally afterwards.
    ProcessingLoop::Options mono;
    mono.numChannels = 1;
    mono.maximumBlockSize = 512;
    ProcessingLoop after (instance, mono);
    after.runBlocks (8);
    EXPECT_FALSE (after.getOutputBound().hasFailed()) << after.getOutputBound().describeFailure();
    EXPECT_GT (after.getOutputBound().getLargestOutput(), 0.0f);

    instance->releaseResources();
}
