#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

/** Hands the newest of a stream of values from one writer thread to one
    reader thread without locks, waits or allocation (a triple buffer).

    The writer fills its private slot and swaps it into the middle; the
    reader swaps the middle out when something new has arrived. Neither side
    ever touches a slot the other one holds, so a value is always read whole.
    Values the reader never picked up are simply superseded.
*/
template <typename Value>
class LatestValueMailbox
{
public:
    /** Writer side: the slot to fill before publish(). */
    Value& beginWrite() noexcept { return slots[(size_t) writeIndex]; }

    /** Writer side: makes the slot filled since beginWrite() the newest value. */
    void publish() noexcept
    {
        const auto previous = middle.exchange ((std::uint8_t) (writeIndex | freshBit), std::memory_order_acq_rel);
        writeIndex = previous & indexMask;
    }

    /** Reader side: returns the newest value published since the last call,
        or nullptr if there is none. The pointer stays valid until the next call. */
    const Value* pull() noexcept
    {
        if ((middle.load (std::memory_order_relaxed) & freshBit) == 0)
            return nullptr;

        const auto previous = middle.exchange (readIndex, std::memory_order_acq_rel);
        readIndex = previous & indexMask;
        return &slots[(size_t) readIndex];
    }

private:
    static constexpr std::uint8_t indexMask = 0x3;
    static constexpr std::uint8_t freshBit = 0x4;

    std::array<Value, 3> slots {};
    std::uint8_t writeIndex = 0;
    std::uint8_t readIndex = 1;
    std::atomic<std::uint8_t> middle { 2 };
};
