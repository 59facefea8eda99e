#pragma once

#include <pluginterfaces/base/ibstream.h>

#include <juce_core/juce_core.h>

/**
    A VST3 stream over memory of a fixed capacity, as hosts hand to
    IComponent::getState and setState. Writing never allocates: writes past
    the capacity fail. Lives on the stack or as a member; reference counting
    is a formality.
*/
class FixedMemoryStream final : public Steinberg::IBStream,
                                public Steinberg::ISizeableStream
{
public:
    explicit FixedMemoryStream (size_t capacity);

    /** A stream that starts out holding these bytes. */
    FixedMemoryStream (const void* data, size_t size);

    const juce::MemoryBlock& getStorage() const noexcept { return storage; }
    size_t getSize() const noexcept { return size; }
    juce::MemoryBlock getContents() const { return { storage.getData(), size }; }

    Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** object) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    Steinberg::tresult PLUGIN_API read (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
    Steinberg::tresult PLUGIN_API write (void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesWritten) override;
    Steinberg::tresult PLUGIN_API seek (Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
    Steinberg::tresult PLUGIN_API tell (Steinberg::int64* pos) override;

    Steinberg::tresult PLUGIN_API getStreamSize (Steinberg::int64& result) override;
    Steinberg::tresult PLUGIN_API setStreamSize (Steinberg::int64 newSize) override;

private:
    juce::MemoryBlock storage;
    size_t size = 0;
    size_t position = 0;

    JUCE_DECLARE_NON_COPYABLE (FixedMemoryStream)
};
