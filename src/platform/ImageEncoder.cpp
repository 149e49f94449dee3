#include "ImageEncoder.h"

#include "VipsRuntime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <vips/vips.h>

#include <algorithm>
#include <cstring>
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

} // namespace

Status writeWorkingBitmap(const BitmapImageRep& bitmap, const QString& path, const EncodeOptions& options)
{
    const QString name = QFileInfo(path).fileName();
    if (!bitmap.isWorkingFormat())
        return Error(QStringLiteral("“%1” was not saved: there is no picture to save.").arg(name));
    const QString suffix = QFileInfo(path).suffix().toLower();
    enum class Kind { Jpeg, Png, Tiff } kind;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        kind = Kind::Jpeg;
    else if (suffix == QLatin1String("png"))
        kind = Kind::Png;
    else if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        kind = Kind::Tiff;
    else
        return Error(QStringLiteral("“%1” was not saved: use the extension jpg, png or tif.").arg(name));

    ensureVipsStarted();
    const int w = bitmap.pixelsWide(), h = bitmap.pixelsHigh();
    const bool alpha = options.keepAlpha && kind != Kind::Jpeg;
    const int bands = alpha ? 4 : 3;
    std::vector<std::uint8_t> pixels(std::size_t(w) * h * bands);
    const std::uint8_t* s = bitmap.bitmapData();
    std::uint8_t* d = pixels.data();
    for (std::size_t i = 0, n = std::size_t(w) * h; i < n; ++i, s += 4, d += bands) {
        const unsigned a = s[0];
        if (alpha && a != 0 && a != 255) {
            for (int c = 0; c < 3; ++c)
                d[c] = std::uint8_t(std::min(255u, (s[c + 1] * 255u + a / 2) / a));
        } else {
            d[0] = s[1], d[1] = s[2], d[2] = s[3];
        }
        if (alpha)
            d[3] = std::uint8_t(a);
    }
    VipsImage* image = vips_image_new_from_memory(pixels.data(), pixels.size(), w, h, bands, VIPS_FORMAT_UCHAR);
    if (!image)
        return Error(QStringLiteral("“%1” was not saved: %2").arg(name, vipsReason()));
    image->Type = VIPS_INTERPRETATION_sRGB;
    const QByteArray& icc = bitmap.colorProfile();
    attachIccProfile(image, icc);
    void* buffer = nullptr;
    std::size_t length = 0;
    int failed = 0;
    switch (kind) {
    case Kind::Jpeg:
        failed = vips_jpegsave_buffer(image, &buffer, &length, "Q", std::clamp(options.jpegQuality, 1, 100), nullptr);
        break;
    case Kind::Png:
        failed = vips_pngsave_buffer(image, &buffer, &length, nullptr);
        break;
    case Kind::Tiff:
        failed = vips_tiffsave_buffer(image, &buffer, &length, nullptr);
        break;
    }
    g_object_unref(image);
    if (failed || !buffer) {
        g_free(buffer);
        return Error(QStringLiteral("“%1” was not saved: the encoder failed (%2).").arg(name, vipsReason()));
    }
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir()) {
        g_free(buffer);
        return Error(QStringLiteral("“%1” was not saved: the folder “%2” does not exist.")
                         .arg(name, QDir::toNativeSeparators(folder.filePath())));
    }
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok)
        ok = file.write(static_cast<const char*>(buffer), qint64(length)) == qint64(length);
    g_free(buffer);
    if (!ok || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error(QStringLiteral("“%1” was not saved: %2.").arg(QDir::toNativeSeparators(path), reason));
    }
    return {};
}

} // namespace quillum
