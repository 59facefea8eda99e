#include "BoundedWait.h"

#include <juce_events/juce_events.h>

bool waitUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    const bool onMessageThread = messageManager != nullptr && messageManager->isThisTheMessageThread();

    while (! condition())
    {
        if ((juce::int32) (deadline - juce::Time::getMillisecondCounter()) <= 0)
            return false;

        if (onMessageThread)
            messageManager->runDispatchLoopUntil (2);
        else
            juce::Thread::sleep (2);
    }

    return true;
}
