#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <vector>

/** One class of a VST3 factory, as a host reads it. */
struct Vst3ClassDescription
{
    juce::String category;
    juce::String name;
    std::array<juce::uint8, 16> classId {};
    int cardinality = 0;
    juce::uint32 classFlags = 0;
    juce::String subCategories;
    juce::String vendor;
    juce::String version;
    juce::String sdkVersion;

    /** The 16 bytes of the class ID as 32 upper-case hex digits. */
    juce::String getClassIdAsHex() const;
};

/** Everything the factory of a VST3 module tells a host before any instance exists. */
struct Vst3FactoryDescription
{
    juce::String vendor;
    juce::String url;
    juce::String email;
    int flags = 0;

    /** The classes as described through IPluginFactory2 (8-bit strings). */
    std::vector<Vst3ClassDescription> classes;

    /** The same classes as described through IPluginFactory3 (UTF-16 strings);
        empty when the factory does not implement that interface. */
    std::vector<Vst3ClassDescription> unicodeClasses;
};

/**
    Reads the factory of a VST3 bundle directly through the SDK interfaces,
    the way a host scans a plug-in (see Vst3Module).
*/
class BundleInspector
{
public:
    /** Fills the description, or returns why the module could not be read. */
    static juce::Result inspect (const juce::File& bundle, Vst3FactoryDescription& description);
};
