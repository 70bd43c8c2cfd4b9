// Image files on Qt's image classes: loading with the system's resolution
// rules, file information without decoding, resizing, cropping, contrast
// and brightness, saving, conversion for upload, and drawing.
//
// The thumbnail cache is built in but dormant: nothing switches it on and no
// storage is set, so the thumbnail functions report false and leave
// everything as it is.
#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>

#include "base/OrvFixed.h"

class QPainter;
class QRect;

// File types and save formats. 10 (EPS) and 33 (JPEG) are the system's
// fixed codes; the others are this library's own.
enum OrvImageFormat {
    ORV_IMAGE_BY_NAME = 0,   // save: chosen by the file name's extension
    ORV_IMAGE_BMP = 2,
    ORV_IMAGE_EPS = 10,
    ORV_IMAGE_GIF = 11,
    ORV_IMAGE_PNG = 12,
    ORV_IMAGE_TIFF = 14,
    ORV_IMAGE_WEBP = 15,
    ORV_IMAGE_JPEG = 33
};

// Compression as far as the file type tells it.
enum OrvImageCompression { ORV_COMPRESSION_UNKNOWN = 0, ORV_COMPRESSION_LOSSLESS = 1, ORV_COMPRESSION_JPEG = 2 };

// Units of a stored resolution (numerator / denominator dots per unit).
enum OrvImageResolutionUnit {
    ORV_IMAGE_RES_NONE = 1,   // no absolute resolution
    ORV_IMAGE_RES_METRE = 2,
    ORV_IMAGE_RES_INCH = 3,
    ORV_IMAGE_RES_CENTIMETRE = 4
};

// Scale type flags.
enum {
    ORV_SCALE_FIT = 0x1,        // fit proportionally with the image's own resolution
    ORV_SCALE_WIDTH = 0x4,
    ORV_SCALE_HEIGHT = 0x8,
    ORV_SCALE_PERCENT = 0x10,   // scale factor relative to the physical size
    ORV_SCALE_BY_FACTOR = 0x78C
};

// Resampling modes of Resize.
enum { ORV_RESAMPLE_FAST = 1, ORV_RESAMPLE_SMOOTH = 3 };

struct OrvImageFileInfo {
    int fileType = 0;      // OrvImageFormat
    int compression = 0;   // OrvImageCompression
    int width = 0;
    int height = 0;
    int bitDepth = 0;
};

// Resolution as an image file states it.
struct OrvImageResolution {
    int xNumerator = 0, xDenominator = 1;
    int yNumerator = 0, yDenominator = 1;
    int unit = ORV_IMAGE_RES_NONE;
};

class OrvImageData {
public:
    OrvImageData();
    explicit OrvImageData(const std::string& path);
    virtual ~OrvImageData();
    OrvImageData(const OrvImageData&) = delete;
    OrvImageData& operator=(const OrvImageData&) = delete;

    // The path is kept as given: Linux file names are case-sensitive.
    int SetPathName(const std::string& path);
    const std::string& Text() const { return path_; }
    int SetThnPathName();
    int SetThnPathName(const std::string& path);
    const std::string& ThnPathName() const { return thnPathName_; }

    bool LoadImage();
    bool LoadThumbnail();
    bool SaveThumbnail();
    // 0 with a valid handle (the thumbnail when thumbnails are used).
    int ValidHandle(const QImage** handle);

    // Writes the image with contrast and brightness applied; the file is
    // replaced only once it is written completely. 0 or -1.
    int Save(const std::string* path = nullptr, int unused = 0, int quality = -1);
    int Save(const std::string& path, int quality = -1) { return Save(&path, 0, quality); }
    int Resize(int width, int height, int mode);
    // Region with inclusive right and bottom, clipped to the image.
    int Crop(const OrvRegion& region);
    // Scales the image into the box (enlarging a smaller one) with mode 3
    // and writes it to target; 0 on success, -1 on failure.
    int Convert(int maxWidth, int maxHeight, const std::string& target, int* outWidth, int* outHeight,
                int format = ORV_IMAGE_BY_NAME, int quality = 0, int dpi = 0);

