#pragma once

#include "PluginProcessor.h"

class PluginAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    PluginAudioProcessorEditor (PluginAudioProcessor&, juce::AudioProcessorValueTreeState&);
    void paint (juce::Graphics&) override;

private:
    PluginAudioProcessor& audioProcessor;
};
