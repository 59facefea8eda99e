#pragma once

#include "BandStageStorage.h"

/** The band cascade scheduled as a wavefront, for one SIMD instruction set.

    The bands to run are laid end to end in vectors of Ops::width lanes, one
    band per lane, with the last band in the last lane of the last vector.
    Lane q works one sample behind lane q - 1: at step t it filters the sample
    that lane q - 1 finished at step t - 1, which arrives by shifting every
    vector up by one lane (the top lane moving on into the next vector). So a
    step advances every band at once, each on its own sample, with nothing in
    one step waiting for another lane's result of the same step.

    Blocks start and end with a partly filled pipeline: lanes whose sample is
    not yet (or no longer) within the block keep their state, and vectors
    without such a lane are skipped. Lanes below the first band (when the
    number of bands is not a multiple of the width) run with zero coefficients
    and never reach the storage.

    Each lane does the plain cascade's arithmetic on its own band and sample,
    so the result is bit for bit that of the plain cascade.

    Ops supplies the vector type and a handful of operations, plus two tuning
    choices: registerGroups, the largest number of vectors per channel for
    which the lanes are kept in locals the compiler can hold in registers, and
    rampsInRegisters, whether filling and draining work on those locals too.
    The including source picks the instruction set before including this
    header, which is why it includes nothing with code in it.
*/
template <typename Ops>
class BandStageWavefront
{
public:
    static void run (BandStageStorage& storage, float* const* channels,
                     int numChannels, int numSamples, int firstBand) noexcept
    {
        if (numChannels == 2)
        {
            Pipeline<2> pipeline (storage, channels, numSamples, firstBand);
            pipeline.run();
        }
        else
        {
            Pipeline<1> pipeline (storage, channels, numSamples, firstBand);
            pipeline.run();
        }
    }

private:
    using Vector = typename Ops::Vector;
    using Mask = typename Ops::Mask;

    static constexpr int width = Ops::width;
    static constexpr int numBands = BandStageStorage::numBands;
    static constexpr int maxGroups = (numBands + width - 1) / width;
    static constexpr int numRows = BandStageStorage::numCoefficientRows;

    // The vector counts of the plug-in's two band ranges (64 and 52 bands).
    static constexpr int groupsForReverbOff = (64 + width - 1) / width;
    static constexpr int groupsForReverbOn = (52 + width - 1) / width;

    // Ramp masks compare step numbers as floats; clamping them keeps the
    // values exact for blocks of any length.
    static constexpr float stepClamp = 4096.0f;

    /** One channel's running values, one vector per group of lanes. */
    template <int slots>
    struct Lanes
    {
        Vector s1[(unsigned) slots];
        Vector s2[(unsigned) slots];
        Vector out[(unsigned) slots]; // each lane's latest output, the next lane's next input
    };

    /** A number of groups known when compiling, so that loops over groups
        unroll and the lanes can stay in registers. */
    template <int count>
    struct FixedGroups
    {
        static constexpr bool unrolled = true;
        constexpr int operator()() const noexcept { return count; }
    };

    struct RuntimeGroups
    {
        static constexpr bool unrolled = false;
        int count;
        int operator()() const noexcept { return count; }
    };

    template <int numChannels>
    class Pipeline
    {
    public:
        Pipeline (BandStageStorage& storageToUse, float* const* channels, int samplesInBlock, int firstBand) noexcept
            : storage (storageToUse), numSamples (samplesInBlock)
        {
            const int numSections = numBands - firstBand;
            numGroups = (numSections + width - 1) / width;
            base = numBands - numGroups * width;
            deadLanes = firstBand - base;
            lag = numSections - 1;

            for (int c = 0; c < numChannels; ++c)
                samples[c] = channels[c];

            const Vector laneIndex = Ops::laneIndices();
            const Vector dead = Ops::broadcast ((float) deadLanes);
            liveLanes = Ops::greaterOrEqual (laneIndex, dead);
            inputLanes = Ops::lessOrEqual (laneIndex, dead);

            for (int g = 0; g < numGroups; ++g)
            {
                for (int r = 0; r < numRows; ++r)
                    coefficients[g][r] = Ops::load (storage.coefficients[r] + base + g * width);

                delay[g] = Ops::add (laneIndex, Ops::broadcast ((float) (g * width - deadLanes)));

                for (int c = 0; c < numChannels; ++c)
                {
                    lanes[c].s1[g] = Ops::load (storage.s1[c] + base + g * width);
                    lanes[c].s2[g] = Ops::load (storage.s2[c] + base + g * width);
                    lanes[c].out[g] = Ops::zero();
                }
            }

            for (int r = 0; r < numRows; ++r)
                coefficients[0][r] = Ops::keep (liveLanes, coefficients[0][r]);

            // Dead lanes get a delay no step ever reaches, so they never count as active.
            delay[0] = Ops::select (liveLanes, delay[0], Ops::broadcast (2.0f * stepClamp));

            for (int c = 0; c < numChannels; ++c)
            {
                lanes[c].s1[0] = Ops::keep (liveLanes, lanes[c].s1[0]);
                lanes[c].s2[0] = Ops::keep (liveLanes, lanes[c].s2[0]);
            }
        }

