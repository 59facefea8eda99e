#pragma once

#include "FixedMemoryStream.h"
#include "HostedInstance.h"

#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>

/**
    The VST3 component behind a JUCE-hosted instance, called directly for what
    JUCE's host keeps to itself: the plug-in's own state bytes (JUCE wraps them
    in its own format), the latency and tail in samples, and process calls
    shaped the way other hosts make them (separate input and output buffers,
    blocks of its own choosing).

    Call it only while JUCE's host is not processing the same instance.
*/
class DirectComponent
{
public:
    explicit DirectComponent (HostedInstance& instance);

    bool isValid() const noexcept { return component != nullptr && processor != nullptr; }

    /** The bytes IComponent::getState writes. */
    juce::MemoryBlock getState();

    /** IComponent::getState into a stream that never allocates. */
    Steinberg::tresult writeState (FixedMemoryStream& stream);

    /** IComponent::setState with exactly these bytes. */
    Steinberg::tresult setState (const void* data, size_t size);

    Steinberg::uint32 getLatencySamples() const;
    Steinberg::uint32 getTailSamples() const;

    /** One process call over a single stereo or mono bus each way; input and
        output may be the same buffers (in place) or different ones. */
    Steinberg::tresult process (float* const* inputs, float* const* outputs, int numChannels, int numSamples);

    /** The call hosts make to hand over parameter changes without audio:
        no samples and no buses. */
    Steinberg::tresult processWithoutAudio();

private:
    Steinberg::Vst::IComponent* component = nullptr;
    Steinberg::Vst::IAudioProcessor* processor = nullptr;
};
