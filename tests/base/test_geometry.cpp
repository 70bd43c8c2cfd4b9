// Fixed-point geometry: the multiply-divide rule, unit conversions, the
// rectangle operations and the fitting of an image into a frame.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "base/OrvFixed.h"
#include "base/OrvImageCalculator.h"

namespace {

const int kInch = 4718592;

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    struct Case {
        int64_t a, b, c;
        int result;
    } cases[] = {
        {10, 1, 4, 3},      // 2.5 -> 3
        {-10, 1, 4, -3},    // -2.5 -> -3
        {10, -1, 4, -3},
        {-10, -1, -4, -3},
        {9, 1, 4, 2},       // 2.25 -> 2
        {11, 1, 4, 3},      // 2.75 -> 3
        {-11, 1, 4, -3},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {5, 7, 0, -1},      // division by zero
        {INT_MAX, 2, 1, -1},                   // does not fit
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},  // the product needs 64 bits
        {INT_MIN, 1, 1, INT_MIN},
        {INT_MIN, -1, 1, -1},
        {0, 5, 3, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(OrvMulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Fixed, UnitConversionsBothWays)
{
    struct Case {
        OrvDimensionType unit;
        int value;
        int fixed;
        int back;   // the value converted back
    } cases[] = {
        {ORV_DIM_FIXED, 12345, 12345, 12345},
        {ORV_DIM_FIXED_RAW, -7, -7, -7},
        {ORV_DIM_INCH100, 100, kInch, 100},
        {ORV_DIM_INCH1000, 1000, kInch, 1000},
        {ORV_DIM_INCH1000, 1, 4719, 1},      // 4718.592 rounds up
        {ORV_DIM_MM10, 254, kInch, 254},
        {ORV_DIM_MM100, 2540, kInch, 2540},
        {ORV_DIM_MM1000, 25400, kInch, 25400},
        {ORV_DIM_MM10000, 254000, kInch, 254000},
        {ORV_DIM_POINT100, 100, 65536, 100},
        {ORV_DIM_POINT20, 20, 65536, 20},
        {ORV_DIM_POINT, 3, 196608, 3},
        {ORV_DIM_POINT, -3, -196608, -3},
        {ORV_DIM_MM10, -254, -kInch, -254},
    };
    for (const auto& c : cases) {
        OrvFixed f(c.value, c.unit);
        EXPECT_EQ(f.Fixed16(), c.fixed) << c.unit << " " << c.value;
        EXPECT_EQ(f.Value(c.unit), c.back) << c.unit << " " << c.value;
    }
    // One inch given in thousandths of an inch is 254 tenths of a millimetre.
    EXPECT_EQ(OrvFixed(1000, ORV_DIM_INCH1000).Value(ORV_DIM_MM10), 254);
    // Whole points truncate toward zero: 1.5 pt is 1 pt, -1.5 pt is -1 pt.
    EXPECT_EQ(OrvFixed(98304).Value(ORV_DIM_POINT), 1);
    EXPECT_EQ(OrvFixed(-98304).Value(ORV_DIM_POINT), -1);
    EXPECT_EQ(OrvFixed(5, static_cast<OrvDimensionType>(2)).Fixed16(), 0);    // unknown unit
    EXPECT_EQ(OrvFixed(kInch).Value(static_cast<OrvDimensionType>(99)), 0);
}

TEST(Fixed, PixelUnitsNeedDotsPerInch)
{
    EXPECT_EQ(OrvFixed(96, ORV_DIM_PIXEL).Fixed16(), 0);
    EXPECT_EQ(OrvFixed(kInch).Value(ORV_DIM_PIXEL), 0);
    EXPECT_EQ(OrvFixed(96, ORV_DIM_PIXEL, 96).Fixed16(), kInch);
    EXPECT_EQ(OrvFixed(300, ORV_DIM_PIXEL, 300).Fixed16(), kInch);
    EXPECT_EQ(OrvFixed(960, ORV_DIM_PIXEL10, 96).Fixed16(), kInch);
    EXPECT_EQ(OrvFixed(kInch).Value(ORV_DIM_PIXEL, 72), 72);
    EXPECT_EQ(OrvFixed(kInch).Value(ORV_DIM_PIXEL10, 72), 720);
    EXPECT_EQ(OrvFixed(1, ORV_DIM_PIXEL, 0).Fixed16(), -1);   // MulDiv by zero
    // Non-pixel units ignore the value.
    EXPECT_EQ(OrvFixed(254, ORV_DIM_MM10, 300).Fixed16(), kInch);
}

TEST(Fixed, Arithmetic)
{
    OrvFixed f(100);
    f /= 0;
    EXPECT_EQ(f.Fixed16(), 100);
    f /= 3;
    EXPECT_EQ(f.Fixed16(), 33);
    f = OrvFixed(-7) / 2;
    EXPECT_EQ(f.Fixed16(), -3);   // toward zero
    f = OrvFixed(5);
    EXPECT_EQ((f++).Fixed16(), 5);
    EXPECT_EQ(f.Fixed16(), 6);
    EXPECT_EQ((--f).Fixed16(), 5);
    EXPECT_EQ((f * 4 + OrvFixed(1) - OrvFixed(3)).Fixed16(), 18);
    EXPECT_EQ(OrvFixed(7).MulDiv(1, 2).Fixed16(), 4);
    EXPECT_EQ(OrvFixed(7).MulDiv(1, 0).Fixed16(), -1);
    EXPECT_TRUE(OrvFixed(1) < OrvFixed(2));
    EXPECT_TRUE(OrvFixed(2) >= OrvFixed(2));
    EXPECT_TRUE(OrvFixed(2) != OrvFixed(3));
    f.Clr();
    EXPECT_EQ(f, OrvFixed());
    // Overflow wraps instead of being undefined.
    OrvFixed big(INT_MAX);
    ++big;
    EXPECT_EQ(big.Fixed16(), INT_MIN);
    EXPECT_EQ((OrvFixed(INT_MIN) / -1).Fixed16(), INT_MIN);
}

TEST(Resolution, ConversionsAndDotsPerInch)
{
    OrvResolution dpi(300, 200, ORV_RES_DPI);
    EXPECT_EQ(dpi.X(ORV_RES_DPI), 300u);
    EXPECT_EQ(dpi.Y(ORV_RES_DPI), 200u);
    EXPECT_EQ(dpi.X(ORV_RES_NONE), 0u);
    EXPECT_EQ(dpi.X(ORV_RES_METRIC), 12245u);   // 300 * 10000 / 245
    OrvResolution metric(11811, 11811, ORV_RES_METRIC);
    EXPECT_EQ(metric.X(ORV_RES_DPI), 289u);     // 11811 * 245 / 10000 = 289.37
    EXPECT_EQ(metric.X(ORV_RES_METRIC), 11811u);
    OrvResolution none(96, 96, ORV_RES_NONE);
    EXPECT_EQ(none.X(ORV_RES_DPI), 0u);
    EXPECT_EQ(none.X_Raw(), 96u);
    EXPECT_EQ(none.ResolutionType(), ORV_RES_NONE);

    // Assigning pixels with a resolution.
    OrvFixedPoint p;
    p.Assign(300, 100, ORV_DIM_PIXEL, dpi);
    EXPECT_EQ(p.Left().Fixed16(), kInch);
    EXPECT_EQ(p.Top().Fixed16(), kInch / 2);
    p.Assign(289, 289, ORV_DIM_PIXEL, metric);
    EXPECT_EQ(p.Left().Fixed16(), kInch);
    p.Assign(96, 96, ORV_DIM_PIXEL, none);   // no dots per inch: MulDiv by 0
    EXPECT_EQ(p.Left().Fixed16(), -1);
    OrvFixedRect r;
    r.AssignLTRB(0, 0, 600, 400, ORV_DIM_PIXEL, dpi);
    EXPECT_EQ(r.Right().Fixed16(), 2 * kInch);
    EXPECT_EQ(r.Bottom().Fixed16(), 2 * kInch);
    EXPECT_TRUE(dpi == OrvResolution(300, 200, ORV_RES_DPI));
    EXPECT_FALSE(dpi == OrvResolution(300, 200, ORV_RES_METRIC));
}

OrvFixedRect Rect(int l, int t, int r, int b)
{
    return OrvFixedRect(OrvFixed(l), OrvFixed(t), OrvFixed(r), OrvFixed(b));
}

TEST(FixedRect, SizesInUnits)
{
    OrvFixedRect r;
    r.AssignLTWH(100, 200, 254, 127, ORV_DIM_MM10);
    EXPECT_EQ(r.Left(ORV_DIM_MM10), 100);
    EXPECT_EQ(r.Right(ORV_DIM_MM10), 354);
    EXPECT_EQ(r.Width().Fixed16(), kInch);
    EXPECT_EQ(r.Width(ORV_DIM_FIXED), kInch);
    EXPECT_EQ(r.Width(ORV_DIM_INCH1000), 1000);
    EXPECT_EQ(r.Height(ORV_DIM_INCH100), 50);
    EXPECT_EQ(r.Width(ORV_DIM_PIXEL), 0);
    EXPECT_EQ(r.Width(ORV_DIM_PIXEL, 96), 96);
    EXPECT_EQ(r.Height(ORV_DIM_PIXEL, 96), 48);
    EXPECT_EQ(r.Right(ORV_DIM_PIXEL, 254), 354);
}

TEST(FixedRect, SetWidthAndHeightKeepTheJustifiedSide)
{
    struct Case {
        int justify;
        OrvFixedRect expected;
    } cases[] = {
        {1, Rect(10, 20, 60, 100)},    // left/top kept
        {2, Rect(50, 60, 100, 120)},   // right/bottom kept
        {3, Rect(10, 20, 100, 120)},   // no change
        {0, Rect(10, 20, 100, 120)},
    };
    for (const auto& c : cases) {
        OrvFixedRect r = Rect(10, 20, 100, 120);
        r.SetWidth(OrvFixed(50), static_cast<OrvHzJustify>(c.justify));
        r.SetHeight(OrvFixed(c.justify == 1 ? 80 : 60), static_cast<OrvVtJustify>(c.justify));
        EXPECT_EQ(r, c.expected) << c.justify;
    }
}

TEST(FixedRect, CentreShiftScale)
{
    OrvFixedRect r = Rect(0, 0, 11, 5);
    r.Center(Rect(100, 200, 121, 251));
    // left = 100 + 21/2 - 11/2 = 105, top = 200 + 51/2 - 5/2 = 223
    EXPECT_EQ(r, Rect(105, 223, 116, 228));
    r.HzShift(OrvFixed(-5));
    r.VtShift(OrvFixed(2));
    EXPECT_EQ(r, Rect(100, 225, 111, 230));
    r += OrvFixed(1);
    EXPECT_EQ(r, Rect(101, 226, 112, 231));
    r -= OrvFixed(101);
    EXPECT_EQ(r, Rect(0, 125, 11, 130));
    r.Scale(1, 2);
    EXPECT_EQ(r, Rect(0, 63, 6, 65));   // 62.5 -> 63, 5.5 -> 6
    EXPECT_EQ(r.LeftBottom(), OrvFixedPoint(OrvFixed(0), OrvFixed(65)));
    EXPECT_EQ(r.RightTop(), OrvFixedPoint(OrvFixed(6), OrvFixed(63)));
    EXPECT_EQ(r.RightBottom(), OrvFixedPoint(OrvFixed(6), OrvFixed(65)));
    EXPECT_EQ(r.LeftTop(), OrvFixedPoint(OrvFixed(0), OrvFixed(63)));
}

TEST(FixedRect, OverlapAndInside)
{
    const OrvFixedRect a = Rect(0, 0, 10, 10);
    struct Case {
        OrvFixedRect b;
        bool hz, vt, inside, below;
    } cases[] = {
        {Rect(5, 5, 15, 15), true, true, false, true},
        {Rect(10, 0, 20, 10), false, true, false, true},   // touching edges do not overlap
        {Rect(2, 2, 8, 8), true, true, false, true},
        {Rect(0, 0, 10, 10), true, true, true, true},
        {Rect(-5, 20, 5, 30), true, false, false, false},
        {Rect(0, 10, 10, 20), true, false, false, true},   // bottom 10 >= top 10
    };
    for (const auto& c : cases) {
        EXPECT_EQ(a.IsHzOverlapping(c.b), c.hz);
        EXPECT_EQ(a.IsVtOverlapping(c.b), c.vt);
        EXPECT_EQ(a.IsOverlapping(c.b), c.hz && c.vt);
        EXPECT_EQ(a.IsInside(c.b), c.inside);
        EXPECT_EQ(a.IsBelow(c.b), c.below);
        EXPECT_EQ(a.IsExactBelow(c.b), c.hz && c.below);
    }
    EXPECT_TRUE(Rect(2, 2, 8, 8).IsInside(a));
    // Points on the border are inside.
    EXPECT_TRUE(a.IsInside(OrvFixedPoint(OrvFixed(0), OrvFixed(10))));
    EXPECT_TRUE(a.IsInside(OrvFixedPoint(OrvFixed(10), OrvFixed(5))));
    EXPECT_FALSE(a.IsInside(OrvFixedPoint(OrvFixed(11), OrvFixed(5))));
    EXPECT_FALSE(a.IsInside(OrvFixedPoint(OrvFixed(5), OrvFixed(-1))));
}

TEST(FixedRect, Regions)
{
    OrvDisplayMetrics display{96, 72};
    OrvFixedRect r = Rect(0, kInch, 2 * kInch, 3 * kInch);
    OrvRegion region = r.ZafRegion(display);
    EXPECT_EQ(region.left, 0);
    EXPECT_EQ(region.top, 72);
    EXPECT_EQ(region.right, 191);
    EXPECT_EQ(region.bottom, 215);
    EXPECT_EQ(region.coordinateType, OrvRegion::Pixel);

    // Back through the display: 191 px at 96 dpi are 505 mm/10, plus one.
    OrvFixedRect back;
    back.Assign(region, display);
    EXPECT_EQ(back.Left(ORV_DIM_MM10), 0);
    EXPECT_EQ(back.Top(ORV_DIM_MM10), 254);
    EXPECT_EQ(back.Right(ORV_DIM_MM10), 506);
    EXPECT_EQ(back.Bottom(ORV_DIM_MM10), 759);   // 215 * 254 / 72 = 758.47 -> 758, + 1

    OrvRegion mm{0, 0, 253, 126, OrvRegion::MM10};
    OrvFixedRect fromMM;
    fromMM.Assign(mm);
    EXPECT_EQ(fromMM.Width().Fixed16(), kInch);
    EXPECT_EQ(fromMM.Height().Fixed16(), kInch / 2);
}

TEST(FixedRect, WriteAndReadRoundTrip)
{
    std::stringstream s;
    OrvFixedRect r = Rect(-1, 2, INT_MAX, INT_MIN);
    OrvFixedPoint p(OrvFixed(0x01020304), OrvFixed(-2));
    ASSERT_TRUE(r.Write(s));
    ASSERT_TRUE(p.Write(s));
    EXPECT_EQ(s.str().size(), 24u);
    EXPECT_EQ(s.str().substr(16, 4), std::string("\x04\x03\x02\x01"));
    OrvFixedRect r2;
    OrvFixedPoint p2;
    ASSERT_TRUE(r2.Read(s));
    ASSERT_TRUE(p2.Read(s));
    EXPECT_EQ(r2, r);
    EXPECT_EQ(p2, p);
    // A cut stream fails and leaves the value.
    std::stringstream cut(std::string("\x01\x00\x00", 3));
    OrvFixedPoint p3(OrvFixed(9), OrvFixed(9));
    EXPECT_FALSE(p3.Read(cut));
    EXPECT_EQ(p3, OrvFixedPoint(OrvFixed(9), OrvFixed(9)));
}

// --- the image calculator ---

struct FitCase {
    const char* name;
    int imageW, imageH, frameW, frameH;
    double factor;
    int flags;
    OrvFixedRect rect;
};

TEST(ImageCalculator, FitImageToFrameProportional)
{
    const FitCase cases[] = {
        {"limited by width, enlarged", 100, 50, 200, 200, 2.0, 2 | 48, Rect(0, 0, 200, 100)},
        {"limited by width, reduced", 400, 100, 200, 200, 0.5, 2 | 12, Rect(0, 0, 200, 50)},
        {"limited by height, factor in hundredths", 300, 600, 200, 200, 1.0 / 3, 1 | 12, Rect(0, 0, 99, 200)},
        {"limited by height, enlarged", 50, 100, 400, 300, 3.0, 1 | 48, Rect(0, 0, 150, 300)},
        {"exact fit", 100, 100, 100, 100, 1.0, 3, Rect(0, 0, 100, 100)},
        {"equal ratios, reduced", 400, 200, 200, 100, 0.5, 3 | 12, Rect(0, 0, 200, 100)},
    };
    for (const auto& c : cases) {
        OrvImageCalculator calc;
        calc.SetImage(OrvFixed(c.imageW), OrvFixed(c.imageH));
        calc.SetFrame(OrvFixed(c.frameW), OrvFixed(c.frameH));
        OrvFixedRect rect = Rect(7, 7, 7, 7);
        double factor = -1;
        int flags = -1;
        calc.FitImageToFrame_Proportional(rect, factor, flags);
        EXPECT_DOUBLE_EQ(factor, c.factor) << c.name;
        EXPECT_EQ(flags, c.flags) << c.name;
        EXPECT_EQ(rect, c.rect) << c.name;
    }
}

TEST(ImageCalculator, ImageWithoutSizeDoesNotDivideByZero)
{
    OrvImageCalculator calc;
    calc.SetFrame(OrvFixed(200), OrvFixed(100));
    OrvFixedRect rect;
    double factor = -1;
    int flags = -1;
    calc.FitImageToFrame_Proportional(rect, factor, flags);
    EXPECT_EQ(rect, Rect(0, 0, 200, 100));
    EXPECT_EQ(factor, 0.0);
    EXPECT_EQ(flags, 0);
}

TEST(ImageCalculator, PixelsAtDotsPerInchAndScaling)
{
    OrvImageCalculator calc;
    EXPECT_EQ(calc.ImageWidth(), 0);
    EXPECT_EQ(calc.Frame(), OrvFixedRect());
    calc.SetImagePixel(600, 150, OrvDPI(300, 150));
    EXPECT_EQ(calc.ImageWidth(), 2 * kInch);
    EXPECT_EQ(calc.ImageHeight(), kInch);
    OrvFixedRect rect = Rect(5, 5, 5, 5);
    calc.ScaleImage(rect, 0.25);
    EXPECT_EQ(rect, Rect(0, 0, kInch / 2, kInch / 4));
    calc.SetImage(OrvFixed(1001), OrvFixed(-999));
    calc.ScaleImage(rect, 0.5);   // truncated toward zero
    EXPECT_EQ(rect, Rect(0, 0, 500, -499));

    OrvImageCalculator copy = calc;
    EXPECT_EQ(copy.ImageWidth(), calc.ImageWidth());
}

TEST(ImageCalculator, Justify)
{
    OrvImageCalculator calc;
    calc.SetFrame(Rect(100, 200, 301, 401));
    struct Case {
        int hz, vt;
        OrvFixedRect expected;
    } cases[] = {
        {1, 1, Rect(100, 200, 150, 230)},
        {2, 2, Rect(251, 371, 301, 401)},
        {3, 3, Rect(175, 285, 225, 315)},   // 100 + 201/2 - 50/2, 200 + 201/2 - 30/2
        {0, 9, Rect(10, 10, 60, 40)},       // unknown values leave the rectangle
        {1, 3, Rect(100, 285, 150, 315)},
    };
    for (const auto& c : cases) {
        OrvFixedRect r = Rect(10, 10, 60, 40);
        calc.JustifyImageInFrame(r, c.hz, c.vt);
        EXPECT_EQ(r, c.expected) << c.hz << "/" << c.vt;
    }
}

} // namespace
