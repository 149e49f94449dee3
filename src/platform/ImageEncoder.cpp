#include "ImageEncoder.h"

#include "ColorManagement.h"
#include "JpegWriter.h"
#include "StagedFile.h"
#include "VipsRuntime.h"

#include <QDir>
#include <QFile>

#include <exiv2/exiv2.hpp>
#include <vips/vips.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
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
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const Exiv2::AnyError& e) {
        if (e.code() == Exiv2::kerMallocFailed)
            throw std::bad_alloc();
        // A source whose metadata cannot be read has none to carry.
        return {};
    } catch (...) {
        return {};
    }
}

// Exiv2 rewrites a file in place without checking that the new contents reached the disk
// (a short write or a failed close goes unnoticed); this file remembers the first failure.
class CheckedFileIo : public Exiv2::FileIo {
public:
    using Exiv2::FileIo::FileIo;
    long write(const Exiv2::byte* data, long count) override
    {
        const long written = Exiv2::FileIo::write(data, count);
        note(written == count);
        return written;
    }
    long write(Exiv2::BasicIo& source) override
    {
        const long expected = source.isopen() ? source.size() - source.tell() : 0;
        const long written = Exiv2::FileIo::write(source);
        note(written == expected);
        return written;
    }
    int close() override
    {
        const int closed = Exiv2::FileIo::close();
        note(closed == 0);
        return closed;
    }
    int failure() const { return m_failure; }

private:
    void note(bool ok)
    {
        if (!ok && !m_failure)
            m_failure = errno ? errno : EIO;
    }
    int m_failure = 0;
};

// Merges the source's EXIF into the encoded file at `file`, in place (the layout tags stay
// the encoder's), with orientation 1 and the pixel dimensions of the written picture.
// Empty on success, else the reason. Running out of memory throws std::bad_alloc.
QString addSourceExif(const QByteArray& file, const Exiv2::ExifData& source, int width, int height)
{
    try {
        auto* checked = new CheckedFileIo(file.toStdString());
        const CheckedFileIo& io = *checked; // owned by the image from here on
        Exiv2::BasicIo::AutoPtr owner(checked);
        auto image = Exiv2::ImageFactory::open(owner);
        if (!image.get())
            return QStringLiteral("the metadata writer does not know the encoded format");
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
        if (io.failure())
            return QString::fromLocal8Bit(std::strerror(io.failure()));
        return {};
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const Exiv2::AnyError& e) {
        if (e.code() == Exiv2::kerMallocFailed)
            throw std::bad_alloc();
        return QStringLiteral("the metadata could not be written (%1)").arg(QString::fromLocal8Bit(e.what()));
    } catch (const std::exception& e) {
        return QStringLiteral("the metadata could not be written (%1)").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return QStringLiteral("the metadata could not be written");
    }
}

// The profile when its header says it describes RGB data (bytes 16 to 19 are "RGB ");
// nothing otherwise. The samples written are RGB: a grey or CMYK profile would mislabel
// them (libpng even refuses it), and dropping it is the expected case for a grey photo.
QByteArray rgbProfileOnly(const QByteArray& profile)
{
    constexpr qsizetype kHeaderSize = 128;
    return profile.size() >= kHeaderSize && profile.mid(16, 4) == "RGB " ? profile : QByteArray();
}

// The profile to embed: an RGB one that LittleCMS can use. One that claims RGB but is
// broken would make viewers show wrong colours or refuse the file; it is left out with a
// warning, since the output is still a good picture without it.
QByteArray embeddableProfile(const QByteArray& profile, const QString& path)
{
    const QByteArray rgb = rgbProfileOnly(profile);
    if (rgb.isEmpty())
        return {};
    const QString problem = rgbProfileProblem(rgb);
    if (problem.isEmpty())
        return rgb;
    std::fprintf(stderr, "Quillum: “%s” is saved without the source's colour profile: %s.\n",
        qPrintable(QDir::toNativeSeparators(path)), qPrintable(problem));
    return {};
}

struct VipsUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsUnref>;
using VipsTargetPtr = std::unique_ptr<VipsTarget, VipsUnref>;

