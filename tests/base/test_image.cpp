// Image files: resolution rules, file information, loading failures,
// resizing for upload, cropping, contrast and brightness, saving,
// conversion, EPS, and drawing. Every picture is made by the test.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/OrvImageData.h"

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvimg.XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path_ = made ? made : "";
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void WriteBytes(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string ReadBytes(const std::string& name) const
    {
        std::ifstream in(File(name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string path_;
};

// A picture with a left half in one colour and a right half in another, so
// that crops and scaling show where they took their pixels from.
QImage Picture(int w, int h, QImage::Format format = QImage::Format_RGB32, int dpi = 0)
{
    QImage img(w, h, format);
    img.fill(QColor(200, 30, 30));
    QPainter p(&img);
    p.fillRect(w / 2, 0, w - w / 2, h, QColor(30, 30, 200));
    p.end();
    if (dpi > 0) {
        img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    }
    return img;
}

std::string Write(const TempDir& dir, const std::string& name, const QImage& img, const char* format = nullptr)
{
    std::string path = dir.File(name);
    QImageWriter w(QString::fromStdString(path), format ? QByteArray(format) : QByteArray());
    EXPECT_TRUE(w.write(img)) << name << ": " << w.errorString().toStdString();
    return path;
}

// The bytes of a literal, embedded NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

QImage ReadBack(const std::string& path)
{
    return QImage(QString::fromStdString(path));
}

TEST(ImageResolution, RulesForStatedResolutions)
{
    struct Case {
        const char* name;
        OrvImageResolution r;
        int dpiX, dpiY;
    } cases[] = {
        {"no absolute resolution", {300, 1, 300, 1, ORV_IMAGE_RES_NONE}, 96, 96},
        {"2835 per metre", {2835, 1, 2835, 1, ORV_IMAGE_RES_METRE}, 72, 72},
        {"per inch", {300, 1, 150, 1, ORV_IMAGE_RES_INCH}, 300, 150},
        {"per inch with a denominator", {600, 2, 601, 2, ORV_IMAGE_RES_INCH}, 300, 300},
        {"40 dpi is too coarse", {40, 1, 40, 1, ORV_IMAGE_RES_INCH}, 96, 96},
        {"69 dpi is too coarse, 70 is not", {69, 1, 70, 1, ORV_IMAGE_RES_INCH}, 96, 70},
        {"zero denominator", {300, 0, 300, 0, ORV_IMAGE_RES_INCH}, 96, 96},
        {"per centimetre, denominator 1 truncates to 0", {118, 1, 118, 1, ORV_IMAGE_RES_CENTIMETRE}, 96, 96},
        {"per centimetre, denominator 10", {1181, 10, 1181, 10, ORV_IMAGE_RES_CENTIMETRE}, 393, 393},
        {"per metre, denominator 2: 23622 / trunc(78.74)", {23622, 2, 23622, 2, ORV_IMAGE_RES_METRE}, 302, 302},
    };
    for (const auto& c : cases) {
        int x = -1, y = -1;
        OrvImageData::DpiFromResolution(c.r, x, y);
        EXPECT_EQ(x, c.dpiX) << c.name;
        EXPECT_EQ(y, c.dpiY) << c.name;
    }
}

TEST(ImageLoad, ResolutionOfFilesInSeveralFormats)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* format;
        int dpi;        // written, 0: none stated
        int expected;
    } cases[] = {
        {"a.png", "png", 300, 300},
        {"b.png", "png", 72, 72},
        {"c.png", "png", 40, 96},
        {"d.png", "png", 0, 96},
        {"e.jpg", "jpeg", 300, 300},
        {"f.tif", "tiff", 300, 300},
        {"g.bmp", "bmp", 150, 150},
    };
    for (const auto& c : cases) {
        std::string path = Write(dir, c.name, Picture(40, 20, QImage::Format_RGB32, c.dpi), c.format);
        OrvImageData data(path);
        ASSERT_TRUE(data.LoadImage()) << c.name;
        EXPECT_EQ(data.LoadState(), 0);
        EXPECT_EQ(data.DpiX(), c.expected) << c.name;
        EXPECT_EQ(data.DpiY(), c.expected) << c.name;
        EXPECT_EQ(data.ImageWidth(), 40) << c.name;
        EXPECT_EQ(data.ImageHeight(), 20) << c.name;
        EXPECT_EQ(data.EpsWidth(), 0);
        EXPECT_NE(data.PixelFormat(), QImage::Format_Invalid);
    }
}

TEST(ImageLoad, JpegWithoutAbsoluteResolutionHas96Dpi)
{
    TempDir dir;
    std::string path = Write(dir, "aspect.jpg", Picture(30, 30, QImage::Format_RGB32, 300), "jpeg");
    std::string bytes = dir.ReadBytes("aspect.jpg");
    // JFIF header: FF D8 FF E0 len(2) "JFIF\0" version(2) units density(2+2)
    ASSERT_EQ(bytes.substr(6, 5), std::string("JFIF\0", 5));
    ASSERT_EQ(static_cast<unsigned char>(bytes[13]), 1);   // dots per inch
    ASSERT_EQ((static_cast<unsigned char>(bytes[14]) << 8) | static_cast<unsigned char>(bytes[15]), 300);
    bytes[13] = 0;   // aspect ratio only: no absolute resolution
    dir.WriteBytes("aspect.jpg", bytes);
    OrvImageData data(path);
    ASSERT_TRUE(data.LoadImage());
    EXPECT_EQ(data.DpiX(), 96);
    EXPECT_EQ(data.DpiY(), 96);
}

TEST(ImageFileInformation, WithoutDecoding)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* format;
        QImage::Format pixels;
        int type, compression, depth;
    } cases[] = {
        {"argb.png", "png", QImage::Format_ARGB32, ORV_IMAGE_PNG, ORV_COMPRESSION_LOSSLESS, 32},
        {"rgb.jpg", "jpeg", QImage::Format_RGB32, ORV_IMAGE_JPEG, ORV_COMPRESSION_JPEG, 24},
        {"gray.jpg", "jpeg", QImage::Format_Grayscale8, ORV_IMAGE_JPEG, ORV_COMPRESSION_JPEG, 8},
        {"rgb.bmp", "bmp", QImage::Format_RGB32, ORV_IMAGE_BMP, ORV_COMPRESSION_UNKNOWN, 24},
        {"rgb.tif", "tiff", QImage::Format_RGB32, ORV_IMAGE_TIFF, ORV_COMPRESSION_UNKNOWN, 24},
        {"mono.png", "png", QImage::Format_Mono, ORV_IMAGE_PNG, ORV_COMPRESSION_LOSSLESS, 1},
        // The content decides, not the name.
        {"misnamed.jpg", "png", QImage::Format_RGB32, ORV_IMAGE_PNG, ORV_COMPRESSION_LOSSLESS, 24},
    };
    for (const auto& c : cases) {
        QImage img = Picture(64, 48).convertToFormat(c.pixels);
        std::string path = Write(dir, c.name, img, c.format);
        OrvImageFileInfo info;
        ASSERT_EQ(OrvImageData::GetFileInformation(path, info), 0) << c.name;
        EXPECT_EQ(info.fileType, c.type) << c.name;
        EXPECT_EQ(info.compression, c.compression) << c.name;
        EXPECT_EQ(info.width, 64) << c.name;
        EXPECT_EQ(info.height, 48) << c.name;
        EXPECT_EQ(info.bitDepth, c.depth) << c.name;
    }
    OrvImageFileInfo info;
    EXPECT_EQ(OrvImageData::GetFileInformation(dir.File("missing.png"), info), -1);
    EXPECT_EQ(OrvImageData::GetFileInformation("", info), -1);
}

