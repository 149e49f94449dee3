// Decoding only a region of a JPEG: inside it the pixels must be those of the whole
// decode, outside it the bitmap stays zero, and files where that cannot be sure are
// decoded whole.

#include "TestSupport.h"
#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

using namespace quillum;

namespace {

// A picture with fine detail in every channel, so that chroma upsampling at the edges of
// a partial decode would show.
std::vector<unsigned char> busyPicture(int width, int height, int channels)
{
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * std::size_t(channels));
    unsigned state = 12345;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const std::size_t pixel = i / std::size_t(channels);
        const int x = int(pixel % std::size_t(width)), y = int(pixel / std::size_t(width));
        const int channel = int(i % std::size_t(channels));
        pixels[i] = static_cast<unsigned char>((x * (channel + 1) + y * (3 - channel)) / 3 + int((state >> 16) % 64));
    }
    return pixels;
}

QString writeJpeg(
    const QTemporaryDir& dir, const char* name, int width, int height, int sampling, int flags, bool cmyk = false)
{
    const int format = cmyk ? TJPF_CMYK : TJPF_RGB;
    const std::vector<unsigned char> pixels = busyPicture(width, height, tjPixelSize[format]);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int failed = tjCompress2(handle, pixels.data(), width, 0, height, format, &jpeg, &size, sampling, 88, flags);
    tjDestroy(handle);
    QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (failed || !file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(jpeg), qint64(size)) != qint64(size))
        path.clear();
    tjFree(jpeg);
    return path;
}

struct FileCase {
    const char* name;
    std::function<QString(const QTemporaryDir&)> make;
    bool partial; // decoded region by region; otherwise whole
};

struct CropCase {
    const char* name;
    std::function<Rect(double w, double h)> rect;
};

const std::vector<CropCase> crops = {
    { "whole picture",
        [](double w, double h) {
            return Rect { 0, 0, w, h };
        } },
    { "odd offsets inside",
        [](double w, double h) {
            return Rect { std::floor(w / 3) + 1, std::floor(h / 4) + 3, w / 3 + 5, h / 2 + 1 };
        } },
    { "touching the right and top edges",
        [](double w, double h) {
            const double x = std::floor(w / 2) + 3, y = std::floor(h / 2) + 1;
            return Rect { x, y, w - x, h - y };
        } },
    { "one pixel",
        [](double w, double h) {
            return Rect { std::floor(w / 2) + 1, std::floor(h / 3), 1, 1 };
        } },
    { "fractional",
        [](double w, double h) {
            return Rect { 17.25, 9.5, w / 2 + 0.4, h / 2 + 0.7 };
        } },
    { "full-width band",
        [](double w, double h) {
            return Rect { 0, std::floor(h / 3) + 1, w, std::floor(h / 3) };
        } },
    { "reaching past the picture",
        [](double w, double h) {
            return Rect { -20, -20, w / 2, h + 40 };
        } },
};

const std::vector<FileCase> files = {
    { "4:4:4 with EXIF", [](const QTemporaryDir&) { return test::samplePath("astronaut.jpg"); }, true },
    { "orientation 6, odd width", [](const QTemporaryDir&) { return test::samplePath("cat-orientation6.jpg"); }, true },
    { "grey", [](const QTemporaryDir&) { return test::samplePath("camera-grey.jpg"); }, true },
    { "4:2:0, two decoders", [](const QTemporaryDir& d) { return writeJpeg(d, "420.jpg", 1203, 1001, TJSAMP_420, 0); },
        true },
    { "4:2:2", [](const QTemporaryDir& d) { return writeJpeg(d, "422.jpg", 611, 407, TJSAMP_422, 0); }, true },
    { "4:4:0", [](const QTemporaryDir& d) { return writeJpeg(d, "440.jpg", 611, 407, TJSAMP_440, 0); }, true },
    { "grey, two decoders", [](const QTemporaryDir& d) { return writeJpeg(d, "grey.jpg", 700, 900, TJSAMP_GRAY, 0); },
        true },
    { "4:1:1 decodes whole", [](const QTemporaryDir& d) { return writeJpeg(d, "411.jpg", 611, 407, TJSAMP_411, 0); },
        false },
    { "progressive decodes whole",
        [](const QTemporaryDir& d) { return writeJpeg(d, "p.jpg", 611, 407, TJSAMP_420, TJFLAG_PROGRESSIVE); }, false },
    { "CMYK decodes whole",
        [](const QTemporaryDir& d) { return writeJpeg(d, "cmyk.jpg", 301, 203, TJSAMP_444, 0, true); }, false },
};

// The pixels the renderer reads for `rect` (its rounding), clipped to the picture.
struct Span {
    int left, top, right, bottom;
};

Span rendererSpan(const Rect& rect, int width, int height)
{
    const double x = std::max(rect.x, 0.0), y = std::max(rect.y, 0.0);
    const double w = std::min(rect.x + rect.width, double(width)) - x;
    const double h = std::min(rect.y + rect.height, double(height)) - y;
    const int left = int(std::trunc(x)), top = int(std::trunc(double(height) - y - h));
    return { left, top, left + int(std::trunc(w)), top + int(std::trunc(h)) };
}

} // namespace

