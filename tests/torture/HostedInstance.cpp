#include "HostedInstance.h"

#include "HostedParameters.h"

HostedInstance::HostedInstance()
{
    loadResult = host.load (getBundle(), 48000.0, 512);

    if (loadResult.failed())
        return;

    bypass = HostedParameters::find (*host, bypassVst3Id);

    for (auto* parameter : host->getParameters())
        if (parameter != bypass)
            effectParameters.add (parameter);

    // Room for what the plug-in might ever hand back, so processing never
    // grows the buffer on the audio thread.
    midi.ensureSize (2048);
}

juce::File HostedInstance::getBundle()
{
    return juce::File (VESPERLINE_BUNDLE_PATH);
}

bool HostedInstance::prepare (double sampleRate, int maximumBlockSize, int numChannels)
{
    host->releaseResources();

    const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    if (host->getBusesLayout() != layout && ! host->setBusesLayout (layout))
        return false;

    host->prepareToPlay (sampleRate, maximumBlockSize);

    // JUCE's host sizes its own channel lists on the first block after
    // preparation; one empty block takes that allocation out of what the
    // tests count, and tells the plug-in nothing.
    juce::AudioBuffer<float> empty (numChannels, 0);
    process (empty);
    return true;
}

void HostedInstance::process (juce::AudioBuffer<float>& block, bool bypassed)
{
    midi.clear();

    if (bypassed)
        host->processBlockBypassed (block, midi);
    else
        host->processBlock (block, midi);
}