TEST(ImageLoad, CorruptAndMissingFilesFailOnceAndAreNotRetried)
{
    TempDir dir;
    std::string good = Write(dir, "good.png", Picture(10, 10), "png");
    std::string png = dir.ReadBytes("good.png");
    std::string jpegBytes;
    {
        QByteArray b;
        QBuffer buf(&b);
        buf.open(QIODevice::WriteOnly);
        ASSERT_TRUE(Picture(50, 50).save(&buf, "jpeg"));
        jpegBytes = b.toStdString();
    }
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.png", ""},
        {"text.png", "this is not a picture"},
        {"cut.png", png.substr(0, 40)},
        {"header-only.jpg", jpegBytes.substr(0, 20)},
        {"absurd.bmp", Bytes("BM\xff\xff\xff\x7f\0\0\0\0\x36\0\0\0\x28\0\0\0\xff\xff\xff\x7f\xff\xff\xff\x7f")},
        // 100000 x 100000 pixels announced, no pixels behind it.
        {"huge.bmp", Bytes("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xa0\x86\x01\0\xa0\x86\x01\0\x01\0\x18\0")},
    };
    for (const auto& c : cases) {
        dir.WriteBytes(c.name, c.bytes);
        OrvImageData data(dir.File(c.name));
        EXPECT_FALSE(data.LoadImage()) << c.name;
        EXPECT_EQ(data.LoadState(), 2) << c.name;
        EXPECT_FALSE(data.HasImage()) << c.name;
        const QImage* handle = nullptr;
        EXPECT_EQ(data.ValidHandle(&handle), -1) << c.name;
        EXPECT_EQ(data.Resize(5, 5, 3), -1) << c.name;
        EXPECT_EQ(data.Save(dir.File(std::string("out-") + c.name + ".png")), -1) << c.name;
    }

    // The failure sticks until the path is set again.
    std::string path = dir.File("later.png");
    OrvImageData data(path);
    EXPECT_FALSE(data.LoadImage());
    std::filesystem::copy_file(good, path);
    EXPECT_FALSE(data.LoadImage());
    data.SetPathName(path);
    EXPECT_EQ(data.LoadState(), -1);
    EXPECT_TRUE(data.LoadImage());
    EXPECT_EQ(data.ImageWidth(), 10);
}

