#include "ParameterShaker.h"

#include "BoundedWait.h"

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
    return waitUntil ([this, count] { return changes.load() >= count; }, timeoutMs);
}
