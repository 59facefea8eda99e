#pragma once

#include <juce_core/juce_core.h>

/**
    The block sizes a host hands to processBlock, one call after the other:
    always the prepared maximum, or sizes that change from call to call,
    empty blocks and blocks larger than the maximum among them.
*/
class BlockSizePlan
{
public:
    enum class Pattern
    {
        fixed,    // every block has the prepared maximum
        varying,  // anything from 0 to the maximum, with the edge sizes often
        oversized // like varying, with blocks of up to four times the maximum too
    };

    BlockSizePlan (Pattern pattern, int maximumBlockSize, juce::int64 seed);

    int next() noexcept;

    /** The largest size next() can return. */
    int getLargestSize() const noexcept;

private:
    const Pattern pattern;
    const int maximum;
    juce::Random random;
};