// The picture as libvips should encode it: R,G,B read straight out of the working bitmap
// (no copy), or straight-alpha R,G,B,A packed into `packed` when alpha is kept. Null with
// `packed` empty when the packed copy does not fit in memory; null otherwise on a vips error.
VipsImagePtr imageForVips(const BitmapImageRep& bitmap, bool alpha, std::unique_ptr<std::uint8_t[]>& packed)
{
    const int w = bitmap.pixelsWide(), h = bitmap.pixelsHigh();
    const std::size_t n = std::size_t(w) * std::size_t(h);
    VipsImage* source = nullptr;
    VipsImagePtr keep;
    if (!alpha) {
        // Multiband: vips would take the last band of a 4-band sRGB image for alpha.
        keep.reset(vips_image_new_from_memory(bitmap.bitmapData(), n * 4, w, h, 4, VIPS_FORMAT_UCHAR));
        if (!keep || vips_extract_band(keep.get(), &source, 1, "n", 3, nullptr) != 0)
            return {};
    } else {
        packed.reset(new (std::nothrow) std::uint8_t[n * 4]);
        if (!packed)
            return {};
        const std::uint8_t* s = bitmap.bitmapData();
        std::uint8_t* d = packed.get();
        for (std::size_t i = 0; i < n; ++i, s += 4, d += 4) {
            const unsigned a = s[0];
            if (a != 0 && a != 255) {
                for (int c = 0; c < 3; ++c)
                    d[c] = std::uint8_t(std::min(255u, (s[c + 1] * 255u + a / 2) / a));
            } else {
                d[0] = s[1], d[1] = s[2], d[2] = s[3];
            }
            d[3] = std::uint8_t(a);
        }
        source = vips_image_new_from_memory(packed.get(), n * 4, w, h, 4, VIPS_FORMAT_UCHAR);
        if (!source)
            return {};
    }
    const VipsImagePtr band(source);
    // 72 dpi, the usual for pictures without a physical size (libvips would say 25.4).
    VipsImage* typed = nullptr;
    if (vips_copy(source, &typed, "interpretation", VIPS_INTERPRETATION_sRGB, "xres", 72.0 / 25.4, "yres", 72.0 / 25.4,
            nullptr)
        != 0)
        return {};
    return VipsImagePtr(typed);
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

namespace {

const char* typeName(ImageFileType type)
{
    switch (type) {
    case ImageFileType::Jpeg:
        return "JPEG";
    case ImageFileType::Png:
        return "PNG";
    case ImageFileType::Tiff:
        break;
    }
    return "TIFF";
}

// The encoder writes straight into the staged file and Exiv2 adds the EXIF there, so no
// whole copy of the encoded file is ever held in memory. `stage` says what was being done
// when memory ran out (std::bad_alloc reaches the caller).
Status writeStaged(
    StagedFile& file, const BitmapImageRep& bitmap, ImageFileType type, const EncodeOptions& options, QString& stage)
{
    const BitmapImageRep* picture = &bitmap;
    BitmapImageRep turned;
    if (options.landscape && bitmap.pixelsWide() < bitmap.pixelsHigh()) {
        stage = QStringLiteral("turning the picture");
        turned = turnedCounterClockwise(bitmap);
        if (turned.isNull())
            return file.outOfMemory(stage);
        picture = &turned;
    }
    if (type == ImageFileType::Jpeg && !options.withMetadata)
        return saveNSBitmapImageRepWithLibJpeg(*picture, file.target(), options.jpegQuality);

    // Opened before encoding, so a missing folder is reported before the work is done.
    if (Status opened = file.open(); !opened)
        return opened;
    ensureVipsStarted();
    const int w = picture->pixelsWide(), h = picture->pixelsHigh();
    const bool alpha = options.keepAlpha && type != ImageFileType::Jpeg;
    stage = QStringLiteral("preparing the pixels");
    std::unique_ptr<std::uint8_t[]> packed;
    const VipsImagePtr image = imageForVips(*picture, alpha, packed);
    if (!image) {
        if (alpha && !packed)
            return file.outOfMemory(stage);
        const QString reason = vipsReason();
        return saysOutOfMemory(reason) ? file.outOfMemory(stage) : file.failure(reason);
    }
    const QByteArray profile = embeddableProfile(picture->colorProfile(), file.target());
    if (!profile.isEmpty() && !attachIccProfile(image.get(), profile))
        return file.outOfMemory(stage);

    stage = QStringLiteral("encoding the %1").arg(QLatin1String(typeName(type)));
    const VipsTargetPtr target(vips_target_new_to_descriptor(::fileno(file.stream())));
    if (!target)
        return file.failure(vipsReason());
    int failed = 0;
    switch (type) {
    case ImageFileType::Jpeg:
        failed = vips_jpegsave_target(image.get(), target.get(), "Q", std::clamp(options.jpegQuality, 1, 100), nullptr);
        break;
    case ImageFileType::Png:
        failed = vips_pngsave_target(image.get(), target.get(), nullptr);
        break;
    case ImageFileType::Tiff:
        failed = vips_tiffsave_target(image.get(), target.get(), nullptr);
        break;
    }
    if (failed) {
        const QString reason = vipsReason();
        return saysOutOfMemory(reason) ? file.outOfMemory(stage)
                                       : file.failure(QStringLiteral("the encoder failed (%1)").arg(reason));
    }

    if (options.withMetadata) {
        ensureExiv2Ready();
        stage = QStringLiteral("reading the source's metadata");
        const Exiv2::ExifData exif = readSourceExif(options.metadataSourcePath);
        if (!exif.empty()) {
            stage = QStringLiteral("adding the metadata");
            if (const QString reason = addSourceExif(file.temporaryPath(), exif, w, h); !reason.isEmpty())
                return saysOutOfMemory(reason) ? file.outOfMemory(stage) : file.failure(reason);
        }
    }
    return file.commit();
}

} // namespace

Status writeWorkingBitmap(
    const BitmapImageRep& bitmap, const QString& path, ImageFileType type, const EncodeOptions& options)
{
    StagedFile file(path);
    if (!bitmap.isWorkingFormat())
        return file.failure(QStringLiteral("there is no picture to save"));
    // The subsystem's boundary for running out of memory: a save that does not fit is
    // reported like any other failed save, and the staged file goes with `file`.
    QString stage = QStringLiteral("starting");
    try {
        return writeStaged(file, bitmap, type, options, stage);
    } catch (const std::bad_alloc&) {
        vips_error_clear();
        return file.outOfMemory(stage);
    }
}

} // namespace quillum
