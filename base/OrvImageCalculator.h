// Fits, scales and justifies an image inside a frame, in fixed units.
#pragma once

#include <cstdint>

#include "base/OrvFixed.h"

// Flags of FitImageToFrame_Proportional.
enum {
    ORV_FIT_BY_HEIGHT = 1,     // the height limits the image
    ORV_FIT_BY_WIDTH = 2,      // the width limits the image
    ORV_FIT_EXACT = 3,         // both ratios are equal
    ORV_FIT_REDUCED = 12,      // factor below 1
    ORV_FIT_ENLARGED = 48      // factor above 1
};

class OrvImageCalculator {
public:
    OrvImageCalculator() = default;

    // Image size from pixels at the image's resolution.
    void SetImagePixel(int width, int height, const OrvDPI& dpi);
    void SetImage(const OrvFixed& width, const OrvFixed& height)
    {
        imageWidth_ = width.Fixed16();
        imageHeight_ = height.Fixed16();
    }
    void SetFrame(const OrvFixedRect& frame);
    // A frame at the origin.
    void SetFrame(const OrvFixed& width, const OrvFixed& height);

    // rect becomes 0, 0, image width * factor, image height * factor.
    void ScaleImage(OrvFixedRect& rect, double factor) const;
    // The largest proportional size of the image inside the frame; the
    // factor enters the limited side in whole hundredths. An image without
    // size leaves rect at the frame's size, factor 0 and flags 0.
    void FitImageToFrame_Proportional(OrvFixedRect& rect, double& factor, int& flags) const;
    // Moves rect inside the frame; other justify values leave that axis.
    void JustifyImageInFrame(OrvFixedRect& rect, int horizontal, int vertical) const;

    OrvFixedRect Frame() const
    {
        return OrvFixedRect(OrvFixed(frameLeft_), OrvFixed(frameTop_), OrvFixed(frameRight_), OrvFixed(frameBottom_));
    }
    int32_t ImageWidth() const { return imageWidth_; }
    int32_t ImageHeight() const { return imageHeight_; }

private:
    int32_t frameLeft_ = 0;
    int32_t frameTop_ = 0;
    int32_t frameRight_ = 0;
    int32_t frameBottom_ = 0;
    int32_t imageWidth_ = 0;
    int32_t imageHeight_ = 0;
};
