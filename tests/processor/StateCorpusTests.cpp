#include "ProcessorFixture.h"
#include "../fuzz/StateInvariants.h"

// Every block of the fuzzer's seed corpus, valid and damaged, replayed into
// one prepared processor in turn, as a host restoring projects would.
TEST_F (ProcessorFixture, SeedCorpusRestoresSafely)
{
    prepare (48000.0, 64);

    const juce::File corpus (juce::String (VESPERLINE_SOURCE_DIR) + "/tests/fuzz/corpus");
    const auto files = corpus.findChildFiles (juce::File::findFiles, false);
    ASSERT_GE (files.size(), 10);

    for (const auto& file : files)
    {
        juce::MemoryBlock block;
        ASSERT_TRUE (file.loadFileAsData (block));
        EXPECT_EQ (restoreAndCheck (*processor, block.getData(), (int) block.getSize()), "") << file.getFileName();
    }
}
