#pragma once

#include "LoopbackHttpServer.h"
#include "PluginEditor.h"

#include <gtest/gtest.h>

#include <memory>

namespace update_test
{
    /** Long enough for any check that is going to end, however loaded the machine. */
    constexpr int checkWaitLimitMs = 20000;

    inline void pumpMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** Lets the message thread run until the condition holds; false if it never does. */
    template <typename Condition>
    bool pumpUntil (Condition&& condition, int limitMs = checkWaitLimitMs)
    {
        const auto giveUp = juce::Time::getMillisecondCounterHiRes() + limitMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounterHiRes() > giveUp)
                return false;

            pumpMessages (10);
        }

        return true;
    }

    inline double millisecondsSince (double start)
    {
        return juce::Time::getMillisecondCounterHiRes() - start;
    }

    /** The line the editor shows before, and unless, a newer version turns up. */
    inline juce::String composedLine()
    {
        return PluginAudioProcessorEditor::composeVersionLine (juce::SystemStats::getOperatingSystemName());
    }

    inline juce::String noticeFor (const std::string& fetchedBytes)
    {
        return "New version available " + juce::String::fromUTF8 (fetchedBytes.data(), (int) fetchedBytes.size());
    }

    inline juce::URL closedPortUrl()
    {
        return juce::URL ("http://127.0.0.1:" + juce::String (LoopbackHttpServer::findClosedPort()) + "/vesperline/version.txt");
    }

    /** A processor whose editor is opened on a given version-file address. */
    class UpdateNoticeFixture : public testing::Test
    {
    protected:
        std::unique_ptr<PluginAudioProcessorEditor> openEditor (const juce::URL& versionFileUrl)
        {
            return std::make_unique<PluginAudioProcessorEditor> (processor, processor.parameterState, versionFileUrl);
        }

        /** Opens an editor, waits for its check and returns the line it then shows. */
        juce::String lineAfterCheck (const juce::URL& versionFileUrl)
        {
            auto editor = openEditor (versionFileUrl);

            if (! pumpUntil ([&] { return editor->updateCheck->hasFinished(); }))
                ADD_FAILURE() << "the update check did not finish";

            return editor->versionText;
        }

        PluginAudioProcessor processor;
    };
}
