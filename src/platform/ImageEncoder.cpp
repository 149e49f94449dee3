#include "ImageEncoder.h"

#include "JpegWriter.h"
#include "StagedFile.h"
#include "VipsRuntime.h"

#include <QFile>

#include <exiv2/exiv2.hpp>
#include <vips/vips.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace quillum {
namespace {

QString vipsReason()
{
    QString reason = QString::fromUtf8(vips_error_buffer()).trimmed();
    vips_error_clear();
    const int newline = reason.indexOf(QLatin1Char('\n'));
    return newline > 0 ? reason.left(newline) : reason;
}

void ensureExiv2Ready()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

// IFD0 tags that describe the source's own pixel layout or carry blobs the encoder owns;
// copied into another file they would lie about it.
bool isStructuralImageTag(const std::string& name)
{
    static const std::set<std::string> names = { "NewSubfileType", "SubfileType", "ImageWidth", "ImageLength",
        "BitsPerSample", "Compression", "PhotometricInterpretation", "FillOrder", "StripOffsets", "SamplesPerPixel",
        "RowsPerStrip", "StripByteCounts", "PlanarConfiguration", "Predictor", "TileWidth", "TileLength", "TileOffsets",
        "TileByteCounts", "SubIFDs", "ExtraSamples", "SampleFormat", "JPEGInterchangeFormat",
        "JPEGInterchangeFormatLength", "YCbCrCoefficients", "YCbCrSubSampling", "YCbCrPositioning", "XMLPacket",
        "IPTCNAA", "ImageResources", "InterColorProfile", "ExifTag", "GPSTag", "Orientation" };
    return names.count(name) != 0;
}

// Main-image EXIF only: thumbnails, sub-images and maker notes describe the uncropped source.
bool isCarried(const Exiv2::Exifdatum& datum)
{
    const std::string group = datum.groupName();
    if (group == "Image")
        return !isStructuralImageTag(datum.tagName());
    return group == "Photo" || group == "GPSInfo" || group == "Iop";
}

Exiv2::ExifData readSourceExif(const QString& source)
{
    if (source.isEmpty())
        return {};
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(source).toStdString(), false);
        if (!image.get())
            return {};
        image->readMetadata();
        return image->exifData();
    } catch (...) {
        // A source whose metadata cannot be read has none to carry.
        return {};
    }
}

// `encoded` with the source's EXIF merged in (the layout tags stay the encoder's), orientation 1 and
// the pixel dimensions of the written picture. Empty with `reason` set on failure.
QByteArray withSourceExif(
    const QByteArray& encoded, const Exiv2::ExifData& source, int width, int height, QString& reason)
{
    try {
        auto image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(encoded.constData()), long(encoded.size()));
        if (!image.get()) {
            reason = QStringLiteral("the metadata writer does not know the encoded format");
            return {};
        }
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        // The source's values replace the encoder's defaults (resolution, colour space).
        for (const Exiv2::Exifdatum& datum : source) {
            if (!isCarried(datum))
                continue;
            const auto existing = exif.findKey(Exiv2::ExifKey(datum.key()));
            if (existing != exif.end())
                exif.erase(existing);
            exif.add(datum);
        }
        // The pixels are written upright: a viewer must not turn them again.
        exif["Exif.Image.Orientation"] = std::uint16_t(1);
        if (exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension")) != exif.end()) {
            exif["Exif.Photo.PixelXDimension"] = std::uint32_t(width);
            exif["Exif.Photo.PixelYDimension"] = std::uint32_t(height);
        }
        image->setExifData(exif);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0) {
            reason = QStringLiteral("the metadata writer lost the file");
            return {};
        }
        const Exiv2::DataBuf data = io.read(long(io.size()));
        io.close();
        return QByteArray(reinterpret_cast<const char*>(data.pData_), qsizetype(data.size_));
    } catch (const std::exception& e) {
        reason = QStringLiteral("the metadata could not be written (%1)").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reason = QStringLiteral("the metadata could not be written");
    }
    return {};
}

// The profile when it describes RGB data (its header's colour space, bytes 16 to 19, is
// "RGB "); nothing otherwise. The samples written are RGB: a grey or CMYK profile would
// mislabel them (libpng even refuses it).
QByteArray rgbProfileOnly(const QByteArray& profile)
{
    constexpr qsizetype kHeaderSize = 128;
    return profile.size() >= kHeaderSize && profile.mid(16, 4) == "RGB " ? profile : QByteArray();
}