TEST(ImageObject, ResizeForUpload)
{
    TempDir dir;
    struct Case {
        int w, h;
        int result;
        int newW, newH;
    } cases[] = {
        {1300, 650, 0, 650, 325},
        {600, 650, 100, 600, 650},
        {650, 650, 100, 650, 650},
        {600, 400, 100, 600, 400},
        {651, 2000, 0, 211, 650},
        {3250, 1, 0, 650, 1},   // never below one pixel
    };
    for (const auto& c : cases) {
        std::string path = Write(dir, "up.png", Picture(c.w, c.h), "png");
        OrvImageObject object(0, 0, 100, 100);
        object.SetFullPath(path);
        EXPECT_EQ(object.Resize(650, 650), c.result) << c.w << "x" << c.h;
        EXPECT_EQ(object.Data().ImageWidth(), c.newW) << c.w << "x" << c.h;
        EXPECT_EQ(object.Data().ImageHeight(), c.newH) << c.w << "x" << c.h;
        EXPECT_EQ(object.Data().Changed(), c.result == 0);
        EXPECT_EQ(object.Data().Image().width(), c.newW);
    }

    // The scaled copy saved with quality 75 as JPEG, as the upload does.
    std::string path = Write(dir, "flyer.png", Picture(1300, 650), "png");
    OrvImageObject object(0, 0, 100, 100);
    object.SetFullPath(path);
    ASSERT_EQ(object.Resize(650, 650), 0);
    std::string cached = dir.File("flyer-cache.jpg");
    ASSERT_EQ(object.Save(&cached, 0, 75), 0);
    EXPECT_FALSE(object.Data().Changed());
    EXPECT_EQ(object.Data().Text(), cached);
    QImageReader reader(QString::fromStdString(cached));
    EXPECT_EQ(reader.format(), "jpeg");
    QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(650, 325));
    // Left red, right blue survived the scaling.
    EXPECT_GT(qRed(back.pixel(100, 160)), 150);
    EXPECT_GT(qBlue(back.pixel(550, 160)), 150);
    // The source is untouched.
    EXPECT_EQ(ReadBack(path).size(), QSize(1300, 650));

    OrvImageObject missing(0, 0, 10, 10);
    missing.SetFullPath(dir.File("none.png"));
    EXPECT_EQ(missing.Resize(650, 650), -1);
}

TEST(ImageData, JpegQualityChangesTheFile)
{
    TempDir dir;
    // Noise compresses badly, so quality shows in the size.
    QImage noise(200, 200, QImage::Format_RGB32);
    std::srand(7);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) noise.setPixel(x, y, qRgb(std::rand() % 256, std::rand() % 256, std::rand() % 256));
    OrvImageData data(Write(dir, "noise.png", noise, "png"));
    ASSERT_TRUE(data.LoadImage());
    ASSERT_EQ(data.Save(dir.File("q20.jpg"), 20), 0);
    ASSERT_EQ(data.Save(dir.File("q95.jpg"), 95), 0);
    EXPECT_LT(dir.ReadBytes("q20.jpg").size() * 2, dir.ReadBytes("q95.jpg").size());
}

