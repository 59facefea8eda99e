#include "PluginEditor.h"

PluginAudioProcessorEditor::PluginAudioProcessorEditor (PluginAudioProcessor& p, juce::AudioProcessorValueTreeState&)
    : AudioProcessorEditor (p), audioProcessor (p)
{
    setResizable (false, false);
    setSize (audioProcessor.editorWidth, audioProcessor.editorHeight);
}

void PluginAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff4682b4));
}
