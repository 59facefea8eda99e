#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

/**
    A component and its controller created straight from a bundle's factory
    and connected to each other, with no JUCE hosting layer in between. It
    answers what that layer keeps to itself: the program lists of the unit
    interface and the editor view's own answers about its size.

    Lives on the host's message thread.
*/
class DirectVst3Instance
{
public:
    explicit DirectVst3Instance (const juce::File& bundle);
    ~DirectVst3Instance();

    /** Whether both halves were created, initialised and connected. */
    const juce::Result& getCreateResult() const noexcept;

    struct ProgramList
    {
        juce::String name;
        juce::StringArray programNames;
    };

    /** The program lists the controller's IUnitInfo reports. */
    std::vector<ProgramList> getProgramLists() const;

    struct EditorViewAnswers
    {
        bool created = false;
        bool supportsX11EmbedWindow = false;
        bool canResize = false;
        int width = 0;
        int height = 0;
    };

    /** Creates the "editor" view, gives it a frame, asks it and releases it
        again without attaching it to a window. */
    EditorViewAnswers askEditorView() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE (DirectVst3Instance)
};
