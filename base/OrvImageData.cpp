#include "base/OrvImageData.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

void* OrvImageData::thumbnailStorage = nullptr;

namespace {

QString FileName(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

int FileTypeOf(const QByteArray& format)
{
    QByteArray f = format.toLower();
    if (f == "jpeg" || f == "jpg") return ORV_IMAGE_JPEG;
    if (f == "png") return ORV_IMAGE_PNG;
    if (f == "tif" || f == "tiff") return ORV_IMAGE_TIFF;
    if (f == "bmp" || f == "dib") return ORV_IMAGE_BMP;
    if (f == "gif") return ORV_IMAGE_GIF;
    if (f == "webp") return ORV_IMAGE_WEBP;
    return 0;
}

QByteArray FormatName(int format)
{
    switch (format) {
    case ORV_IMAGE_JPEG: return "jpeg";
    case ORV_IMAGE_PNG: return "png";
    case ORV_IMAGE_TIFF: return "tiff";
    case ORV_IMAGE_BMP: return "bmp";
    case ORV_IMAGE_GIF: return "gif";
    case ORV_IMAGE_WEBP: return "webp";
    }
    return QByteArray();
}

QByteArray FormatFromName(const std::string& path)
{
    QByteArray suffix = QFileInfo(FileName(path)).suffix().toLower().toLatin1();
    return FormatName(FileTypeOf(suffix));
}

int CompressionOf(int fileType)
{
    switch (fileType) {
    case ORV_IMAGE_JPEG: return ORV_COMPRESSION_JPEG;
    case ORV_IMAGE_PNG:
    case ORV_IMAGE_GIF: return ORV_COMPRESSION_LOSSLESS;
    }
    return ORV_COMPRESSION_UNKNOWN;
}

int BitDepthOf(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid: return 0;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8: return 8;
    case QImage::Format_RGB32:
    case QImage::Format_RGB888:
    case QImage::Format_BGR888: return 24;   // the fourth byte carries nothing
    default:
        // A broken header can yield a format value outside Qt's table.
        if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats) return 0;
        return QImage::toPixelFormat(format).bitsPerPixel();
    }
}

// Writes completely or not at all: an existing file is replaced only once
// the new one is written.
int WriteImage(const QImage& image, const std::string& path, int format, int quality)
{
    if (image.isNull() || path.empty()) return -1;
    QByteArray name = format == ORV_IMAGE_BY_NAME ? FormatFromName(path) : FormatName(format);
    if (name.isEmpty() || !QImageWriter::supportedImageFormats().contains(name)) return -1;
    QSaveFile file(FileName(path));
    if (!file.open(QIODevice::WriteOnly)) return -1;
    QImageWriter writer(&file, name);
    if (quality >= 0) writer.setQuality(std::min(quality, 100));
    if (!writer.write(image)) {
        file.cancelWriting();
        return -1;
    }
    return file.commit() ? 0 : -1;
}

