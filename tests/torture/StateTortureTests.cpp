#include <map>
#include "DirectComponent.h"
#include "ProcessingThread.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
    /** Ways a saved block gets damaged on its way back to the plug-in. */
    juce::MemoryBlock damage (const juce::MemoryBlock& good, int variant, juce::Random& random)
    {
        const auto size = good.getSize();

        switch (variant % 6)
        {
            case 0: // cut short anywhere, including to nothing
                return { good.getData(), (size_t) random.nextInt ((int) size) };

            case 1: // a few bytes flipped anywhere
            {
                auto copy = good;
                for (int flips = 1 + random.nextInt (4); --flips >= 0;)
                    copy[random.nextInt ((int) size)] ^= (char) (1 + random.nextInt (255));
                return copy;
            }

            case 2: // one byte flipped near the end, where the framework keeps its own data
            {
                auto copy = good;
                copy[(int) size - 1 - random.nextInt (juce::jmin (40, (int) size))] ^= (char) (1 + random.nextInt (255));
                return copy;
            }

            case 3: // noise of about the same length
            {
                juce::MemoryBlock noise ((size_t) random.nextInt ((int) size * 2 + 1));
                random.fillBitsRandomly (noise.getData(), noise.getSize());
                return noise;
            }

            case 4: // the real header in front of noise
            {
                juce::MemoryBlock copy (good.getData(), juce::jmin ((size_t) 8, size));
                juce::MemoryBlock noise ((size_t) random.nextInt (200));
                random.fillBitsRandomly (noise.getData(), noise.getSize());
                copy.append (noise.getData(), noise.getSize());
                return copy;
            }

            default: // a good block with junk after it
            {
                auto copy = good;
                juce::MemoryBlock noise ((size_t) (1 + random.nextInt (64)));
                random.fillBitsRandomly (noise.getData(), noise.getSize());
                copy.append (noise.getData(), noise.getSize());
                return copy;
            }
        }
    }

    /** Damage that keeps a host's own state format text: JUCE's host reads
        that format with JUCE's XML reader, which expects valid UTF-8 (see
        TextThatIsNotUtf8IsRepairedWithoutReadingPastIt); the plug-in's bytes
        inside it, base64-encoded, still come out damaged at random. */
    juce::MemoryBlock damageText (const juce::MemoryBlock& good, int variant, juce::Random& random)
    {
        const auto size = (int) good.getSize();
        const auto printable = [&random] { return (char) (32 + random.nextInt (95)); };

        switch (variant % 3)
        {
            case 0:
                return { good.getData(), (size_t) random.nextInt (size) };

            case 1:
            {
                auto copy = good;
                for (int flips = 1 + random.nextInt (4); --flips >= 0;)
                    copy[8 + random.nextInt (size - 9)] = printable();
                return copy;
            }

            default:
            {
                juce::MemoryBlock copy (good.getData(), 8);
                for (int i = random.nextInt (size); --i >= 0;)
                {
                    const char c = printable();
                    copy.append (&c, 1);
                }
                return copy;
            }
        }
    }

    void expectParametersInRange (HostedInstance& instance, const juce::String& where)
    {
        for (auto* parameter : instance->getParameters())
        {
            const auto value = parameter->getValue();
            EXPECT_TRUE (value >= 0.0f && value <= 1.0f) << where << ": " << parameter->getName (64) << " = " << value;
        }
    }
}

