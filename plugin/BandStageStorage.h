#pragma once

/** Everything the band stage reads and writes, laid out for the SIMD kernels:
    one contiguous row of floats per coefficient and per delay state, indexed
    by band. A run of adjacent bands is then one vector load away, whatever the
    vector width. This is the only place where coefficients and states live.
*/
struct BandStageStorage
{
    static constexpr int numBands = 112;
    static constexpr int maxChannels = 2;

    /** At the end of every block, states within +-this (and NaN) become zero:
        the flush JUCE's IIR filters give their state. */
    static constexpr float flushThreshold = 1.0e-8f;

    /** Rows of coefficients, each already divided by a0. */
    enum CoefficientRow { b0, b1, b2, a1, a2, numCoefficientRows };

    alignas (64) float coefficients[numCoefficientRows][numBands] {};
    alignas (64) float s1[maxChannels][numBands] {};
    alignas (64) float s2[maxChannels][numBands] {};
};
