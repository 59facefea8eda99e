#include "ProcessingLoop.h"

#include "AllocationCounter.h"

#include <cstring>

ProcessingLoop::ProcessingLoop (HostedInstance& instanceToRun, const Options& optionsToUse)
    : instance (instanceToRun),
      options (optionsToUse),
      plan (options.blockSizes, options.maximumBlockSize, options.seed),
      signal (options.signal, options.seed * 7919 + 1),
      random (options.seed * 104729 + 3),
      storage (options.numChannels, juce::jmax (1, plan.getLargestSize())),
      lastInput (options.numChannels, juce::jmax (1, plan.getLargestSize()))
{
}

void ProcessingLoop::runBlocks (int count) noexcept
{
    for (int i = 0; i < count; ++i)
        runBlock();
}

void ProcessingLoop::warmUpThread() noexcept
{
    threadWarmedUp = true;
    const auto& parameters = instance.getEffectParameters();

    if (parameters.isEmpty())
        return;

    auto* theme = parameters.getLast();

    for (auto* parameter : parameters)
        if (parameter->getName (64) == "BackColor")
            theme = parameter;

    const auto original = theme->getValue();
    juce::AudioBuffer<float> empty (storage.getArrayOfWritePointers(), options.numChannels, 0);

    theme->setValue (original < 0.5f ? 1.0f : 0.0f);
    instance.process (empty);
    theme->setValue (original);
    instance.process (empty);
}

void ProcessingLoop::runBlock() noexcept
{
    if (! threadWarmedUp)
        warmUpThread();

    if (options.automateBetweenBlocks)
        automate();

    const int size = plan.next();
    lastBlockSize = size;

    signal.fill (storage, options.numChannels, size);
    for (int channel = 0; channel < options.numChannels; ++channel)
        lastInput.copyFrom (channel, 0, storage, channel, 0, size);

    outputBound.noteInput (storage, options.numChannels, size);

    // Refers to the storage without copying or allocating.
    juce::AudioBuffer<float> block (storage.getArrayOfWritePointers(), options.numChannels, size);

    using Bypass = Options::Bypass;

    if (options.bypass == Bypass::parameter)
        if (auto* bypass = instance.getBypass())
            bypass->setValue (1.0f);

    {
        const AllocationCounter counter;
        instance.process (block, options.bypass == Bypass::processBlockBypassed);
        allocations += counter.getCount();
    }

    if (options.bypass != Bypass::off)
    {
        for (int channel = 0; channel < options.numChannels; ++channel)
            if (std::memcmp (storage.getReadPointer (channel), lastInput.getReadPointer (channel), sizeof (float) * (size_t) size) != 0)
                ++bypassMismatches;
    }
    else
    {
        outputBound.check (storage, options.numChannels, size);
    }

    ++blocks;
    samples += size;
}

void ProcessingLoop::automate() noexcept
{
    const auto& parameters = instance.getEffectParameters();

    if (parameters.isEmpty() || random.nextInt (4) == 0)
        return;

    for (int changes = 1 + random.nextInt (3); --changes >= 0;)
    {
        auto* parameter = parameters.getUnchecked (random.nextInt (parameters.size()));

        // Mostly anywhere in the range, sometimes right at its ends.
        const auto roll = random.nextInt (8);
        const float value = roll == 0 ? 0.0f : roll == 1 ? 1.0f : random.nextFloat();

        parameter->setValue (value);
        ++parameterChanges;
    }
}
