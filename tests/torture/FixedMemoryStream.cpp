#include "FixedMemoryStream.h"

#include <cstring>

using namespace Steinberg;

FixedMemoryStream::FixedMemoryStream (size_t capacity) : storage (capacity, true) {}

FixedMemoryStream::FixedMemoryStream (const void* data, size_t sizeInBytes)
    : storage (juce::jmax ((size_t) 1, sizeInBytes), true), size (sizeInBytes)
{
    if (sizeInBytes > 0)
        std::memcpy (storage.getData(), data, sizeInBytes);
}

tresult PLUGIN_API FixedMemoryStream::queryInterface (const TUID iid, void** object)
{
    const auto is = [&] (const TUID other) { return std::memcmp (iid, other, sizeof (TUID)) == 0; };

    if (is (FUnknown_iid) || is (IBStream_iid))
        *object = static_cast<IBStream*> (this);
    else if (is (ISizeableStream_iid))
        *object = static_cast<ISizeableStream*> (this);
    else
    {
        *object = nullptr;
        return kNoInterface;
    }

    return kResultOk;
}

tresult PLUGIN_API FixedMemoryStream::read (void* buffer, int32 numBytes, int32* numBytesRead)
{
    const auto available = size - juce::jmin (position, size);
    const auto count = juce::jmin ((size_t) juce::jmax (0, numBytes), available);

    if (count > 0)
        std::memcpy (buffer, static_cast<const char*> (storage.getData()) + position, count);

    position += count;

    if (numBytesRead != nullptr)
        *numBytesRead = (int32) count;

    return kResultOk;
}

tresult PLUGIN_API FixedMemoryStream::write (void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytesWritten != nullptr)
        *numBytesWritten = 0;

    if (numBytes < 0 || position + (size_t) numBytes > storage.getSize())
        return kResultFalse;

    std::memcpy (static_cast<char*> (storage.getData()) + position, buffer, (size_t) numBytes);
    position += (size_t) numBytes;
    size = juce::jmax (size, position);

    if (numBytesWritten != nullptr)
        *numBytesWritten = numBytes;

    return kResultOk;
}

tresult PLUGIN_API FixedMemoryStream::seek (int64 pos, int32 mode, int64* result)
{
    int64 target = pos;

    if (mode == kIBSeekCur)
        target += (int64) position;
    else if (mode == kIBSeekEnd)
        target += (int64) size;

    if (target < 0 || target > (int64) storage.getSize())
        return kResultFalse;

    position = (size_t) target;

    if (result != nullptr)
        *result = target;

    return kResultTrue;
}

tresult PLUGIN_API FixedMemoryStream::tell (int64* pos)
{
    if (pos == nullptr)
        return kInvalidArgument;

    *pos = (int64) position;
    return kResultTrue;
}

tresult PLUGIN_API FixedMemoryStream::getStreamSize (int64& result)
{
    result = (int64) size;
    return kResultTrue;
}

tresult PLUGIN_API FixedMemoryStream::setStreamSize (int64 newSize)
{
    if (newSize < 0 || newSize > (int64) storage.getSize())
        return kResultFalse;

    size = (size_t) newSize;
    return kResultTrue;
}
