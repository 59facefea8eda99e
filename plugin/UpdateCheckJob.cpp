#include "UpdateCheckJob.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace
{
    /** Jobs whose owners have gone while their request was still letting go.
        It is created on first use, by when the first retired job has long
        opened its stream, so it comes after the statics of JUCE's network
        code and is destroyed, waiting for its jobs, before them. */
    class RetiredJobs
    {
    public:
        static RetiredJobs& getInstance()
        {
            static RetiredJobs instance;
            return instance;
        }

        ~RetiredJobs()
        {
            const std::lock_guard<std::mutex> lock (jobsLock);
            jobs.clear();
        }

        void add (std::unique_ptr<UpdateCheckJob> job)
        {
            const std::lock_guard<std::mutex> lock (jobsLock);

            jobs.erase (std::remove_if (jobs.begin(), jobs.end(), [] (const auto& j) { return j->hasFinished(); }),
                        jobs.end());
            jobs.push_back (std::move (job));
        }

    private:
        RetiredJobs() = default;

        std::mutex jobsLock;
        std::vector<std::unique_ptr<UpdateCheckJob>> jobs;
    };
}

UpdateCheckJob::UpdateCheckJob (const juce::URL& versionFileUrl, int timeLimit)
    : juce::Thread ("Vesperline update check"),
      timeLimitMs (timeLimit),
      checker (versionFileUrl)
{
}

UpdateCheckJob::~UpdateCheckJob()
{
    cancel();
    waitForThreadToExit (-1);

    // Only reached with a fetch still running if the watching thread never started.
    checker.cancel();
}

void UpdateCheckJob::start (std::function<void()> onFetched)
{
    {
        const juce::ScopedLock sl (resultLock);
        listener = std::move (onFetched);
    }

    fetchThread.startThread();
    startThread();
}

void UpdateCheckJob::cancel()
{
    cancelRequested = true;
    wakeUp.signal();
}

void UpdateCheckJob::forgetListener()
{
    const juce::ScopedLock sl (resultLock);
    listener = nullptr;
}

bool UpdateCheckJob::waitUntilFinished (int timeoutMs) const
{
    return waitForThreadToExit (timeoutMs);
}

bool UpdateCheckJob::hasFinished() const
{
    return ! isThreadRunning();
}

juce::String UpdateCheckJob::getFetchedText() const
{
    const juce::ScopedLock sl (resultLock);
    return fetchedText;
}

void UpdateCheckJob::retire (std::unique_ptr<UpdateCheckJob> job)
{
    if (job != nullptr)
        RetiredJobs::getInstance().add (std::move (job));
}

//==============================================================================
void UpdateCheckJob::fetch()
{
    const auto text = checker.fetchVersionText();

    {
        const juce::ScopedLock sl (resultLock);
        fetchedText = text;
    }

    fetchDone = true;
    wakeUp.signal();
}

void UpdateCheckJob::run()
{
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeLimitMs;

    while (! fetchDone)
    {
        const auto remainingMs = deadline - juce::Time::getMillisecondCounterHiRes();

        // Cancelling from here rather than from the caller keeps the caller
        // clear of libcurl, which may hold on while a name lookup finishes.
        if (cancelRequested || remainingMs <= 0.0)
        {
            checker.cancel();
            break;
        }

        wakeUp.wait ((int) std::ceil (remainingMs));
    }

    // Once cancelled, the fetch returns as soon as libcurl's current wait ends.
    fetchThread.waitForThreadToExit (-1);

    const juce::ScopedLock sl (resultLock);

    if (listener != nullptr)
        listener();
}
