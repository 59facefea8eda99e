#pragma once

#include <juce_core/juce_core.h>

/** Asks the maker's server for the newest published version and decides
    whether the editor should announce it.

    fetchVersionText() blocks for the whole request, so it belongs on a
    background thread; cancel() may be called from any other thread and makes
    a running or later fetch give up promptly. */
class UpdateChecker
{
public:
    explicit UpdateChecker (const juce::URL& versionFileUrl);

    /** POSTs an empty body to the version file's address and returns the
        body of the reply, or unknownVersion when the request fails, the
        reply is cut short or the fetch was cancelled. */
    juce::String fetchVersionText();

    /** Safe to call from any thread, before, during or after a fetch. */
    void cancel();

    //==============================================================================
    /** The digits of a version with its dots dropped, read as a decimal
        integer: leading white space is skipped, one sign is allowed, and
        reading stops at the first other character. Text without leading
        digits gives 0; numbers beyond the range of int saturate at its
        limits, so an absurdly long version still counts as newer. */
    static int parseVersionNumber (const juce::String& versionText);

    /** True when the fetched text names a later version than this build's. */
    static bool isNewerThanRunning (const juce::String& fetchedText);

    /** The version line announcing the fetched text, which is kept as it came. */
    static juce::String describeNewVersion (const juce::String& fetchedText);

    static constexpr int replyBufferSize = 32768;
    static constexpr int connectionTimeoutMs = 3000;
    static constexpr const char* unknownVersion = "1.0.0";

private:
    static juce::String readVersionText (juce::WebInputStream&);

    const juce::URL versionFileUrl;

    juce::CriticalSection streamLock;
    juce::WebInputStream* activeStream = nullptr;
    bool cancelled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateChecker)
};
