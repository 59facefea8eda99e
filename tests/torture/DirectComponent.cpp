#include "DirectComponent.h"

using namespace Steinberg;

namespace
{
    struct ComponentFinder final : juce::ExtensionsVisitor
    {
        void visitVST3Client (const VST3Client& client) override { component = client.getIComponentPtr(); }

        Vst::IComponent* component = nullptr;
    };
}

DirectComponent::DirectComponent (HostedInstance& instance)
{
    ComponentFinder finder;
    instance->getExtensions (finder);
    component = finder.component;

    void* audioProcessor = nullptr;

    if (component != nullptr && component->queryInterface (Vst::IAudioProcessor_iid, &audioProcessor) == kResultOk)
    {
        processor = static_cast<Vst::IAudioProcessor*> (audioProcessor);
        // The component keeps the object alive for as long as the instance lives.
        processor->release();
    }
}

juce::MemoryBlock DirectComponent::getState()
{
    FixedMemoryStream stream (1 << 20);

    if (writeState (stream) != kResultOk)
        return {};

    return stream.getContents();
}

tresult DirectComponent::writeState (FixedMemoryStream& stream)
{
    return component->getState (&stream);
}

tresult DirectComponent::setState (const void* data, size_t size)
{
    FixedMemoryStream stream (data, size);
    return component->setState (&stream);
}

uint32 DirectComponent::getLatencySamples() const
{
    return processor->getLatencySamples();
}

uint32 DirectComponent::getTailSamples() const
{
    return processor->getTailSamples();
}

tresult DirectComponent::process (float* const* inputs, float* const* outputs, int numChannels, int numSamples)
{
    Vst::AudioBusBuffers input;
    input.numChannels = numChannels;
    input.silenceFlags = 0;
    input.channelBuffers32 = const_cast<float**> (inputs);

    Vst::AudioBusBuffers output;
    output.numChannels = numChannels;
    output.silenceFlags = 0;
    output.channelBuffers32 = const_cast<float**> (outputs);

    Vst::ProcessData data;
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    data.numSamples = numSamples;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &input;
    data.outputs = &output;

    return processor->process (data);
}

tresult DirectComponent::processWithoutAudio()
{
    Vst::ProcessData data;
    data.processMode = Vst::kRealtime;
    data.symbolicSampleSize = Vst::kSample32;
    return processor->process (data);
}
