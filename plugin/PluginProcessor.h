#pragma once

#include "BandFilterBank.h"
#include "LatestValueMailbox.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <mutex>

class PluginAudioProcessor : public juce::AudioProcessor,
                             public juce::AudioProcessorValueTreeState::Listener,
                             public juce::Timer
{
public:
    PluginAudioProcessor();
    ~PluginAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void timerCallback() override;
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==============================================================================
    /** Recomputes the coefficients of all 112 bands from the current parameter
        values; with force, or when the reverb mode changed since the last run,
        the filter states are cleared as well. Runs on any thread but the audio
        thread: the new bank reaches the audio thread at the start of its next
        block, never in the middle of one. */
    void updateParameters (bool force);

    /** Draws the waiting analyser block into spectrumScope (message thread). */
    void drawNextFrameOfSpectrum();

    /** Feeds one mono output frame to the analyser FIFO (audio thread). */
    void pushAnalyserSample (float sample) noexcept;

    //==============================================================================
    static constexpr int numBands = BandFilterBank::numBands;
    static constexpr int analyserFftOrder = 11;
    static constexpr int analyserFftSize = 1 << analyserFftOrder;
    static constexpr int spectrumPoints = 512;

    juce::AudioProcessorValueTreeState parameterState;

    std::atomic<float>* topValueParam = nullptr;
    std::atomic<float>* midValueParam = nullptr;
    std::atomic<float>* lowValueParam = nullptr;
    std::atomic<float>* gainParam = nullptr;
    std::atomic<float>* reverbParam = nullptr;
    std::atomic<float>* backColorParam = nullptr;

    std::atomic<float> currentTopValue { 0.0f };
    std::atomic<float> currentMidValue { 0.0f };
    std::atomic<float> currentLowValue { 0.0f };
    std::atomic<float> currentGain { 0.0f };
    std::atomic<bool> reverbOn { false };
    bool previousReverbOn = false;
    std::atomic<int> sampleRateHz { 44100 };

    /** The grid of band centre frequencies in Hz. */
    const std::array<float, numBands> bandFrequencies;

    /** The bank: coefficients and filter states. Audio-thread property while
        blocks run; other threads reach it only through the hand-over below. */
    BandFilterBank bandFilters;

    juce::AudioBuffer<float> dryBuffer;

    std::atomic<bool> audioRunning { false };

    // Analyser
    std::array<float, analyserFftSize> analyserFifo {};
    int analyserFifoIndex = 0;
    std::array<float, analyserFftSize * 2> analyserFftData {};
    std::atomic<bool> analyserBlockReady { false };
    juce::dsp::FFT analyserFft { analyserFftOrder };
    std::array<float, analyserFftSize> analyserWindow {};
    std::array<std::atomic<float>, spectrumPoints> spectrumScope {};

    // Values kept for the editor
    const int editorWidth = 580;
    const int editorHeight = 520;
    const char* const editorTitle = "V e s p e r l i n e";
    int themeId = 1;

    /** The maker's web site and the version file, both over https. */
    static const char* const siteUrl;
    static const char* const versionUrl;

private:
    struct PendingBank
    {
        BandFilterBank::DesignKey key;
        BandFilterBank::CoefficientSet coefficients;
    };

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
    void fillAnalyserWindow() noexcept;
    void refreshSnapshots() noexcept;
    void applyPendingBank() noexcept;
    void processChunk (juce::AudioBuffer<float>& buffer, int startSample, int numSamples) noexcept;
    BandFilterBank::DesignKey currentDesignKey() const noexcept;

    // Writers of the hand-over (message thread, timer, prepareToPlay) are
    // serialised by this lock; the audio thread never takes it.
    std::mutex bankWriterLock;
    LatestValueMailbox<PendingBank> pendingBank;
    std::atomic<bool> clearStatesRequested { false };
    BandFilterBank::DesignKey liveKey;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginAudioProcessor)
};