TEST(ImageData, Crop)
{
    TempDir dir;
    std::string path = Write(dir, "crop.png", Picture(200, 100), "png");
    struct Case {
        const char* name;
        OrvRegion region;
        int result, w, h;
        QRgb topLeft;
    } cases[] = {
        {"inside, right half", {100, 10, 149, 59}, 0, 50, 50, qRgb(30, 30, 200)},
        {"inside, left part", {0, 0, 9, 4}, 0, 10, 5, qRgb(200, 30, 30)},
        {"one pixel", {150, 50, 150, 50}, 0, 1, 1, qRgb(30, 30, 200)},
        {"partly outside is clipped", {180, 90, 260, 140}, 0, 20, 10, qRgb(30, 30, 200)},
        {"fully outside", {300, 300, 310, 310}, -1, 200, 100, 0},
        {"reversed", {50, 50, 40, 60}, -1, 200, 100, 0},
    };
    for (const auto& c : cases) {
        OrvImageData data(path);
        ASSERT_TRUE(data.LoadImage());
        EXPECT_EQ(data.Crop(c.region), c.result) << c.name;
        EXPECT_EQ(data.ImageWidth(), c.w) << c.name;
        EXPECT_EQ(data.ImageHeight(), c.h) << c.name;
        EXPECT_EQ(data.Image().width(), c.w) << c.name;
        EXPECT_EQ(data.Changed(), c.result == 0) << c.name;
        if (c.result == 0) {
            EXPECT_EQ(data.Image().pixel(0, 0) & 0xFFFFFF, c.topLeft & 0xFFFFFF) << c.name;
        }
    }
    OrvImageData none;
    EXPECT_EQ(none.Crop({0, 0, 1, 1}), -1);
}

TEST(ImageData, ContrastAndBrightnessApplyToTheSavedCopy)
{
    TempDir dir;
    QImage gray(4, 4, QImage::Format_RGB32);
    gray.fill(qRgb(100, 100, 100));
    std::string path = Write(dir, "gray.png", gray, "png");
    struct Case {
        int contrast, brightness;
        int expected;
    } cases[] = {
        {100, 0, 100}, {100, 50, 150}, {100, -150, 0}, {200, 0, 72}, {50, 0, 114}, {0, 0, 128}, {300, 200, 244},
    };
    for (const auto& c : cases) {
        OrvImageData data(path);
        ASSERT_TRUE(data.LoadImage());
        data.SetContrast(c.contrast);
        data.SetBrightness(c.brightness);
        std::string out = dir.File("adjusted.png");
        ASSERT_EQ(data.Save(&out), 0);
        QImage back = ReadBack(out);
        EXPECT_EQ(qRed(back.pixel(1, 1)), c.expected) << c.contrast << "/" << c.brightness;
        EXPECT_EQ(qGreen(back.pixel(1, 1)), c.expected);
        // The image in memory keeps its pixels.
        EXPECT_EQ(qRed(data.Image().pixel(1, 1)), 100);
    }
}

TEST(ImageData, SaveFailuresKeepWhatWasThere)
{
    TempDir dir;
    std::string path = Write(dir, "keep.png", Picture(20, 10), "png");
    const std::string before = dir.ReadBytes("keep.png");
    OrvImageData data(path);
    ASSERT_TRUE(data.LoadImage());
    ASSERT_EQ(data.Resize(10, 5, 1), 0);
    EXPECT_TRUE(data.Changed());
    EXPECT_EQ(data.Save(dir.File("no/such/dir/x.png")), -1);
    EXPECT_EQ(data.Save(dir.File("unknown.xyz")), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("unknown.xyz")));
    EXPECT_EQ(data.Save(dir.File("noextension")), -1);
    EXPECT_TRUE(data.Changed());
    EXPECT_EQ(dir.ReadBytes("keep.png"), before);
    // Saving over the source replaces it completely.
    ASSERT_EQ(data.Save(&path), 0);
    EXPECT_EQ(ReadBack(path).size(), QSize(10, 5));
    EXPECT_EQ(data.Resize(0, 5, 3), -1);
    EXPECT_EQ(data.Resize(5, -1, 3), -1);
}

