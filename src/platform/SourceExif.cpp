#include "SourceExif.h"

#include <QFile>

#include <exiv2/exiv2.hpp>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>

namespace quillum {
namespace {

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
QString mergeExif(const QByteArray& file, const Exiv2::ExifData& source, int width, int height)
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

} // namespace

QString addSourceExif(const QByteArray& file, const QString& sourcePath, int width, int height)
{
    ensureExiv2Ready();
    const Exiv2::ExifData exif = readSourceExif(sourcePath);
    return exif.empty() ? QString() : mergeExif(file, exif, width, height);
}

} // namespace quillum
