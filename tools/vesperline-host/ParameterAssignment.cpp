#include "ParameterAssignment.h"

#include "HostedParameters.h"

namespace
{
    bool parseNumber (const juce::String& text, double& value)
    {
        const auto trimmed = text.trim();

        // Decimal notation only: strtod would also take hex, "inf" and "nan".
        if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789+-.eE"))
            return false;

        const auto utf8 = trimmed.toStdString();
        char* end = nullptr;
        value = std::strtod (utf8.c_str(), &end);
        return end == utf8.c_str() + utf8.size() && std::isfinite (value);
    }

    bool parseIndex (const juce::String& text, int& index)
    {
        const auto trimmed = text.trim();

        if (trimmed.isEmpty() || trimmed.length() > 9 || ! trimmed.containsOnly ("0123456789"))
            return false;

        index = trimmed.getIntValue();
        return true;
    }

    juce::AudioProcessorParameter* findByRequestedId (juce::AudioProcessor& instance, const juce::String& id)
    {
        if (id.startsWithIgnoreCase ("0x") && id.length() > 2 && id.length() <= 10
            && id.substring (2).containsOnly ("0123456789abcdefABCDEF"))
            return HostedParameters::find (instance, (juce::uint32) id.substring (2).getHexValue64());

        return HostedParameters::find (instance, HostedParameters::vst3IdFromStringId (id));
    }
}

const juce::StringArray& ParameterAssignment::knownStringIds()
{
    static const juce::StringArray ids { "topValue", "midValue", "lowValue", "gain", "reverb", "backColor" };
    return ids;
}

juce::String ParameterAssignment::displayIdOf (const juce::AudioProcessorParameter& parameter)
{
    const auto vst3Id = HostedParameters::vst3IdOf (parameter);

    for (auto& id : knownStringIds())
        if (HostedParameters::vst3IdFromStringId (id) == vst3Id)
            return id;

    return HostedParameters::toHex (vst3Id);
}

juce::String ParameterAssignment::describeValidIds (juce::AudioProcessor& instance)
{
    juce::StringArray ids;

    for (auto* parameter : instance.getParameters())
        ids.add (displayIdOf (*parameter));

    return ids.joinIntoString (", ");
}

juce::Result ParameterAssignment::parse (juce::AudioProcessor& instance, const juce::String& request, ParameterAssignment& result)
{
    if (! request.contains ("="))
        return juce::Result::fail ("--set expects ID=VALUE, got '" + request + "'");

    const auto id = request.upToFirstOccurrenceOf ("=", false, false).trim();
    const auto text = request.fromFirstOccurrenceOf ("=", false, false).trim();

    result.parameter = findByRequestedId (instance, id);

    if (result.parameter == nullptr)
        return juce::Result::fail ("unknown parameter '" + id + "'; valid IDs: " + describeValidIds (instance));

    return parseValue (id, text, result);
}

juce::Result ParameterAssignment::parseValue (const juce::String& id, const juce::String& text, ParameterAssignment& result)
{
    auto& parameter = *result.parameter;

    switch (HostedParameters::kindOf (parameter))
    {
        case HostedParameters::Kind::toggle:
        {
            if (text == "1" || text.equalsIgnoreCase ("on"))
                result.normalisedValue = 1.0f;
            else if (text == "0" || text.equalsIgnoreCase ("off"))
                result.normalisedValue = 0.0f;
            else
                return juce::Result::fail ("value '" + text + "' for " + id + " must be 0, 1, on or off");

            return juce::Result::ok();
        }

        case HostedParameters::Kind::choice:
        {
            const auto numChoices = parameter.getNumSteps();
            juce::StringArray names;

            for (int i = 0; i < numChoices; ++i)
                names.add (parameter.getText (HostedParameters::normalisedValueOfStep (parameter, i), 1024));

            int index = -1;

            if (! parseIndex (text, index))
                index = names.indexOf (text, true);

            if (index < 0 || index >= numChoices)
                return juce::Result::fail ("value '" + text + "' for " + id + " must be an index 0.."
                                           + juce::String (numChoices - 1) + " or one of " + names.joinIntoString (", "));

            result.normalisedValue = HostedParameters::normalisedValueOfStep (parameter, index);
            return juce::Result::ok();
        }

        case HostedParameters::Kind::continuous:
        default:
        {
            double value = 0.0;

            if (! parseNumber (text, value))
                return juce::Result::fail ("value '" + text + "' for " + id + " is not a number");

            const auto range = HostedParameters::plainRangeOf (parameter);

            if (value < range.getStart() || value > range.getEnd())
                return juce::Result::fail ("value " + text + " for " + id + " is out of range "
                                           + juce::String (range.getStart()) + " to " + juce::String (range.getEnd()));

            // The plug-in's own text parsing gives exactly the normalised value
            // a user typing this number into the host would set.
            result.normalisedValue = parameter.getValueForText (text);
            return juce::Result::ok();
        }
    }
}

void ParameterAssignment::apply() const
{
    parameter->setValueNotifyingHost (normalisedValue);
}
