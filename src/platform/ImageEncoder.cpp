#include "ImageEncoder.h"

#include "SourceExif.h"

#include "ColorManagement.h"
#include "JpegWriter.h"
#include "StagedFile.h"
#include "VipsRuntime.h"

#include <QDir>
#include <QFile>

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
    case ImageFileType::Webp:
        return "WebP";
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
    // libwebp refuses larger pictures with an error that does not say why.
    constexpr int kWebpMaxSide = 16383;
    if (type == ImageFileType::Webp && std::max(picture->pixelsWide(), picture->pixelsHigh()) > kWebpMaxSide)
        return file.failure(QStringLiteral("a WebP picture can be at most %1 pixels wide and high").arg(kWebpMaxSide));
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
    case ImageFileType::Webp:
        // Lossy, like JPEG, so the one quality setting means the same for both.
        failed = vips_webpsave_target(image.get(), target.get(), "Q", std::clamp(options.jpegQuality, 1, 100), nullptr);
        break;
    }
    if (failed) {
        const QString reason = vipsReason();
        return saysOutOfMemory(reason) ? file.outOfMemory(stage)
                                       : file.failure(QStringLiteral("the encoder failed (%1)").arg(reason));
    }

    if (options.withMetadata && !options.metadataSourcePath.isEmpty()) {
        stage = QStringLiteral("adding the metadata");
        if (const QString reason = addSourceExif(file.temporaryPath(), options.metadataSourcePath, w, h);
            !reason.isEmpty())
            return saysOutOfMemory(reason) ? file.outOfMemory(stage) : file.failure(reason);
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
