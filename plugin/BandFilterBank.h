#pragma once

#include "BandStageKernel.h"

#include <array>
#include <cstddef>

/** The resonance bank: 112 second-order peaking sections on a semitone grid
    from 27.5 Hz, run in series over an upper range of bands.

    Every band owns one coefficient set, shared by all channels, and one
    transposed-direct-form-II state per channel. The bank is the single home
    of both, kept in the layout the band-stage kernels work on
    (BandStageStorage); it never allocates.

    process() runs the fastest kernel this CPU supports; processReference()
    runs the plain cascade, one band after the other. Both produce the same
    bits and leave the same states.
*/
class BandFilterBank
{
public:
    static constexpr int numBands = BandStageStorage::numBands;
    static constexpr int maxChannels = BandStageStorage::maxChannels;

    /** b0, b1, b2, a1, a2, already divided by a0. */
    struct Coefficients
    {
        float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;

        bool operator== (const Coefficients& other) const noexcept;
        bool operator!= (const Coefficients& other) const noexcept { return ! (*this == other); }
    };

    using CoefficientSet = std::array<Coefficients, numBands>;

    /** What a coefficient set was designed from. */
    struct DesignKey
    {
        float top = 0.0f;
        float low = 0.0f;
        bool reverb = false;
        int sampleRate = 0;

        bool operator== (const DesignKey& other) const noexcept;
        bool operator!= (const DesignKey& other) const noexcept { return ! (*this == other); }
    };

    /** Decibels to a linear factor; -100 dB and below is silence. */
    static float decibelsToGain (float dB) noexcept;

    /** The grid: 27.5 * 2^(i / 12), evaluated exactly as the sound was voiced. */
    static std::array<float, numBands> makeBandFrequencies() noexcept;

    /** Designs all 112 peaking sections for the given parameters. Bands at or
        above half the sample rate (and every band at a rate of zero or less)
        pass the signal unchanged, since the peak design is unstable there.
        Allocates nothing, so it may run on the audio thread. */
    static void design (const DesignKey& key,
                        const std::array<float, numBands>& frequencies,
                        CoefficientSet& out) noexcept;

    /** The unity section that passes the signal unchanged. */
    static constexpr Coefficients passThrough() noexcept { return { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f }; }

    BandFilterBank();

    /** Gives every band one state per channel (1 or 2), all cleared. */
    void prepare (int numChannels);

    /** Number of channels that have filter states (0 before prepare). */
    int getNumChannels() const noexcept { return numChannels; }

    void setCoefficients (const CoefficientSet& newSet) noexcept;
    CoefficientSet getCoefficients() const noexcept;
    Coefficients getCoefficients (int band) const noexcept;

    /** Clears the delay state of every band and channel. */
    void reset() noexcept;

    /** True when every delay state of every band and channel is zero. */
    bool isCleared() const noexcept;

    /** Delay state (s1, s2) of one band and channel. */
    std::array<float, 2> getState (int band, int channel) const noexcept;

    /** Runs bands firstBand..111 in series over channels 0..numChannelsToRun-1,
        in place. Channels beyond the prepared count are left alone. */
    void process (float* const* channels, int numChannelsToRun, int numSamples, int firstBand) noexcept;

    /** The same with the plain cascade, whatever kernel is selected. */
    void processReference (float* const* channels, int numChannelsToRun, int numSamples, int firstBand) noexcept;

    /** Selects the kernel process() uses; returns false (and keeps the current
        one) if this CPU cannot run it. The fastest one is selected at first. */
    bool setKernel (BandStageKernel::Variant variant) noexcept;
    BandStageKernel::Variant getKernel() const noexcept { return kernelVariant; }

    /** Clears any state that has gone non-finite, so one bad input sample
        cannot silence the bank for good. Returns true if it had to. */
    bool resetIfNonFinite() noexcept;

private:
    void run (BandStageKernel::Function kernelToRun, float* const* channels,
              int numChannelsToRun, int numSamples, int firstBand) noexcept;

    BandStageStorage storage;
    BandStageKernel::Variant kernelVariant = BandStageKernel::Variant::reference;
    BandStageKernel::Function kernel = BandStageKernel::runReference;
    int numChannels = 0;
};