TEST(ImageData, ConvertIntoABox)
{
    TempDir dir;
    struct Case {
        int w, h, maxW, maxH;
        int outW, outH;
        int format;
        const char* target;
        const char* readFormat;
    } cases[] = {
        {400, 200, 100, 100, 100, 50, ORV_IMAGE_JPEG, "a.jpg", "jpeg"},
        {50, 20, 100, 100, 100, 40, ORV_IMAGE_BY_NAME, "b.png", "png"},   // smaller images are enlarged
        {300, 300, 90, 60, 60, 60, ORV_IMAGE_TIFF, "c.tif", "tiff"},
        {400, 120, 100, 100, 100, 30, ORV_IMAGE_BMP, "d.bmp", "bmp"},
    };
    for (const auto& c : cases) {
        OrvImageData data(Write(dir, "src.png", Picture(c.w, c.h), "png"));
        int w = 0, h = 0;
        ASSERT_EQ(data.Convert(c.maxW, c.maxH, dir.File(c.target), &w, &h, c.format, 80, 150), 0) << c.target;
        EXPECT_EQ(w, c.outW) << c.target;
        EXPECT_EQ(h, c.outH) << c.target;
        QImageReader reader(QString::fromStdString(dir.File(c.target)));
        EXPECT_EQ(reader.format(), c.readFormat) << c.target;
        QImage back = reader.read();
        EXPECT_EQ(back.size(), QSize(c.outW, c.outH)) << c.target;
        EXPECT_NEAR(back.dotsPerMeterX() * 0.0254, 150, 1) << c.target;
        // The image itself is not changed by converting.
        EXPECT_EQ(data.ImageWidth(), c.w);
        EXPECT_FALSE(data.Changed());
    }
    OrvImageData missing(dir.File("missing.png"));
    int w = -5, h = -5;
    EXPECT_EQ(missing.Convert(10, 10, dir.File("x.png"), &w, &h), -1);
    EXPECT_EQ(w, -5);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

TEST(ImageData, SizesAndInches)
{
    TempDir dir;
    OrvImageData data(Write(dir, "s.png", Picture(1300, 650, QImage::Format_RGB32, 300), "png"));
    EXPECT_EQ(data.ImageWidthInches1000Abs(), 4333);   // loads on demand: 1300 / 300 inch
    EXPECT_EQ(data.ImageHeightInches1000Abs(), 2166);
    EXPECT_EQ(data.Width(), 1300);
    EXPECT_EQ(data.Width(325), 650);
    EXPECT_EQ(data.Height(650), 325);
    EXPECT_EQ(data.Height(-1), 650);
    EXPECT_EQ(data.ImageWidthInches1000Abs(2), 0);   // no EPS resolution

    // 0x78C without 0x10: the factor that fits 1300x650 at 300 dpi into a
    // region of 260x260 pixels at 100 dpi (2.6 inch): 2.6 / 4.333 = 60 %.
    data.SetDesignObject(&data, OrvDisplayMetrics{100, 100});
    int factor = -1;
    EXPECT_EQ(data.ComputeScaleFactor({0, 0, 259, 259}, ORV_SCALE_BY_FACTOR, factor), 0);
    EXPECT_EQ(factor, 60);
    factor = -1;
    EXPECT_EQ(data.ComputeScaleFactor({0, 0, 259, 259}, ORV_SCALE_BY_FACTOR | ORV_SCALE_PERCENT, factor), -1);
    EXPECT_EQ(data.ComputeScaleFactor({0, 0, 259, 259}, ORV_SCALE_FIT, factor), -1);
    EXPECT_EQ(factor, -1);

    OrvImageData empty;
    EXPECT_EQ(empty.Width(10), 0);
    EXPECT_EQ(empty.ImageWidthInches1000Abs(), 0);
}

// --- EPS ---

std::string PostScript(const std::string& boundingBox)
{
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: test\n" + boundingBox + "\n%%EndComments\nshowpage\n";
}

std::string LE32(uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string DosEps(const std::string& ps, const QByteArray& tiff)
{
    std::string out = "\xC5\xD0\xD3\xC6";
    uint32_t psOffset = 30, tiffOffset = 30 + uint32_t(ps.size());
    out += LE32(psOffset) + LE32(uint32_t(ps.size())) + LE32(0) + LE32(0) + LE32(tiff.isEmpty() ? 0 : tiffOffset) +
           LE32(uint32_t(tiff.size())) + std::string("\xFF\xFF", 2);
    return out + ps + tiff.toStdString();
}

TEST(ImageEps, BinaryEpsWithPreview)
{
    TempDir dir;
    QByteArray tiff;
    QBuffer buf(&tiff);
    buf.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Picture(60, 30).save(&buf, "tiff"));
    dir.WriteBytes("flyer.eps", DosEps(PostScript("%%BoundingBox: 0 0 600 300"), tiff));

    OrvImageFileInfo info;
    ASSERT_EQ(OrvImageData::GetFileInformation(dir.File("flyer.eps"), info), 0);
    EXPECT_EQ(info.fileType, ORV_IMAGE_EPS);
    EXPECT_EQ(info.width, 600);
    EXPECT_EQ(info.height, 300);

    OrvImageData data(dir.File("flyer.eps"));
    ASSERT_TRUE(data.LoadImage());
    EXPECT_EQ(data.FileType(), ORV_IMAGE_EPS);
    EXPECT_EQ(data.ImageWidth(), 600);
    EXPECT_EQ(data.ImageHeight(), 300);
    EXPECT_EQ(data.DpiX(), 72);
    EXPECT_EQ(data.EpsWidth(), 2500);
    EXPECT_EQ(data.EpsHeight(), 1250);
    EXPECT_EQ(data.EpsDpiX(), 300);
    EXPECT_EQ(data.EpsDpiY(), 300);
    EXPECT_EQ(data.ImageWidthInches1000Abs(2), 8333);
    EXPECT_EQ(data.Image().width(), 60);   // the preview
}

TEST(ImageEps, PlainAndBrokenEps)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        int infoResult, type, width, height;
    } cases[] = {
        {"plain.eps", PostScript("%%BoundingBox: 10 20 610 320"), 0, ORV_IMAGE_EPS, 600, 300},
        {"atend.eps", PostScript("%%BoundingBox: (atend)\n%%Trailer\n%%BoundingBox: 0 0 72.4 36"), 0, ORV_IMAGE_EPS, 72,
         36},
        {"nobox.eps", PostScript("%%Title: none"), 0, ORV_IMAGE_EPS, 0, 0},
        {"ps-not-eps.eps", "%!PS-Adobe-3.0\n%%BoundingBox: 0 0 10 10\n", -1, 0, 0, 0},
        {"cut-dos.eps", std::string("\xC5\xD0\xD3\xC6\x1E\0\0\0\xFF\xFF\xFF\x0F", 12), -1, 0, 0, 0},
        {"dos-offsets-outside.eps", DosEps(PostScript("%%BoundingBox: 0 0 1 1"), QByteArray()).substr(0, 40), -1, 0, 0,
         0},
    };
    for (const auto& c : cases) {
        dir.WriteBytes(c.name, c.bytes);
        OrvImageFileInfo info;
        EXPECT_EQ(OrvImageData::GetFileInformation(dir.File(c.name), info), c.infoResult) << c.name;
        EXPECT_EQ(info.fileType, c.type) << c.name;
        EXPECT_EQ(info.width, c.width) << c.name;
        EXPECT_EQ(info.height, c.height) << c.name;
        // Without a preview there is nothing Qt can show.
        OrvImageData data(dir.File(c.name));
        EXPECT_FALSE(data.LoadImage()) << c.name;
        EXPECT_EQ(data.LoadState(), 2) << c.name;
    }
}

