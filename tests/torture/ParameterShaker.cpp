#include "ParameterShaker.h"

ParameterShaker::ParameterShaker (const juce::Array<juce::AudioProcessorParameter*>& parametersToShake, juce::int64 seed)
    : juce::Thread ("Parameter shaker"), parameters (parametersToShake), random (seed)
{
}

ParameterShaker::~ParameterShaker()
{
    stop();
}

void ParameterShaker::start()
{
    startThread();
}

void ParameterShaker::stop()
{
    stopThread (60000);
}

void ParameterShaker::run()
{
    if (parameters.isEmpty())
        return;

    while (! threadShouldExit())
    {
        auto* parameter = parameters.getUnchecked (random.nextInt (parameters.size()));
        const auto roll = random.nextInt (8);
        parameter->setValue (roll == 0 ? 0.0f : roll == 1 ? 1.0f : random.nextFloat());
        changes.fetch_add (1);

        // A burst of changes, then a moment for the other threads.
        if ((changes.load() & 15) == 0)
            wait (1);
    }
}

bool ParameterShaker::waitForChanges (juce::int64 count, int timeoutMs) const
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    const bool onMessageThread = messageManager != nullptr && messageManager->isThisTheMessageThread();

    while (changes.load() < count)
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
