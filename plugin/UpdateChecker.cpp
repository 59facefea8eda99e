#include "UpdateChecker.h"

#include <limits>

UpdateChecker::UpdateChecker (const juce::URL& url)
    : versionFileUrl (url)
{
}

juce::String UpdateChecker::fetchVersionText()
{
    // Parameters in the body make this a POST; the address has none, so the body is empty.
    auto stream = std::make_unique<juce::WebInputStream> (versionFileUrl, true);
    stream->withConnectionTimeout (connectionTimeoutMs);

    {
        const juce::ScopedLock sl (streamLock);

        if (cancelled)
            return unknownVersion;

        activeStream = stream.get();
    }

    // A connection that fails outright still reports success here and
    // leaves the stream in its error state, which readVersionText() sees.
    const auto text = stream->connect (nullptr) ? readVersionText (*stream)
                                                : juce::String (unknownVersion);

    {
        const juce::ScopedLock sl (streamLock);
        activeStream = nullptr;
    }

    return text;
}

void UpdateChecker::cancel()
{
    const juce::ScopedLock sl (streamLock);
    cancelled = true;

    // The stream's own lock is only held around libcurl calls, never across
    // a wait for the network, so this cannot stall behind a silent server.
    if (activeStream != nullptr)
        activeStream->cancel();
}

juce::String UpdateChecker::readVersionText (juce::WebInputStream& stream)
{
    const auto announcedLength = stream.getTotalLength();
    juce::HeapBlock<char> buffer ((size_t) replyBufferSize);
    int bytesRead = 0;

    for (;;)
    {
        if (stream.isError())
            break;

        if (announcedLength >= 0 && bytesRead >= announcedLength)
            break;

        const auto spaceLeft = replyBufferSize - bytesRead;

        if (spaceLeft <= 0)
            break;

        const auto wanted = announcedLength >= 0 ? (int) juce::jmin ((juce::int64) spaceLeft, announcedLength - bytesRead)
                                                 : spaceLeft;
        const auto got = stream.read (buffer + bytesRead, wanted);

        if (got <= 0)
            break;

        bytesRead += got;
    }

    // A reply that does not fit counts as cut short when its length was announced.
    if (stream.isError() || (announcedLength > 0 && bytesRead < announcedLength))
        return unknownVersion;

    int textLength = 0;

    while (textLength < bytesRead && buffer[textLength] != 0)
        ++textLength;

    return juce::String::fromUTF8 (buffer, textLength);
}

//==============================================================================
int UpdateChecker::parseVersionNumber (const juce::String& versionText)
{
    const auto digits = versionText.removeCharacters (".");
    auto p = digits.getCharPointer();

    // The C locale's white space, so that the result never depends on the host's locale.
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;

    const bool negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    const juce::int64 limit = negative ? -(juce::int64) std::numeric_limits<int>::min()
                                       : (juce::int64) std::numeric_limits<int>::max();
    juce::int64 magnitude = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = juce::jmin (magnitude * 10 + (juce::int64) (*p - '0'), limit);

    return (int) (negative ? -magnitude : magnitude);
}

bool UpdateChecker::isNewerThanRunning (const juce::String& fetchedText)
{
    return parseVersionNumber (JucePlugin_VersionString) < parseVersionNumber (fetchedText);
}

juce::String UpdateChecker::describeNewVersion (const juce::String& fetchedText)
{
    return "New version available " + fetchedText;
}
