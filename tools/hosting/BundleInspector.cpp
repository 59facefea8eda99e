#include "BundleInspector.h"
#include "Vst3InterfacePtr.h"
#include "Vst3Module.h"
#include "Vst3Strings.h"

#include <pluginterfaces/base/ipluginbase.h>

#include <cstring>

namespace
{
    using namespace Steinberg;

    template <size_t size>
    juce::String fromFixedString (const char8 (&text)[size])
    {
        return Vst3Strings::fromUtf8 (text, size);
    }

    template <size_t size>
    juce::String fromFixedString (const char16 (&text)[size])
    {
        return Vst3Strings::fromUtf16 (text, size);
    }

    template <typename ClassInfo>
    Vst3ClassDescription describeClass (const ClassInfo& info)
    {
        Vst3ClassDescription result;
        result.category = fromFixedString (info.category);
        result.name = fromFixedString (info.name);
        std::memcpy (result.classId.data(), info.cid, result.classId.size());
        result.cardinality = (int) info.cardinality;
        result.classFlags = (juce::uint32) info.classFlags;
        result.subCategories = fromFixedString (info.subCategories);
        result.vendor = fromFixedString (info.vendor);
        result.version = fromFixedString (info.version);
        result.sdkVersion = fromFixedString (info.sdkVersion);
        return result;
    }
}

//==============================================================================
juce::String Vst3ClassDescription::getClassIdAsHex() const
{
    return juce::String::toHexString (classId.data(), (int) classId.size(), 0).toUpperCase();
}

juce::Result BundleInspector::inspect (const juce::File& bundle, Vst3FactoryDescription& description)
{
    Vst3Module module (bundle);

    if (module.getOpenResult().failed())
        return module.getOpenResult();

    auto* factory = module.getFactory();
    description = {};

    PFactoryInfo factoryInfo {};

    if (factory->getFactoryInfo (&factoryInfo) != kResultOk)
        return juce::Result::fail ("getFactoryInfo failed");

    description.vendor = fromFixedString (factoryInfo.vendor);
    description.url = fromFixedString (factoryInfo.url);
    description.email = fromFixedString (factoryInfo.email);
    description.flags = (int) factoryInfo.flags;

    Vst3InterfacePtr<IPluginFactory2> factory2 (factory, IPluginFactory2_iid);
    Vst3InterfacePtr<IPluginFactory3> factory3 (factory, IPluginFactory3_iid);
    const auto numClasses = factory->countClasses();

    for (int32 i = 0; i < numClasses; ++i)
    {
        if (factory2)
        {
            PClassInfo2 info {};

            if (factory2->getClassInfo2 (i, &info) == kResultOk)
                description.classes.push_back (describeClass (info));
        }
        else
        {
            PClassInfo info {};

            if (factory->getClassInfo (i, &info) == kResultOk)
            {
                Vst3ClassDescription basic;
                basic.category = fromFixedString (info.category);
                basic.name = fromFixedString (info.name);
                std::memcpy (basic.classId.data(), info.cid, basic.classId.size());
                basic.cardinality = (int) info.cardinality;
                description.classes.push_back (basic);
            }
        }

        if (factory3)
        {
            PClassInfoW info {};

            if (factory3->getClassInfoUnicode (i, &info) == kResultOk)
                description.unicodeClasses.push_back (describeClass (info));
        }
    }

    return juce::Result::ok();
}
