#include "WindowCapture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
    int lowestSetBit (unsigned long mask)
    {
        int shift = 0;

        while (mask != 0 && (mask & 1) == 0)
        {
            mask >>= 1;
            ++shift;
        }

        return shift;
    }

    juce::uint8 channelOf (unsigned long pixel, unsigned long mask)
    {
        if (mask == 0)
            return 0;

        const auto value = (pixel & mask) >> lowestSetBit (mask);
        const auto maximum = mask >> lowestSetBit (mask);
        return (juce::uint8) ((value * 255) / maximum);
    }
}

juce::Image WindowCapture::capture (juce::Component& desktopComponent)
{
    auto* peer = desktopComponent.getPeer();

    if (peer == nullptr || desktopComponent.getWidth() <= 0 || desktopComponent.getHeight() <= 0)
        return {};

    // A connection of our own: JUCE's is private to it, and reading pixels
    // needs no state from it.
    auto* display = XOpenDisplay (nullptr);

    if (display == nullptr)
        return {};

    const auto window = (Window) (juce::pointer_sized_uint) peer->getNativeHandle();
    juce::Image result;

    XSync (display, False);

    if (auto* image = XGetImage (display, window, 0, 0,
                                 (unsigned int) desktopComponent.getWidth(), (unsigned int) desktopComponent.getHeight(),
                                 AllPlanes, ZPixmap))
    {
        result = juce::Image (juce::Image::RGB, image->width, image->height, false);
        juce::Image::BitmapData pixels (result, juce::Image::BitmapData::writeOnly);

        for (int y = 0; y < image->height; ++y)
        {
            for (int x = 0; x < image->width; ++x)
            {
                const auto pixel = XGetPixel (image, x, y);
                pixels.setPixelColour (x, y, juce::Colour (channelOf (pixel, image->red_mask),
                                                           channelOf (pixel, image->green_mask),
                                                           channelOf (pixel, image->blue_mask)));
            }
        }

        XDestroyImage (image);
    }

    XCloseDisplay (display);
    return result;
}
