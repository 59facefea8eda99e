#include "PluginProcessor.h"
#include "PluginEditor.h"

#include <cmath>

namespace
{
    constexpr juce::uint32 stateMagic = 0x21324356; // "VC2!"

    constexpr int maxStateNesting = 64;

    // Stands in for every byte of the saved text that is not well-formed UTF-8.
    constexpr juce::juce_wchar replacementCharacter = 0xfffd;

    int truncateSampleRate (double sampleRate) noexcept
    {
        if (! std::isfinite (sampleRate) || sampleRate <= 0.0)
            return 0;

        return (int) std::min (sampleRate, (double) std::numeric_limits<int>::max());
    }

    /** The saved text up to its first zero byte, with every byte that is not
        part of a well-formed UTF-8 sequence replaced by U+FFFD: JUCE's XML
        parser reads past the end of malformed sequences. */
    juce::String readUtf8Text (const char* bytes, int size)
    {
        std::string text;
        text.reserve ((size_t) size);

        const auto* p = reinterpret_cast<const unsigned char*> (bytes);
        int i = 0;

        while (i < size && p[i] != 0)
        {
            const unsigned char lead = p[i];
            int length = 0;
            juce::uint32 minimum = 0;

            if (lead < 0x80)                 { length = 1; }
            else if ((lead & 0xe0) == 0xc0)  { length = 2; minimum = 0x80; }
            else if ((lead & 0xf0) == 0xe0)  { length = 3; minimum = 0x800; }
            else if ((lead & 0xf8) == 0xf0)  { length = 4; minimum = 0x10000; }

            bool valid = length > 0 && i + length <= size;
            juce::uint32 codePoint = length == 1 ? lead : (juce::uint32) (lead & (0x7f >> length));

            for (int k = 1; valid && k < length; ++k)
            {
                valid = (p[i + k] & 0xc0) == 0x80;
                codePoint = (codePoint << 6) | (p[i + k] & 0x3f);
            }

            valid = valid && codePoint >= minimum && codePoint <= 0x10ffff
                          && ! (codePoint >= 0xd800 && codePoint <= 0xdfff);

            if (valid)
            {
                text.append (bytes + i, (size_t) length);
                i += length;
            }
            else
            {
                text.append ("\xef\xbf\xbd");
                ++i;
            }
        }

        return juce::String::fromUTF8 (text.data(), (int) text.size());
    }

    /** A saved state is the XML declaration and a root two levels deep. JUCE's
        parser recurses once per level, loops forever on a processing
        instruction inside an element and expands entities a DOCTYPE defines,
        so text with deep nesting, a later processing instruction or any DTD
        is refused before it reaches the parser. */
    bool isSafeToParse (const juce::String& text)
    {
        auto p = text.getCharPointer().findEndOfWhitespace();

        if (p[0] == '<' && p[1] == '?')
        {
            const auto declarationEnd = p.indexOf (juce::CharPointer_ASCII ("?>"));
            if (declarationEnd < 0)
                return false;

            p += declarationEnd + 2;
        }

        int depth = 0;

        while (! p.isEmpty())
        {
            const auto c = p.getAndAdvance();

            if (c == '<')
            {
                const auto next = *p;

                if (next == '?')
                    return false;

                if (next == '!')
                {
                    const auto kind = juce::CharacterFunctions::toLowerCase (p[1]);
                    if (kind == 'd' || kind == 'e')
                        return false;
                }
                else if (next == '/')
                {
                    --depth;
                }
                else if (++depth > maxStateNesting)
                {
                    return false;
                }
            }
            else if (c == '/' && *p == '>')
            {
                --depth;
            }
        }

        return true;
    }
}

const char* const PluginAudioProcessor::siteUrl = "https://www.orlevaudio.example/";
const char* const PluginAudioProcessor::versionUrl = "https://www.orlevaudio.example/vesperline/version.txt";

//==============================================================================
PluginAudioProcessor::PluginAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameterState (*this, nullptr, "PARAMETERS", createParameterLayout()),
      bandFrequencies (BandFilterBank::makeBandFrequencies())
{
    topValueParam = parameterState.getRawParameterValue ("topValue");
    midValueParam = parameterState.getRawParameterValue ("midValue");
    lowValueParam = parameterState.getRawParameterValue ("lowValue");
    gainParam = parameterState.getRawParameterValue ("gain");
    reverbParam = parameterState.getRawParameterValue ("reverb");
    backColorParam = parameterState.getRawParameterValue ("backColor");

    themeId = (int) (1.0f + backColorParam->load());

    fillAnalyserWindow();

    startTimer (1000);
}

