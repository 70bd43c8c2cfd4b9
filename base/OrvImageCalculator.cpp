#include "base/OrvImageCalculator.h"

#include <climits>
#include <cmath>

namespace {

// trunc(v) as an int, clamped instead of overflowing.
int TruncToInt(double v)
{
    if (std::isnan(v)) return 0;
    v = std::trunc(v);
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

void OrvImageCalculator::SetImagePixel(int width, int height, const OrvDPI& dpi)
{
    imageWidth_ = OrvMulDiv(width, ORV_FIXED_PER_INCH, dpi.X());
    imageHeight_ = OrvMulDiv(height, ORV_FIXED_PER_INCH, dpi.Y());
}

void OrvImageCalculator::SetFrame(const OrvFixedRect& frame)
{
    frameLeft_ = frame.Left().Fixed16();
    frameTop_ = frame.Top().Fixed16();
    frameRight_ = frame.Right().Fixed16();
    frameBottom_ = frame.Bottom().Fixed16();
}

void OrvImageCalculator::SetFrame(const OrvFixed& width, const OrvFixed& height)
{
    frameLeft_ = 0;
    frameTop_ = 0;
    frameRight_ = width.Fixed16();
    frameBottom_ = height.Fixed16();
}

void OrvImageCalculator::ScaleImage(OrvFixedRect& rect, double factor) const
{
    rect = OrvFixedRect(OrvFixed(0), OrvFixed(0), OrvFixed(TruncToInt(imageWidth_ * factor)),
                        OrvFixed(TruncToInt(imageHeight_ * factor)));
}

void OrvImageCalculator::FitImageToFrame_Proportional(OrvFixedRect& rect, double& factor, int& flags) const
{
    flags = 0;
    const int64_t frameWidth = int64_t(frameRight_) - frameLeft_;
    const int64_t frameHeight = int64_t(frameBottom_) - frameTop_;
    rect = OrvFixedRect(OrvFixed(0), OrvFixed(0), OrvFixed(static_cast<int32_t>(frameWidth)),
                        OrvFixed(static_cast<int32_t>(frameHeight)));
    if (imageWidth_ == 0 || imageHeight_ == 0) {
        // Nothing to fit; the ratios would divide by zero.
        factor = 0.0;
        return;
    }
    const double fh = static_cast<double>(frameHeight) / imageHeight_;
    const double fw = static_cast<double>(frameWidth) / imageWidth_;
    if (fh < fw) {
        factor = fh;
        flags |= ORV_FIT_BY_HEIGHT;
        rect.SetRight(OrvFixed(OrvMulDiv(TruncToInt(factor * 100), imageWidth_, 100)));
    } else {
        factor = fw;
        if (fh > fw) {
            flags |= ORV_FIT_BY_WIDTH;
            rect.SetBottom(OrvFixed(OrvMulDiv(TruncToInt(factor * 100), imageHeight_, 100)));
        } else {
            flags |= ORV_FIT_EXACT;
        }
    }
    if (factor > 1)
        flags |= ORV_FIT_ENLARGED;
    else if (factor < 1)
        flags |= ORV_FIT_REDUCED;
}

void OrvImageCalculator::JustifyImageInFrame(OrvFixedRect& rect, int horizontal, int vertical) const
{
    const OrvFixedRect frame = Frame();
    switch (horizontal) {
    case ORV_HZ_LEFT: rect.HzShift(frame.Left() - rect.Left()); break;
    case ORV_HZ_RIGHT: rect.HzShift(frame.Right() - rect.Right()); break;
    case ORV_HZ_CENTER: rect.HzCenter(frame); break;
    }
    switch (vertical) {
    case ORV_VT_TOP: rect.VtShift(frame.Top() - rect.Top()); break;
    case ORV_VT_BOTTOM: rect.VtShift(frame.Bottom() - rect.Bottom()); break;
    case ORV_VT_CENTER: rect.VtCenter(frame); break;
    }
}
