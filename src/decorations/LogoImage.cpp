#include "decorations/LogoImage.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSize>

#include <array>

// The library is static: its resources must be registered by hand before the first use.
static void initDecorationResources()
{
    Q_INIT_RESOURCE(decorations);
}

namespace quillum {

namespace {

// A logo is stamped a few hundred pixels wide; anything beyond these is a mistake or an
// attack, and would cost the render more memory than the output itself.
// The pixel limit matches the 128 MB Qt's readers allow by default, so the refusal reads the
// same whichever notices first.
constexpr qint64 kMaxLogoPixels = 32LL * 1024 * 1024;
constexpr int kMaxLogoSide = 32768;
constexpr qint64 kMaxLogoFileBytes = 256LL * 1024 * 1024;

// Qt's own readers only; formats from optional plugins (TIFF, WebP …) are not relied on.
bool isLogoFormat(const QByteArray& format)
{
    static const std::array<QByteArray, 6> formats { "png", "jpeg", "jpg", "gif", "bmp", "svg" };
    for (const QByteArray& f : formats)
        if (format == f)
            return true;
    return format == "svgz";
}

Error logoError(const QString& path, const QString& reason)
{
    return Error(QStringLiteral("The logo \u201c%1\u201d cannot be read: %2.").arg(QFileInfo(path).fileName(), reason));
}

// Qt's JPEG reader fills a file that stops early with grey and only logs a warning. A
// complete file has its end marker after its last scan header (entropy-coded data cannot
// hold 0xFF 0xD9; an embedded thumbnail's scans come before the main image's).
bool jpegIsComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayLiteral("\xff\xda"));
    return lastScan >= 0 && bytes.indexOf(QByteArrayLiteral("\xff\xd9"), lastScan) >= 0;
}

} // namespace

QImage sampleLogoImage()
{
    static const QImage logo = [] {
        initDecorationResources();
        return QImage(QStringLiteral(":/decorations/SampleLogo500.png"))
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }();
    return logo;
}

Result<QImage> readLogoImage(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists())
        return logoError(path, QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return logoError(path, QStringLiteral("it is not a file"));
    if (info.size() > kMaxLogoFileBytes)
        return logoError(path, QStringLiteral("the file is larger than a logo can be"));

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format().toLower();
    if (format.isEmpty() || !isLogoFormat(format))
        return logoError(path, QStringLiteral("it is not a PNG, JPEG, GIF, BMP or SVG picture"));

    // Refuse by the header before a single pixel is allocated.
    const QSize size = reader.size();
    if (size.isValid()
        && (size.width() > kMaxLogoSide || size.height() > kMaxLogoSide
            || qint64(size.width()) * size.height() > kMaxLogoPixels))
        return logoError(path,
            QStringLiteral("at %1 × %2 pixels it is larger than a logo can be").arg(size.width()).arg(size.height()));

    if ((format == "jpeg" || format == "jpg") && !jpegIsComplete(path))
        return logoError(path, QStringLiteral("the picture is cut short"));

    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        const QString why = reader.errorString();
        return logoError(path, why.isEmpty() ? QStringLiteral("the picture is damaged") : why);
    }
    if (qint64(image.width()) * image.height() > kMaxLogoPixels)
        return logoError(path, QStringLiteral("it is larger than a logo can be"));
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace quillum
