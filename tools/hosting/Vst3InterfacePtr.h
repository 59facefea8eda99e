#pragma once

#include <pluginterfaces/base/funknown.h>

#include <juce_core/juce_core.h>

#include <utility>

/**
    Owns one reference to a VST3 interface. Queries take the interface's
    inline IID (IPluginFactory2_iid and so on), which the SDK headers define
    themselves, so no SDK sources need to be linked.
*/
template <typename Interface>
class Vst3InterfacePtr
{
public:
    Vst3InterfacePtr() = default;

    /** Queries the object for the interface; empty when it has none. */
    Vst3InterfacePtr (Steinberg::FUnknown* object, const Steinberg::TUID iid)
    {
        void* result = nullptr;

        if (object != nullptr && object->queryInterface (iid, &result) == Steinberg::kResultOk)
            pointer = static_cast<Interface*> (result);
    }

    /** Takes over a reference the caller already owns. */
    static Vst3InterfacePtr adopt (Interface* owned)
    {
        Vst3InterfacePtr result;
        result.pointer = owned;
        return result;
    }

    Vst3InterfacePtr (Vst3InterfacePtr&& other) noexcept : pointer (std::exchange (other.pointer, nullptr)) {}

    Vst3InterfacePtr& operator= (Vst3InterfacePtr&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            pointer = std::exchange (other.pointer, nullptr);
        }

        return *this;
    }

    ~Vst3InterfacePtr() { reset(); }

    void reset()
    {
        if (auto* old = std::exchange (pointer, nullptr))
            old->release();
    }

    Interface* get() const noexcept { return pointer; }
    Interface* operator->() const noexcept { return pointer; }
    explicit operator bool() const noexcept { return pointer != nullptr; }

private:
    Interface* pointer = nullptr;

    JUCE_DECLARE_NON_COPYABLE (Vst3InterfacePtr)
};
