#pragma once

#include "BlockSizePlan.h"
#include "HostedInstance.h"
#include "OutputBound.h"
#include "TestSignal.h"

/**
    What a host's audio thread does for one instance, one block per call:
    fill the block with input, maybe automate parameters between blocks,
    process, and check what came out. Every processBlock call is watched by an
    AllocationCounter (where counting works).

    Everything is allocated in the constructor; running blocks allocates
    nothing on the test's side.
*/
class ProcessingLoop
{
public:
    struct Options
    {
        int numChannels = 2;
        int maximumBlockSize = 512;
        BlockSizePlan::Pattern blockSizes = BlockSizePlan::Pattern::fixed;
        SignalKind signal = SignalKind::whiteNoise;
        juce::int64 seed = 1;

        /** Sets random effect parameters through their setValue between blocks. */
        bool automateBetweenBlocks = false;

        /** How the host bypasses the instance, if at all. */
        enum class Bypass
        {
            off,
            parameter,           // the host's bypass parameter is engaged before every block
            processBlockBypassed // the host calls processBlockBypassed instead of processBlock
        };

        Bypass bypass = Bypass::off;
    };

    ProcessingLoop (HostedInstance& instance, const Options& options);

    /** The first call on a thread prepares that thread (see warmUpThread)
        before it runs its block. */
    void runBlock() noexcept;
    void runBlocks (int count) noexcept;

    /** Blocks and samples run so far. */
    juce::int64 getNumBlocks() const noexcept { return blocks; }
    juce::int64 getNumSamples() const noexcept { return samples; }

    /** Heap allocations seen inside processBlock calls. */
    std::size_t getAllocationsInProcessBlock() const noexcept { return allocations; }

    juce::int64 getNumParameterChanges() const noexcept { return parameterChanges; }

    const OutputBound& getOutputBound() const noexcept { return outputBound; }

    /** The input of the last block, before processing, and its output. */
    const juce::AudioBuffer<float>& getLastInput() const noexcept { return lastInput; }
    const juce::AudioBuffer<float>& getLastOutput() const noexcept { return storage; }
    int getLastBlockSize() const noexcept { return lastBlockSize; }

    /** Bypassed blocks that did not come out exactly as they went in. */
    juce::int64 getNumBypassMismatches() const noexcept { return bypassMismatches; }

    /** A dlopen'ed module's thread-local storage is allocated by the C
        library on the first access from each thread, and JUCE's VST3 client
        touches its thread_local when it applies the first parameter change a
        thread hands over. A host's audio thread pays that once; here two empty
        blocks around a change of the theme parameter (which the sound
        ignores) pay it outside what is counted. */
    void warmUpThread() noexcept;

private:
    void automate() noexcept;

    HostedInstance& instance;
    const Options options;
    BlockSizePlan plan;
    TestSignal signal;
    juce::Random random;
    OutputBound outputBound;

    juce::AudioBuffer<float> storage;
    juce::AudioBuffer<float> lastInput;
    int lastBlockSize = 0;

    juce::int64 blocks = 0;
    juce::int64 samples = 0;
    juce::int64 parameterChanges = 0;
    juce::int64 bypassMismatches = 0;
    std::size_t allocations = 0;
    bool threadWarmedUp = false;
};
