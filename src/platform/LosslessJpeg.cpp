#include "LosslessJpeg.h"

#include "ColorManagement.h"
#include "SourceExif.h"
#include "StagedFile.h"

#include <QDir>
#include <QFile>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

namespace quillum {
namespace {

struct TjDestroy {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDestroy>;

QString tjReason(tjhandle handle)
{
    return QString::fromLocal8Bit(tjGetErrorStr2(handle)).trimmed();
}

QString displayName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Far larger than any photo's file; a bigger one is refused before it is read.
constexpr qint64 kMaxFileBytes = qint64(1) << 31;

Result<QByteArray> readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error(QStringLiteral("“%1” cannot be read: %2").arg(displayName(path), file.errorString()));
    if (file.size() > kMaxFileBytes)
        return Error(QStringLiteral("“%1” is too large for a lossless crop").arg(displayName(path)));
    QByteArray data = file.readAll();
    if (data.isEmpty())
        return Error(QStringLiteral("“%1” is empty").arg(displayName(path)));
    return data;
}

struct Header {
    JpegLayout layout;
    int subsampling = TJSAMP_444;
};

Result<Header> readHeader(tjhandle handle, const QByteArray& data, const QString& path)
{
    Header h;
    int colourspace = 0;
    if (tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(data.constData()),
            static_cast<unsigned long>(data.size()), &h.layout.width, &h.layout.height, &h.subsampling, &colourspace)
        != 0)
        return Error(QStringLiteral("“%1” is not a JPEG file that can be cropped losslessly (%2)")
                         .arg(displayName(path), tjReason(handle)));
    // An unknown subsampling has no MCU size to crop on.
    if (h.subsampling < 0 || h.subsampling >= TJ_NUMSAMP || h.layout.width <= 0 || h.layout.height <= 0)
        return Error(
            QStringLiteral("“%1” uses a chroma subsampling the lossless crop does not know").arg(displayName(path)));
    h.layout.mcuWidth = tjMCUWidth[h.subsampling];
    h.layout.mcuHeight = tjMCUHeight[h.subsampling];
    h.layout.cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
    return h;
}

// The profile the normal save would embed: an RGB one the colour engine accepts.
QByteArray embeddableProfile(const QByteArray& profile)
{
    constexpr qsizetype kHeaderSize = 128;
    if (profile.size() < kHeaderSize || profile.mid(16, 4) != "RGB ")
        return {};
    return rgbProfileProblem(profile).isEmpty() ? profile : QByteArray();
}

// `jpeg` with `profile` in APP2 "ICC_PROFILE" segments after its APP0 (JFIF) segments, as
// libjpeg's own jpeg_write_icc_profile places them. The transform copied no markers.
QByteArray withIccProfile(const QByteArray& jpeg, const QByteArray& profile)
{
    constexpr int kOverhead = 14; // "ICC_PROFILE\0", sequence number, count
    constexpr int kMaxChunk = 65533 - kOverhead;
    const int chunks = int((profile.size() + kMaxChunk - 1) / kMaxChunk);
    if (chunks == 0 || chunks > 255 || jpeg.size() < 4)
        return jpeg;
    qsizetype at = 2; // past SOI
    while (at + 4 <= jpeg.size() && quint8(jpeg[at]) == 0xFF && quint8(jpeg[at + 1]) == 0xE0)
        at += 2 + ((quint8(jpeg[at + 2]) << 8) | quint8(jpeg[at + 3]));
    at = std::min(at, jpeg.size());
    QByteArray segments;
    segments.reserve(profile.size() + chunks * (kOverhead + 4));
    for (int i = 0; i < chunks; ++i) {
        const QByteArray part = profile.mid(qsizetype(i) * kMaxChunk, kMaxChunk);
        const int length = int(part.size()) + kOverhead + 2;
        segments += char(0xFF);
        segments += char(0xE2);
        segments += char(length >> 8);
        segments += char(length & 0xFF);
        segments += QByteArray("ICC_PROFILE", 12);
        segments += char(i + 1);
        segments += char(chunks);
        segments += part;
    }
    return jpeg.left(at) + segments + jpeg.mid(at);
}

} // namespace

Result<JpegLayout> readJpegLayout(const QString& path)
{
    Result<QByteArray> data = readWholeFile(path);
    if (!data)
        return Error(data.error());
    const TjHandle handle(tjInitTransform());
    if (!handle)
        return Error(QStringLiteral("the lossless crop could not start"));
    Result<Header> header = readHeader(handle.get(), *data, path);
    if (!header)
        return Error(header.error());
    return header->layout;
}

