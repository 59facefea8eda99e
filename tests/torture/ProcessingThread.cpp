#include "ProcessingThread.h"

#include "BoundedWait.h"

#include <cstdio>
#include <cstdlib>

ProcessingThread::ProcessingThread (HostedInstance& instance, const ProcessingLoop::Options& options)
    : juce::Thread ("Torture audio"), loop (instance, options)
{
}

ProcessingThread::~ProcessingThread()
{
    stop();
}

void ProcessingThread::start()
{
    startThread (juce::Thread::Priority::high);
}

void ProcessingThread::stop()
{
    signalThreadShouldExit();

    // A block that never returns is a hang; say so rather than wait forever.
    if (! waitForThreadToExit (hangTimeoutMs))
    {
        std::fprintf (stderr, "The audio thread did not come back from a block within %d ms\n", hangTimeoutMs);
        std::abort();
    }
}

void ProcessingThread::run()
{
    while (! threadShouldExit())
    {
        loop.runBlock();
        blocksDone.store (loop.getNumBlocks());

        // Two cores are shared with the thread that tortures the instance.
        if ((loop.getNumBlocks() & 7) == 0)
            juce::Thread::yield();
    }
}

bool ProcessingThread::waitForBlocks (juce::int64 count, int timeoutMs) const
{
    return waitUntil ([this, count] { return blocksDone.load() >= count; }, timeoutMs);
}