    // With h <= 0 the width; otherwise the width that keeps the aspect
    // ratio at height h.
    int Width(int h = 0) const;
    int Height(int w = 0) const;
    // Size in thousandths of an inch; kind 2 uses the EPS high resolution.
    int ImageWidthInches1000Abs(int resolutionKind = 1);
    int ImageHeightInches1000Abs(int resolutionKind = 1);
    // Factor (percent) that fits the image into the region, for scale types
    // of the factor mask without ORV_SCALE_PERCENT; 0 when it was computed.
    int ComputeScaleFactor(const OrvRegion& region, int scaleType, int& factor, int resolutionKind = 1);
    // Draws into region (pixels of the painter's device).
    void Draw(QPainter* painter, const QRect& region, int rasterOperation = 0xCC0020);

    void DestroyImage();
    void DestroyThumbnail();

    // File information read from the header only (no pixels decoded).
    static int GetFileInformation(const std::string& path, OrvImageFileInfo& info);
    // Dots per inch from a stated resolution: no absolute resolution gives
    // 96; per metre and per centimetre convert the denominator; a zero
    // denominator or a result below 70 gives 96.
    static void DpiFromResolution(const OrvImageResolution& resolution, int& dpiX, int& dpiY);
    // Contrast in percent (100 unchanged) and brightness added to every
    // colour channel (-255..255).
    static void AdjustContrastBrightness(QImage& image, int contrastPercent, int brightness);

    // --- fields ---
    const QImage& Image() const { return image_; }
    bool HasImage() const { return !image_.isNull(); }
    const QImage& Thumbnail() const { return thumbnail_; }
    int LoadState() const { return loadState_; }
    int ImageWidth() const { return width_; }
    int ImageHeight() const { return height_; }
    int BitDepth() const { return bitDepth_; }
    QImage::Format PixelFormat() const { return pixelFormat_; }
    int ThumbnailWidth() const { return thnWidth_; }
    int ThumbnailHeight() const { return thnHeight_; }
    int ThumbnailBitsPerPixel() const { return thnBits_; }
    int EpsWidth() const { return epsWidth_; }
    int EpsHeight() const { return epsHeight_; }
    int EpsDpiX() const { return epsDpiX_; }
    int EpsDpiY() const { return epsDpiY_; }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    int FileType() const { return fileType_; }
    int FileCompression() const { return fileCompression_; }
    OrvHzJustify HzJustify() const { return hzJustify_; }
    OrvVtJustify VtJustify() const { return vtJustify_; }
    uint16_t ScaleType() const { return scaleType_; }
    int ScaleFactor() const { return scaleFactor_; }
    double ZoomFactor() const { return zoomFactor_; }
    int RasterOperation() const { return rasterOperation_; }
    bool UseThumbnail() const { return useThumbnail_; }
    bool UseTransparentColor() const { return useTransparentColor_; }
    uint32_t TransparentColor() const { return transparentColor_; }
    int MaxThumbnailWidth() const { return maxThnWidth_; }
    int MaxThumbnailHeight() const { return maxThnHeight_; }
    int Contrast() const { return contrast_; }
    int Brightness() const { return brightness_; }
    int Gamma() const { return gamma_; }
    bool Changed() const { return changed_; }
    bool AutoSize() const { return autoSize_; }
    bool Tiled() const { return tiled_; }
    bool Wallpaper() const { return wallpaper_; }
    void* DesignObject() const { return designObject_; }
    const OrvDisplayMetrics& DesignDisplay() const { return designDisplay_; }