// Saving and restoring, good blocks and damaged ones, through JUCE's host and
// straight through IComponent, while the audio thread keeps processing with
// automation.
TEST (StateTorture, SavingAndRestoringWhileProcessingSurvivesDamagedBlocks)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk()) << instance.getLoadResult().getErrorMessage();
    ASSERT_TRUE (instance.prepare (48000.0, 128, 2));

    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    ProcessingLoop::Options options;
    options.maximumBlockSize = 128;
    options.blockSizes = BlockSizePlan::Pattern::varying;
    options.automateBetweenBlocks = true;
    options.seed = 40;

    ProcessingThread audio (instance, options);
    audio.start();

    juce::Random random (41);
    int restores = 0;

    for (int round = 0; round < 240; ++round)
    {
        const auto where = "round " + juce::String (round);

        // Through JUCE's host, which wraps the plug-in's bytes in its own format.
        juce::MemoryBlock hostBlock;
        instance->getStateInformation (hostBlock);
        ASSERT_GT (hostBlock.getSize(), 0u) << where;
        instance->setStateInformation (hostBlock.getData(), (int) hostBlock.getSize());
        const auto damagedHostBlock = damageText (hostBlock, round, random);
        instance->setStateInformation (damagedHostBlock.getData(), (int) damagedHostBlock.getSize());

        // Straight to the plug-in's own bytes.
        const auto pluginBlock = direct.getState();
        ASSERT_GT (pluginBlock.getSize(), 9u) << where;
        EXPECT_EQ (std::memcmp (pluginBlock.getData(), "VC2!", 4), 0) << where;
        direct.setState (pluginBlock.getData(), pluginBlock.getSize());
        const auto damagedPluginBlock = damage (pluginBlock, round * 5, random);
        direct.setState (damagedPluginBlock.getData(), damagedPluginBlock.getSize());
        restores += 4;

        expectParametersInRange (instance, where);

        if (round % 16 == 0)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    ASSERT_TRUE (audio.waitForBlocks (200));
    audio.stop();

    const auto& loop = audio.getLoop();
    EXPECT_FALSE (loop.getOutputBound().hasFailed()) << loop.getOutputBound().describeFailure();

    if (allocationCountingAvailable())
        EXPECT_EQ (loop.getAllocationsInProcessBlock(), 0u);

    EXPECT_EQ (restores, 960);
}

// Whatever damaged blocks did before, a good block brings every parameter
// back, and saving again gives the same bytes.
TEST (StateTorture, AGoodBlockRestoresExactlyAfterDamagedOnes)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 256, 2));
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    juce::Random random (50);

    // Values that sit on their parameters' steps, as typed into a host.
    const char* const texts[] = { "22.5", "80", "7", "-3", "On", "Tremolo" };

    for (int i = 0; i < 6; ++i)
    {
        auto* parameter = instance.getEffectParameters()[i];
        parameter->setValueNotifyingHost (parameter->getValueForText (texts[i]));
    }

    juce::MemoryBlock hostBlock;
    instance->getStateInformation (hostBlock);
    const auto pluginBlock = direct.getState();

    juce::Array<float> saved;
    for (auto* parameter : instance->getParameters())
        saved.add (parameter->getValue());

    for (int round = 0; round < 120; ++round)
    {
        const auto damaged = damage (pluginBlock, round, random);
        direct.setState (damaged.getData(), damaged.getSize());
        const auto damagedHost = damageText (hostBlock, round, random);
        instance->setStateInformation (damagedHost.getData(), (int) damagedHost.getSize());
    }

    ASSERT_EQ (direct.setState (pluginBlock.getData(), pluginBlock.getSize()), Steinberg::kResultOk);
    EXPECT_EQ (direct.getState(), pluginBlock);

    instance->setStateInformation (hostBlock.getData(), (int) hostBlock.getSize());
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    for (int i = 0; i < instance->getParameters().size(); ++i)
        EXPECT_FLOAT_EQ (instance->getParameters()[i]->getValue(), saved[i]) << instance->getParameters()[i]->getName (64);
}

namespace
{
    /** A compressed int as ValueTree streams write them: 0x7fffffff. */
    const juce::uint8 hugeCompressedCount[] = { 4, 0xff, 0xff, 0xff, 0x7f };

    /** The plug-in's block as the VST3 client saves it: the processor's own
        "VC2!" block, then JUCE's private section (a zero, a small tree with
        the bypass switch, its size, and the marker "JUCEPrivateData"). */
    struct SavedBlock
    {
        explicit SavedBlock (const juce::MemoryBlock& block) : bytes (block)
        {
            processorPartSize = 9 + (size_t) juce::ByteOrder::littleEndianInt (bytes.begin() + 4);
        }

        static constexpr size_t markerSize = 15;

        size_t sizeFieldOffset() const { return bytes.getSize() - markerSize - 8; }
        size_t privateDataOffset() const { return processorPartSize + 8; }

        juce::MemoryBlock processorPart() const { return { bytes.getData(), processorPartSize }; }

        /** The processor's XML, for messages. */
        juce::String processorText() const
        {
            return juce::String::fromUTF8 (bytes.begin() + 8, (int) processorPartSize - 9);
        }

