#include "WorkingBitmap.h"

#include "platform/Assert.h"
#include "platform/ColorManagement.h"
#include "platform/vimage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillum {

PixelRect pixelRectFor(const Rect& rect, int sourceHeight)
{
    auto trunc = [](double v) { return std::isfinite(v) ? long(std::trunc(std::clamp(v, -1e12, 1e12))) : 0L; };
    PixelRect p;
    p.x = trunc(rect.x);
    p.width = trunc(rect.width);
    p.height = trunc(rect.height);
    p.top = trunc(double(sourceHeight) - rect.y - rect.height);
    return p;
}

namespace {

// The generic path: sample by sample, for grey, grey+alpha, RGBA, alpha-first with
// unusual flags, planar layouts and anything else with 8-bit samples.
void copySampleBySample(const BitmapImageRep& src, const PixelRect& r, BitmapImageRep& dst)
{
    const int spp = src.samplesPerPixel();
    const bool planar = src.isPlanar();
    const std::size_t stride = planar ? 1 : std::size_t(src.bitsPerPixel() / 8);
    const bool alphaFirst = src.bitmapFormat() & BitmapFormatAlphaFirst;
    const bool hasAlpha = src.hasAlpha() && spp >= 2;
    const int alphaIndex = hasAlpha ? (alphaFirst ? 0 : spp - 1) : -1;
    const int firstColour = hasAlpha && alphaFirst ? 1 : 0;
    // More than three colour samples (e.g. four without alpha) keep the first three.
    const int colours = std::min(hasAlpha ? spp - 1 : spp, 3);

    auto sample = [&](int s, long y, long x) -> const std::uint8_t* {
        const std::uint8_t* base = planar ? src.plane(s) : src.plane(0) + s;
        return base + std::size_t(y) * src.bytesPerRow() + std::size_t(x) * stride;
    };
    const std::size_t dstRow = dst.bytesPerRow();
    for (long row = 0; row < r.height; ++row) {
        std::uint8_t* d = dst.bitmapData() + std::size_t(row) * dstRow;
        const long sy = r.top + row;
        if (alphaIndex >= 0) {
            const std::uint8_t* a = sample(alphaIndex, sy, r.x);
            for (long x = 0; x < r.width; ++x, a += stride)
                d[4 * x] = *a;
        } else {
            for (long x = 0; x < r.width; ++x)
                d[4 * x] = 255;
        }
        for (int k = 0; k < colours; ++k) {
            const std::uint8_t* s = sample(firstColour + k, sy, r.x);
            for (long x = 0; x < r.width; ++x, s += stride)
                d[4 * x + 1 + k] = *s;
        }
        if (colours == 1) {
            for (long x = 0; x < r.width; ++x)
                d[4 * x + 2] = d[4 * x + 3] = d[4 * x + 1];
        } else if (colours == 2) {
            for (long x = 0; x < r.width; ++x)
                d[4 * x + 3] = 0;
        } else if (colours == 0) {
            // An alpha-only source: the colour is black rather than leftover memory.
            for (long x = 0; x < r.width; ++x)
                d[4 * x + 1] = d[4 * x + 2] = d[4 * x + 3] = 0;
        }
    }
}

} // namespace

BitmapImageRep convertToWorkingBitmap(const BitmapImageRep& source, const Rect& rect)
{
    if (source.isNull() || source.layout().bitsPerSample != 8 || !isInteger(source) || source.samplesPerPixel() < 1)
        return {};
    const PixelRect r = pixelRectFor(rect, source.pixelsHigh());
    if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.top < 0 || r.x + r.width > source.pixelsWide()
        || r.top + r.height > source.pixelsHigh())
        return {};
    BitmapImageRep dst = BitmapImageRep::makeARGB(int(r.width), int(r.height));
    if (dst.isNull())
        return {};
    dst.setColorProfile(source.colorProfile());

    const int spp = source.samplesPerPixel();
    const int bpp = source.bitsPerPixel();
    const bool interleaved = !source.isPlanar();
    vImage_Buffer out { dst.bitmapData(), std::size_t(r.height), std::size_t(r.width), dst.bytesPerRow() };
    auto view = [&](std::size_t bytesPerPixel) {
        return vImage_Buffer { const_cast<std::uint8_t*>(source.plane(0)) + std::size_t(r.top) * source.bytesPerRow()
                + std::size_t(r.x) * bytesPerPixel,
            std::size_t(r.height), std::size_t(r.width), source.bytesPerRow() };
    };
    // The buffers were checked above, so the bulk routines cannot refuse them.
    vImage_Error error = kvImageNoError;
    if (interleaved && spp == 4 && bpp == 32 && source.bitmapFormat() == BitmapFormatAlphaFirst) {
        const vImage_Buffer in = view(4);
        const std::uint8_t identity[4] = { 0, 1, 2, 3 };
        error = vImagePermuteChannels_ARGB8888(&in, &out, identity, kvImageNoFlags);
    } else if (interleaved && spp == 3 && bpp == 24) {
        const vImage_Buffer in = view(3);
        error = vImageConvert_RGB888toARGB8888(&in, nullptr, 255, &out, false, kvImageNoFlags);
    } else if (interleaved && spp == 3 && bpp == 32) {
        // RGB padded to 32 bits: A takes the padding byte.
        const vImage_Buffer in = view(4);
        const std::uint8_t map[4] = { 3, 0, 1, 2 };
        error = vImagePermuteChannels_ARGB8888(&in, &out, map, kvImageNoFlags);
    } else {
        copySampleBySample(source, r, dst);
    }
    QUILLUM_ASSERT(error == kvImageNoError, return {});
    return dst;
}