PluginAudioProcessor::~PluginAudioProcessor()
{
    stopTimer();
}

juce::AudioProcessorValueTreeState::ParameterLayout PluginAudioProcessor::createParameterLayout()
{
    using juce::ParameterID;

    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    layout.add (std::make_unique<juce::AudioParameterFloat> (ParameterID { "topValue", 0 }, "FilterGain", 3.0f, 30.0f, 15.0f),
                std::make_unique<juce::AudioParameterFloat> (ParameterID { "midValue", 0 }, "Dry/Wet", 0.0f, 100.0f, 50.0f),
                std::make_unique<juce::AudioParameterFloat> (ParameterID { "lowValue", 0 }, "FilterQ", 4.0f, 20.0f, 10.0f),
                std::make_unique<juce::AudioParameterFloat> (ParameterID { "gain", 0 }, "Gain", -18.0f, 18.0f, 0.0f),
                std::make_unique<juce::AudioParameterBool> (ParameterID { "reverb", 0 }, "Reverb", false),
                std::make_unique<juce::AudioParameterChoice> (ParameterID { "backColor", 0 }, "BackColor",
                                                              juce::StringArray { "Vibrato", "Crescendo", "Rhapsody",
                                                                                  "Staccato", "Tremolo", "Arpeggio" },
                                                              0));
    return layout;
}

void PluginAudioProcessor::fillAnalyserWindow() noexcept
{
    juce::dsp::WindowingFunction<float>::fillWindowingTables (analyserWindow.data(), analyserWindow.size(),
                                                              juce::dsp::WindowingFunction<float>::hann, true);
}

//==============================================================================
const juce::String PluginAudioProcessor::getName() const { return "Vesperline"; }
double PluginAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool PluginAudioProcessor::acceptsMidi() const { return false; }
bool PluginAudioProcessor::producesMidi() const { return false; }
bool PluginAudioProcessor::isMidiEffect() const { return false; }

juce::AudioProcessorEditor* PluginAudioProcessor::createEditor()
{
    return new PluginAudioProcessorEditor (*this, parameterState);
}

bool PluginAudioProcessor::hasEditor() const { return true; }

int PluginAudioProcessor::getNumPrograms() { return 1; }
int PluginAudioProcessor::getCurrentProgram() { return 0; }
void PluginAudioProcessor::setCurrentProgram (int) {}
const juce::String PluginAudioProcessor::getProgramName (int) { return {}; }
void PluginAudioProcessor::changeProgramName (int, const juce::String&) {}

bool PluginAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

//==============================================================================
void PluginAudioProcessor::timerCallback()
{
    stopTimer();
    updateParameters (true);
}

void PluginAudioProcessor::parameterChanged (const juce::String&, float)
{
    updateParameters (false);
}

//==============================================================================
void PluginAudioProcessor::refreshSnapshots() noexcept
{
    currentTopValue.exchange (topValueParam->load());
    currentMidValue.exchange (midValueParam->load());
    currentLowValue.exchange (lowValueParam->load());
    currentGain.exchange (gainParam->load());
    reverbOn.store (reverbParam->load() >= 0.5f);
}

BandFilterBank::DesignKey PluginAudioProcessor::currentDesignKey() const noexcept
{
    const float low = currentLowValue.load();
    return { currentTopValue.load(), low == 0.0f ? 10.0f : low, reverbOn.load(), sampleRateHz.load() };
}

void PluginAudioProcessor::updateParameters (bool force)
{
    const std::lock_guard<std::mutex> writer (bankWriterLock);

    currentTopValue.exchange (topValueParam->load());
    currentLowValue.exchange (lowValueParam->load());
    reverbOn.store (reverbParam->load() >= 0.5f);

    if (currentLowValue.load() == 0.0f)
        currentLowValue.store (10.0f);

    auto& pending = pendingBank.beginWrite();
    pending.key = currentDesignKey();
    BandFilterBank::design (pending.key, bandFrequencies, pending.coefficients);
    pendingBank.publish();

    // A change of mode clears the states where the audio thread switches to
    // the new set (applyPendingBank), so it happens exactly once, at a block
    // boundary, whoever noticed the change first.
    if (force)
        clearStatesRequested.store (true, std::memory_order_release);

    previousReverbOn = reverbOn.load();
}

