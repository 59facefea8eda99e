#pragma once

#include "PluginEditor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

/** A processor with its editor, built as a host builds them, with the
    editor's own timer stopped so that tests drive its ticks. */
struct EditorHarness
{
    explicit EditorHarness (int backColorIndex = 0)
    {
        setParameter ("backColor", (float) backColorIndex);
        editor = std::make_unique<PluginAudioProcessorEditor> (processor, processor.parameterState);
        editor->stopTimer();
    }

    void setParameter (const juce::String& id, float plainValue)
    {
        auto* parameter = processor.parameterState.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    void fillScope (float level)
    {
        for (auto& entry : processor.spectrumScope)
            entry.store (level);
    }

    /** The whole window with its controls, as the host would show it. */
    juce::Image render()
    {
        return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
    }

    PluginAudioProcessor processor;
    std::unique_ptr<PluginAudioProcessorEditor> editor;
};

//==============================================================================
inline bool coloursNear (juce::Colour a, juce::Colour b, int tolerance)
{
    return std::abs ((int) a.getRed() - (int) b.getRed()) <= tolerance
        && std::abs ((int) a.getGreen() - (int) b.getGreen()) <= tolerance
        && std::abs ((int) a.getBlue() - (int) b.getBlue()) <= tolerance
        && std::abs ((int) a.getAlpha() - (int) b.getAlpha()) <= tolerance;
}

inline int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                        const std::function<bool (juce::Colour)>& predicate)
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (predicate (image.getPixelAt (x, y)))
                ++count;

    return count;
}

inline int maxAlpha (const juce::Image& image)
{
    int result = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            result = std::max (result, (int) image.getPixelAt (x, y).getAlpha());
    return result;
}

inline juce::Image blankImage (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}