// Packs the working bitmap for libvips: RGB, or straight-alpha RGBA when alpha is kept.
std::vector<std::uint8_t> packForVips(const BitmapImageRep& bitmap, bool alpha)
{
    const int bands = alpha ? 4 : 3;
    const std::size_t n = std::size_t(bitmap.pixelsWide()) * std::size_t(bitmap.pixelsHigh());
    std::vector<std::uint8_t> pixels(n * std::size_t(bands));
    const std::uint8_t* s = bitmap.bitmapData();
    std::uint8_t* d = pixels.data();
    for (std::size_t i = 0; i < n; ++i, s += 4, d += bands) {
        const unsigned a = s[0];
        if (alpha && a != 0 && a != 255) {
            for (int c = 0; c < 3; ++c)
                d[c] = std::uint8_t(std::min(255u, (s[c + 1] * 255u + a / 2) / a));
        } else {
            // Dropping alpha keeps the colour as stored, without compositing.
            d[0] = s[1], d[1] = s[2], d[2] = s[3];
        }
        if (alpha)
            d[3] = std::uint8_t(a);
    }
    return pixels;
}

} // namespace

BitmapImageRep turnedCounterClockwise(const BitmapImageRep& bitmap)
{
    const int w = bitmap.pixelsWide(), h = bitmap.pixelsHigh();
    BitmapImageRep turned = BitmapImageRep::makeARGB(h, w);
    if (turned.isNull() || !bitmap.isWorkingFormat())
        return {};
    const auto* s = bitmap.bitmapData();
    auto* d = turned.bitmapData();
    // Destination (x, y) shows source (w - 1 - y, x), rows top first.
    for (int y = 0; y < w; ++y) {
        const int sx = w - 1 - y;
        std::uint8_t* row = d + std::size_t(y) * std::size_t(h) * 4;
        for (int x = 0; x < h; ++x)
            std::memcpy(row + std::size_t(x) * 4, s + (std::size_t(x) * std::size_t(w) + std::size_t(sx)) * 4, 4);
    }
    turned.setColorProfile(bitmap.colorProfile());
    return turned;
}

Status writeWorkingBitmap(
    const BitmapImageRep& bitmap, const QString& path, ImageFileType type, const EncodeOptions& options)
{
    StagedFile file(path);
    if (!bitmap.isWorkingFormat())
        return file.failure(QStringLiteral("there is no picture to save"));

    const BitmapImageRep* picture = &bitmap;
    BitmapImageRep turned;
    if (options.landscape && bitmap.pixelsWide() < bitmap.pixelsHigh()) {
        turned = turnedCounterClockwise(bitmap);
        if (turned.isNull())
            return file.failure(QStringLiteral("there is not enough memory to turn the picture"));
        picture = &turned;
    }
    if (type == ImageFileType::Jpeg && !options.withMetadata)
        return saveNSBitmapImageRepWithLibJpeg(*picture, path, options.jpegQuality);

    // Opened before encoding, so a missing folder is reported before the work is done.
    if (Status opened = file.open(); !opened)
        return opened;
    ensureVipsStarted();
    const int w = picture->pixelsWide(), h = picture->pixelsHigh();
    const bool alpha = options.keepAlpha && type != ImageFileType::Jpeg;
    std::vector<std::uint8_t> pixels = packForVips(*picture, alpha);
    VipsImage* image = vips_image_new_from_memory(pixels.data(), pixels.size(), w, h, alpha ? 4 : 3, VIPS_FORMAT_UCHAR);
    if (!image)
        return file.failure(vipsReason());
    image->Type = VIPS_INTERPRETATION_sRGB;
    // 72 dpi, the usual for pictures without a physical size (libvips would say 25.4).
    image->Xres = image->Yres = 72.0 / 25.4;
    attachIccProfile(image, rgbProfileOnly(picture->colorProfile()));
    void* buffer = nullptr;
    std::size_t length = 0;
    int failed = 0;
    switch (type) {
    case ImageFileType::Jpeg:
        failed = vips_jpegsave_buffer(image, &buffer, &length, "Q", std::clamp(options.jpegQuality, 1, 100), nullptr);
        break;
    case ImageFileType::Png:
        failed = vips_pngsave_buffer(image, &buffer, &length, nullptr);
        break;
    case ImageFileType::Tiff:
        failed = vips_tiffsave_buffer(image, &buffer, &length, nullptr);
        break;
    }
    g_object_unref(image);
    if (failed || !buffer) {
        g_free(buffer);
        return file.failure(QStringLiteral("the encoder failed (%1)").arg(vipsReason()));
    }
    QByteArray encoded(static_cast<const char*>(buffer), qsizetype(length));
    g_free(buffer);

    if (options.withMetadata) {
        ensureExiv2Ready();
        const Exiv2::ExifData exif = readSourceExif(options.metadataSourcePath);
        if (!exif.empty()) {
            QString reason;
            encoded = withSourceExif(encoded, exif, w, h, reason);
            if (encoded.isEmpty())
                return file.failure(reason);
        }
    }
    if (Status written = file.write(encoded.constData(), std::size_t(encoded.size())); !written)
        return written;
    return file.commit();
}

} // namespace quillum