void PluginAudioProcessor::applyPendingBank() noexcept
{
    const bool clear = clearStatesRequested.exchange (false, std::memory_order_acquire);

    if (const auto* pending = pendingBank.pull())
    {
        if (pending->key.reverb != liveKey.reverb)
            bandFilters.reset();

        bandFilters.setCoefficients (pending->coefficients);
        liveKey = pending->key;
    }

    if (clear)
        bandFilters.reset();

    // Parameters the host changed since the last design (with or without an
    // editor) are heard from this block on.
    const auto key = currentDesignKey();

    if (key != liveKey)
    {
        if (key.reverb != liveKey.reverb)
            bandFilters.reset();

        BandFilterBank::CoefficientSet designed;
        BandFilterBank::design (key, bandFrequencies, designed);
        bandFilters.setCoefficients (designed);
        liveKey = key;
    }
}

//==============================================================================
void PluginAudioProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    sampleRateHz.store (truncateSampleRate (sampleRate));

    // Hosts do send blocks larger than announced; processBlock splits them into
    // pieces of this size, so the buffer only needs a sane upper bound.
    const int drySize = juce::jlimit (1, 65536, maximumExpectedSamplesPerBlock);
    if (dryBuffer.getNumChannels() != 2 || dryBuffer.getNumSamples() != drySize)
        dryBuffer.setSize (2, drySize, false, false, false);

    bandFilters.prepare (getTotalNumOutputChannels());

    for (auto& level : spectrumScope)
        level.store (0.0f);

    refreshSnapshots();
    updateParameters (true);

    // No block runs during preparation, so the new bank can be taken over now.
    applyPendingBank();
}

void PluginAudioProcessor::releaseResources() {}

void PluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    audioRunning.store (true);

    const int numChannels = buffer.getNumChannels();
    if (numChannels == 0)
        return;

    juce::ScopedNoDenormals noDenormals;

    refreshSnapshots();

    const int numSamples = buffer.getNumSamples();
    for (int channel = getTotalNumInputChannels(); channel < numChannels; ++channel)
        buffer.clear (channel, 0, numSamples);

    // A host that never told the processor its rate reads as 0 here; the
    // rate given to prepareToPlay then stays in force.
    if (const int hostRate = truncateSampleRate (getSampleRate()); hostRate > 0)
        sampleRateHz.store (hostRate);

    applyPendingBank();

    const int chunkSize = dryBuffer.getNumSamples();
    if (chunkSize == 0 || bandFilters.getNumChannels() == 0)
    {
        // Never prepared: there is nothing to filter with, so stay silent.
        buffer.clear();
        return;
    }

    for (int start = 0; start < numSamples; start += chunkSize)
        processChunk (buffer, start, std::min (chunkSize, numSamples - start));
}

void PluginAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept
{
    const int numChannels = std::min (buffer.getNumChannels(), 2);

    // Non-finite input would stay in the filter states for good.
    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel, startSample);
        for (int i = 0; i < numSamples; ++i)
            if (! std::isfinite (samples[i]))
                samples[i] = 0.0f;
    }

    dryBuffer.copyFrom (0, 0, buffer, 0, startSample, numSamples);
    dryBuffer.copyFrom (1, 0, buffer, 0, startSample, numSamples);
    if (numChannels == 2)
        dryBuffer.copyFrom (1, 0, buffer, 1, startSample, numSamples);

    const bool reverb = reverbOn.load();
    const int firstBand = reverb ? 60 : 48;

    float* bandChannels[2] = { buffer.getWritePointer (0, startSample),
                               numChannels == 2 ? buffer.getWritePointer (1, startSample) : nullptr };
    bandFilters.process (bandChannels, numChannels, numSamples, firstBand);

    bandFilters.resetIfNonFinite();

    const float top = currentTopValue.load();
    const float mid = currentMidValue.load();
    const float low = currentLowValue.load();

    const float mix = mid / 100.0f;
    const float T = BandFilterBank::decibelsToGain ((top * low) / 30.0f - top);
    const float U = BandFilterBank::decibelsToGain (low * 0.25f + (top * -0.5f + 13.0f));
    const float G = BandFilterBank::decibelsToGain (currentGain.load());

    float* out[2] = { buffer.getWritePointer (0, startSample),
                      numChannels == 2 ? buffer.getWritePointer (1, startSample) : nullptr };
    const float* dry[2] = { dryBuffer.getReadPointer (0), dryBuffer.getReadPointer (1) };

    for (int i = 0; i < numSamples; ++i)
    {
        float frame[2] = {};

        for (int channel = 0; channel < numChannels; ++channel)
        {
            const float d = dry[channel][i];
            const float y = out[channel][i];
            const float wet = reverb ? y * T : (d - y) * U;
            float sample = wet * mix + d * (1.0f - mix);
            sample = sample * G;

            if (! std::isfinite (sample))
                sample = 0.0f;

            out[channel][i] = sample;
            frame[channel] = sample;
        }

        pushAnalyserSample (numChannels == 2 ? (frame[1] + frame[0]) * 0.5f : frame[0]);
    }
}

