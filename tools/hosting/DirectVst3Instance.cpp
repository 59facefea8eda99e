#include "DirectVst3Instance.h"
#include "Vst3InterfacePtr.h"
#include "Vst3Module.h"
#include "Vst3Strings.h"

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/gui/iplugview.h>
#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivsthostapplication.h>
#include <pluginterfaces/vst/ivstmessage.h>
#include <pluginterfaces/vst/ivstunits.h>

#include <cstring>

namespace
{
    using namespace Steinberg;

    bool isSameIid (const TUID a, const TUID b) noexcept
    {
        return std::memcmp (a, b, sizeof (TUID)) == 0;
    }

    juce::String fromString128 (const Vst::String128 text)
    {
        return Vst3Strings::fromUtf16 (text, 128);
    }

    /**
        The host side the plug-in talks back to: the application context, and
        the frame of a view with a run loop. Giving the view a run loop is how a
        Linux host takes over the plug-in's message handling; this one never
        runs the loop, so nothing of the plug-in's runs behind the caller's back
        while a view exists.
    */
    class HostContext final : public Vst::IHostApplication,
                              public IPlugFrame,
                              public Linux::IRunLoop
    {
    public:
        tresult PLUGIN_API queryInterface (const TUID iid, void** object) override
        {
            if (isSameIid (iid, FUnknown_iid) || isSameIid (iid, Vst::IHostApplication_iid))
                *object = static_cast<Vst::IHostApplication*> (this);
            else if (isSameIid (iid, IPlugFrame_iid))
                *object = static_cast<IPlugFrame*> (this);
            else if (isSameIid (iid, Linux::IRunLoop_iid))
                *object = static_cast<Linux::IRunLoop*> (this);
            else
            {
                *object = nullptr;
                return kNoInterface;
            }

            return kResultOk;
        }

        // Owned by the DirectVst3Instance, which outlives every plug-in object.
        uint32 PLUGIN_API addRef() override { return 1; }
        uint32 PLUGIN_API release() override { return 1; }

        tresult PLUGIN_API getName (Vst::String128 name) override
        {
            const juce::String hostName ("vesperline-host");
            std::memset (name, 0, sizeof (Vst::String128));
            hostName.copyToUTF16 (reinterpret_cast<juce::CharPointer_UTF16::CharType*> (name), sizeof (Vst::String128));
            return kResultOk;
        }

        tresult PLUGIN_API createInstance (TUID, TUID, void** object) override
        {
            *object = nullptr;
            return kNotImplemented;
        }

        tresult PLUGIN_API resizeView (IPlugView*, ViewRect*) override { return kResultFalse; }

        tresult PLUGIN_API registerEventHandler (Linux::IEventHandler*, Linux::FileDescriptor) override { return kResultOk; }
        tresult PLUGIN_API unregisterEventHandler (Linux::IEventHandler*) override { return kResultOk; }
        tresult PLUGIN_API registerTimer (Linux::ITimerHandler*, Linux::TimerInterval) override { return kResultOk; }
        tresult PLUGIN_API unregisterTimer (Linux::ITimerHandler*) override { return kResultOk; }
    };

    template <typename Interface>
    Vst3InterfacePtr<Interface> createFromFactory (IPluginFactory& factory, const TUID classId, const TUID iid)
    {
        void* object = nullptr;

        if (factory.createInstance (reinterpret_cast<FIDString> (classId), reinterpret_cast<FIDString> (iid), &object) != kResultOk)
            return {};

        return Vst3InterfacePtr<Interface>::adopt (static_cast<Interface*> (object));
    }
}

//==============================================================================
struct DirectVst3Instance::Impl
{
    explicit Impl (const juce::File& bundle) : module (bundle)
    {
        createResult = module.getOpenResult();

        if (createResult.wasOk())
            createResult = create();
    }

    ~Impl()
    {
        if (componentConnection && controllerConnection)
        {
            componentConnection->disconnect (controllerConnection.get());
            controllerConnection->disconnect (componentConnection.get());
        }

        componentConnection.reset();
        controllerConnection.reset();

        if (controllerInitialised)
            controller->terminate();

        if (componentInitialised)
            component->terminate();

        controller.reset();
        component.reset();
    }