bool convertsOpaque(const BitmapImageRep& source)
{
    const bool paddedRGB = !source.isPlanar() && source.samplesPerPixel() == 3 && source.bitsPerPixel() == 32;
    return !source.hasAlpha() && !paddedRGB;
}

namespace {

// The packed 1- or 3-sample layouts the one-pass paths read; 0 for any other.
std::size_t packedChannels(const BitmapImageRep& s)
{
    if (s.isNull() || s.isPlanar() || s.hasAlpha() || s.layout().bitsPerSample != 8 || !isInteger(s))
        return 0;
    const int spp = s.samplesPerPixel();
    if ((spp == 3 && s.bitsPerPixel() == 24) || (spp == 1 && s.bitsPerPixel() == 8))
        return s.bytesPerRow() == std::size_t(s.pixelsWide()) * std::size_t(spp) ? std::size_t(spp) : 0;
    return 0;
}

bool insideSource(const PixelRect& r, const BitmapImageRep& s)
{
    return r.width > 0 && r.height > 0 && r.x >= 0 && r.top >= 0 && r.x + r.width <= s.pixelsWide()
        && r.top + r.height <= s.pixelsHigh();
}

} // namespace

BitmapImageRep convertLookUpAndScale(
    const BitmapImageRep& source, const Rect& rect, const std::array<LookupTable, 3>* tables, int width, int height)
{
    const std::size_t channels = packedChannels(source);
    const PixelRect r = pixelRectFor(rect, source.pixelsHigh());
    if (!channels || !insideSource(r, source) || width <= 0 || height <= 0)
        return {};
    BitmapImageRep dst = BitmapImageRep::makeARGB(width, height);
    if (dst.isNull())
        return {};
    dst.setColorProfile(source.colorProfile());
    const vImage_Buffer in { const_cast<std::uint8_t*>(source.bitmapData()), std::size_t(source.pixelsHigh()),
        std::size_t(source.pixelsWide()), source.bytesPerRow() };
    const vImage_Buffer out = bufferFor(dst);
    const std::uint8_t* t[3] = { nullptr, nullptr, nullptr };
    if (tables)
        for (int c = 0; c < 3; ++c)
            t[c] = (*tables)[std::size_t(c)].data();
    if (vImageScaleLookUp_Packed8toARGB8888(&in, channels, std::size_t(r.x), std::size_t(r.top), std::size_t(r.width),
            std::size_t(r.height), tables ? t : nullptr, &out, kvImageNoFlags)
        != kvImageNoError)
        return {};
    return dst;
}

bool sourceHistograms(const BitmapImageRep& source, const Rect& rect, vImagePixelCount* red, vImagePixelCount* green,
    vImagePixelCount* blue)
{
    const std::size_t channels = packedChannels(source);
    const PixelRect r = pixelRectFor(rect, source.pixelsHigh());
    if (!channels || !insideSource(r, source))
        return false;
    const vImage_Buffer in { const_cast<std::uint8_t*>(source.bitmapData()) + std::size_t(r.top) * source.bytesPerRow()
            + std::size_t(r.x) * channels,
        std::size_t(r.height), std::size_t(r.width), source.bytesPerRow() };
    vImagePixelCount* histogram[3] = { red, green, blue };
    if (vImageHistogramCalculation_Packed8(&in, channels, histogram, kvImageNoFlags) != kvImageNoError)
        return false;
    if (channels == 1) { // grey: R = G = B
        std::copy(red, red + 256, green);
        std::copy(red, red + 256, blue);
    }
    return true;
}

Result<BitmapImageRep> convertCMYKToRGB(const BitmapImageRep& cmyk)
{
    return convertCMYKBitmapToRGBA(cmyk);
}

bool isInteger(const BitmapImageRep& bitmap)
{
    return !(bitmap.bitmapFormat() & BitmapFormatFloatingPointSamples);
}

QString imageInfoFor(const BitmapImageRep& bitmap)
{
    const char* layout = bitmap.isPlanar() ? (bitmap.hasAlpha() ? "planar w/alpha" : "planar")
                                           : (bitmap.hasAlpha() ? "interleaved w/alpha" : "interleaved");
    const char* kind = isInteger(bitmap) ? "integer" : "floating point";
    const QByteArray space = QByteArray(colorSpaceName(bitmap.colorSpace())).left(255);
    return QString::asprintf("%i x %i (%i channels, %s, %s, %s)", bitmap.pixelsHigh(), bitmap.pixelsWide(),
        bitmap.samplesPerPixel(), layout, kind, space.constData());
}

} // namespace quillum
