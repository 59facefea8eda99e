#include "UpdateCheckTask.h"

UpdateCheckTask::UpdateCheckTask (const juce::URL& versionFileUrl, Callback onFetched,
                                  int timeLimitMs, int closingWait)
    : job (std::make_unique<UpdateCheckJob> (versionFileUrl, timeLimitMs)),
      callback (std::move (onFetched)),
      closingWaitMs (closingWait)
{
    // Only posts a message; the text is picked up on the message thread.
    job->start ([this] { triggerAsyncUpdate(); });
}

UpdateCheckTask::~UpdateCheckTask()
{
    // From here on the job cannot post; a message already posted is
    // dropped by the AsyncUpdater's own destructor.
    job->forgetListener();
    job->cancel();

    if (! job->waitUntilFinished (closingWaitMs))
        UpdateCheckJob::retire (std::move (job));
}

void UpdateCheckTask::handleAsyncUpdate()
{
    finished = true;

    if (callback != nullptr)
        callback (job->getFetchedText());
}