uint32_t Read32LE(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// What an EPS file holds: its PostScript text and, in the binary DOS form,
// an optional TIFF preview.
struct EpsFile {
    bool isEps = false;
    QByteArray postScript;
    QByteArray tiffPreview;
};

EpsFile ReadEps(const std::string& path)
{
    EpsFile eps;
    QFile f(FileName(path));
    if (!f.open(QIODevice::ReadOnly)) return eps;
    QByteArray head = f.read(30);
    const auto* h = reinterpret_cast<const unsigned char*>(head.constData());
    const qint64 size = f.size();
    // The PostScript comments are looked at only in the first megabyte.
    const qint64 kScan = 1 << 20;
    if (head.size() >= 30 && h[0] == 0xC5 && h[1] == 0xD0 && h[2] == 0xD3 && h[3] == 0xC6) {
        uint32_t psOffset = Read32LE(h + 4), psLength = Read32LE(h + 8);
        uint32_t tiffOffset = Read32LE(h + 20), tiffLength = Read32LE(h + 24);
        if (psOffset >= 30 && psOffset <= size && psLength <= size - psOffset) {
            f.seek(psOffset);
            eps.postScript = f.read(std::min<qint64>(psLength, kScan));
            eps.isEps = eps.postScript.startsWith("%!PS-Adobe");
        }
        if (eps.isEps && tiffLength > 0 && tiffOffset >= 30 && tiffOffset <= size && tiffLength <= size - tiffOffset) {
            f.seek(tiffOffset);
            eps.tiffPreview = f.read(tiffLength);
        }
        return eps;
    }
    if (head.startsWith("%!PS-Adobe-")) {
        f.seek(0);
        QByteArray text = f.read(kScan);
        int lineEnd = text.indexOf('\n');
        int crEnd = text.indexOf('\r');
        if (crEnd >= 0 && (lineEnd < 0 || crEnd < lineEnd)) lineEnd = crEnd;
        QByteArray first = text.left(lineEnd < 0 ? text.size() : lineEnd);
        if (first.contains("EPSF")) {
            eps.isEps = true;
            eps.postScript = text;
        }
    }
    return eps;
}

// Width and height in points from the first complete %%BoundingBox.
bool BoundingBox(const QByteArray& ps, int& width, int& height)
{
    static const char key[] = "%%BoundingBox:";
    int from = 0;
    for (;;) {
        int at = ps.indexOf(key, from);
        if (at < 0) return false;
        int end = at + int(sizeof(key)) - 1;
        int lineEnd = end;
        while (lineEnd < ps.size() && ps[lineEnd] != '\n' && ps[lineEnd] != '\r') ++lineEnd;
        std::string line = ps.mid(end, std::min(lineEnd - end, 200)).toStdString();
        double llx, lly, urx, ury;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &llx, &lly, &urx, &ury) == 4) {
            double w = urx - llx, hgt = ury - lly;
            if (w > 0 && hgt > 0 && w < 1e7 && hgt < 1e7) {
                width = int(std::lround(w));
                height = int(std::lround(hgt));
                return true;
            }
        }
        from = lineEnd;   // "(atend)" or malformed: look further
    }
}

// The resolution an image file stated, as far as the reader kept it. Qt
// keeps dots per metre and fills in its own default when a file states
// nothing; a whole number of dots per inch comes back as that number.
OrvImageResolution ResolutionOf(const QImage& image)
{
    OrvImageResolution r;
    const QImage probe(1, 1, QImage::Format_RGB32);
    int dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();
    if (dpmX <= 0 || dpmY <= 0 || (dpmX == probe.dotsPerMeterX() && dpmY == probe.dotsPerMeterY())) return r;
    int inchX = int(std::lround(dpmX * 0.0254)), inchY = int(std::lround(dpmY * 0.0254));
    if (inchX > 0 && inchY > 0 && std::lround(inchX / 0.0254) == dpmX && std::lround(inchY / 0.0254) == dpmY) {
        r.xNumerator = inchX;
        r.yNumerator = inchY;
        r.unit = ORV_IMAGE_RES_INCH;
    } else {
        r.xNumerator = dpmX;
        r.yNumerator = dpmY;
        r.unit = ORV_IMAGE_RES_METRE;
    }
    return r;
}

int Clamp255(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Applies a per-channel table to every colour channel, keeping alpha.
void ApplyTable(QImage& image, const int (&table)[256])
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
}

int TruncToInt(double v)
{
    if (!(v == v)) return 0;
    v = std::trunc(v);
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(v);
}

} // namespace

// ---------------------------------------------------------------------------

OrvImageData::OrvImageData() = default;

OrvImageData::OrvImageData(const std::string& path)
{
    SetPathName(path);
}

OrvImageData::~OrvImageData() = default;

int OrvImageData::SetPathName(const std::string& path)
{
    loadState_ = -1;
    DestroyImage();
    DestroyThumbnail();
    path_ = path;
    SetThnPathName();
    return 0;
}

int OrvImageData::SetThnPathName()
{
    return SetThnPathName(path_);
}

