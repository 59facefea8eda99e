#include "BundleInspector.h"
#include "HostedPlugin.h"

namespace
{
    // Two fixed words, most significant byte first, then the manufacturer
    // and plug-in codes as ASCII.
    std::array<juce::uint8, 16> classIdOf (juce::uint32 word1, juce::uint32 word2)
    {
        std::array<juce::uint8, 16> id {};

        for (int i = 0; i < 4; ++i)
        {
            id[(size_t) i] = (juce::uint8) (word1 >> (24 - 8 * i));
            id[(size_t) (4 + i)] = (juce::uint8) (word2 >> (24 - 8 * i));
        }

        std::memcpy (id.data() + 8, "ORLVVSPL", 8);
        return id;
    }
}

TEST (Factory, IsDescribedExactlyAsAHostReadsIt)
{
    Vst3FactoryDescription factory;
    const auto inspected = BundleInspector::inspect (builtBundle(), factory);
    ASSERT_TRUE (inspected.wasOk()) << inspected.getErrorMessage();

    EXPECT_EQ (factory.vendor, "Orlev Audio");
    EXPECT_EQ (factory.url, "www.orlevaudio.example");
    EXPECT_EQ (factory.email, "support@orlevaudio.example");
    EXPECT_EQ (factory.flags, 16);

    struct ExpectedClass
    {
        const char* category;
        std::array<juce::uint8, 16> classId;
    };

    const ExpectedClass expected[] = {
        { "Audio Module Class", classIdOf (0xABCDEF01, 0x9182FAEB) },
        { "Component Controller Class", classIdOf (0xABCDEF01, 0x1234ABCD) },
    };

    // The 8-bit and the UTF-16 descriptions must agree.
    for (const auto* classes : { &factory.classes, &factory.unicodeClasses })
    {
        ASSERT_EQ (classes->size(), std::size (expected));

        for (size_t i = 0; i < std::size (expected); ++i)
        {
            SCOPED_TRACE ("class " + std::to_string (i));
            const auto& c = (*classes)[i];
            EXPECT_EQ (c.category, expected[i].category);
            EXPECT_EQ (c.name, "Vesperline");
            EXPECT_EQ (c.classId, expected[i].classId) << c.getClassIdAsHex();
            EXPECT_EQ (c.cardinality, 0x7FFFFFFF);
            EXPECT_EQ (c.classFlags, 0u);
            EXPECT_EQ (c.subCategories, "Fx|Dynamics");
            EXPECT_EQ (c.vendor, "Orlev Audio");
            EXPECT_EQ (c.version, "2.5.0");
            EXPECT_EQ (c.sdkVersion, "VST 3.7.2");
        }
    }
}
