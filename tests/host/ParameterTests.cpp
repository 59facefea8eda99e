#include "HostedParameters.h"
#include "HostedPlugin.h"

namespace
{
    enum ParameterIndex { topValue, midValue, lowValue, gain, reverb, backColor, bypass, numParameters };

    struct ParameterRow
    {
        const char* stringId; // nullptr for the client's own bypass switch
        juce::uint32 vst3Id;
        const char* name;
        float defaultNormalised;
        const char* defaultText;
    };

    const ParameterRow parameterRows[numParameters] = {
        { "topValue",  0x45E46D1C, "FilterGain", 12.0f / 27.0f, "15.00" },
        { "midValue",  0x1CDCA809, "Dry/Wet",    0.5f,          "50.00" },
        { "lowValue",  0x12CCF27D, "FilterQ",    6.0f / 16.0f,  "10.00" },
        { "gain",      0x00304B7F, "Gain",       0.5f,          "0.00" },
        { "reverb",    0x484EE9D2, "Reverb",     0.0f,          "Off" },
        { "backColor", 0x4E0832BC, "BackColor",  0.0f,          "Vibrato" },
        { nullptr,     0x62797073, "Bypass",     0.0f,          "Off" },
    };

    using ParameterTests = HostedPlugin;
}

TEST_F (ParameterTests, HostSeesTheParametersInOrderWithTheirNumbersNamesAndDefaults)
{
    ASSERT_EQ (instance().getParameters().size(), (int) numParameters);

    for (int i = 0; i < numParameters; ++i)
    {
        const auto& row = parameterRows[i];
        SCOPED_TRACE (row.name);
        auto& p = parameter (i);

        EXPECT_EQ (HostedParameters::vst3IdOf (p), row.vst3Id) << HostedParameters::toHex (HostedParameters::vst3IdOf (p));

        if (row.stringId != nullptr)
            EXPECT_EQ (HostedParameters::vst3IdFromStringId (row.stringId), row.vst3Id);

        EXPECT_EQ (p.getName (128), row.name);
        EXPECT_FLOAT_EQ (p.getDefaultValue(), row.defaultNormalised);
        EXPECT_FLOAT_EQ (p.getValue(), row.defaultNormalised);
        EXPECT_EQ (p.getText (p.getDefaultValue(), 128), row.defaultText);
        EXPECT_TRUE (p.isAutomatable());
    }

    EXPECT_EQ (instance().getBypassParameter(), &parameter (bypass));
}

TEST_F (ParameterTests, HostSeesTheStepsOfEachKind)
{
    struct { int index; HostedParameters::Kind kind; int steps; } const rows[] = {
        { topValue,  HostedParameters::Kind::continuous, juce::AudioProcessor::getDefaultNumParameterSteps() },
        { gain,      HostedParameters::Kind::continuous, juce::AudioProcessor::getDefaultNumParameterSteps() },
        { reverb,    HostedParameters::Kind::toggle,     2 },
        { backColor, HostedParameters::Kind::choice,     6 },
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (parameterRows[row.index].name);
        EXPECT_EQ (HostedParameters::kindOf (parameter (row.index)), row.kind);
        EXPECT_EQ (parameter (row.index).getNumSteps(), row.steps);
    }
}

TEST_F (ParameterTests, NormalisedValuesReadAsTheirSnappedTexts)
{
    struct { int index; float normalised; const char* text; } const rows[] = {
        { topValue,  (15.004f - 3.0f) / 27.0f, "15.00" }, // snapped to the 0.01 step
        { topValue,  0.0f,                     "3.00" },
        { topValue,  1.0f,                     "30.00" },
        { midValue,  0.25f,                    "25.00" },
        { lowValue,  1.0f,                     "20.00" },
        { gain,      0.0f,                     "-18.00" },
        { gain,      1.0f,                     "18.00" },
        { reverb,    1.0f,                     "On" },
        { backColor, 0.6f,                     "Staccato" },
        { backColor, 0.65f,                    "Staccato" }, // nearest index
        { backColor, 1.0f,                     "Arpeggio" },
    };

    for (const auto& row : rows)
        EXPECT_EQ (parameter (row.index).getText (row.normalised, 128), row.text)
            << parameterRows[row.index].name << " at " << row.normalised;
}

TEST_F (ParameterTests, TypedTextIsParsedToNormalisedValues)
{
    struct { int index; const char* text; float normalised; } const rows[] = {
        { topValue,  "20",       17.0f / 27.0f },
        { midValue,  "75",       0.75f },
        { lowValue,  "4",        0.0f },
        { gain,      "-9",       0.25f },
        { reverb,    "On",       1.0f },
        { backColor, "Staccato", 3.0f / 5.0f },
        { backColor, "Arpeggio", 1.0f },
    };

    for (const auto& row : rows)
        EXPECT_NEAR (parameter (row.index).getValueForText (row.text), row.normalised, 1.0e-6)
            << parameterRows[row.index].name << " from \"" << row.text << "\"";
}
