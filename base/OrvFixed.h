// Device-independent geometry: lengths in 1/65536 point (4718592 units per
// inch), points and rectangles of them, resolutions, and the conversions to
// physical and pixel units. Plain value types without allocation.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

// Units of a plain integer handed to or taken from the fixed types.
enum OrvDimensionType {
    ORV_DIM_FIXED = 1,        // the raw fixed value
    ORV_DIM_INCH100 = 4,
    ORV_DIM_INCH1000 = 5,
    ORV_DIM_MM10 = 7,
    ORV_DIM_MM100 = 8,
    ORV_DIM_MM1000 = 9,
    ORV_DIM_MM10000 = 10,
    ORV_DIM_POINT100 = 11,
    ORV_DIM_POINT20 = 12,
    ORV_DIM_POINT = 13,
    ORV_DIM_PIXEL = 1001,     // at a given dots-per-inch value
    ORV_DIM_PIXEL10 = 1002,   // tenths of a pixel at a given dots-per-inch value
    ORV_DIM_FIXED_RAW = 1011  // the raw fixed value
};

enum OrvResolutionType {
    ORV_RES_NONE = 1,     // no absolute resolution
    ORV_RES_DPI = 2,      // dots per inch
    ORV_RES_METRIC = 3    // the second absolute unit
};

enum OrvHzJustify { ORV_HZ_LEFT = 1, ORV_HZ_RIGHT = 2, ORV_HZ_CENTER = 3 };
enum OrvVtJustify { ORV_VT_TOP = 1, ORV_VT_BOTTOM = 2, ORV_VT_CENTER = 3 };

constexpr int32_t ORV_FIXED_PER_INCH = 4718592;   // 72 * 65536
constexpr int32_t ORV_FIXED_PER_POINT = 65536;

// number * numerator / denominator, the product in 64 bits, rounded to the
// nearest integer with halves away from zero; -1 when the denominator is 0
// or the result does not fit in 32 bits.
int OrvMulDiv(int64_t number, int64_t numerator, int64_t denominator);

// A framework region in integer coordinates; right and bottom are inclusive.
struct OrvRegion {
    enum CoordinateType { Pixel = 1, MM10 = 7 };
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    CoordinateType coordinateType = Pixel;
};

// What the geometry needs of a display.
struct OrvDisplayMetrics {
    int xPixelsPerInch = 96;
    int yPixelsPerInch = 96;
};

class OrvFixed {
public:
    OrvFixed() = default;
    explicit OrvFixed(int32_t raw) : value_(raw) {}
    OrvFixed(int value, OrvDimensionType unit) { SetValue(value, unit); }
    OrvFixed(int value, OrvDimensionType unit, unsigned dpi) { SetValue(value, unit, dpi); }

    void Clr() { value_ = 0; }
    void Assign(const OrvFixed& other) { value_ = other.value_; }
    // Pixel units need a dots-per-inch value; without one they give 0.
    void SetValue(int value, OrvDimensionType unit);
    void SetValue(int value, OrvDimensionType unit, unsigned dpi);
    int Value(OrvDimensionType unit) const;
    int Value(OrvDimensionType unit, unsigned dpi) const;
    int32_t Fixed16() const { return value_; }

    OrvFixed& MulDiv(int numerator, int denominator)
    {
        value_ = OrvMulDiv(value_, numerator, denominator);
        return *this;
    }

    bool operator==(const OrvFixed& o) const { return value_ == o.value_; }
    bool operator!=(const OrvFixed& o) const { return value_ != o.value_; }
    bool operator<(const OrvFixed& o) const { return value_ < o.value_; }
    bool operator<=(const OrvFixed& o) const { return value_ <= o.value_; }
    bool operator>(const OrvFixed& o) const { return value_ > o.value_; }
    bool operator>=(const OrvFixed& o) const { return value_ >= o.value_; }

    // Arithmetic wraps around in 32 bits like the raw integer would on the
    // machine, without undefined overflow.
    OrvFixed& operator++() { value_ = Wrap(int64_t(value_) + 1); return *this; }
    OrvFixed& operator--() { value_ = Wrap(int64_t(value_) - 1); return *this; }
    OrvFixed operator++(int) { OrvFixed old = *this; ++*this; return old; }
    OrvFixed operator--(int) { OrvFixed old = *this; --*this; return old; }
    OrvFixed& operator+=(const OrvFixed& o) { value_ = Wrap(int64_t(value_) + o.value_); return *this; }
    OrvFixed& operator-=(const OrvFixed& o) { value_ = Wrap(int64_t(value_) - o.value_); return *this; }
    OrvFixed operator+(const OrvFixed& o) const { OrvFixed r = *this; return r += o; }
    OrvFixed operator-(const OrvFixed& o) const { OrvFixed r = *this; return r -= o; }
    // Division by 0 leaves the value unchanged.
    OrvFixed& operator/=(int divisor)
    {
        if (divisor != 0) value_ = Wrap(int64_t(value_) / divisor);
        return *this;
    }
    OrvFixed& operator*=(int factor) { value_ = Wrap(int64_t(value_) * factor); return *this; }
    OrvFixed operator/(int divisor) const { OrvFixed r = *this; return r /= divisor; }
    OrvFixed operator*(int factor) const { OrvFixed r = *this; return r *= factor; }

private:
    static int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