    juce::Result create()
    {
        auto& factory = *module.getFactory();
        TUID componentId {};
        bool found = false;

        for (int32 i = 0; i < factory.countClasses() && ! found; ++i)
        {
            PClassInfo info {};

            if (factory.getClassInfo (i, &info) == kResultOk && std::strcmp (info.category, kVstAudioEffectClass) == 0)
            {
                std::memcpy (componentId, info.cid, sizeof (TUID));
                found = true;
            }
        }

        if (! found)
            return juce::Result::fail ("the factory has no audio module class");

        component = createFromFactory<Vst::IComponent> (factory, componentId, Vst::IComponent_iid);

        if (! component)
            return juce::Result::fail ("the factory cannot create the component");

        if (component->initialize (static_cast<Vst::IHostApplication*> (&host)) != kResultOk)
            return juce::Result::fail ("the component refuses to initialise");

        componentInitialised = true;

        TUID controllerId {};

        if (component->getControllerClassId (controllerId) != kResultOk)
            return juce::Result::fail ("the component names no controller class");

        controller = createFromFactory<Vst::IEditController> (factory, controllerId, Vst::IEditController_iid);

        if (! controller)
            return juce::Result::fail ("the factory cannot create the controller");

        if (controller->initialize (static_cast<Vst::IHostApplication*> (&host)) != kResultOk)
            return juce::Result::fail ("the controller refuses to initialise");

        controllerInitialised = true;

        componentConnection = Vst3InterfacePtr<Vst::IConnectionPoint> (component.get(), Vst::IConnectionPoint_iid);
        controllerConnection = Vst3InterfacePtr<Vst::IConnectionPoint> (controller.get(), Vst::IConnectionPoint_iid);

        if (! componentConnection || ! controllerConnection)
            return juce::Result::fail ("the component and controller cannot be connected");

        componentConnection->connect (controllerConnection.get());
        controllerConnection->connect (componentConnection.get());
        return juce::Result::ok();
    }

    Vst3Module module;
    HostContext host;
    Vst3InterfacePtr<Vst::IComponent> component;
    Vst3InterfacePtr<Vst::IEditController> controller;
    Vst3InterfacePtr<Vst::IConnectionPoint> componentConnection, controllerConnection;
    bool componentInitialised = false, controllerInitialised = false;
    juce::Result createResult { juce::Result::ok() };
};

//==============================================================================
DirectVst3Instance::DirectVst3Instance (const juce::File& bundle)
    : impl (std::make_unique<Impl> (bundle))
{
}

DirectVst3Instance::~DirectVst3Instance() = default;

const juce::Result& DirectVst3Instance::getCreateResult() const noexcept
{
    return impl->createResult;
}

std::vector<DirectVst3Instance::ProgramList> DirectVst3Instance::getProgramLists() const
{
    std::vector<ProgramList> lists;
    Vst3InterfacePtr<Vst::IUnitInfo> units (impl->controller.get(), Vst::IUnitInfo_iid);

    if (! units)
        return lists;

    for (int32 i = 0; i < units->getProgramListCount(); ++i)
    {
        Vst::ProgramListInfo info {};

        if (units->getProgramListInfo (i, info) != kResultOk)
            continue;

        ProgramList list;
        list.name = fromString128 (info.name);

        for (int32 program = 0; program < info.programCount; ++program)
        {
            Vst::String128 name {};
            list.programNames.add (units->getProgramName (info.id, program, name) == kResultOk ? fromString128 (name)
                                                                                                 : juce::String());
        }

        lists.push_back (list);
    }

    return lists;
}

DirectVst3Instance::EditorViewAnswers DirectVst3Instance::askEditorView() const
{
    EditorViewAnswers answers;

    if (! impl->controller)
        return answers;

    auto view = Vst3InterfacePtr<IPlugView>::adopt (impl->controller->createView (Vst::ViewType::kEditor));

    if (! view)
        return answers;

    answers.created = true;
    view->setFrame (&impl->host);

    answers.supportsX11EmbedWindow = view->isPlatformTypeSupported (kPlatformTypeX11EmbedWindowID) == kResultTrue;
    answers.canResize = view->canResize() == kResultTrue;

    ViewRect size;

    if (view->getSize (&size) == kResultOk)
    {
        answers.width = size.getWidth();
        answers.height = size.getHeight();
    }

    view->setFrame (nullptr);
    return answers;
}
