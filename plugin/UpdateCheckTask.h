#pragma once

#include "UpdateCheckJob.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

/** Runs one update check in the background on behalf of a component and
    hands the fetched text back on the message thread.

    Create and destroy it on the message thread. The callback runs there,
    at most once, and never after the task has been destroyed, so it may
    refer to the task's owner. Destroying the task cancels the request and
    waits only a moment for it to end; a request that takes longer to let go
    finishes on its own and is waited for when the plug-in is unloaded, so
    no update code can run after that. */
class UpdateCheckTask : private juce::AsyncUpdater
{
public:
    using Callback = std::function<void (const juce::String& fetchedText)>;

    UpdateCheckTask (const juce::URL& versionFileUrl, Callback onFetched,
                     int timeLimitMs = defaultTimeLimitMs,
                     int closingWaitMs = defaultClosingWaitMs);
    ~UpdateCheckTask() override;

    /** True once the callback has run. */
    bool hasFinished() const noexcept   { return finished; }

    /** Long enough for a connection and a short reply, short enough that a
        server which never answers cannot hold the check for long. */
    static constexpr int defaultTimeLimitMs = 4000;

    /** How long destruction may wait for a cancelled request to end. */
    static constexpr int defaultClosingWaitMs = 250;

private:
    void handleAsyncUpdate() override;

    std::unique_ptr<UpdateCheckJob> job;
    Callback callback;
    const int closingWaitMs;
    bool finished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateCheckTask)
};
