#include "ImageDecoder.h"

#include "JpegMarkers.h"
#include "JpegRegionDecoder.h"
#include "VipsRuntime.h"

#include <exiv2/exiv2.hpp>
#include <vips/vips.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>

namespace quillum {
namespace {

struct VipsImageUnref {
    void operator()(VipsImage* image) const { g_object_unref(image); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsImageUnref>;

using Clock = std::chrono::steady_clock;

// Who a message is about: “name.jpg” for a file, "The pasted image" for pasted data.
struct Subject {
    QString name;
};

Subject fileSubject(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return { QStringLiteral("“%1”").arg(name.isEmpty() ? path : name) };
}

Error failure(const Subject& subject, const QString& rest)
{
    return Error(subject.name + rest);
}

Error tookTooLong(const Subject& subject, std::chrono::milliseconds limit)
{
    return failure(subject,
        QStringLiteral(" took too long to decode (the limit is %1 seconds).")
            .arg(QString::number(double(limit.count()) / 1000.0, 'g', 4)));
}

// The time and the cancel request a decode answers to, checked between strips.
struct Budget {
    Clock::time_point deadline;
    std::chrono::milliseconds limit;
    CancelToken* cancel = nullptr;

    explicit Budget(const DecodeOptions& options)
        : deadline(Clock::now() + options.timeLimit)
        , limit(options.timeLimit)
        , cancel(options.cancel)
    { }

    std::optional<Error> stopReason(const Subject& subject) const
    {
        if (cancel && cancel->isCancelled())
            return failure(subject, QStringLiteral(" could not be opened: decoding was cancelled."));
        if (Clock::now() >= deadline)
            return tookTooLong(subject, limit);
        return std::nullopt;
    }
};

// The first line of the vips error buffer (later lines repeat it per layer), which is
// then cleared so the next failure on any thread starts clean.
QString takeVipsReason()
{
    char* raw = vips_error_buffer_copy();
    const QString text = QString::fromUtf8(raw);
    g_free(raw);
    vips_error_clear();
    QString line = text.section(QLatin1Char('\n'), 0, 0, QString::SectionSkipEmpty).trimmed();
    static const QRegularExpression domain(QStringLiteral("^[A-Za-z0-9_]+: "));
    line.remove(domain);
    while (line.endsWith(QLatin1Char('.')))
        line.chop(1);
    return line.isEmpty() ? QStringLiteral("no reason given") : line;
}

Error damaged(const Subject& subject)
{
    return failure(subject, QStringLiteral(" is damaged or incomplete (%1).").arg(takeVipsReason()));
}

Error notAPhoto(const Subject& subject)
{
    vips_error_clear();
    return failure(subject, QStringLiteral(" is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture."));
}

// The loader's operation name without its "_buffer" or "_source" variant ("jpegload"),
// empty when there is no loader.
std::string_view loaderFamily(const char* loader)
{
    const GType type = loader ? g_type_from_name(loader) : 0;
    const char* nickname = type ? vips_nickname_find(type) : nullptr;
    if (!nickname)
        return {};
    std::string_view name(nickname);
    for (std::string_view variant : { std::string_view("_buffer"), std::string_view("_source") })
        if (name.ends_with(variant))
            name.remove_suffix(variant.size());
    return name;
}

// The formats photos come in. libvips reads many more (text tables, documents, vector
// drawings, scientific data), each a way in for a hostile file and none a photo.
bool isPhotoLoader(std::string_view family)
{
    static constexpr std::string_view photo[]
        = { "jpegload", "pngload", "tiffload", "webpload", "heifload", "gifload" };
    return std::find(std::begin(photo), std::end(photo), family) != std::end(photo);
}

// What a JPEG needs before libvips sees it: a refusal when it has too many progressive
// scans, or its data with the end-of-image marker put back when only that is missing.
struct JpegCheck {
    std::optional<Error> refused;
    std::optional<QByteArray> completed;
};

// libvips reports a missing end-of-image marker exactly like data cut short, so complete
// data gets the marker back; anything else is left to be refused as it always was.
template <typename ReadAll>
JpegCheck checkJpeg(const Subject& subject, const JpegMarkerWalk& walk, const DecodeOptions& options, ReadAll readAll)
{
    if (walk.progressive && walk.scans > options.maxProgressiveScans)
        return { failure(subject,
                     QStringLiteral(" has too many progressive scans (%1, the limit is %2).")
                         .arg(walk.scans)
                         .arg(options.maxProgressiveScans)),
            std::nullopt };
    if (walk.endsWithEoi)
        return {};
    QByteArray data = readAll();
    data.append("\xFF\xD9", 2);
    if (!jpegScanDataIsComplete(data, options.maxPixels))
        return {};
    return { std::nullopt, std::move(data) };
}

std::optional<Error> checkDimensions(const Subject& subject, VipsImage* image, const DecodeOptions& options)
{
    const int width = vips_image_get_width(image);
    const int height = vips_image_get_height(image);
    if (width <= 0 || height <= 0)
        return failure(subject, QStringLiteral(" could not be opened: the image has no pixels."));
    if (qint64(width) * qint64(height) > options.maxPixels) {
        const QString limit = QString::number(double(options.maxPixels) / 1e6, 'g', 4);
        return failure(subject,
            QStringLiteral(" is too large: %1 × %2 pixels (the limit is %3 megapixels).")
                .arg(width)
                .arg(height)
                .arg(limit));
    }
    return std::nullopt;
}

// Replaces image by op(image); false (vips error set) when op fails.
template <typename Op> bool apply(VipsImagePtr& image, Op op)
{
    VipsImage* out = nullptr;
    if (op(image.get(), &out) != 0)
        return false;
    image.reset(out);
    return true;
}

enum class Family { Grey, RGB, CMYK };

bool isColorimetric(VipsInterpretation interpretation)
{
    switch (interpretation) {
    case VIPS_INTERPRETATION_XYZ:
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABQ:
    case VIPS_INTERPRETATION_LABS:
    case VIPS_INTERPRETATION_LCH:
    case VIPS_INTERPRETATION_CMC:
    case VIPS_INTERPRETATION_YXY:
    case VIPS_INTERPRETATION_scRGB:
    case VIPS_INTERPRETATION_HSV:
        return true;
    default:
        return false;
    }
}

// Scales samples to 8 bits. Unsigned integers keep their top byte (a straight cast would
// clip 16-bit data to white); other formats are taken as already 0..255.
bool toEightBit(VipsImagePtr& image)
{
    const VipsBandFormat format = vips_image_get_format(image.get());
    if (format == VIPS_FORMAT_UCHAR)
        return true;
    const int shift = format == VIPS_FORMAT_USHORT ? 8 : format == VIPS_FORMAT_UINT ? 24 : 0;
    if (shift > 0 && !apply(image, [shift](VipsImage* in, VipsImage** out) {
            return vips_rshift_const1(in, out, shift, nullptr);
        }))
        return false;
    return apply(image, [](VipsImage* in, VipsImage** out) { return vips_cast_uchar(in, out, nullptr); });
}

struct Prepared {
    Family family = Family::RGB;
    bool hasAlpha = false;
    bool keepProfile = true;
};

// Brings the loaded image to 8-bit grey[+alpha], RGB[A] or CMYK; false with the vips
// error set on failure.
bool prepareForCopy(VipsImagePtr& image, Prepared& prepared)
{
    if (image->Coding != VIPS_CODING_NONE
        && !apply(image, [](VipsImage* in, VipsImage** out) { return vips_image_decode(in, out); }))
        return false;

    const VipsInterpretation interpretation = vips_image_guess_interpretation(image.get());
    const int bands = vips_image_get_bands(image.get());
    if (interpretation == VIPS_INTERPRETATION_CMYK && bands >= 4)
        prepared.family = Family::CMYK;
    else if (bands <= 2 || interpretation == VIPS_INTERPRETATION_B_W || interpretation == VIPS_INTERPRETATION_GREY16)
        prepared.family = Family::Grey;
    else
        prepared.family = Family::RGB;

    if (prepared.family == Family::RGB && isColorimetric(interpretation) && vips_colourspace_issupported(image.get())) {
        if (!apply(image, [](VipsImage* in, VipsImage** out) {
                return vips_colourspace(in, out, VIPS_INTERPRETATION_sRGB, nullptr);
            }))
            return false;
        // The pixels are now sRGB; a profile describing the old space would mislead.
        prepared.keepProfile = false;
    }

    // Bands past the first alpha (CMYK+alpha, extra channels) carry nothing we show.
    const int current = vips_image_get_bands(image.get());
    int wanted = 3;
    switch (prepared.family) {
    case Family::Grey:
        wanted = current >= 2 ? 2 : 1;
        break;
    case Family::RGB:
        wanted = current >= 4 ? 4 : 3;
        break;
    case Family::CMYK:
        wanted = 4;
        break;
    }
    if (current > wanted && !apply(image, [wanted](VipsImage* in, VipsImage** out) {
            return vips_extract_band(in, out, 0, "n", wanted, nullptr);
        }))
        return false;
    prepared.hasAlpha = prepared.family != Family::CMYK && (wanted == 2 || wanted == 4);
    return toEightBit(image);
}

BitmapImageRep::Layout layoutFor(const Prepared& prepared, int width, int height, int bands)
{
    BitmapImageRep::Layout layout;
    layout.width = width;
    layout.height = height;
    layout.samplesPerPixel = bands;
    layout.bitsPerSample = 8;
    layout.bitsPerPixel = bands * 8;
    layout.bytesPerRow = std::size_t(width) * std::size_t(bands);
    layout.hasAlpha = prepared.hasAlpha;
    layout.planar = false;
    // Straight alpha, as the files hold it: the render multiplies colour by alpha once, last.
    layout.formatFlags = prepared.hasAlpha ? BitmapFormatAlphaNonpremultiplied : 0u;
    layout.colorSpace = prepared.family == Family::Grey ? ColorSpace::CalibratedWhite
        : prepared.family == Family::CMYK               ? ColorSpace::DeviceCMYK
                                                        : ColorSpace::CalibratedRGB;
    return layout;
}

struct CopyTarget {
    BitmapImageRep* bitmap = nullptr;
    int bands = 0;
};

void copyRows(const VipsRegion* region, const VipsRect& area, const CopyTarget& target)
{
    const std::size_t bands = std::size_t(target.bands);
    const std::size_t rowBytes = std::size_t(area.width) * bands;
    for (int y = 0; y < area.height; ++y) {
        const auto* source = reinterpret_cast<const std::uint8_t*>(VIPS_REGION_ADDR(region, area.left, area.top + y));
        std::uint8_t* dest = target.bitmap->bitmapData() + std::size_t(area.top + y) * target.bitmap->bytesPerRow()
            + std::size_t(area.left) * bands;
        std::memcpy(dest, source, rowBytes);
    }
}

// Pulls the pixels strip by strip, top to bottom, on this thread. vips_sink_disc would
// spread the work over its pool but can lose a decode error raised in a worker. Between
// strips the budget may stop it; a cancel from another thread kills the strip under way.
std::optional<Error> copyPixels(
    const Subject& subject, VipsImage* image, const CopyTarget& target, const Budget& budget)
{
    VipsRegion* region = vips_region_new(image);
    const int width = vips_image_get_width(image);
    const int height = vips_image_get_height(image);
    constexpr int stripRows = 64;
    std::optional<Error> stopped;
    for (int top = 0; !stopped && top < height; top += stripRows) {
        stopped = budget.stopReason(subject);
        if (stopped)
            break;
        const VipsRect area { 0, top, width, std::min(stripRows, height - top) };
        VipsRect request = area;
        if (vips_region_prepare(region, &request) != 0) {
            stopped = budget.stopReason(subject);
            if (stopped)
                vips_error_clear();
            else
                stopped = damaged(subject);
        } else {
            copyRows(region, area, target);
        }
    }
    g_object_unref(region);
    return stopped;
}

QByteArray iccProfileOf(VipsImage* image)
{
    if (vips_image_get_typeof(image, VIPS_META_ICC_NAME) == 0)
        return {};
    const void* data = nullptr;
    std::size_t length = 0;
    if (vips_image_get_blob(image, VIPS_META_ICC_NAME, &data, &length) != 0) {
        vips_error_clear();
        return {};
    }
    return QByteArray(static_cast<const char*>(data), qsizetype(length));
}

// The orientation libvips read from the file's own EXIF, for formats Exiv2 cannot parse.
std::optional<int> vipsOrientation(VipsImage* image)
{
    int orientation = 0;
    if (vips_image_get_typeof(image, "exif-ifd0-Orientation") == 0
        || vips_image_get_typeof(image, VIPS_META_ORIENTATION) == 0
        || vips_image_get_int(image, VIPS_META_ORIENTATION, &orientation) != 0) {
        vips_error_clear();
        return std::nullopt;
    }
    if (orientation < 1 || orientation > 8)
        return std::nullopt;
    return orientation;
}

// ---- Exiv2 ----

void ensureExiv2Ready()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The XMP toolkit must be set up once before threads parse concurrently.
        Exiv2::XmpParser::initialize();
        // Damaged metadata is common and harmless to us; keep it off stderr.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

QVariant integerVariant(long value)
{
    if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
        return int(value);
    return qlonglong(value);
}

QString exifText(const Exiv2::Exifdatum& datum)
{
    QString text = QString::fromStdString(datum.toString());
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text.trimmed();
}

// Numbers become int or double (a list when the tag holds several), everything else text.
QVariant exifValue(const Exiv2::Exifdatum& datum)
{
    const long count = datum.count();
    QVariantList values;
    switch (datum.typeId()) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
        for (long i = 0; i < count; ++i)
            values.append(integerVariant(datum.toLong(i)));
        break;
    case Exiv2::unsignedRational:
    case Exiv2::signedRational:
        for (long i = 0; i < count; ++i) {
            const Exiv2::Rational r = datum.toRational(i);
            if (r.second == 0)
                return exifText(datum);
            values.append(double(r.first) / double(r.second));
        }
        break;
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble:
        for (long i = 0; i < count; ++i)
            values.append(double(datum.toFloat(i)));
        break;
    default:
        return exifText(datum);
    }
    if (values.isEmpty())
        return exifText(datum);
    return values.size() == 1 ? values.front() : QVariant(values);
}

bool isStructuralTag(const std::string& name)
{
    return name == "ExifTag" || name == "GPSTag" || name == "InteroperabilityTag";
}

struct MetadataRead {
    QVariantMap tiff;
    QVariantMap exif;
    std::optional<int> orientation;
};

void collectMetadata(Exiv2::Image& image, MetadataRead& read)
{
    image.readMetadata();
    for (const Exiv2::Exifdatum& datum : image.exifData()) {
        // Opaque blobs (MakerNote and kin) and oversized values mean nothing as text.
        if (datum.typeId() == Exiv2::undefined || datum.size() > 1024)
            continue;
        const std::string group = datum.groupName();
        QVariantMap* target = group == "Image" ? &read.tiff : group == "Photo" ? &read.exif : nullptr;
        const std::string name = datum.tagName();
        if (!target || isStructuralTag(name))
            continue;
        target->insert(QString::fromStdString(name), exifValue(datum));
        if (group == "Image" && name == "Orientation" && datum.count() == 1) {
            const long value = datum.toLong(0);
            if (value >= 1 && value <= 8)
                read.orientation = int(value);
        }
    }
    if (!read.orientation) {
        const auto xmp = image.xmpData().findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
        if (xmp != image.xmpData().end()) {
            const long value = xmp->toLong(0);
            if (value >= 1 && value <= 8)
                read.orientation = int(value);
        }
    }
}

// Exiv2 reports problems by throwing; none of them may leave this function.
template <typename OpenImage> MetadataRead readMetadata(OpenImage open)
{
    MetadataRead read;
    try {
        ensureExiv2Ready();
        auto image = open();
        if (image.get())
            collectMetadata(*image, read);
    } catch (const Exiv2::AnyError&) {
    } catch (const std::exception&) {
    } catch (...) { }
    return read;
}

MetadataRead readFileMetadata(const QString& path)
{
    const std::string name = QFile::encodeName(path).toStdString();
    return readMetadata([&name] { return Exiv2::ImageFactory::open(name, false); });
}

MetadataRead readDataMetadata(const QByteArray& data)
{
    return readMetadata([&data] {
        return Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(data.constData()), long(data.size()));
    });
}

QVariantMap makeProperties(MetadataRead metadata, int width, int height, std::optional<int> fallbackOrientation)
{
    QVariantMap properties;
    const std::optional<int> orientation = metadata.orientation ? metadata.orientation : fallbackOrientation;
    if (orientation)
        properties.insert(QStringLiteral("Orientation"), *orientation);
    if (width > 0 && height > 0) {
        properties.insert(QStringLiteral("PixelWidth"), width);
        properties.insert(QStringLiteral("PixelHeight"), height);
    }
    if (!metadata.tiff.isEmpty())
        properties.insert(QStringLiteral("{TIFF}"), metadata.tiff);
    if (!metadata.exif.isEmpty())
        properties.insert(QStringLiteral("{Exif}"), metadata.exif);
    return properties;
}

// ---- loading ----

// The loader's header pass only: pixels are decoded later, on demand.
VipsImage* openFileHeader(const QByteArray& fileName, const char* loader)
{
    VipsImage* image = nullptr;
    if (vips_call(loader, fileName.constData(), &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on",
            VIPS_FAIL_ON_TRUNCATED, nullptr)
        != 0)
        return nullptr;
    return image;
}

// `data` must outlive the image: vips reads it in place.
VipsImage* openDataHeader(const QByteArray& data)
{
    return vips_image_new_from_buffer(data.constData(), std::size_t(data.size()), "", "access", VIPS_ACCESS_SEQUENTIAL,
        "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr);
}

// A JPEG file's bytes and the part of it a region decode covers.
struct RegionSource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    Rect region;
};

// The rows and columns `region` touches, with a pixel to spare on each side so that the
// renderer's own rounding of the same rectangle stays inside; empty when nothing is left.
PixelSpan spanFor(const Rect& region, int width, int height)
{
    const double top = double(height) - region.y - region.height;
    const double edges[4] = { std::floor(region.x) - 1, std::floor(top) - 1, std::ceil(region.x + region.width) + 1,
        std::ceil(top + region.height) + 1 };
    for (double edge : edges)
        if (!std::isfinite(edge))
            return {};
    const int left = int(std::clamp(edges[0], 0.0, double(width)));
    const int upper = int(std::clamp(edges[1], 0.0, double(height)));
    const int right = int(std::clamp(edges[2], double(left), double(width)));
    const int lower = int(std::clamp(edges[3], double(upper), double(height)));
    return { left, upper, right - left, lower - upper };
}

Result<BitmapImageRep> decodePixels(const Subject& subject, VipsImagePtr image, const DecodeOptions& options,
    const Budget& budget, const RegionSource* regionSource)
{
    if (auto refused = checkDimensions(subject, image.get(), options))
        return *refused;
    // Killing the loader's image stops every image computed from it.
    const CancelToken::Watch watch(options.cancel, image.get());
    const QByteArray profile = iccProfileOf(image.get());

    Prepared prepared;
    if (!prepareForCopy(image, prepared))
        return damaged(subject);
    const int width = vips_image_get_width(image.get());
    const int height = vips_image_get_height(image.get());
    const int bands = vips_image_get_bands(image.get());

    std::optional<BitmapImageRep> bitmap;
    try {
        bitmap.emplace(layoutFor(prepared, width, height, bands));
    } catch (const std::bad_alloc&) { }
    if (!bitmap || bitmap->isNull())
        return failure(subject,
            QStringLiteral(" could not be opened: there is not enough memory for %1 × %2 pixels.")
                .arg(width)
                .arg(height));

    // Grey and RGB straight from the file only: CMYK and converted colour spaces keep the
    // whole decode's conversions.
    bool decoded = false;
    if (regionSource && prepared.family != Family::CMYK && prepared.keepProfile && !prepared.hasAlpha) {
        std::optional<Error> stopped;
        const auto keepGoing = [&] {
            stopped = budget.stopReason(subject);
            return !stopped;
        };
        const JpegRegionOutcome outcome = decodeJpegRegion(
            regionSource->data, regionSource->size, spanFor(regionSource->region, width, height), *bitmap, keepGoing);
        if (outcome == JpegRegionOutcome::Stopped && stopped)
            return *stopped;
        decoded = outcome == JpegRegionOutcome::Decoded;
    }
    if (!decoded)
        if (auto stopped = copyPixels(subject, image.get(), CopyTarget { &*bitmap, bands }, budget))
            return *stopped;
    if (prepared.keepProfile)
        bitmap->setColorProfile(profile);
    return std::move(*bitmap);
}

// Takes ownership of header (null when the loader failed and left its reason in vips).
template <typename LoadMetadata>
Result<DecodedBitmap> decode(const Subject& subject, VipsImage* header, const DecodeOptions& options,
    const Budget& budget, LoadMetadata loadMetadata, const RegionSource* regionSource = nullptr)
{
    if (!header)
        return damaged(subject);
    VipsImagePtr image(header);
    const std::optional<int> orientation = vipsOrientation(image.get());
    Result<BitmapImageRep> pixels = decodePixels(subject, std::move(image), options, budget, regionSource);
    if (!pixels)
        return Error(pixels.error());
    QVariantMap properties = makeProperties(loadMetadata(), pixels->pixelsWide(), pixels->pixelsHigh(), orientation);
    return DecodedBitmap { std::move(pixels.value()), std::move(properties), nullptr };
}

} // namespace

Result<DecodedBitmap> decodeImageFile(const QString& path, const DecodeOptions& options)
{
    const Budget budget(options);
    const QFileInfo info(path);
    const Subject subject = fileSubject(path);
    if (!info.exists())
        return failure(subject, QStringLiteral(" does not exist."));
    if (info.isDir())
        return failure(subject, QStringLiteral(" is a folder, not an image file."));
    if (!info.isReadable())
        return failure(subject, QStringLiteral(" cannot be read (permission denied)."));
    if (info.size() == 0)
        return failure(subject, QStringLiteral(" could not be opened: the file is empty."));

    ensureVipsStarted();
    const QByteArray fileName = QFile::encodeName(info.absoluteFilePath());
    // A trailing "[]" stops vips reading a name like "x[1]" as file "x" with options "1".
    const char* loader = vips_foreign_find_load((fileName + "[]").constData());
    const std::string_view family = loaderFamily(loader);
    if (!isPhotoLoader(family))
        return notAPhoto(subject);
    const auto metadata = [&info] { return readFileMetadata(info.absoluteFilePath()); };
    if (family == "jpegload") {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            return failure(subject, QStringLiteral(" cannot be read (%1).").arg(file.errorString()));
        const JpegCheck jpeg = checkJpeg(
            subject, walkJpegMarkers(file), options, [&file] { return file.seek(0) ? file.readAll() : QByteArray(); });
        if (jpeg.refused)
            return *jpeg.refused;
        if (jpeg.completed)
            return decode(subject, openDataHeader(*jpeg.completed), options, budget, metadata);
        // The mapping stays valid while the file is open, for the whole decode.
        if (const uchar* mapped = options.region ? file.map(0, file.size()) : nullptr) {
            const RegionSource source { mapped, std::size_t(file.size()), *options.region };
            return decode(subject, openFileHeader(fileName, loader), options, budget, metadata, &source);
        }
    }
    return decode(subject, openFileHeader(fileName, loader), options, budget, metadata);
}

Error decodeTookTooLong(const QString& path, std::chrono::milliseconds limit)
{
    return tookTooLong(fileSubject(path), limit);
}

Result<DecodedBitmap> decodeImageData(const QByteArray& data, const DecodeOptions& options)
{
    const Subject subject { QStringLiteral("The pasted image") };
    if (data.isEmpty())
        return failure(subject, QStringLiteral(" is empty."));

    ensureVipsStarted();
    const Budget budget(options);
    const char* loader = vips_foreign_find_load_buffer(data.constData(), std::size_t(data.size()));
    const std::string_view family = loaderFamily(loader);
    if (!isPhotoLoader(family))
        return notAPhoto(subject);
    const auto metadata = [&data] { return readDataMetadata(data); };
    if (family == "jpegload") {
        const JpegCheck jpeg = checkJpeg(subject, walkJpegMarkers(data), options, [&data] { return data; });
        if (jpeg.refused)
            return *jpeg.refused;
        if (jpeg.completed)
            return decode(subject, openDataHeader(*jpeg.completed), options, budget, metadata);
    }
    return decode(subject, openDataHeader(data), options, budget, metadata);
}

QVariantMap readImageProperties(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable() || info.size() == 0)
        return {};
    ensureVipsStarted();
    const QByteArray fileName = QFile::encodeName(info.absoluteFilePath());
    int width = 0;
    int height = 0;
    std::optional<int> orientation;
    const char* loader = vips_foreign_find_load((fileName + "[]").constData());
    if (isPhotoLoader(loaderFamily(loader))) {
        if (VipsImage* header = openFileHeader(fileName, loader)) {
            VipsImagePtr image(header);
            width = vips_image_get_width(header);
            height = vips_image_get_height(header);
            orientation = vipsOrientation(header);
        }
    }
    vips_error_clear();

    return makeProperties(readFileMetadata(info.absoluteFilePath()), width, height, orientation);
}

} // namespace quillum
