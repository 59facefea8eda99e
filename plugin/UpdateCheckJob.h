#pragma once

#include "UpdateChecker.h"

#include <atomic>
#include <functional>
#include <memory>

/** One update check in the background, with a hard time limit.

    The fetch runs on a thread of its own; the job's own thread watches it
    and cancels the request when the time limit passes or when cancel() is
    called, so that a silent or trickling server cannot hold the fetch for
    long, and so that whoever calls cancel() never waits for libcurl.

    Destroying a job waits for both threads, so only destroy one whose
    thread has finished, or where waiting is acceptable. */
class UpdateCheckJob : private juce::Thread
{
public:
    UpdateCheckJob (const juce::URL& versionFileUrl, int timeLimitMs);
    ~UpdateCheckJob() override;

    /** Called once on the job's thread when the fetched text is ready. */
    void start (std::function<void()> onFetched);

    /** Makes the fetch give up soon; returns at once, from any thread. */
    void cancel();

    /** After this returns, onFetched is no longer called. */
    void forgetListener();

    bool waitUntilFinished (int timeoutMs) const;
    bool hasFinished() const;

    /** The reply's text, or UpdateChecker::unknownVersion; valid once onFetched has been called. */
    juce::String getFetchedText() const;

    /** Takes over a cancelled job that has not finished yet. It is destroyed
        once it has finished, at the latest when the plug-in's code is
        unloaded, so that none of its threads outlives that code. */
    static void retire (std::unique_ptr<UpdateCheckJob>);

private:
    class FetchThread : public juce::Thread
    {
    public:
        explicit FetchThread (UpdateCheckJob& ownerJob) : juce::Thread ("Vesperline update fetch"), owner (ownerJob) {}
        ~FetchThread() override { stopThread (-1); }
        void run() override { owner.fetch(); }

    private:
        UpdateCheckJob& owner;
    };

    void run() override;
    void fetch();

    const int timeLimitMs;
    UpdateChecker checker;
    FetchThread fetchThread { *this };

    juce::WaitableEvent wakeUp;
    std::atomic<bool> fetchDone { false };
    std::atomic<bool> cancelRequested { false };

    juce::CriticalSection resultLock;
    juce::String fetchedText { UpdateChecker::unknownVersion };
    std::function<void()> listener;

    JUCE_DECLARE_NON_COPYABLE (UpdateCheckJob)
};
