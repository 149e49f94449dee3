#include "FullScreenBitmap.h"

#include "imaging/WorkingBitmap.h"

namespace quillum::fullscreen {

namespace {

// QRgb words are A,R,G,B from the high byte down whatever the byte order, so writing whole
// words swizzles the bytes as the platform needs.
QImage fromARGBBytes(const BitmapImageRep& bitmap, QImage::Format format)
{
    const int w = bitmap.pixelsWide(), h = bitmap.pixelsHigh();
    QImage image(w, h, format);
    if (image.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bitmap.bitmapData() + std::size_t(y) * bitmap.bytesPerRow();
        auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x, s += 4)
            d[x] = (QRgb(s[0]) << 24) | (QRgb(s[1]) << 16) | (QRgb(s[2]) << 8) | QRgb(s[3]);
    }
    return image;
}

} // namespace

QImage imageFromBitmap(const BitmapImageRep& bitmap)
{
    if (bitmap.isNull())
        return {};
    if (bitmap.isWorkingFormat())
        return fromARGBBytes(bitmap, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(bitmap);
        return rgb ? imageFromBitmap(*rgb) : QImage();
    }
    const BitmapImageRep argb
        = convertToWorkingBitmap(bitmap, { 0, 0, double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) });
    return argb.isNull() ? QImage() : fromARGBBytes(argb, QImage::Format_ARGB32);
}

} // namespace quillum::fullscreen