TEST(JpegRegion, InsideEqualsTheWholeDecodeAndOutsideStaysZero)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const FileCase& file : files) {
        SCOPED_TRACE(file.name);
        const QString path = file.make(dir);
        ASSERT_FALSE(path.isEmpty());
        Result<DecodedBitmap> whole = decodeImageFile(path);
        ASSERT_TRUE(whole.ok()) << whole.error().toStdString();
        const BitmapImageRep& reference = whole->bitmap;
        const int width = reference.pixelsWide(), height = reference.pixelsHigh();
        const std::size_t bytes = std::size_t(reference.bitsPerPixel() / 8);
        for (const CropCase& crop : crops) {
            SCOPED_TRACE(crop.name);
            DecodeOptions options;
            options.region = crop.rect(width, height);
            Result<DecodedBitmap> part = decodeImageFile(path, options);
            ASSERT_TRUE(part.ok()) << part.error().toStdString();
            const BitmapImageRep& bitmap = part->bitmap;
            ASSERT_EQ(bitmap.layout().width, width);
            ASSERT_EQ(bitmap.layout().height, height);
            ASSERT_EQ(bitmap.layout().samplesPerPixel, reference.layout().samplesPerPixel);
            EXPECT_EQ(bitmap.colorProfile(), reference.colorProfile());
            EXPECT_EQ(part->properties, whole->properties);

            const Span inside = rendererSpan(*options.region, width, height);
            // The decoder may keep a pixel more around the rectangle's own edges.
            const Rect& r = *options.region;
            const double top = height - r.y - r.height;
            const Span kept { int(std::floor(r.x)) - 1, int(std::floor(top)) - 1, int(std::ceil(r.x + r.width)) + 1,
                int(std::ceil(top + r.height)) + 1 };
            int wrongInside = 0, wrongOutside = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::size_t at = std::size_t(y) * reference.bytesPerRow() + std::size_t(x) * bytes;
                    const bool same = std::memcmp(bitmap.bitmapData() + at, reference.bitmapData() + at, bytes) == 0;
                    if (x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom) {
                        wrongInside += !same;
                    } else if (x < kept.left || x >= kept.right || y < kept.top || y >= kept.bottom) {
                        const std::uint8_t* p = bitmap.bitmapData() + at;
                        const bool zero = std::all_of(p, p + bytes, [](std::uint8_t v) { return v == 0; });
                        wrongOutside += file.partial ? !zero : !same;
                    }
                }
            EXPECT_EQ(wrongInside, 0);
            EXPECT_EQ(wrongOutside, 0);
        }
    }
}

// Damage anywhere, even below the region, ends a region decode as it ends a whole one.
TEST(JpegRegion, DamageOutsideTheRegionEndsAsInAWholeDecode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = writeJpeg(dir, "420.jpg", 1203, 1001, TJSAMP_420, 0);
    QFile in(source);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray data = in.readAll();
    struct Damage {
        const char* name;
        std::function<QByteArray(QByteArray)> apply;
    };
    const std::vector<Damage> damages = {
        { "scan data cut, end marker kept",
            [](QByteArray d) { return d.left(d.size() * 8 / 10).append("\xFF\xD9", 2); } },
        { "a marker inside the scan data",
            [](QByteArray d) {
                d[d.size() * 9 / 10] = char(0xFF);
                d[d.size() * 9 / 10 + 1] = char(0xD3);
                return d;
            } },
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        const QString path = dir.filePath(QStringLiteral("damaged.jpg"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(damage.apply(data));
        out.close();
        DecodeOptions top;
        top.region = Rect { 10, 800, 300, 150 };
        Result<DecodedBitmap> whole = decodeImageFile(path);
        Result<DecodedBitmap> part = decodeImageFile(path, top);
        ASSERT_EQ(part.ok(), whole.ok());
        if (!whole.ok())
            EXPECT_EQ(part.error(), whole.error());
        else
            EXPECT_EQ(
                std::memcmp(part->bitmap.bitmapData(), whole->bitmap.bitmapData(), whole->bitmap.planeBytes()), 0);
    }
}

TEST(JpegRegion, StopsWhenOutOfTimeOrCancelled)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = writeJpeg(dir, "big.jpg", 1203, 1001, TJSAMP_420, 0);
    DecodeOptions noTime;
    noTime.timeLimit = std::chrono::milliseconds(0);
    noTime.region = Rect { 0, 0, 1203, 1001 };
    Result<DecodedBitmap> late = decodeImageFile(path, noTime);
    EXPECT_EQ(late.ok() ? QString() : late.error(), "“big.jpg” took too long to decode (the limit is 0 seconds).");
    CancelToken cancelled;
    cancelled.cancel();
    DecodeOptions withToken;
    withToken.cancel = &cancelled;
    withToken.region = Rect { 100, 100, 500, 500 };
    Result<DecodedBitmap> early = decodeImageFile(path, withToken);
    EXPECT_EQ(early.ok() ? QString() : early.error(), "“big.jpg” could not be opened: decoding was cancelled.");
}