    int32_t value_ = 0;
};

class OrvDPI {
public:
    OrvDPI() = default;
    OrvDPI(uint32_t x, uint32_t y) : x_(x), y_(y) {}
    void Assign(uint32_t x, uint32_t y) { x_ = x; y_ = y; }
    void Assign(const OrvDPI& other) { *this = other; }
    uint32_t X() const { return x_; }
    uint32_t Y() const { return y_; }
    bool operator==(const OrvDPI& o) const { return x_ == o.x_ && y_ == o.y_; }

private:
    uint32_t x_ = 0;
    uint32_t y_ = 0;
};

class OrvResolution {
public:
    OrvResolution() = default;
    OrvResolution(uint32_t x, uint32_t y, OrvResolutionType type) : x_(x), y_(y), type_(type) {}
    void Assign(const OrvResolution& other) { *this = other; }
    void Set(uint32_t x, uint32_t y, OrvResolutionType type) { x_ = x; y_ = y; type_ = type; }
    // The resolution in another unit (see the conversion rules in the .cpp).
    uint32_t X(OrvResolutionType unit) const { return Convert(x_, unit); }
    uint32_t Y(OrvResolutionType unit) const { return Convert(y_, unit); }
    uint32_t X_Raw() const { return x_; }
    uint32_t Y_Raw() const { return y_; }
    OrvResolutionType ResolutionType() const { return type_; }
    // Dots per inch used when integers are assigned with this resolution.
    unsigned DpiX() const { return Dpi(x_); }
    unsigned DpiY() const { return Dpi(y_); }
    bool operator==(const OrvResolution& o) const { return x_ == o.x_ && y_ == o.y_ && type_ == o.type_; }

private:
    uint32_t Convert(uint32_t value, OrvResolutionType unit) const;
    unsigned Dpi(uint32_t value) const;

    uint32_t x_ = 0;
    uint32_t y_ = 0;
    OrvResolutionType type_ = ORV_RES_NONE;
};

class OrvFixedPoint {
public:
    OrvFixedPoint() = default;
    OrvFixedPoint(const OrvFixed& x, const OrvFixed& y) : x_(x), y_(y) {}
    OrvFixedPoint(int x, int y, OrvDimensionType unit) { Assign(x, y, unit); }

    void Clr() { x_.Clr(); y_.Clr(); }
    void Copy(const OrvFixedPoint& other) { *this = other; }
    void Assign(const OrvFixed& x, const OrvFixed& y) { x_ = x; y_ = y; }
    void Assign(int x, int y, OrvDimensionType unit) { x_.SetValue(x, unit); y_.SetValue(y, unit); }
    void Assign(int x, int y, OrvDimensionType unit, const OrvResolution& resolution)
    {
        x_.SetValue(x, unit, resolution.DpiX());
        y_.SetValue(y, unit, resolution.DpiY());
    }

    const OrvFixed& Left() const { return x_; }
    const OrvFixed& Top() const { return y_; }
    int Left(OrvDimensionType unit) const { return x_.Value(unit); }
    int Top(OrvDimensionType unit) const { return y_.Value(unit); }
    void SetLeft(const OrvFixed& x) { x_ = x; }
    void SetTop(const OrvFixed& y) { y_ = y; }
    void Scale(int numerator, int denominator) { x_.MulDiv(numerator, denominator); y_.MulDiv(numerator, denominator); }

    // x then y, each a 32-bit little-endian integer.
    bool Write(std::ostream& out) const;
    bool Read(std::istream& in);

    bool operator==(const OrvFixedPoint& o) const { return x_ == o.x_ && y_ == o.y_; }
    bool operator!=(const OrvFixedPoint& o) const { return !(*this == o); }

private:
    OrvFixed x_;
    OrvFixed y_;
};

class OrvFixedRect {
public:
    OrvFixedRect() = default;
    OrvFixedRect(const OrvFixed& l, const OrvFixed& t, const OrvFixed& r, const OrvFixed& b)
        : left_(l), top_(t), right_(r), bottom_(b) {}

    void Clr() { left_.Clr(); top_.Clr(); right_.Clr(); bottom_.Clr(); }
    void Copy(const OrvFixedRect& other) { *this = other; }

    void AssignLTRB(const OrvFixed& l, const OrvFixed& t, const OrvFixed& r, const OrvFixed& b)
    {
        left_ = l; top_ = t; right_ = r; bottom_ = b;
    }
    void AssignLTRB(int l, int t, int r, int b, OrvDimensionType unit);
    void AssignLTRB(int l, int t, int r, int b, OrvDimensionType unit, const OrvResolution& resolution);
    void AssignLTWH(const OrvFixed& l, const OrvFixed& t, const OrvFixed& w, const OrvFixed& h)
    {
        left_ = l; top_ = t; right_ = l + w; bottom_ = t + h;
    }
    void AssignLTWH(int l, int t, int w, int h, OrvDimensionType unit);