int OrvImageData::SetThnPathName(const std::string& path)
{
    if (!useThumbnail_) return 0;
    thnPathName_.clear();
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t slash = upper.find_last_of("\\/");
    std::string directory = slash == std::string::npos ? std::string() : upper.substr(0, slash);
    std::string file = slash == std::string::npos ? upper : upper.substr(slash + 1);
    std::size_t colon = directory.find(':');
    if (colon == std::string::npos || colon == 0) return 0;   // no drive letter
    std::string name = directory.substr(0, colon) + "\\";
    std::size_t pos = colon + 1;
    while (pos < directory.size()) {
        std::size_t next = directory.find_first_of("\\/", pos);
        if (next == std::string::npos) next = directory.size();
        if (next > pos) name += directory.substr(pos, next - pos) + "\\";
        pos = next + 1;
    }
    name += file.substr(0, file.find('.'));
    // The components would be entered in the thumbnail storage here; no
    // storage is ever set.
    thnPathName_ = name;
    return 0;
}

bool OrvImageData::LoadImage()
{
    if (HasImage() || loadState_ == 0) return true;
    if (loadState_ == 2 || loadState_ == 3) return false;

    OrvImageFileInfo info;
    const bool haveInfo = GetFileInformation(path_, info) == 0;
    QImage loaded;
    if (haveInfo && info.fileType == ORV_IMAGE_EPS) {
        // Qt cannot render PostScript; the binary form's TIFF preview stands
        // in for the picture.
        EpsFile eps = ReadEps(path_);
        if (!eps.tiffPreview.isEmpty()) loaded = QImage::fromData(eps.tiffPreview, "TIFF");
    } else if (haveInfo) {
        QImageReader reader(FileName(path_));
        reader.setDecideFormatFromContent(true);
        loaded = reader.read();
    }
    if (loaded.isNull()) {
        DestroyImage();
        loadState_ = 2;
        return false;
    }
    image_ = loaded;
    loadState_ = 0;

    if (info.fileType == ORV_IMAGE_EPS) {
        // The bounding box is in points: the picture's size at 72 dpi.
        dpiX_ = dpiY_ = 72;
    } else {
        DpiFromResolution(ResolutionOf(image_), dpiX_, dpiY_);
    }

    fileType_ = info.fileType;
    fileCompression_ = info.compression;
    width_ = info.width > 0 ? info.width : image_.width();
    height_ = info.height > 0 ? info.height : image_.height();
    bitDepth_ = info.bitDepth > 0 ? info.bitDepth : BitDepthOf(image_.format());

    if (fileType_ == ORV_IMAGE_EPS) {
        epsDpiX_ = epsDpiY_ = 300;
        epsWidth_ = TruncToInt(double(width_) / dpiX_ * 300);
        epsHeight_ = TruncToInt(double(height_) / dpiY_ * 300);
    } else {
        epsWidth_ = epsHeight_ = 0;
    }

    pixelFormat_ = image_.format();
    return pixelFormat_ != QImage::Format_Invalid;
}

bool OrvImageData::SaveThumbnail()
{
    // Dormant cache: without a path name or a storage nothing is written.
    if (thnPathName_.empty() || !thumbnailStorage) return false;
    return false;
}

bool OrvImageData::LoadThumbnail()
{
    if (!thumbnail_.isNull()) return true;
    SaveThumbnail();
    if (thnPathName_.empty() || !thumbnailStorage) return false;
    return false;
}

int OrvImageData::ValidHandle(const QImage** handle)
{
    const QImage* h = nullptr;
    if (useThumbnail_) {
        if (thumbnail_.isNull()) LoadThumbnail();
        h = &thumbnail_;
    } else {
        if (image_.isNull()) LoadImage();
        h = &image_;
    }
    if (handle) *handle = h;
    return h->isNull() ? -1 : 0;
}

int OrvImageData::Save(const std::string* path, int, int quality)
{
    if (path) path_ = *path;
    if (!HasImage()) return -1;
    QImage copy = image_;
    AdjustContrastBrightness(copy, contrast_, brightness_);
    if (WriteImage(copy, path_, ORV_IMAGE_BY_NAME, quality) != 0) return -1;
    changed_ = false;
    return 0;
}

int OrvImageData::Resize(int width, int height, int mode)
{
    if (!HasImage() || width <= 0 || height <= 0) return -1;
    QImage scaled = image_.scaled(width, height, Qt::IgnoreAspectRatio,
                                  mode >= 2 ? Qt::SmoothTransformation : Qt::FastTransformation);
    if (scaled.isNull()) return -1;
    image_ = scaled;
    width_ = width;
    height_ = height;
    changed_ = true;
    return 0;
}

