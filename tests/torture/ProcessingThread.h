#pragma once

#include "ProcessingLoop.h"

/**
    Runs a ProcessingLoop on a thread of its own, as fast as it can, until
    stopped: the host's audio thread while the test's thread (the message
    thread) does other things to the same instance.
*/
class ProcessingThread : private juce::Thread
{
public:
    ProcessingThread (HostedInstance& instance, const ProcessingLoop::Options& options);
    ~ProcessingThread() override;

    void start();

    /** Stops and joins; the loop's results may be read afterwards. */
    void stop();

    /** Waits (pumping the message loop when called on the message thread)
        until at least this many blocks ran in total; false on timeout. */
    bool waitForBlocks (juce::int64 count, int timeoutMs = 60000) const;

    juce::int64 getNumBlocks() const noexcept { return blocksDone.load(); }

    /** Valid after stop(). */
    const ProcessingLoop& getLoop() const noexcept { return loop; }

    /** How long stop() waits for a block to come back before it calls the
        run a hang and aborts. */
    static constexpr int hangTimeoutMs = 120000;

private:
    void run() override;

    ProcessingLoop loop;
    std::atomic<juce::int64> blocksDone { 0 };
};
