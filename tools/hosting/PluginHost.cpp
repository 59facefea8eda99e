#include "PluginHost.h"

juce::Result PluginHost::load (const juce::File& bundle, double sampleRate, int blockSize)
{
    if (! bundle.isDirectory())
        return juce::Result::fail ("no VST3 bundle at " + bundle.getFullPathName());

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, bundle.getFullPathName());

    if (types.isEmpty())
        return juce::Result::fail ("no VST3 audio module found in " + bundle.getFullPathName());

    createdAtMs = juce::Time::getMillisecondCounter();

    juce::String error;
    instance = format.createInstanceFromDescription (*types.getFirst(), sampleRate, blockSize, error);

    if (instance == nullptr)
        return juce::Result::fail ("cannot create an instance of " + bundle.getFullPathName()
                                   + (error.isNotEmpty() ? ": " + error : juce::String()));

    return juce::Result::ok();
}

void PluginHost::waitForDeferredStartupWork() const
{
    const auto settledAt = createdAtMs + (juce::uint32) deferredStartupWorkMs;

    for (;;)
    {
        const auto now = juce::Time::getMillisecondCounter();

        if ((juce::int32) (settledAt - now) <= 0)
            return;

        const auto remaining = (int) (settledAt - now);
        auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

        if (messageManager != nullptr && messageManager->isThisTheMessageThread())
            messageManager->runDispatchLoopUntil (remaining);
        else
            juce::Thread::sleep (remaining);
    }
}

juce::File PluginHost::getDefaultBundle()
{
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory)
               .getChildFile (".vst3")
               .getChildFile ("Vesperline.vst3");
}