        /** The processor's part followed by a well-formed private section
            around the given content. */
        juce::MemoryBlock withPrivateSection (const juce::MemoryBlock& content) const
        {
            juce::MemoryOutputStream out;
            out.write (bytes.getData(), processorPartSize);
            out.writeInt64 (0);
            out.write (content.getData(), content.getSize());
            out.writeInt64 ((juce::int64) content.getSize());
            out.write ("JUCEPrivateData", markerSize);
            return out.getMemoryBlock();
        }

        juce::MemoryBlock bytes;
        size_t processorPartSize = 0;
    };
}

// Damage in JUCE's private section at the end of the block must neither read
// outside the block nor stall: the section is ignored, and the processor's
// own part, still intact, restores the parameters.
TEST (StateTorture, DamageInTheFrameworkSectionIsRefusedAndTheParametersStillRestore)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 256, 2));
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    const float saved[] = { 0.9f, 0.1f, 0.7f, 0.2f, 1.0f, 0.6f };
    for (int i = 0; i < 6; ++i)
        instance.getEffectParameters()[i]->setValueNotifyingHost (saved[i]);

    const SavedBlock good (direct.getState());
    ASSERT_EQ (std::memcmp (good.bytes.begin() + good.bytes.getSize() - SavedBlock::markerSize, "JUCEPrivateData", 15), 0);
    ASSERT_LT (good.privateDataOffset(), good.sizeFieldOffset());

    struct Damage
    {
        const char* name;
        std::function<void (juce::MemoryBlock&, const SavedBlock&)> apply;
    };

    const auto setSizeField = [] (juce::uint64 value)
    {
        return [value] (juce::MemoryBlock& bytes, const SavedBlock& block)
        {
            const auto littleEndian = juce::ByteOrder::swapIfBigEndian (value);
            std::memcpy (bytes.begin() + block.sizeFieldOffset(), &littleEndian, 8);
        };
    };

    const Damage damages[] = {
        { "private size far too large", setSizeField (0xfffffff000000000ull) },
        { "private size one too large",
          [setSizeField] (juce::MemoryBlock& bytes, const SavedBlock& block) {
              setSizeField (block.sizeFieldOffset() - block.privateDataOffset() + 1 + block.processorPartSize) (bytes, block); } },
        { "private size larger than the block", setSizeField (1ull << 20) },
        { "private tree claims two billion properties",
          [] (juce::MemoryBlock& bytes, const SavedBlock& block) {
              juce::MemoryOutputStream tree;
              tree.writeString ("JUCEPrivateData");
              tree.write (hugeCompressedCount, sizeof (hugeCompressedCount));
              bytes = block.withPrivateSection (tree.getMemoryBlock()); } },
        { "private tree claims two billion children",
          [] (juce::MemoryBlock& bytes, const SavedBlock& block) {
              juce::MemoryOutputStream tree;
              tree.writeString ("JUCEPrivateData");
              tree.writeCompressedInt (0);
              tree.write (hugeCompressedCount, sizeof (hugeCompressedCount));
              bytes = block.withPrivateSection (tree.getMemoryBlock()); } },
        { "private tree holds a two-gigabyte property",
          [] (juce::MemoryBlock& bytes, const SavedBlock& block) {
              juce::MemoryOutputStream tree;
              tree.writeString ("JUCEPrivateData");
              tree.writeCompressedInt (1);
              tree.writeString ("Bypass");
              tree.write (hugeCompressedCount, sizeof (hugeCompressedCount));
              tree.writeByte (5); // binary data follows, it says
              bytes = block.withPrivateSection (tree.getMemoryBlock()); } },
        { "marker ends in a UTF-8 lead byte",
          [] (juce::MemoryBlock& bytes, const SavedBlock&) { bytes[(int) bytes.getSize() - 1] = (char) 0xf4; } },
    };

    for (const auto& damage : damages)
    {
        for (int i = 0; i < 6; ++i)
            instance.getEffectParameters()[i]->setValueNotifyingHost (0.5f);

        auto damaged = good.bytes;
        damage.apply (damaged, good);

        const auto started = juce::Time::getMillisecondCounter();
        direct.setState (damaged.getData(), damaged.getSize());
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 20000u) << damage.name;

        const SavedBlock restored (direct.getState());
        EXPECT_TRUE (restored.processorPart() == good.processorPart()) << damage.name << ": " << restored.processorText();
    }

    // The undamaged section is still read: the bypass switch it carries comes back.
    instance.getBypass()->setValueNotifyingHost (1.0f);
    ProcessingLoop::Options options;
    options.maximumBlockSize = 256;
    ProcessingLoop (instance, options).runBlocks (2);
    const auto bypassed = direct.getState();

    instance.getBypass()->setValueNotifyingHost (0.0f);
    ProcessingLoop (instance, options).runBlocks (2);
    ASSERT_NE (direct.getState(), bypassed);

    direct.setState (bypassed.getData(), bypassed.getSize());
    EXPECT_EQ (direct.getState(), bypassed);
}