    const OrvFixed& Left() const { return left_; }
    const OrvFixed& Top() const { return top_; }
    const OrvFixed& Right() const { return right_; }
    const OrvFixed& Bottom() const { return bottom_; }
    int Left(OrvDimensionType unit) const { return left_.Value(unit); }
    int Top(OrvDimensionType unit) const { return top_.Value(unit); }
    int Right(OrvDimensionType unit) const { return right_.Value(unit); }
    int Bottom(OrvDimensionType unit) const { return bottom_.Value(unit); }
    int Left(OrvDimensionType unit, unsigned dpi) const { return left_.Value(unit, dpi); }
    int Top(OrvDimensionType unit, unsigned dpi) const { return top_.Value(unit, dpi); }
    int Right(OrvDimensionType unit, unsigned dpi) const { return right_.Value(unit, dpi); }
    int Bottom(OrvDimensionType unit, unsigned dpi) const { return bottom_.Value(unit, dpi); }
    void SetLeft(const OrvFixed& v) { left_ = v; }
    void SetTop(const OrvFixed& v) { top_ = v; }
    void SetRight(const OrvFixed& v) { right_ = v; }
    void SetBottom(const OrvFixed& v) { bottom_ = v; }

    OrvFixed Width() const { return right_ - left_; }
    OrvFixed Height() const { return bottom_ - top_; }
    int Width(OrvDimensionType unit) const;
    int Height(OrvDimensionType unit) const;
    int Width(OrvDimensionType unit, unsigned dpi) const;
    int Height(OrvDimensionType unit, unsigned dpi) const;
    // Left keeps the left side, right the right side; other values change
    // nothing (likewise top and bottom).
    void SetWidth(const OrvFixed& width, OrvHzJustify justify);
    void SetHeight(const OrvFixed& height, OrvVtJustify justify);

    OrvFixedPoint LeftTop() const { return OrvFixedPoint(left_, top_); }
    OrvFixedPoint LeftBottom() const { return OrvFixedPoint(left_, bottom_); }
    OrvFixedPoint RightTop() const { return OrvFixedPoint(right_, top_); }
    OrvFixedPoint RightBottom() const { return OrvFixedPoint(right_, bottom_); }

    void HzShift(const OrvFixed& d) { left_ += d; right_ += d; }
    void VtShift(const OrvFixed& d) { top_ += d; bottom_ += d; }
    void HzCenter(const OrvFixedRect& outer);
    void VtCenter(const OrvFixedRect& outer);
    void Center(const OrvFixedRect& outer) { VtCenter(outer); HzCenter(outer); }
    void Scale(int numerator, int denominator);

    // left, top, right, bottom as 32-bit little-endian integers.
    bool Write(std::ostream& out) const;
    bool Read(std::istream& in);

    bool IsHzOverlapping(const OrvFixedRect& o) const { return left_ < o.right_ && o.left_ < right_; }
    bool IsVtOverlapping(const OrvFixedRect& o) const { return top_ < o.bottom_ && o.top_ < bottom_; }
    bool IsOverlapping(const OrvFixedRect& o) const { return IsHzOverlapping(o) && IsVtOverlapping(o); }
    bool IsExactBelow(const OrvFixedRect& o) const { return IsHzOverlapping(o) && bottom_ >= o.top_; }
    bool IsBelow(const OrvFixedRect& o) const { return bottom_ >= o.top_; }
    bool IsInside(const OrvFixedRect& o) const
    {
        return left_ >= o.left_ && top_ >= o.top_ && right_ <= o.right_ && bottom_ <= o.bottom_;
    }
    bool IsInside(const OrvFixedPoint& p) const
    {
        return left_ <= p.Left() && p.Left() <= right_ && top_ <= p.Top() && p.Top() <= bottom_;
    }

    // To a pixel region of the display (right and bottom inclusive).
    OrvRegion ZafRegion(const OrvDisplayMetrics& display) const;
    // From a region in tenths of a millimetre...
    void Assign(const OrvRegion& region);
    // ...or in the display's coordinates.
    void Assign(const OrvRegion& region, const OrvDisplayMetrics& display);

    OrvFixedRect& operator+=(const OrvFixed& d)
    {
        left_ += d; top_ += d; right_ += d; bottom_ += d;
        return *this;
    }
    OrvFixedRect& operator-=(const OrvFixed& d)
    {
        left_ -= d; top_ -= d; right_ -= d; bottom_ -= d;
        return *this;
    }
    bool operator==(const OrvFixedRect& o) const
    {
        return left_ == o.left_ && top_ == o.top_ && right_ == o.right_ && bottom_ == o.bottom_;
    }
    bool operator!=(const OrvFixedRect& o) const { return !(*this == o); }

private:
    static int DifferenceIn(const OrvFixed& d, OrvDimensionType unit, unsigned dpi, bool hasDpi);

    OrvFixed left_;
    OrvFixed top_;
    OrvFixed right_;
    OrvFixed bottom_;
};