int OrvImageData::Crop(const OrvRegion& region)
{
    if (!HasImage() || region.right < region.left || region.bottom < region.top) return -1;
    QRect wanted(QPoint(region.left, region.top), QPoint(region.right, region.bottom));
    QRect r = wanted & image_.rect();
    if (r.isEmpty()) return -1;
    image_ = image_.copy(r);
    width_ = r.width();
    height_ = r.height();
    changed_ = true;
    return 0;
}

int OrvImageData::Convert(int maxWidth, int maxHeight, const std::string& target, int* outWidth, int* outHeight,
                          int format, int quality, int dpi)
{
    if (!LoadImage() || !HasImage() || width_ <= 0 || height_ <= 0 || maxWidth <= 0 || maxHeight <= 0) return -1;
    const double factor = std::min(double(maxHeight) / height_, double(maxWidth) / width_);
    int w = std::max(1, TruncToInt(width_ * factor));
    int h = std::max(1, TruncToInt(height_ * factor));
    if (outWidth) *outWidth = w;
    if (outHeight) *outHeight = h;
    QImage copy = image_.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (copy.isNull()) return -1;
    if (dpi > 0) {
        int dpm = int(std::lround(dpi / 0.0254));
        copy.setDotsPerMeterX(dpm);
        copy.setDotsPerMeterY(dpm);
    }
    const bool jpeg = format == ORV_IMAGE_JPEG || (format == ORV_IMAGE_BY_NAME && FormatFromName(target) == "jpeg");
    return WriteImage(copy, target, format, jpeg && quality > 0 ? quality : -1);
}

int OrvImageData::Width(int h) const
{
    if (h <= 0) return width_;
    if (height_ <= 0) return 0;
    return TruncToInt(double(h) / height_ * width_);
}

int OrvImageData::Height(int w) const
{
    if (w <= 0) return height_;
    if (width_ <= 0) return 0;
    return TruncToInt(double(w) / width_ * height_);
}

int OrvImageData::ImageWidthInches1000Abs(int resolutionKind)
{
    if (useThumbnail_) {
        if (thumbnail_.isNull()) LoadThumbnail();
    } else if (!HasImage()) {
        LoadImage();
    }
    if (resolutionKind == 2) return epsDpiX_ > 0 ? int(int64_t(epsWidth_) * 1000 / epsDpiX_) : 0;
    return dpiX_ > 0 ? int(int64_t(width_) * 1000 / dpiX_) : 0;
}

int OrvImageData::ImageHeightInches1000Abs(int resolutionKind)
{
    if (useThumbnail_) {
        if (thumbnail_.isNull()) LoadThumbnail();
    } else if (!HasImage()) {
        LoadImage();
    }
    if (resolutionKind == 2) return epsDpiY_ > 0 ? int(int64_t(epsHeight_) * 1000 / epsDpiY_) : 0;
    return dpiY_ > 0 ? int(int64_t(height_) * 1000 / dpiY_) : 0;
}

int OrvImageData::ComputeScaleFactor(const OrvRegion& region, int scaleType, int& factor, int resolutionKind)
{
    if (!(scaleType & ORV_SCALE_BY_FACTOR) || (scaleType & ORV_SCALE_PERCENT)) return -1;
    int64_t w = int64_t(region.right) - region.left + 1;
    int64_t h = int64_t(region.bottom) - region.top + 1;
    int rw, rh;
    if (region.coordinateType == OrvRegion::MM10) {
        rw = OrvMulDiv(w, 1000, 254);
        rh = OrvMulDiv(h, 1000, 254);
    } else {
        rw = OrvMulDiv(w, 1000, designDisplay_.xPixelsPerInch);
        rh = OrvMulDiv(h, 1000, designDisplay_.yPixelsPerInch);
    }
    int iw = ImageWidthInches1000Abs(resolutionKind);
    int ih = ImageHeightInches1000Abs(resolutionKind);
    if (iw <= 0 || ih <= 0 || rw <= 0 || rh <= 0) return -1;
    factor = TruncToInt(std::min(double(rw) / iw, double(rh) / ih) * 100);
    return 0;
}