        void run() noexcept
        {
            if (numGroups == groupsForReverbOff && groupsForReverbOff <= Ops::registerGroups)
            {
                runInRegisters<groupsForReverbOff>();
            }
            else if (numGroups == groupsForReverbOn && groupsForReverbOn <= Ops::registerGroups)
            {
                runInRegisters<groupsForReverbOn>();
            }
            else
            {
                const RuntimeGroups groups { numGroups };
                partialSteps (lanes, groups, 0, lag);
                fullSteps (lanes, groups, lag, fullEnd());
                partialSteps (lanes, groups, fullEnd(), numSteps());
            }

            storeStates();
        }

    private:
        // The pipeline fills during steps [0, lag) and drains during
        // [fullEnd, numSteps); in between, every lane is busy.
        int numSteps() const noexcept { return numSamples + lag; }
        int fullEnd() const noexcept  { return numSamples > lag ? numSamples : lag; }

        // With the number of groups fixed at compile time, the lanes can live
        // in locals that the compiler keeps in registers. Where registers are
        // scarce, the filling and draining steps do better with the lanes in
        // memory, where they can skip idle groups without unrolled branches.
        template <int count>
        void runInRegisters() noexcept
        {
            const FixedGroups<count> groups;
            Lanes<count> local[(unsigned) numChannels];

            if constexpr (Ops::rampsInRegisters)
            {
                copyLanes (lanes, local, count);
                partialSteps (local, groups, 0, lag);
                fullSteps (local, groups, lag, fullEnd());
                partialSteps (local, groups, fullEnd(), numSteps());
                copyLanes (local, lanes, count);
            }
            else
            {
                const RuntimeGroups inMemory { count };
                partialSteps (lanes, inMemory, 0, lag);
                copyLanes (lanes, local, count);
                fullSteps (local, groups, lag, fullEnd());
                copyLanes (local, lanes, count);
                partialSteps (lanes, inMemory, fullEnd(), numSteps());
            }
        }

        template <int fromSlots, int toSlots>
        static void copyLanes (const Lanes<fromSlots> (&from)[(unsigned) numChannels],
                               Lanes<toSlots> (&to)[(unsigned) numChannels], int count) noexcept
        {
            for (int c = 0; c < numChannels; ++c)
            {
                for (int g = 0; g < count; ++g)
                {
                    to[c].s1[g] = from[c].s1[g];
                    to[c].s2[g] = from[c].s2[g];
                    to[c].out[g] = from[c].out[g];
                }
            }
        }

        // One band per lane: the plain cascade's update, operation for operation.
        template <int slots>
        static inline void advance (Vector in, const Vector* k, Lanes<slots>& l, int g) noexcept
        {
            const Vector y = Ops::add (Ops::mul (in, k[BandStageStorage::b0]), l.s1[g]);
            l.s1[g] = Ops::add (Ops::sub (Ops::mul (in, k[BandStageStorage::b1]),
                                          Ops::mul (y, k[BandStageStorage::a1])),
                                l.s2[g]);
            l.s2[g] = Ops::sub (Ops::mul (in, k[BandStageStorage::b2]),
                                Ops::mul (y, k[BandStageStorage::a2]));
            l.out[g] = y;
        }

        // The same, but only lanes in the mask keep their new state.
        template <int slots>
        static inline void advanceWhere (Mask active, Vector in, const Vector* k, Lanes<slots>& l, int g) noexcept
        {
            const Vector y = Ops::add (Ops::mul (in, k[BandStageStorage::b0]), l.s1[g]);
            const Vector newS1 = Ops::add (Ops::sub (Ops::mul (in, k[BandStageStorage::b1]),
                                                     Ops::mul (y, k[BandStageStorage::a1])),
                                           l.s2[g]);
            const Vector newS2 = Ops::sub (Ops::mul (in, k[BandStageStorage::b2]),
                                           Ops::mul (y, k[BandStageStorage::a2]));
            l.s1[g] = Ops::select (active, newS1, l.s1[g]);
            l.s2[g] = Ops::select (active, newS2, l.s2[g]);
            l.out[g] = y;
        }

        // Every lane busy: the steady state of all but the shortest blocks.
        // Groups run from the top down, so each still sees the previous step's
        // output of the group below.
        template <int slots, typename GroupCount>
        void fullSteps (Lanes<slots> (&channelLanes)[(unsigned) numChannels], GroupCount groups, int from, int to) noexcept
        {
            for (int step = from; step < to; ++step)
            {
                for (int c = 0; c < numChannels; ++c)
                {
                    auto& l = channelLanes[c];
                    const int top = groups() - 1;
                    Vector rotated = Ops::rotate (l.out[top]);

                    for (int g = top; g > 0; --g)
                    {
                        const Vector rotatedBelow = Ops::rotate (l.out[g - 1]);
                        advance (Ops::shiftIn (rotated, rotatedBelow), coefficients[g], l, g);
                        rotated = rotatedBelow;
                    }

                    const Vector input = Ops::broadcast (samples[c][step]);
                    advance (Ops::select (inputLanes, input, Ops::shiftIn (rotated, rotated)), coefficients[0], l, 0);

                    samples[c][step - lag] = Ops::lastLane (l.out[top]);
                }
            }
        }

