#include "HostedParameters.h"

juce::uint32 HostedParameters::vst3IdFromStringId (const juce::String& stringId) noexcept
{
    juce::uint32 hash = 0;

    for (auto p = stringId.getCharPointer(); ! p.isEmpty();)
        hash = 31u * hash + (juce::uint32) p.getAndAdvance();

    return hash & 0x7fffffffu;
}

juce::uint32 HostedParameters::vst3IdOf (const juce::AudioProcessorParameter& parameter)
{
    if (auto* hosted = dynamic_cast<const juce::HostedAudioProcessorParameter*> (&parameter))
        return (juce::uint32) hosted->getParameterID().getLargeIntValue();

    return noId;
}

juce::AudioProcessorParameter* HostedParameters::find (juce::AudioProcessor& instance, juce::uint32 vst3Id)
{
    for (auto* parameter : instance.getParameters())
        if (vst3IdOf (*parameter) == vst3Id)
            return parameter;

    return nullptr;
}

juce::String HostedParameters::toHex (juce::uint32 vst3Id)
{
    return "0x" + juce::String::toHexString ((juce::int64) vst3Id).toUpperCase().paddedLeft ('0', 8);
}

HostedParameters::Kind HostedParameters::kindOf (const juce::AudioProcessorParameter& parameter)
{
    const auto steps = parameter.getNumSteps();

    if (! parameter.isDiscrete() || steps <= 1 || steps == juce::AudioProcessor::getDefaultNumParameterSteps())
        return Kind::continuous;

    return steps == 2 ? Kind::toggle : Kind::choice;
}

juce::Range<double> HostedParameters::plainRangeOf (const juce::AudioProcessorParameter& parameter)
{
    const auto start = parameter.getText (0.0f, 1024).getDoubleValue();
    const auto end = parameter.getText (1.0f, 1024).getDoubleValue();
    return { juce::jmin (start, end), juce::jmax (start, end) };
}

double HostedParameters::plainValueOf (const juce::AudioProcessorParameter& parameter, float normalisedValue)
{
    if (kindOf (parameter) == Kind::continuous)
        return parameter.getText (normalisedValue, 1024).getDoubleValue();

    return juce::roundToInt (normalisedValue * (float) (parameter.getNumSteps() - 1));
}

float HostedParameters::normalisedValueOfStep (const juce::AudioProcessorParameter& parameter, int step)
{
    return (float) step / (float) juce::jmax (1, parameter.getNumSteps() - 1);
}
