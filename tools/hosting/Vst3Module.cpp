#include "Vst3Module.h"

#include <pluginterfaces/base/ipluginbase.h>

#include <dlfcn.h>

namespace
{
    using ModuleEntryFunction = bool (*) (void*);
    using ModuleExitFunction = bool (*)();
    using GetFactoryFunction = Steinberg::IPluginFactory* (*)();

   #if defined (__x86_64__)
    constexpr const char* linuxArchitecture = "x86_64-linux";
   #elif defined (__aarch64__)
    constexpr const char* linuxArchitecture = "aarch64-linux";
   #elif defined (__i386__)
    constexpr const char* linuxArchitecture = "i386-linux";
   #else
    #error "Unknown architecture for the VST3 bundle layout"
   #endif
}

Vst3Module::Vst3Module (const juce::File& bundle)
{
    openResult = open (bundle);
}

Vst3Module::~Vst3Module()
{
    if (factory != nullptr)
        factory->release();

    if (entered)
        if (auto exitModule = (ModuleExitFunction) dlsym (handle, "ModuleExit"))
            exitModule();

    if (handle != nullptr)
        dlclose (handle);
}

juce::File Vst3Module::getModuleFile (const juce::File& bundle)
{
    return bundle.getChildFile ("Contents")
                 .getChildFile (linuxArchitecture)
                 .getChildFile (bundle.getFileNameWithoutExtension() + ".so");
}

juce::Result Vst3Module::open (const juce::File& bundle)
{
    const auto moduleFile = getModuleFile (bundle);

    if (! moduleFile.existsAsFile())
        return juce::Result::fail ("no module at " + moduleFile.getFullPathName());

    handle = dlopen (moduleFile.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
        return juce::Result::fail ("cannot load " + moduleFile.getFullPathName() + ": " + juce::String (dlerror()));

    auto entry = (ModuleEntryFunction) dlsym (handle, "ModuleEntry");

    if (entry == nullptr || dlsym (handle, "ModuleExit") == nullptr)
        return juce::Result::fail ("the module does not export ModuleEntry and ModuleExit");

    if (! entry (handle))
        return juce::Result::fail ("ModuleEntry returned false");

    entered = true;

    auto getFactory = (GetFactoryFunction) dlsym (handle, "GetPluginFactory");

    if (getFactory == nullptr)
        return juce::Result::fail ("the module does not export GetPluginFactory");

    // GetPluginFactory hands over one reference, released in the destructor.
    factory = getFactory();

    if (factory == nullptr)
        return juce::Result::fail ("GetPluginFactory returned no factory");

    return juce::Result::ok();
}
