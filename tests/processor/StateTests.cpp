#include "ProcessorFixture.h"

#include <optional>

namespace
{
    juce::MemoryBlock makeBlock (const juce::String& xml, std::optional<int> lengthField = {}, juce::uint32 magic = 0x21324356)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt ((int) magic);
        out.writeInt (lengthField.value_or ((int) xml.getNumBytesAsUTF8() + 1));
        out.write (xml.toRawUTF8(), xml.getNumBytesAsUTF8());
        out.writeByte (0);
        return block;
    }

    juce::String paramsXml (const juce::String& root, const juce::String& children)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <" + root + ">" + children + "</" + root + ">";
    }

    const juce::String allSix = "<PARAM id=\"topValue\" value=\"20\"/><PARAM id=\"midValue\" value=\"70\"/>"
                                "<PARAM id=\"lowValue\" value=\"5\"/><PARAM id=\"gain\" value=\"-3\"/>"
                                "<PARAM id=\"reverb\" value=\"1\"/><PARAM id=\"backColor\" value=\"4\"/>";

    const char* const ids[] = { "topValue", "midValue", "lowValue", "gain", "reverb", "backColor" };
}

TEST_F (ProcessorFixture, FreshStateBlockLayout)
{
    juce::MemoryBlock block;
    block.append ("junk", 4);
    processor->getStateInformation (block);

    const auto* bytes = static_cast<const char*> (block.getData());
    ASSERT_GT (block.getSize(), 9u);
    EXPECT_EQ (juce::String (bytes, 4), "VC2!");
    EXPECT_EQ ((size_t) juce::ByteOrder::littleEndianInt (bytes + 4), block.getSize() - 9);
    EXPECT_EQ (bytes[block.getSize() - 1], 0);

    const juce::String text (juce::CharPointer_UTF8 (bytes + 8), block.getSize() - 9);
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS>"));
    EXPECT_FALSE (text.containsAnyOf ("\r\n"));

    const auto xml = juce::parseXML (text);
    ASSERT_NE (xml, nullptr);
    std::map<juce::String, juce::String> values;
    for (auto* child : xml->getChildWithTagNameIterator ("PARAM"))
        values[child->getStringAttribute ("id")] = child->getStringAttribute ("value");

    const std::map<juce::String, juce::String> expected { { "topValue", "15.0" }, { "midValue", "50.0" }, { "lowValue", "10.0" },
                                                          { "gain", "0.0" }, { "reverb", "0.0" }, { "backColor", "0.0" } };
    EXPECT_EQ (values, expected);
}

TEST_F (ProcessorFixture, SaveChangeRestoreGivesBackEveryValue)
{
    processor->setStateInformation (makeBlock (paramsXml ("PARAMETERS", allSix)).getData(), 400);
    std::vector<float> saved;
    for (auto* id : ids)
        saved.push_back (getParameter (id));

    juce::MemoryBlock block;
    processor->getStateInformation (block);

    for (auto* id : ids)
        setParameter (id, processor->parameterState.getParameterRange (id).start);

    processor->setStateInformation (block.getData(), (int) block.getSize());
    for (size_t i = 0; i < std::size (ids); ++i)
        EXPECT_EQ (getParameter (ids[i]), saved[i]) << ids[i];
}

TEST_F (ProcessorFixture, SaveClearsAudioRunningAndTheNextBlockSetsIt)
{
    prepare();
    processEmptyBlock();
    ASSERT_TRUE (processor->audioRunning.load());
    juce::MemoryBlock block;
    processor->getStateInformation (block);
    EXPECT_FALSE (processor->audioRunning.load());
    processEmptyBlock();
    EXPECT_TRUE (processor->audioRunning.load());
}

struct RestoreCase
{
    const char* name;
    juce::MemoryBlock block;
    int size; // -1: the block's own size
    std::map<juce::String, float> expected; // parameters that change; the rest keep their values
};

class RestoreTest : public ProcessorFixture, public testing::WithParamInterface<RestoreCase> {};

TEST_P (RestoreTest, AcceptsOrIgnoresTheBlock)
{
    const auto& c = GetParam();
    setParameter ("topValue", 12.0f);
    setParameter ("gain", -6.0f);
    setParameter ("backColor", 2.0f);

    std::map<juce::String, float> before;
    for (auto* id : ids)
        before[id] = getParameter (id);

    processor->setStateInformation (c.block.getData(), c.size >= 0 ? c.size : (int) c.block.getSize());

    for (auto* id : ids)
    {
        const auto it = c.expected.find (id);
        EXPECT_FLOAT_EQ (getParameter (id), it != c.expected.end() ? it->second : before[id]) << id;
    }
}

