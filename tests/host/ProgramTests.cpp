#include "DirectVst3Instance.h"
#include "HostedPlugin.h"

using ProgramTests = HostedPlugin;

TEST_F (ProgramTests, UnitInterfaceListsOneUnnamedFactoryProgram)
{
    DirectVst3Instance direct (builtBundle());
    ASSERT_TRUE (direct.getCreateResult().wasOk()) << direct.getCreateResult().getErrorMessage();

    const auto lists = direct.getProgramLists();
    ASSERT_EQ (lists.size(), 1u);
    EXPECT_EQ (lists[0].name, "Factory Presets");
    EXPECT_EQ (lists[0].programNames, juce::StringArray { "" });
}

TEST_F (ProgramTests, ProgramCallsThroughTheHostAreHarmless)
{
    // With a single program the client exposes no program-change parameter,
    // so JUCE's host offers no program to switch to.
    EXPECT_EQ (instance().getNumPrograms(), 0);
    EXPECT_EQ (instance().getCurrentProgram(), 0);

    for (int index : { 0, 5, -1 })
    {
        instance().setCurrentProgram (index);
        EXPECT_EQ (instance().getCurrentProgram(), 0) << index;
        EXPECT_EQ (instance().getProgramName (index), juce::String()) << index;
    }

    const auto textOfFirstParameter = parameter (0).getText (parameter (0).getValue(), 128);
    EXPECT_EQ (textOfFirstParameter, "15.00");
}