JpegRect snapToMcuGrid(const JpegRect& rect, int mcuWidth, int mcuHeight)
{
    if (mcuWidth <= 0 || mcuHeight <= 0 || rect.x < 0 || rect.top < 0)
        return rect;
    JpegRect snapped = rect;
    snapped.x = rect.x / mcuWidth * mcuWidth;
    snapped.top = rect.top / mcuHeight * mcuHeight;
    snapped.width += rect.x - snapped.x;
    snapped.height += rect.top - snapped.top;
    return snapped;
}

Result<QByteArray> cropJpegLosslessly(
    const QString& sourcePath, const JpegRect& rect, const LosslessJpegOptions& options)
{
    Result<QByteArray> data = readWholeFile(sourcePath);
    if (!data)
        return Error(data.error());
    const TjHandle handle(tjInitTransform());
    if (!handle)
        return Error(QStringLiteral("the lossless crop could not start"));
    Result<Header> header = readHeader(handle.get(), *data, sourcePath);
    if (!header)
        return Error(header.error());
    const JpegLayout& l = header->layout;
    if (rect.x < 0 || rect.top < 0 || rect.width <= 0 || rect.height <= 0 || rect.width > l.width - rect.x
        || rect.height > l.height - rect.top)
        return Error(QStringLiteral("the crop is not inside “%1”").arg(displayName(sourcePath)));
    if (rect.x % l.mcuWidth != 0 || rect.top % l.mcuHeight != 0)
        return Error(QStringLiteral("the crop's corner is not on the %1 × %2 pixel grid of “%3”")
                         .arg(l.mcuWidth)
                         .arg(l.mcuHeight)
                         .arg(displayName(sourcePath)));

    tjtransform transform {};
    transform.r = { rect.x, rect.top, rect.width, rect.height };
    transform.op = TJXOP_NONE;
    // Markers are added below as the normal save writes them, not copied wholesale.
    transform.options = TJXOPT_CROP | TJXOPT_COPYNONE;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    // A damaged source is refused rather than cropped with grey blocks; a scan bomb is
    // stopped as the decoder stops it.
    const int failed = tjTransform(handle.get(), reinterpret_cast<const unsigned char*>(data->constData()),
        static_cast<unsigned long>(data->size()), 1, &out, &outSize, &transform,
        TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS);
    const std::unique_ptr<unsigned char, decltype(&tjFree)> owner(out, &tjFree);
    if (failed || !out || outSize == 0)
        return Error(QStringLiteral("the JPEG data of “%1” is damaged (%2)")
                         .arg(displayName(sourcePath), tjReason(handle.get())));
    data->clear();
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(outSize));
    if (options.withMetadata)
        if (const QByteArray profile = embeddableProfile(options.iccProfile); !profile.isEmpty())
            jpeg = withIccProfile(jpeg, profile);
    return jpeg;
}

Status writeCroppedJpeg(
    const QByteArray& jpeg, const QString& target, const QString& exifSourcePath, int width, int height)
{
    StagedFile file(target);
    try {
        if (Status opened = file.open(); !opened)
            return opened;
        if (Status written = file.write(jpeg.constData(), std::size_t(jpeg.size())); !written)
            return written;
        if (!exifSourcePath.isEmpty()) {
            // Exiv2 edits the staged file by name: what was written must be on it first.
            if (std::fflush(file.stream()) != 0)
                return file.failure(QStringLiteral("the file could not be written"));
            if (const QString reason = addSourceExif(file.temporaryPath(), exifSourcePath, width, height);
                !reason.isEmpty())
                return saysOutOfMemory(reason) ? file.outOfMemory(QStringLiteral("adding the metadata"))
                                               : file.failure(reason);
        }
        return file.commit();
    } catch (const std::bad_alloc&) {
        return file.outOfMemory(QStringLiteral("adding the metadata"));
    }
}

Status writeLosslessJpegCrop(
    const QString& sourcePath, const JpegRect& rect, const QString& target, const LosslessJpegOptions& options)
{
    Result<QByteArray> jpeg = [&]() -> Result<QByteArray> {
        try {
            return cropJpegLosslessly(sourcePath, rect, options);
        } catch (const std::bad_alloc&) {
            return Error(
                QStringLiteral("there is not enough memory to crop “%1” losslessly").arg(displayName(sourcePath)));
        }
    }();
    if (!jpeg)
        return StagedFile(target).failure(jpeg.error());
    return writeCroppedJpeg(*jpeg, target, options.withMetadata ? sourcePath : QString(), rect.width, rect.height);
}

} // namespace quillum
