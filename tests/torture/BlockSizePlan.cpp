#include "BlockSizePlan.h"

BlockSizePlan::BlockSizePlan (Pattern patternToUse, int maximumBlockSize, juce::int64 seed)
    : pattern (patternToUse), maximum (juce::jmax (1, maximumBlockSize)), random (seed)
{
}

int BlockSizePlan::getLargestSize() const noexcept
{
    return pattern == Pattern::oversized ? 4 * maximum : maximum;
}

int BlockSizePlan::next() noexcept
{
    if (pattern == Pattern::fixed)
        return maximum;

    const int choices = pattern == Pattern::oversized ? 10 : 7;

    switch (random.nextInt (choices))
    {
        case 0:  return 0;
        case 1:  return 1;
        case 2:  return juce::jmin (3, maximum);
        case 3:  return maximum;
        case 4:  return juce::jmax (0, maximum - 1);
        case 5:
        case 6:  return random.nextInt (maximum + 1);
        case 7:  return maximum + 1;
        case 8:  return 2 * maximum;
        default: return maximum + random.nextInt (3 * maximum + 1);
    }
}