// The saved text is UTF-8. JUCE's readers take that for granted and read past
// the end of the text when a multi-byte character is cut short, so a block
// whose text is not valid UTF-8 must be refused before it is read.
TEST (StateTorture, TextThatIsNotUtf8IsRepairedWithoutReadingPastIt)
{
    HostedInstance instance;
    ASSERT_TRUE (instance.getLoadResult().wasOk());
    ASSERT_TRUE (instance.prepare (48000.0, 256, 2));
    DirectComponent direct (instance);
    ASSERT_TRUE (direct.isValid());

    for (auto* parameter : instance.getEffectParameters())
        parameter->setValueNotifyingHost (0.25f);

    const SavedBlock saved (direct.getState());
    const auto xmlStart = (size_t) 8;
    const auto xmlEnd = saved.processorPartSize - 1; // the terminating zero
    const juce::String xml (juce::CharPointer_UTF8 (saved.bytes.begin() + xmlStart),
                            juce::CharPointer_UTF8 (saved.bytes.begin() + xmlEnd));
    const auto firstValue = xmlStart + (size_t) xml.indexOf ("value=\"") + 7;
    ASSERT_GT (firstValue, xmlStart + 7);


    // Damaged bytes become U+FFFD and the block is still read: in the
    // closing tag the parser lets them pass, and the one value they fall
    // into keeps its parameter's current value.
    struct Damage { const char* name; size_t offset; juce::uint8 byte; };
    const Damage damages[] = {
        { "a four-byte lead byte as the last character", xmlEnd - 1, 0xf4 },
        { "a two-byte lead byte as the last character", xmlEnd - 1, 0xc3 },
        { "a lone continuation byte in a value", firstValue, 0x80 },
        { "a byte that UTF-8 never uses, in a value", firstValue, 0xff },
        { "a lead byte before a plain character, in a value", firstValue, 0xe2 },
    };

    const auto valuesOf = [] (const juce::String& text)
    {
        std::map<juce::String, juce::String> values;
        if (const auto xml = juce::parseXML (text))
            for (auto* child : xml->getChildIterator())
                values[child->getStringAttribute ("id")] = child->getStringAttribute ("value");
        return values;
    };

    for (const auto& damage : damages)
    {
        // The host side may still hold 0.75 from the previous round, while
        // the restore moved the plug-in: pass through another value first.
        for (auto* parameter : instance.getEffectParameters())
        {
            parameter->setValueNotifyingHost (0.5f);
            parameter->setValueNotifyingHost (0.75f);
        }

        const auto current = valuesOf (SavedBlock (direct.getState()).processorText());
        ASSERT_NE (current, valuesOf (saved.processorText()));

        auto damaged = saved.bytes;
        damaged[(int) damage.offset] = (char) damage.byte;
        direct.setState (damaged.getData(), damaged.getSize());

        // The first value written is backColor's, the saved text being in id order.
        const bool inValue = damage.offset == firstValue;
        auto expected = valuesOf (saved.processorText());
        if (inValue)
            expected["backColor"] = current.at ("backColor");

        const SavedBlock restored (direct.getState());
        EXPECT_EQ (valuesOf (restored.processorText()), expected) << damage.name << ": " << restored.processorText();
    }

    // The same block undamaged is read.
    direct.setState (saved.bytes.getData(), saved.bytes.getSize());
    EXPECT_EQ (SavedBlock (direct.getState()).processorPart(), saved.processorPart());
}