//==============================================================================
void PluginAudioProcessor::pushAnalyserSample (float sample) noexcept
{
    if (analyserFifoIndex == analyserFftSize)
    {
        if (! analyserBlockReady.load (std::memory_order_acquire))
        {
            std::fill (analyserFftData.begin() + analyserFftSize, analyserFftData.end(), 0.0f);
            std::copy (analyserFifo.begin(), analyserFifo.end(), analyserFftData.begin());
            analyserBlockReady.store (true, std::memory_order_release);
        }

        analyserFifoIndex = 0;
    }

    analyserFifo[(size_t) analyserFifoIndex++] = sample;
}

void PluginAudioProcessor::drawNextFrameOfSpectrum()
{
    const auto windowSize = std::min ((size_t) analyserFftSize, analyserWindow.size());
    for (size_t i = 0; i < windowSize; ++i)
        analyserFftData[i] *= analyserWindow[i];

    analyserFft.performFrequencyOnlyForwardTransform (analyserFftData.data());

    for (int i = 0; i < spectrumPoints; ++i)
    {
        const float p = (float) i * (1.0f / (float) spectrumPoints);
        const float e = (p * 0.67f + 0.3f) / 0.1f - 10.0f;
        const float r = (float) std::exp ((double) e * std::log (2.0));
        const int bin = juce::jlimit (0, analyserFftSize / 2, (int) ((double) (r * (float) analyserFftSize) * 0.5));

        const float m = analyserFftData[(size_t) bin];
        const float dB = m > 0.0f ? std::max (20.0f * std::log10 (m), -100.0f) : -100.0f;
        const float x = dB - 66.226593f;

        spectrumScope[(size_t) i].store (x < -100.0f ? 0.0f : (std::min (x, 0.0f) + 100.0f) / 100.0f);
    }
}

//==============================================================================
void PluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    audioRunning.store (false);

    const auto state = parameterState.copyState();
    if (const auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void PluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return;

    const auto* bytes = static_cast<const char*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != stateMagic)
        return;

    const auto length = (int) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length <= 0)
        return;

    const auto text = readUtf8Text (bytes + 8, std::min (sizeInBytes - 8, length));
    if (! isSafeToParse (text))
        return;

    const auto xml = juce::parseXML (text);
    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (parameterState.state.getType().toString()))
        return;

    auto restored = juce::ValueTree::fromXml (*xml);

    for (auto* p : getParameters())
    {
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (p);
        if (parameter == nullptr)
            continue;

        const auto& id = parameter->getParameterID();
        const auto currentValue = parameter->convertFrom0to1 (parameter->getValue());
        bool mentioned = false;

        // The state object takes every child carrying a parameter's id, the
        // last one winning, so each of them is checked.
        for (auto child : restored)
        {
            if (child.getProperty ("id").toString() != id)
                continue;

            mentioned = mentioned || child.hasType ("PARAM");

            // NaN or infinity would reach the audio, and a value with damaged
            // bytes in it is no number at all: keep the current value.
            const auto value = child.getProperty ("value");
            if (child.hasProperty ("value")
                && (! std::isfinite ((float) (double) value) || value.toString().containsChar (replacementCharacter)))
                child.setProperty ("value", currentValue, nullptr);
        }

        // A parameter the block does not mention keeps its value; left alone,
        // the framework would reset it to its default.
        if (! mentioned)
            restored.appendChild (juce::ValueTree ("PARAM", { { "id", id }, { "value", currentValue } }), nullptr);
    }

    parameterState.replaceState (restored);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new PluginAudioProcessor();
}