INSTANTIATE_TEST_SUITE_P (Blocks, RestoreTest, testing::Values (
    RestoreCase { "Empty", {}, 0, {} },
    RestoreCase { "EightBytes", makeBlock (paramsXml ("PARAMETERS", allSix)), 8, {} },
    RestoreCase { "WrongMagic", makeBlock (paramsXml ("PARAMETERS", allSix), {}, 0x21324357), -1, {} },
    RestoreCase { "ZeroLength", makeBlock (paramsXml ("PARAMETERS", allSix), 0), -1, {} },
    RestoreCase { "NegativeLength", makeBlock (paramsXml ("PARAMETERS", allSix), -5), -1, {} },
    RestoreCase { "NotXml", makeBlock ("this is not xml"), -1, {} },
    RestoreCase { "OtherRoot", makeBlock (paramsXml ("OTHERPLUGIN", allSix)), -1, {} },
    RestoreCase { "LowerCaseRoot", makeBlock (paramsXml ("parameters", allSix)), -1,
                  { { "topValue", 20.0f }, { "midValue", 70.0f }, { "lowValue", 5.0f }, { "gain", -3.0f }, { "reverb", 1.0f }, { "backColor", 4.0f } } },
    RestoreCase { "SingleParam", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"gain\" value=\"6\"/>")), -1, { { "gain", 6.0f } } },
    RestoreCase { "CapitalisedId", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"GAIN\" value=\"6\"/>")), -1, {} },
    RestoreCase { "OutOfRangeClamps", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"topValue\" value=\"100\"/><PARAM id=\"gain\" value=\"-99\"/>")), -1,
                  { { "topValue", 30.0f }, { "gain", -18.0f } } },
    RestoreCase { "SnapsToStep", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"midValue\" value=\"33.333\"/>")), -1, { { "midValue", 33.33f } } },
    RestoreCase { "MissingValueResetsToDefault", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"gain\"/>")), -1, { { "gain", 0.0f } } },
    RestoreCase { "NonFiniteValuesKeepCurrent", makeBlock (paramsXml ("PARAMETERS",
                  "<PARAM id=\"topValue\" value=\"nan\"/><PARAM id=\"gain\" value=\"inf\"/><PARAM id=\"midValue\" value=\"-inf\"/>"
                  "<PARAM id=\"lowValue\" value=\"1e999\"/><PARAM id=\"backColor\" value=\"NaN\"/>")), -1, {} },
    RestoreCase { "DuplicateIdsAreCheckedToo", makeBlock (paramsXml ("PARAMETERS",
                  "<PARAM id=\"topValue\" value=\"20\"/><PARAM id=\"topValue\" value=\"nan\"/><EXTRA id=\"gain\" value=\"inf\"/>"
                  "<PARAM id=\"lowValue\" value=\"1e39\"/>")), -1, { { "topValue", 12.0f } } },
    RestoreCase { "LengthBeyondTheBlockIsCut", makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"gain\" value=\"6\"/>"), 100000), -1, { { "gain", 6.0f } } },
    RestoreCase { "Truncated", makeBlock (paramsXml ("PARAMETERS", allSix)), 40, {} },
    RestoreCase { "DeeplyNested", makeBlock (paramsXml ("PARAMETERS", juce::String::repeatedString ("<a>", 100000))), -1, {} }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST_F (ProcessorFixture, UnknownElementsSurviveARoundTrip)
{
    const auto block = makeBlock (paramsXml ("PARAMETERS", "<PARAM id=\"gain\" value=\"6\"/><EXTRA note=\"kept\"/><PARAM id=\"future\" value=\"1\"/>"));
    processor->setStateInformation (block.getData(), (int) block.getSize());

    juce::MemoryBlock saved;
    processor->getStateInformation (saved);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize());
    ASSERT_NE (xml, nullptr);
    EXPECT_NE (xml->getChildByName ("EXTRA"), nullptr);
    EXPECT_NE (xml->getChildByAttribute ("id", "future"), nullptr);
    EXPECT_EQ (xml->getChildByAttribute ("id", "gain")->getDoubleAttribute ("value"), 6.0);
}

TEST_F (ProcessorFixture, RestoredStateNeverPutsNonFiniteValuesIntoTheAudio)
{
    prepare();
    const auto block = makeBlock (paramsXml ("PARAMETERS",
        "<PARAM id=\"topValue\" value=\"inf\"/><PARAM id=\"lowValue\" value=\"nan\"/><PARAM id=\"gain\" value=\"1e40\"/><PARAM id=\"midValue\" value=\"-1e40\"/>"));
    processor->setStateInformation (block.getData(), (int) block.getSize());

    std::vector<std::vector<float>> signal { noise (8192), noise (8192, 1.0f, 2) };
    process (signal);
    for (const auto& c : signal)
        for (float x : c)
            ASSERT_TRUE (std::isfinite (x));
}