void OrvImageData::DpiFromResolution(const OrvImageResolution& r, int& dpiX, int& dpiY)
{
    if (r.unit == ORV_IMAGE_RES_NONE) {
        dpiX = dpiY = 96;
        return;
    }
    auto one = [&r](int numerator, int denominator) {
        int d = denominator;
        if (r.unit == ORV_IMAGE_RES_METRE)
            d = TruncToInt(denominator * 39.37);
        else if (r.unit == ORV_IMAGE_RES_CENTIMETRE)
            d = TruncToInt(denominator * 0.3937);
        int dpi = d == 0 ? 96 : int(int64_t(numerator) / d);
        return dpi < 70 ? 96 : dpi;
    };
    dpiX = one(r.xNumerator, r.xDenominator);
    dpiY = one(r.yNumerator, r.yDenominator);
}

int OrvImageData::GetFileInformation(const std::string& path, OrvImageFileInfo& info)
{
    info = OrvImageFileInfo();
    if (path.empty() || !QFileInfo(FileName(path)).isFile()) return -1;
    EpsFile eps = ReadEps(path);
    if (eps.isEps) {
        info.fileType = ORV_IMAGE_EPS;
        BoundingBox(eps.postScript, info.width, info.height);
        if (!eps.tiffPreview.isEmpty()) {
            QBuffer buffer(&eps.tiffPreview);
            buffer.open(QIODevice::ReadOnly);
            QImageReader preview(&buffer, "tiff");
            info.bitDepth = BitDepthOf(preview.imageFormat());
        }
        return 0;
    }
    QImageReader reader(FileName(path));
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) return -1;
    info.fileType = FileTypeOf(reader.format());
    info.compression = CompressionOf(info.fileType);
    QSize size = reader.size();
    if (size.isValid()) {
        info.width = size.width();
        info.height = size.height();
    }
    info.bitDepth = BitDepthOf(reader.imageFormat());
    return 0;
}

void OrvImageData::AdjustContrastBrightness(QImage& image, int contrastPercent, int brightness)
{
    if (image.isNull() || (contrastPercent == 100 && brightness == 0)) return;
    int table[256];
    for (int v = 0; v < 256; ++v) table[v] = Clamp255((v - 128) * contrastPercent / 100 + 128 + brightness);
    ApplyTable(image, table);
}

QRect OrvImageData::DestinationRect(const QRect& region, const QImage& shown, int deviceDpiX, int deviceDpiY,
                                    int scaleType, double zoom) const
{
    // The picture's physical size in device pixels.
    const int ownDpiX = dpiX_ > 0 ? dpiX_ : 96, ownDpiY = dpiY_ > 0 ? dpiY_ : 96;
    const int pixelW = width_ > 0 ? width_ : shown.width();
    const int pixelH = height_ > 0 ? height_ : shown.height();
    double w = double(pixelW) * deviceDpiX / ownDpiX;
    double h = double(pixelH) * deviceDpiY / ownDpiY;
    if ((scaleType & ORV_SCALE_PERCENT)) {
        w = w * scaleFactor_ / 100.0;
        h = h * scaleFactor_ / 100.0;
    } else if ((scaleType & (ORV_SCALE_BY_FACTOR | ORV_SCALE_FIT)) && w > 0 && h > 0) {
        double f = std::min(region.width() / w, region.height() / h);
        w *= f;
        h *= f;
    } else {
        w = pixelW;
        h = pixelH;
    }
    w *= zoom;
    h *= zoom;
    const int iw = std::max(1, TruncToInt(w)), ih = std::max(1, TruncToInt(h));
    int x = region.left(), y = region.top();
    if (hzJustify_ == ORV_HZ_RIGHT)
        x = region.left() + region.width() - iw;
    else if (hzJustify_ == ORV_HZ_CENTER)
        x = region.left() + (region.width() - iw) / 2;
    if (vtJustify_ == ORV_VT_BOTTOM)
        y = region.top() + region.height() - ih;
    else if (vtJustify_ == ORV_VT_CENTER)
        y = region.top() + (region.height() - ih) / 2;
    return QRect(x, y, iw, ih);
}

