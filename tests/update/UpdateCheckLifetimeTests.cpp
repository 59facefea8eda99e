#include "UpdateTestSupport.h"

using namespace update_test;

namespace
{
    /** Below the connection timeout, so only a constructor that does not wait
        for the server can stay under it, yet far above a normal construction. */
    constexpr double promptConstructionMs = UpdateChecker::connectionTimeoutMs * 2.0 / 3.0;

    /** Closing may wait a moment for a cancelled request, never for the network. */
    constexpr double promptDestructionMs = 2000.0;

    class UpdateCheckLifetimeTest : public UpdateNoticeFixture {};
}

TEST_F (UpdateCheckLifetimeTest, SilentServerDoesNotDelayTheWindowAndLeavesTheLine)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0"), LoopbackHttpServer::Behaviour::stayQuiet);

    const auto start = juce::Time::getMillisecondCounterHiRes();
    auto editor = openEditor (server.getVersionFileUrl());
    EXPECT_LT (millisecondsSince (start), promptConstructionMs);
    EXPECT_EQ (editor->versionText, composedLine());

    ASSERT_TRUE (pumpUntil ([&] { return editor->updateCheck->hasFinished(); }));
    EXPECT_EQ (editor->versionText, composedLine());
    EXPECT_EQ (server.getRequests().size(), 1u);
}

// 8 bytes every 20 ms stays above libcurl's own low-speed limit and would
// take well over a minute for this body, which would then announce a version.
TEST_F (UpdateCheckLifetimeTest, TricklingServerIsCutOffWithinTheTimeLimit)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("9" + std::string (32000, '0')),
                               LoopbackHttpServer::Behaviour::trickle);

    auto editor = openEditor (server.getVersionFileUrl());

    ASSERT_TRUE (pumpUntil ([&] { return editor->updateCheck->hasFinished(); }));
    EXPECT_EQ (editor->versionText, composedLine());
    EXPECT_EQ (server.getRequests().size(), 1u);
}

TEST_F (UpdateCheckLifetimeTest, ClosingWhileTheServerIsSilentIsPromptAndSafe)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0"), LoopbackHttpServer::Behaviour::stayQuiet);

    for (int round = 0; round < 10; ++round)
    {
        auto editor = openEditor (server.getVersionFileUrl());
        const auto requestsBefore = (size_t) round;

        // Close only once the request is with the server, so that it is in flight.
        EXPECT_TRUE (pumpUntil ([&] { return server.getRequests().size() > requestsBefore; })) << "round " << round;

        const auto start = juce::Time::getMillisecondCounterHiRes();
        editor.reset();
        EXPECT_LT (millisecondsSince (start), promptDestructionMs) << "round " << round;
    }

    // Whatever the cancelled checks still do must not reach the closed editors.
    pumpMessages (UpdateCheckTask::defaultTimeLimitMs + 1000);
}

TEST_F (UpdateCheckLifetimeTest, ClosingAfterTheReplyArrivedButBeforeItWasShownIsSafe)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0"), LoopbackHttpServer::Behaviour::answer);

    auto editor = openEditor (server.getVersionFileUrl());
    ASSERT_TRUE (server.waitForRepliesSent (1, checkWaitLimitMs));

    // Without the message loop running, the result waits in the queue.
    juce::Thread::sleep (300);
    editor.reset();
    pumpMessages (300);
}

//==============================================================================
TEST (UpdateCheckTask, DeliversOnTheMessageThreadAndNeverAfterItIsGone)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0"), LoopbackHttpServer::Behaviour::answer);

    int deliveries = 0;
    auto task = std::make_unique<UpdateCheckTask> (server.getVersionFileUrl(),
                                                   [&] (const juce::String&) { ++deliveries; });

    ASSERT_TRUE (server.waitForRepliesSent (1, checkWaitLimitMs));
    juce::Thread::sleep (300);
    EXPECT_EQ (deliveries, 0);

    task.reset();
    pumpMessages (300);
    EXPECT_EQ (deliveries, 0);
}

// Destroying without any wait leaves the cancelled request to end on its own.
TEST (UpdateCheckTask, RequestLeftBehindOnClosingStillEndsAndStaysSilent)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0"), LoopbackHttpServer::Behaviour::stayQuiet);

    int deliveries = 0;
    auto task = std::make_unique<UpdateCheckTask> (server.getVersionFileUrl(),
                                                   [&] (const juce::String&) { ++deliveries; },
                                                   UpdateCheckTask::defaultTimeLimitMs, 0);

    ASSERT_TRUE (pumpUntil ([&] { return server.getRequests().size() == 1; }));
    task.reset();

    EXPECT_TRUE (server.waitForClientsToHangUp (1, checkWaitLimitMs));
    pumpMessages (300);
    EXPECT_EQ (deliveries, 0);
}

TEST (UpdateCheckTask, HandsTheFetchedTextToTheCallbackOnce)
{
    LoopbackHttpServer server (LoopbackHttpServer::makeReply ("2.6.0\n"), LoopbackHttpServer::Behaviour::answer);

    juce::StringArray delivered;
    bool onMessageThread = true;
    UpdateCheckTask task (server.getVersionFileUrl(), [&] (const juce::String& text)
    {
        delivered.add (text);
        onMessageThread = onMessageThread && juce::MessageManager::getInstance()->isThisTheMessageThread();
    });

    ASSERT_TRUE (pumpUntil ([&] { return task.hasFinished(); }));
    pumpMessages (200);

    EXPECT_EQ (delivered, juce::StringArray ("2.6.0\n"));
    EXPECT_TRUE (onMessageThread);
}

TEST (UpdateCheckTask, FailedFetchDeliversTheFallbackVersion)
{
    juce::StringArray delivered;
    UpdateCheckTask task (closedPortUrl(), [&] (const juce::String& text) { delivered.add (text); });

    ASSERT_TRUE (pumpUntil ([&] { return task.hasFinished(); }));
    EXPECT_EQ (delivered, juce::StringArray (UpdateChecker::unknownVersion));
}