// --- thumbnails (dormant) ---

TEST(ImageThumbnail, PathNameAndDormantCache)
{
    OrvImageData data;
    data.SetUseThumbnail(true);
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\Bilder\\Sommer\\flyer.final.jpg", "C\\BILDER\\SOMMER\\FLYER"},
        {"d:\\a\\\\b\\pic", "D\\A\\B\\PIC"},
        {"/home/user/flyer.jpg", ""},
        {"flyer.jpg", ""},
    };
    for (const auto& c : cases) {
        data.SetPathName(c.path);
        EXPECT_EQ(data.ThnPathName(), c.name) << c.path;
        EXPECT_EQ(data.Text(), c.path);   // the path itself is kept as given
    }
    EXPECT_FALSE(data.LoadThumbnail());
    EXPECT_FALSE(data.SaveThumbnail());
    const QImage* handle = nullptr;
    EXPECT_EQ(data.ValidHandle(&handle), -1);

    OrvImageData off;
    off.SetPathName("C:\\Bilder\\x.jpg");
    EXPECT_EQ(off.ThnPathName(), "");
    EXPECT_EQ(off.MaxThumbnailWidth(), 150);
    EXPECT_EQ(off.ScaleFactor(), 100);
    EXPECT_EQ(off.RasterOperation(), 0xCC0020);
    EXPECT_EQ(off.HzJustify(), ORV_HZ_CENTER);
    EXPECT_EQ(off.Contrast(), 100);
    EXPECT_EQ(off.Gamma(), 100);
    EXPECT_EQ(off.LoadState(), -1);
    EXPECT_TRUE(off.SetTiled(true));
}