void OrvImageData::Draw(QPainter* painter, const QRect& region, int rasterOperation)
{
    const QImage* handle = nullptr;
    if (!painter || region.isEmpty() || ValidHandle(&handle) != 0) return;
    QImage shown = *handle;
    AdjustContrastBrightness(shown, contrast_, brightness_);
    if (gamma_ > 0 && gamma_ != 100) {
        int table[256];
        const double g = gamma_ / 100.0;
        for (int v = 0; v < 256; ++v) table[v] = Clamp255(int(std::lround(255.0 * std::pow(v / 255.0, 1.0 / g))));
        ApplyTable(shown, table);
    }
    if (useTransparentColor_) {
        shown = shown.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = qRgb(transparentColor_ & 0xFF, (transparentColor_ >> 8) & 0xFF, (transparentColor_ >> 16) & 0xFF);
        for (int y = 0; y < shown.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
        }
    }

    painter->save();
    switch (rasterOperation) {
    case 0x8800C6: painter->setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;   // SRCAND
    case 0xEE0086: painter->setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;    // SRCPAINT
    case 0x660046: painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;   // SRCINVERT
    default: painter->setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    }
    painter->setClipRect(region, Qt::IntersectClip);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QPaintDevice* device = painter->device();
    const int devX = device && device->logicalDpiX() > 0 ? device->logicalDpiX() : 96;
    const int devY = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    if (tiled_) {
        // Tiles at the image's own pixel size, from the justified origin.
        const QRect first = DestinationRect(region, shown, devX, devY, 0, 1.0);
        const int tw = shown.width(), th = shown.height();
        if (tw > 0 && th > 0) {
            int rowStart = first.left();
            for (int y = first.top(); y <= region.bottom(); y += th) {
                for (int x = rowStart; x <= region.right(); x += tw) painter->drawImage(QPoint(x, y), shown);
                rowStart = region.left();
            }
        }
    } else {
        painter->drawImage(DestinationRect(region, shown, devX, devY, scaleType_, zoomFactor_), shown);
    }
    painter->restore();
}

void OrvImageData::DestroyImage()
{
    image_ = QImage();
    width_ = height_ = 0;
    pixelFormat_ = QImage::Format_Invalid;
}

void OrvImageData::DestroyThumbnail()
{
    thumbnail_ = QImage();
    thnWidth_ = thnHeight_ = thnBits_ = 0;
}

// ---------------------------------------------------------------------------
// OrvImageObject

OrvImageObject::OrvImageObject(int left, int top, int width, int height)
    : left_(left), top_(top), width_(width), height_(height)
{
    image_.SetUseThumbnail(false);
}

void OrvImageObject::SetFullPath(const std::string& path)
{
    image_.DestroyImage();
    image_.DestroyThumbnail();
    image_.SetPathName(path);
    if (onRedraw) onRedraw();
}

int OrvImageObject::Resize(int maxWidth, int maxHeight)
{
    if (!image_.LoadImage() || !image_.HasImage()) return -1;
    const int w = image_.ImageWidth(), h = image_.ImageHeight();
    if (maxWidth >= w && maxHeight >= h) return 100;
    if (w <= 0 || h <= 0 || maxWidth <= 0 || maxHeight <= 0) return -1;
    const double factor = std::min(double(maxWidth) / w, double(maxHeight) / h);
    const int nw = std::max(1, TruncToInt(w * factor));
    const int nh = std::max(1, TruncToInt(h * factor));
    return image_.Resize(nw, nh, ORV_RESAMPLE_SMOOTH) == 0 ? 0 : -1;
}

void OrvImageObject::Draw(QPainter* painter, const QRect& region)
{
    if (!painter || region.width() <= 10 || region.height() <= 10) return;
    painter->save();
    QRect inner = region;
    if (bordered_) {
        painter->setPen(QPen(Qt::black, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(region.adjusted(0, 0, -1, -1));
        inner = region.adjusted(1, 1, -1, -1);
    }
    painter->fillRect(inner, painter->background());
    painter->restore();
    image_.SetScaleType(ORV_SCALE_BY_FACTOR);
    image_.SetHzJustify(ORV_HZ_CENTER);
    image_.SetVtJustify(ORV_VT_CENTER);
    image_.SetTiled(false);
    image_.Draw(painter, inner);
}