        // Filling or draining: only lanes whose sample lies within the block
        // move on, and groups without such a lane are skipped. The active
        // groups always form one run, so the rotation carried down from the
        // group above stays valid.
        template <int slots, typename GroupCount>
        void partialSteps (Lanes<slots> (&channelLanes)[(unsigned) numChannels], GroupCount groups, int from, int to) noexcept
        {
            const int top = groups() - 1;

            for (int step = from; step < to; ++step)
            {
                const int lowestActiveLane = step + deadLanes - numSamples + 1;
                const int highestActiveLane = step + deadLanes;
                const int lowGroup = lowestActiveLane > 0 ? lowestActiveLane / width : 0;
                const int highGroup = highestActiveLane / width < top ? highestActiveLane / width : top;

                // Lane with delay d is active while step - numSamples < d <= step.
                const Vector upper = Ops::broadcast ((float) (step < (int) stepClamp ? step : (int) stepClamp));
                const int stepsPastEnd = step - numSamples;
                const Vector lower = Ops::broadcast ((float) (stepsPastEnd > -(int) stepClamp ? stepsPastEnd : -(int) stepClamp));

                const int outputIndex = step - lag;

                for (int c = 0; c < numChannels; ++c)
                {
                    auto& l = channelLanes[c];
                    const float channelInput = step < numSamples ? samples[c][step] : 0.0f;
                    Vector rotated = Ops::zero();

                    if constexpr (! GroupCount::unrolled)
                        rotated = Ops::rotate (l.out[highGroup]);

                    // Unrolled loops keep constant bounds, and so constant
                    // indices into the lanes, which may then live in registers.
                    for (int g = GroupCount::unrolled ? top : highGroup; g >= (GroupCount::unrolled ? 0 : lowGroup); --g)
                    {
                        if constexpr (GroupCount::unrolled)
                        {
                            if (g > highGroup || g < lowGroup)
                                continue;

                            if (g == highGroup)
                                rotated = Ops::rotate (l.out[g]);
                        }

                        Vector in;

                        if (g > 0)
                        {
                            const Vector rotatedBelow = Ops::rotate (l.out[g - 1]);
                            in = Ops::shiftIn (rotated, rotatedBelow);
                            rotated = rotatedBelow;
                        }
                        else
                        {
                            in = Ops::select (inputLanes, Ops::broadcast (channelInput), Ops::shiftIn (rotated, rotated));
                        }

                        const Mask active = Ops::maskAnd (Ops::lessOrEqual (delay[g], upper),
                                                          Ops::greater (delay[g], lower));
                        advanceWhere (active, in, coefficients[g], l, g);
                    }

                    if (outputIndex >= 0 && outputIndex < numSamples)
                        samples[c][outputIndex] = Ops::lastLane (l.out[top]);
                }
            }
        }

        void storeStates() noexcept
        {
            for (int c = 0; c < numChannels; ++c)
            {
                for (int g = 0; g < numGroups; ++g)
                {
                    float* row1 = storage.s1[c] + base + g * width;
                    float* row2 = storage.s2[c] + base + g * width;
                    Vector new1 = snapToZero (lanes[c].s1[g]);
                    Vector new2 = snapToZero (lanes[c].s2[g]);

                    // Lanes below the first band belong to bands that did not run.
                    if (g == 0)
                    {
                        new1 = Ops::select (liveLanes, new1, Ops::load (row1));
                        new2 = Ops::select (liveLanes, new2, Ops::load (row2));
                    }

                    Ops::store (row1, new1);
                    Ops::store (row2, new2);
                }
            }
        }

        static Vector snapToZero (Vector x) noexcept
        {
            const Vector threshold = Ops::broadcast (BandStageStorage::flushThreshold);
            const Vector negativeThreshold = Ops::broadcast (-BandStageStorage::flushThreshold);
            return Ops::keep (Ops::maskOr (Ops::less (x, negativeThreshold), Ops::greater (x, threshold)), x);
        }

        BandStageStorage& storage;
        float* samples[(unsigned) numChannels] {};
        const int numSamples;
        int numGroups = 0;   // vectors in the pipeline
        int base = 0;        // band of lane 0 of vector 0
        int deadLanes = 0;   // lanes below the first band
        int lag = 0;         // steps from a sample's entry to its exit

        Mask liveLanes, inputLanes;
        Vector coefficients[(unsigned) maxGroups][(unsigned) numRows];
        Vector delay[(unsigned) maxGroups]; // per lane: how many steps behind the input it works
        Lanes<maxGroups> lanes[(unsigned) numChannels];
    };
};
