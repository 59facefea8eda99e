#include "UpdateChecker.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
    struct ParseCase
    {
        const char* text;
        int expected;
    };

    void PrintTo (const ParseCase& c, std::ostream* os) { *os << '"' << juce::String (c.text).replace ("\n", "\\n") << '"'; }

    class VersionNumberTest : public testing::TestWithParam<ParseCase> {};

    constexpr int intMax = std::numeric_limits<int>::max();
    constexpr int intMin = std::numeric_limits<int>::min();
}

TEST_P (VersionNumberTest, ReadsTheDigitsWithTheDotsDropped)
{
    EXPECT_EQ (UpdateChecker::parseVersionNumber (GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (
    UpdateChecker, VersionNumberTest,
    testing::Values (ParseCase { "2.5.0", 250 },
                     ParseCase { "2.6.0\n", 260 },
                     ParseCase { " \t\r\n2.5.1", 251 },
                     ParseCase { "2..6", 26 },
                     ParseCase { ".2.6", 26 },
                     ParseCase { "2.5.1-beta", 251 },
                     ParseCase { "+2.6", 26 },
                     ParseCase { "-3.0", -30 },
                     ParseCase { "- 3", 0 },
                     ParseCase { "v2.6.0", 0 },
                     ParseCase { "", 0 },
                     ParseCase { "2147483647", intMax },
                     ParseCase { "2147483648", intMax },
                     ParseCase { "1.2.3.4.5.6.7.8.9.0.1", intMax },
                     ParseCase { "-2147483648", intMin },
                     ParseCase { "-99999999999999999999999", intMin }));

TEST (UpdateChecker, OversizedVersionsStillCompareAsNewerOrOlder)
{
    EXPECT_TRUE (UpdateChecker::isNewerThanRunning ("99999999999999999999"));
    EXPECT_FALSE (UpdateChecker::isNewerThanRunning ("-99999999999999999999"));
}