    void SetHzJustify(OrvHzJustify v) { hzJustify_ = v; }
    void SetVtJustify(OrvVtJustify v) { vtJustify_ = v; }
    void SetScaleType(uint16_t v) { scaleType_ = v; }
    void SetScaleFactor(int v) { scaleFactor_ = v; }
    void SetZoomFactor(double v) { zoomFactor_ = v; }
    void SetRasterOperation(int v) { rasterOperation_ = v; }
    void SetUseThumbnail(bool v) { useThumbnail_ = v; }
    void SetUseTransparentColor(bool v) { useTransparentColor_ = v; }
    // 0x00BBGGRR, as the system's colours are stored.
    void SetTransparentColor(uint32_t v) { transparentColor_ = v; }
    void SetMaxThumbnailSize(int w, int h) { maxThnWidth_ = w; maxThnHeight_ = h; }
    void SetContrast(int v) { contrast_ = v; }
    void SetBrightness(int v) { brightness_ = v; }
    void SetGamma(int v) { gamma_ = v; }
    void SetChanged(bool v) { changed_ = v; }
    bool SetAutoSize(bool v) { return autoSize_ = v; }
    bool SetTiled(bool v) { return tiled_ = v; }
    bool SetWallpaper(bool v) { return wallpaper_ = v; }
    void SetDesignObject(void* owner, const OrvDisplayMetrics& display)
    {
        designObject_ = owner;
        designDisplay_ = display;
    }

    // The storage of all thumbnails; none is set in this system.
    static void* thumbnailStorage;

private:
    QRect DestinationRect(const QRect& region, const QImage& shown, int deviceDpiX, int deviceDpiY, int scaleType,
                          double zoom) const;

    std::string path_;
    void* designObject_ = nullptr;
    OrvDisplayMetrics designDisplay_;
    QImage image_;
    int width_ = 0;
    int height_ = 0;
    int bitDepth_ = 0;
    QImage::Format pixelFormat_ = QImage::Format_Invalid;
    int loadState_ = -1;
    QImage thumbnail_;
    int thnWidth_ = 0;
    int thnHeight_ = 0;
    int thnBits_ = 0;
    std::string thnPathName_;
    int epsWidth_ = 0;
    int epsHeight_ = 0;
    int epsDpiX_ = 0;
    int epsDpiY_ = 0;
    int dpiX_ = 0;
    int dpiY_ = 0;
    int fileType_ = 0;
    int fileCompression_ = 0;
    OrvHzJustify hzJustify_ = ORV_HZ_CENTER;
    OrvVtJustify vtJustify_ = ORV_VT_CENTER;
    uint16_t scaleType_ = 0;
    int scaleFactor_ = 100;
    double zoomFactor_ = 1.0;
    int rasterOperation_ = 0xCC0020;
    bool useThumbnail_ = false;
    bool useTransparentColor_ = false;
    uint32_t transparentColor_ = 0;
    int maxThnWidth_ = 150;
    int maxThnHeight_ = 150;
    int contrast_ = 100;
    int brightness_ = 0;
    int gamma_ = 100;
    bool changed_ = false;
    bool autoSize_ = false;
    bool tiled_ = false;
    bool wallpaper_ = false;
};

// Shows one image (without thumbnails) inside a bordered frame.
class OrvImageObject {
public:
    OrvImageObject(int left, int top, int width, int height);
    virtual ~OrvImageObject() = default;

    void SetFullPath(const std::string& path);
    // 100 when the image fits the box already, 0 when it was scaled into
    // it (mode 3), -1 without an image.
    int Resize(int maxWidth, int maxHeight);
    int Save(const std::string* path = nullptr, int unused = 0, int quality = -1)
    {
        return image_.Save(path, unused, quality);
    }
    // Draws border, background and the centred image when the region is
    // more than 10 pixels wide and high.
    void Draw(QPainter* painter, const QRect& region);

    OrvImageData& Data() { return image_; }
    bool Bordered() const { return bordered_; }
    void SetBordered(bool b) { bordered_ = b; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int FrameWidth() const { return width_; }
    int FrameHeight() const { return height_; }
    // Asks the window that shows the object to draw it again.
    std::function<void()> onRedraw;

private:
    OrvImageData image_;
    int left_, top_, width_, height_;
    bool bordered_ = true;
};