// --- drawing ---

QImage Canvas(int w, int h)
{
    QImage c(w, h, QImage::Format_RGB32);
    c.fill(Qt::white);
    return c;
}

TEST(ImageDraw, FittedAndCentred)
{
    TempDir dir;
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    OrvImageData data(Write(dir, "red.png", red, "png"));
    data.SetScaleType(ORV_SCALE_BY_FACTOR);
    QImage canvas = Canvas(200, 200);
    QPainter p(&canvas);
    data.Draw(&p, QRect(0, 0, 200, 200));
    p.end();
    // Scaled to 200x100 and centred vertically: rows 50..149.
    EXPECT_EQ(canvas.pixel(100, 100), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(2, 52), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(100, 20), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(100, 180), qRgb(255, 255, 255));

    // Own size, right and bottom.
    data.SetScaleType(0);
    data.SetHzJustify(ORV_HZ_RIGHT);
    data.SetVtJustify(ORV_VT_BOTTOM);
    canvas = Canvas(200, 200);
    p.begin(&canvas);
    data.Draw(&p, QRect(0, 0, 200, 200));
    p.end();
    EXPECT_EQ(canvas.pixel(150, 175), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(99, 175), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(150, 149), qRgb(255, 255, 255));
}

TEST(ImageDraw, TiledAndTransparent)
{
    TempDir dir;
    QImage tile(30, 30, QImage::Format_RGB32);
    tile.fill(qRgb(0, 255, 0));
    tile.setPixel(0, 0, qRgb(0, 0, 255));
    OrvImageData data(Write(dir, "tile.png", tile, "png"));
    data.SetTiled(true);
    data.SetHzJustify(ORV_HZ_LEFT);
    data.SetVtJustify(ORV_VT_TOP);
    QImage canvas = Canvas(100, 100);
    QPainter p(&canvas);
    data.Draw(&p, QRect(0, 0, 100, 100));
    p.end();
    for (int y : {0, 30, 60, 90})
        for (int x : {0, 30, 60, 90}) EXPECT_EQ(canvas.pixel(x, y), qRgb(0, 0, 255)) << x << "," << y;
    EXPECT_EQ(canvas.pixel(99, 99), qRgb(0, 255, 0));

    // The green is the transparent colour (0x00BBGGRR): only the blue dot shows.
    data.SetTiled(false);
    data.SetUseTransparentColor(true);
    data.SetTransparentColor(0x0000FF00);
    canvas = Canvas(30, 30);
    p.begin(&canvas);
    data.Draw(&p, QRect(0, 0, 30, 30));
    p.end();
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(15, 15), qRgb(255, 255, 255));
}

TEST(ImageDraw, ObjectDrawsOnlyRegionsAboveTenPixels)
{
    TempDir dir;
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    OrvImageObject object(0, 0, 50, 50);
    object.SetFullPath(Write(dir, "o.png", red, "png"));
    QImage canvas = Canvas(50, 50);
    QPainter p(&canvas);
    p.setBackground(QColor(0, 0, 0));
    object.Draw(&p, QRect(0, 0, 10, 40));
    EXPECT_EQ(canvas.pixel(5, 20), qRgb(255, 255, 255));
    object.Draw(&p, QRect(0, 0, 50, 30));
    p.end();
    EXPECT_EQ(canvas.pixel(25, 15), qRgb(255, 0, 0));   // the image, fitted and centred
    EXPECT_EQ(canvas.pixel(3, 15), qRgb(0, 0, 0));      // background beside it
    EXPECT_EQ(canvas.pixel(25, 40), qRgb(255, 255, 255));   // outside the region

    int redraws = 0;
    object.onRedraw = [&redraws] { ++redraws; };
    object.SetFullPath(dir.File("o.png"));
    EXPECT_EQ(redraws, 1);
}

} // namespace
