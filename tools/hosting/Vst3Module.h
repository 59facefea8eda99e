#pragma once

#include <juce_core/juce_core.h>

namespace Steinberg
{
    class IPluginFactory;
}

/**
    The shared object inside a VST3 bundle, opened the way a Linux host opens
    it: dlopen, ModuleEntry and GetPluginFactory; on destruction the factory is
    released, ModuleExit called and the object closed.
*/
class Vst3Module
{
public:
    explicit Vst3Module (const juce::File& bundle);
    ~Vst3Module();

    /** Whether the module is open and has handed out its factory. */
    const juce::Result& getOpenResult() const noexcept { return openResult; }

    /** The factory, valid while this object lives; nullptr if opening failed. */
    Steinberg::IPluginFactory* getFactory() const noexcept { return factory; }

    /** The shared object a Linux host loads for this machine's architecture. */
    static juce::File getModuleFile (const juce::File& bundle);

private:
    juce::Result open (const juce::File& bundle);

    void* handle = nullptr;
    bool entered = false;
    Steinberg::IPluginFactory* factory = nullptr;
    juce::Result openResult { juce::Result::ok() };

    JUCE_DECLARE_NON_COPYABLE (Vst3Module)
};
