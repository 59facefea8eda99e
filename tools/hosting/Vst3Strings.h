#pragma once

#include <pluginterfaces/base/ftypes.h>

#include <juce_core/juce_core.h>

#include <cstring>
#include <string>

/** The SDK's fixed-size strings, which are terminated by convention only. */
struct Vst3Strings
{
    static juce::String fromUtf8 (const Steinberg::char8* text, size_t capacity)
    {
        return juce::String::fromUTF8 (text, (int) strnlen (text, capacity));
    }

    static juce::String fromUtf16 (const Steinberg::char16* text, size_t capacity)
    {
        size_t length = 0;

        while (length < capacity && text[length] != 0)
            ++length;

        const std::u16string terminated (text, length);
        return juce::String (juce::CharPointer_UTF16 (reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (terminated.c_str())));
    }
};
