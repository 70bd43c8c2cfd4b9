#include "base/OrvFixed.h"

#include <climits>

int OrvMulDiv(int64_t number, int64_t numerator, int64_t denominator)
{
    if (denominator == 0) return -1;
    __int128 product = static_cast<__int128>(number) * numerator;
    bool negative = (product < 0) != (denominator < 0);
    __int128 p = product < 0 ? -product : product;
    __int128 d = denominator < 0 ? -static_cast<__int128>(denominator) : denominator;
    __int128 q = (p + d / 2) / d;
    if (negative) q = -q;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return static_cast<int>(q);
}

namespace {

// 4718592 * 1000 / 254, rounded: fixed units per metre / 1000.
constexpr int64_t kFixedPerMM1000 = 18577134;

int ToFixed(int n, OrvDimensionType unit, unsigned dpi, bool hasDpi)
{
    const int64_t inch = ORV_FIXED_PER_INCH;
    switch (unit) {
    case ORV_DIM_FIXED:
    case ORV_DIM_FIXED_RAW: return n;
    case ORV_DIM_INCH100: return OrvMulDiv(n, inch, 100);
    case ORV_DIM_INCH1000: return OrvMulDiv(n, inch, 1000);
    case ORV_DIM_MM10: return OrvMulDiv(n, inch, 254);
    case ORV_DIM_MM100: return OrvMulDiv(n, inch, 2540);
    case ORV_DIM_MM1000: return OrvMulDiv(n, inch, 25400);
    case ORV_DIM_MM10000: return OrvMulDiv(n, inch, 254000);
    case ORV_DIM_POINT100: return OrvMulDiv(n, ORV_FIXED_PER_POINT, 100);
    case ORV_DIM_POINT20: return OrvMulDiv(n, ORV_FIXED_PER_POINT, 20);
    case ORV_DIM_POINT: return OrvMulDiv(int64_t(n) * 100, ORV_FIXED_PER_POINT, 100);
    case ORV_DIM_PIXEL: return hasDpi ? OrvMulDiv(n, inch, dpi) : 0;
    case ORV_DIM_PIXEL10: return hasDpi ? OrvMulDiv(n, inch, int64_t(dpi) * 10) : 0;
    }
    return 0;
}

int FromFixed(int32_t v, OrvDimensionType unit, unsigned dpi, bool hasDpi)
{
    const int64_t inch = ORV_FIXED_PER_INCH;
    switch (unit) {
    case ORV_DIM_FIXED:
    case ORV_DIM_FIXED_RAW: return v;
    case ORV_DIM_INCH100: return OrvMulDiv(v, 100, inch);
    case ORV_DIM_INCH1000: return OrvMulDiv(v, 1000, inch);
    case ORV_DIM_MM10: return OrvMulDiv(v, 1000, kFixedPerMM1000);
    case ORV_DIM_MM100: return OrvMulDiv(v, 10000, kFixedPerMM1000);
    case ORV_DIM_MM1000: return OrvMulDiv(v, 100000, kFixedPerMM1000);
    case ORV_DIM_MM10000: return OrvMulDiv(v, 1000000, kFixedPerMM1000);
    case ORV_DIM_POINT100: return OrvMulDiv(v, 100, ORV_FIXED_PER_POINT);
    case ORV_DIM_POINT20: return OrvMulDiv(v, 20, ORV_FIXED_PER_POINT);
    case ORV_DIM_POINT: return OrvMulDiv(v, 100, ORV_FIXED_PER_POINT) / 100;
    case ORV_DIM_PIXEL: return hasDpi ? OrvMulDiv(v, dpi, inch) : 0;
    case ORV_DIM_PIXEL10: return hasDpi ? OrvMulDiv(v, int64_t(dpi) * 10, inch) : 0;
    }
    return 0;
}

void Put32(std::ostream& out, int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    char b[4] = {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
                 static_cast<char>((u >> 24) & 0xFF)};
    out.write(b, 4);
}

bool Get32(std::istream& in, int32_t& v)
{
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
    v = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// OrvFixed

void OrvFixed::SetValue(int value, OrvDimensionType unit)
{
    value_ = ToFixed(value, unit, 0, false);
}

void OrvFixed::SetValue(int value, OrvDimensionType unit, unsigned dpi)
{
    value_ = ToFixed(value, unit, dpi, true);
}

int OrvFixed::Value(OrvDimensionType unit) const
{
    return FromFixed(value_, unit, 0, false);
}

int OrvFixed::Value(OrvDimensionType unit, unsigned dpi) const
{
    return FromFixed(value_, unit, dpi, true);
}

// ---------------------------------------------------------------------------
// OrvResolution

uint32_t OrvResolution::Convert(uint32_t value, OrvResolutionType unit) const
{
    if (type_ == ORV_RES_NONE || unit == ORV_RES_NONE) return 0;
    if (type_ == unit) return value;
    // 245, not 254: the factor the system has always used.
    int r = 0;
    if (unit == ORV_RES_DPI)
        r = OrvMulDiv(value, 245, 10000);
    else if (unit == ORV_RES_METRIC)
        r = OrvMulDiv(value, 10000, 245);
    return r < 0 ? 0 : static_cast<uint32_t>(r);
}

unsigned OrvResolution::Dpi(uint32_t value) const
{
    if (type_ == ORV_RES_DPI) return value;
    if (type_ == ORV_RES_NONE) return 0;
    int r = OrvMulDiv(value, 245, 10000);
    return r < 0 ? 0 : static_cast<unsigned>(r);
}

// ---------------------------------------------------------------------------
// OrvFixedPoint

bool OrvFixedPoint::Write(std::ostream& out) const
{
    Put32(out, x_.Fixed16());
    Put32(out, y_.Fixed16());
    return static_cast<bool>(out);
}

bool OrvFixedPoint::Read(std::istream& in)
{
    int32_t x, y;
    if (!Get32(in, x) || !Get32(in, y)) return false;
    x_ = OrvFixed(x);
    y_ = OrvFixed(y);
    return true;
}

// ---------------------------------------------------------------------------
// OrvFixedRect

void OrvFixedRect::AssignLTRB(int l, int t, int r, int b, OrvDimensionType unit)
{
    left_.SetValue(l, unit);
    top_.SetValue(t, unit);
    right_.SetValue(r, unit);
    bottom_.SetValue(b, unit);
}

void OrvFixedRect::AssignLTRB(int l, int t, int r, int b, OrvDimensionType unit, const OrvResolution& resolution)
{
    left_.SetValue(l, unit, resolution.DpiX());
    top_.SetValue(t, unit, resolution.DpiY());
    right_.SetValue(r, unit, resolution.DpiX());
    bottom_.SetValue(b, unit, resolution.DpiY());
}

void OrvFixedRect::AssignLTWH(int l, int t, int w, int h, OrvDimensionType unit)
{
    left_.SetValue(l, unit);
    top_.SetValue(t, unit);
    right_ = left_ + OrvFixed(w, unit);
    bottom_ = top_ + OrvFixed(h, unit);
}

int OrvFixedRect::DifferenceIn(const OrvFixed& d, OrvDimensionType unit, unsigned dpi, bool hasDpi)
{
    if (unit == ORV_DIM_FIXED) return d.Fixed16();
    return hasDpi ? d.Value(unit, dpi) : d.Value(unit);
}

int OrvFixedRect::Width(OrvDimensionType unit) const { return DifferenceIn(Width(), unit, 0, false); }
int OrvFixedRect::Height(OrvDimensionType unit) const { return DifferenceIn(Height(), unit, 0, false); }
int OrvFixedRect::Width(OrvDimensionType unit, unsigned dpi) const { return DifferenceIn(Width(), unit, dpi, true); }
int OrvFixedRect::Height(OrvDimensionType unit, unsigned dpi) const { return DifferenceIn(Height(), unit, dpi, true); }

void OrvFixedRect::SetWidth(const OrvFixed& width, OrvHzJustify justify)
{
    if (justify == ORV_HZ_LEFT)
        right_ = left_ + width;
    else if (justify == ORV_HZ_RIGHT)
        left_ = right_ - width;
}

void OrvFixedRect::SetHeight(const OrvFixed& height, OrvVtJustify justify)
{
    if (justify == ORV_VT_TOP)
        bottom_ = top_ + height;
    else if (justify == ORV_VT_BOTTOM)
        top_ = bottom_ - height;
}

void OrvFixedRect::HzCenter(const OrvFixedRect& outer)
{
    OrvFixed w = Width();
    left_ = outer.left_ + outer.Width() / 2 - w / 2;
    right_ = left_ + w;
}

void OrvFixedRect::VtCenter(const OrvFixedRect& outer)
{
    OrvFixed h = Height();
    top_ = outer.top_ + outer.Height() / 2 - h / 2;
    bottom_ = top_ + h;
}

void OrvFixedRect::Scale(int numerator, int denominator)
{
    left_.MulDiv(numerator, denominator);
    top_.MulDiv(numerator, denominator);
    right_.MulDiv(numerator, denominator);
    bottom_.MulDiv(numerator, denominator);
}

bool OrvFixedRect::Write(std::ostream& out) const
{
    Put32(out, left_.Fixed16());
    Put32(out, top_.Fixed16());
    Put32(out, right_.Fixed16());
    Put32(out, bottom_.Fixed16());
    return static_cast<bool>(out);
}

bool OrvFixedRect::Read(std::istream& in)
{
    int32_t l, t, r, b;
    if (!Get32(in, l) || !Get32(in, t) || !Get32(in, r) || !Get32(in, b)) return false;
    *this = OrvFixedRect(OrvFixed(l), OrvFixed(t), OrvFixed(r), OrvFixed(b));
    return true;
}

OrvRegion OrvFixedRect::ZafRegion(const OrvDisplayMetrics& display) const
{
    OrvRegion region;
    region.left = OrvMulDiv(left_.Fixed16(), display.xPixelsPerInch, ORV_FIXED_PER_INCH);
    region.top = OrvMulDiv(top_.Fixed16(), display.yPixelsPerInch, ORV_FIXED_PER_INCH);
    region.right = OrvMulDiv(right_.Fixed16(), display.xPixelsPerInch, ORV_FIXED_PER_INCH) - 1;
    region.bottom = OrvMulDiv(bottom_.Fixed16(), display.yPixelsPerInch, ORV_FIXED_PER_INCH) - 1;
    region.coordinateType = OrvRegion::Pixel;
    return region;
}

void OrvFixedRect::Assign(const OrvRegion& region)
{
    left_.SetValue(region.left, ORV_DIM_MM10);
    top_.SetValue(region.top, ORV_DIM_MM10);
    right_.SetValue(region.right + 1, ORV_DIM_MM10);
    bottom_.SetValue(region.bottom + 1, ORV_DIM_MM10);
}

void OrvFixedRect::Assign(const OrvRegion& region, const OrvDisplayMetrics& display)
{
    if (region.coordinateType == OrvRegion::MM10) {
        Assign(region);
        return;
    }
    // Pixels of the display to tenths of a millimetre.
    OrvRegion mm10;
    mm10.left = OrvMulDiv(region.left, 254, display.xPixelsPerInch);
    mm10.top = OrvMulDiv(region.top, 254, display.yPixelsPerInch);
    mm10.right = OrvMulDiv(region.right, 254, display.xPixelsPerInch);
    mm10.bottom = OrvMulDiv(region.bottom, 254, display.yPixelsPerInch);
    mm10.coordinateType = OrvRegion::MM10;
    Assign(mm10);
}
