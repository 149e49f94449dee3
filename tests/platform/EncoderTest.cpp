#include "TestSupport.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageEncoder.h"
#include "platform/JpegWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillum;
using quillum::test::dataPath;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A real RGB profile (libpng refuses made-up ones), made by scripts/make-test-data.sh.
QByteArray rgbProfile()
{
    return readAll(dataPath("rgb.icc"));
}

// A working bitmap whose every pixel differs from its neighbours in a known way.
BitmapImageRep pattern(int w, int h, std::uint8_t alpha = 255)
{
    BitmapImageRep b = BitmapImageRep::makeARGB(w, h);
    std::uint8_t* p = b.bitmapData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, p += 4) {
            p[0] = alpha;
            p[1] = std::uint8_t(x * 255 / std::max(1, w - 1) * alpha / 255);
            p[2] = std::uint8_t(y * 255 / std::max(1, h - 1) * alpha / 255);
            p[3] = std::uint8_t(128 * alpha / 255);
        }
    return b;
}

const std::uint8_t* pixelAt(const BitmapImageRep& b, int x, int y)
{
    const int bytes = b.bitsPerPixel() / 8;
    return b.bitmapData() + std::size_t(y) * b.bytesPerRow() + std::size_t(x) * std::size_t(bytes);
}

struct Segment {
    int marker;
    QByteArray payload;
};

// The marker segments before the scan data.
std::vector<Segment> jpegSegments(const QByteArray& data)
{
    std::vector<Segment> out;
    if (data.size() < 4 || std::uint8_t(data[0]) != 0xFF || std::uint8_t(data[1]) != 0xD8)
        return out;
    qsizetype i = 2;
    while (i + 4 <= data.size() && std::uint8_t(data[i]) == 0xFF) {
        const int marker = std::uint8_t(data[i + 1]);
        const int length = (std::uint8_t(data[i + 2]) << 8) | std::uint8_t(data[i + 3]);
        out.push_back({ marker, data.mid(i + 4, length - 2) });
        if (marker == 0xDA)
            break;
        i += 2 + length;
    }
    return out;
}

int count(const std::vector<Segment>& segments, int marker)
{
    return int(std::count_if(segments.begin(), segments.end(), [&](const Segment& s) { return s.marker == marker; }));
}

// These cases name each file after the type they write.
ImageFileType typeOf(const QString& path)
{
    return imageFileTypeForExtension(QFileInfo(path).suffix()).value_or(ImageFileType::Jpeg);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

EncodeOptions withoutExif(bool metadata)
{
    EncodeOptions options;
    options.withMetadata = metadata;
    return options;
}

// With metadata on, the EXIF comes from the orientation-6 fixture.
EncodeOptions withExif(bool metadata, bool keepAlpha = false)
{
    EncodeOptions options = withoutExif(metadata);
    options.keepAlpha = keepAlpha;
    options.metadataSourcePath = dataPath("orient6.jpg");
    return options;
}

} // namespace

TEST(ImageFileType, AnExtensionAgreesWithItsTypeOrTheTypesOwnIsAppended)
{
    using T = ImageFileType;
    const struct {
        const char* path;
        T type;
        const char* written; // the path the file gets
        const char* base; // the name field's text for it
    } rows[] = {
        { "/o/a.jpg", T::Jpeg, "/o/a.jpg", "a" },
        { "/o/a.Jpeg", T::Jpeg, "/o/a.Jpeg", "a" },
        { "/o/b.TIFF", T::Tiff, "/o/b.TIFF", "b" },
        { "/o/c.png", T::Png, "/o/c.png", "c" },
        { "/o/holiday.2024", T::Jpeg, "/o/holiday.2024.jpg", "holiday.2024" },
        { "/o/shot.bmp", T::Png, "/o/shot.bmp.png", "shot.bmp" },
        { "/o/shot.png", T::Jpeg, "/o/shot.png.jpg", "shot.png" },
        { "/o/noext", T::Tiff, "/o/noext.tif", "noext" },
        { "/o/.jpg", T::Jpeg, "/o/.jpg.jpg", ".jpg" }, // all extension, no name
        { "/o/dir.jpg/name", T::Jpeg, "/o/dir.jpg/name.jpg", "name" },
        { "/o/d.WebP", T::Webp, "/o/d.WebP", "d" },
        { "/o/shot.webp", T::Jpeg, "/o/shot.webp.jpg", "shot.webp" },
        { "/o/shot.jpg", T::Webp, "/o/shot.jpg.webp", "shot.jpg" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        const QString path = QString::fromUtf8(r.path);
        EXPECT_EQ(pathWithImageFileTypeExtension(path, r.type), QString::fromUtf8(r.written));
        EXPECT_EQ(
            baseNameForImageFileType(pathWithImageFileTypeExtension(path, r.type), r.type), QString::fromUtf8(r.base));
    }
    for (int index : { -1, 0, 1, 2, 3, 4 }) {
        const T type = imageFileTypeFromIndex(index);
        EXPECT_EQ(imageFileTypeIndex(type), index >= 1 && index <= 3 ? index : 0) << "any other index is JPEG";
        EXPECT_EQ(imageFileTypeForExtension(imageFileTypeExtension(type)), type);
    }
    EXPECT_FALSE(imageFileTypeForExtension(QStringLiteral("gif")));
    EXPECT_FALSE(imageFileTypeForExtension(QString()));
}

TEST(Encoder, RoundTripsEachFormat)
{
    const QByteArray icc = rgbProfile();
    ASSERT_FALSE(icc.isEmpty());
    using T = ImageFileType;
    const struct Row {
        const char* name;
        T type;
        bool metadata, keepAlpha;
        std::uint8_t alpha;
        int channels;
        bool carriesIcc, carriesExif;
        int tolerance;
    } rows[] = {
        { "m.jpg", T::Jpeg, true, false, 255, 3, true, true, 12 },
        { "plain.jpg", T::Jpeg, false, false, 255, 3, false, false, 12 },
        { "alpha-ignored.jpeg", T::Jpeg, false, true, 255, 3, false, false, 12 },
        { "m.png", T::Png, true, false, 255, 3, true, true, 0 },
        { "plain.png", T::Png, false, false, 255, 3, true, false, 0 },
        { "alpha.png", T::Png, true, true, 128, 4, true, true, 3 },
        { "m.tif", T::Tiff, true, false, 255, 3, true, true, 0 },
        { "plain.tiff", T::Tiff, false, false, 255, 3, true, false, 0 },
        { "alpha.tif", T::Tiff, false, true, 128, 4, true, false, 3 },
        { "dropped-alpha.png", T::Png, false, false, 128, 3, true, false, 0 },
        { "the-type-not-the-name.png", T::Tiff, false, false, 255, 3, true, false, 0 },
        // Lossy at quality 90; Exiv2 rewrites the file around the ICC chunk.
        { "m.webp", T::Webp, true, false, 255, 3, true, true, 12 },
        { "plain.webp", T::Webp, false, false, 255, 3, true, false, 12 },
        { "alpha.webp", T::Webp, true, true, 128, 4, true, true, 12 },
        { "dropped-alpha.webp", T::Webp, false, false, 128, 3, true, false, 12 },
    };
    const char* const formats[] = { "jpeg", "tiff", "png", "webp" }; // by type index
    QTemporaryDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BitmapImageRep bitmap = pattern(40, 24, r.alpha);
        bitmap.setColorProfile(icc);
        const QString path = dir.filePath(QString::fromUtf8(r.name));
        const Status written = writeWorkingBitmap(bitmap, path, r.type, withExif(r.metadata, r.keepAlpha));
        ASSERT_TRUE(written.ok()) << written.error().toStdString();
        EXPECT_EQ(test::fileFormatByContent(path), QLatin1String(formats[imageFileTypeIndex(r.type)]));

        Result<DecodedBitmap> decoded = decodeImageFile(path);
        ASSERT_TRUE(decoded.ok()) << decoded.error().toStdString();
        const BitmapImageRep& back = decoded->bitmap;
        EXPECT_EQ(back.pixelsWide(), 40);
        EXPECT_EQ(back.pixelsHigh(), 24);
        EXPECT_EQ(back.samplesPerPixel(), r.channels);
        const QVariantMap& p = decoded->properties;
        EXPECT_EQ(p.value(QStringLiteral("Orientation"), 1).toInt(), 1);
        EXPECT_EQ(back.colorProfile() == icc, r.carriesIcc);
        const QVariantMap tiff = p.value(QStringLiteral("{TIFF}")).toMap();
        EXPECT_EQ(tiff.value(QStringLiteral("Make")).toString() == QLatin1String("Quillum Labs"), r.carriesExif);
        EXPECT_EQ(tiff.value(QStringLiteral("Model")).toString() == QLatin1String("Test Camera 1"), r.carriesExif);
        if (r.carriesExif) {
            EXPECT_EQ(p.value(QStringLiteral("{Exif}")).toMap().value(QStringLiteral("ISOSpeedRatings")).toInt(), 200);
        }
        // Kept alpha: the colour comes back straight (un-premultiplied). Dropped alpha: the
        // stored colour as it is, not composited onto anything.
        const BitmapImageRep opaque = pattern(40, 24);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 40; ++x) {
                const std::uint8_t* want = pixelAt(r.channels == 4 ? opaque : bitmap, x, y);
                const std::uint8_t* got = pixelAt(back, x, y);
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(got[c], want[c + 1], r.tolerance) << x << "," << y;
                if (r.channels == 4) {
                    ASSERT_EQ(got[3], r.alpha) << x << "," << y;
                }
            }
    }
    EXPECT_EQ(entries(dir.path()).size(), qsizetype(std::size(rows))) << "no temporary file is left behind";
}

TEST(Encoder, KeptAlphaUnpremultipliesToTheNearestValue)
{
    // (alpha, premultiplied colour) -> straight colour = c * 255 / a, to nearest, halves up.
    struct Row {
        const char* name;
        std::uint8_t a, c, straight;
    } rows[] = {
        { "opaque keeps the value", 255, 200, 200 },
        { "opaque black", 255, 0, 0 },
        { "transparent keeps what is stored", 0, 0, 0 },
        { "alpha 1 stretches to full", 1, 1, 255 },
        { "half at alpha 2 rounds up", 2, 1, 128 },
        { "half at alpha 128 rounds up", 128, 64, 128 },
        { "half at alpha 254 rounds up", 254, 127, 128 },
        { "1.99 rounds up", 128, 1, 2 },
        { "84.15 rounds down", 100, 33, 84 },
        { "76.5 rounds up", 10, 3, 77 },
        { "colour above alpha clamps", 200, 201, 255 },
    };
    const int n = int(std::size(rows));
    BitmapImageRep bitmap = BitmapImageRep::makeARGB(n, 1);
    for (int i = 0; i < n; ++i) {
        std::uint8_t* p = bitmap.bitmapData() + 4 * i;
        p[0] = rows[i].a, p[1] = rows[i].c, p[2] = 0, p[3] = rows[i].a;
    }
    QTemporaryDir dir;
    for (const char* name : { "alpha.png", "alpha.tif" }) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeWorkingBitmap(bitmap, path, typeOf(path), withExif(false, true)).ok());
        Result<DecodedBitmap> back = decodeImageFile(path);
        ASSERT_TRUE(back.ok()) << back.error().toStdString();
        ASSERT_EQ(back->bitmap.samplesPerPixel(), 4);
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* rgba = pixelAt(back->bitmap, i, 0);
            EXPECT_EQ(rgba[0], rows[i].straight) << rows[i].name;
            EXPECT_EQ(rgba[1], 0) << rows[i].name;
            EXPECT_EQ(rgba[2], rows[i].a == 0 ? 0 : 255) << rows[i].name << ": alpha over alpha";
            EXPECT_EQ(rgba[3], rows[i].a) << rows[i].name;
        }
    }
}

TEST(Encoder, OnlyAnRgbProfileGoesIntoTheRgbFile)
{
    Result<DecodedBitmap> grey = decodeImageFile(dataPath("grey-profile.jpg"));
    ASSERT_TRUE(grey.ok()) << grey.error().toStdString();
    const QByteArray greyProfile = grey->bitmap.colorProfile();
    ASSERT_EQ(greyProfile.mid(16, 4), QByteArray("GRAY"));
    const QByteArray rgb = rgbProfile();
    ASSERT_FALSE(rgb.isEmpty());
    // Broken profiles whose header still says RGB: only LittleCMS can tell.
    QByteArray garbage(600, char(0xAB));
    garbage.replace(16, 4, "RGB ");
    QByteArray noTags = rgb.left(132);
    noTags.replace(128, 4, QByteArray(4, '\0')); // a tag count of 0: nothing to convert with
    QByteArray scrambledTags = rgb;
    for (qsizetype i = 132; i < scrambledTags.size(); ++i)
        scrambledTags[i] = char(i * 37);
    const struct {
        const char* name;
        QByteArray profile;
        bool kept;
        bool warned; // one line on standard error for the file
    } profiles[] = {
        { "rgb", rgb, true, false },
        { "grey", greyProfile, false, false }, // expected for a grey photo: no word
        { "shorter than a header", rgb.left(100), false, false },
        { "garbage that says RGB", garbage, false, true },
        { "RGB header without tags", noTags, false, true },
        { "RGB header with scrambled tags", scrambledTags, false, true },
    };
    QTemporaryDir dir;
    for (const auto& p : profiles)
        for (ImageFileType type :
            { ImageFileType::Jpeg, ImageFileType::Tiff, ImageFileType::Png, ImageFileType::Webp }) {
            SCOPED_TRACE(testing::Message() << p.name << " " << imageFileTypeExtension(type).toStdString());
            BitmapImageRep bitmap = pattern(12, 8);
            bitmap.setColorProfile(p.profile);
            const QString path
                = dir.filePath(QStringLiteral("%1.%2").arg(QString::fromLatin1(p.name), imageFileTypeExtension(type)));
            testing::internal::CaptureStderr();
            const Status written = writeWorkingBitmap(bitmap, path, type);
            const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
            ASSERT_TRUE(written.ok()) << written.error().toStdString();
            EXPECT_EQ(errors.count(QStringLiteral("colour profile")), p.warned ? 1 : 0) << errors.toStdString();
            if (p.warned) {
                EXPECT_TRUE(errors.contains(path)) << errors.toStdString();
            }
            Result<DecodedBitmap> back = decodeImageFile(path);
            ASSERT_TRUE(back.ok()) << back.error().toStdString();
            EXPECT_EQ(back->bitmap.colorProfile(), p.kept ? p.profile : QByteArray());
        }
}

TEST(Encoder, JpegWithoutMetadataIsPlainBaselineJfif)
{
    QTemporaryDir dir;
    BitmapImageRep bitmap = pattern(33, 17);
    bitmap.setColorProfile(rgbProfile());
    // Luminance table entry 0 follows libjpeg's quality scaling of 16.
    const struct {
        bool metadata;
        int quality;
        int app0, app1, app2;
        int firstLuminanceStep; // 0: not checked (libvips' own tables)
    } rows[] = {
        { false, 90, 1, 0, 0, 3 }, { false, 50, 1, 0, 0, 16 }, { false, 100, 1, 0, 0, 1 }, { false, 0, 1, 0, 0, 255 },
        { true, 90, 0, 1, 1, 0 }, // an EXIF file: APP1 instead of JFIF
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.quality);
        EncodeOptions options = withExif(r.metadata);
        options.jpegQuality = r.quality;
        const QString path = dir.filePath(QStringLiteral("q%1-%2.jpg").arg(r.quality).arg(r.metadata));
        const Status written = writeWorkingBitmap(bitmap, path, ImageFileType::Jpeg, options);
        ASSERT_TRUE(written.ok()) << written.error().toStdString();
        const std::vector<Segment> segments = jpegSegments(readAll(path));
        ASSERT_FALSE(segments.empty());
        EXPECT_EQ(count(segments, 0xE0), r.app0);
        EXPECT_EQ(count(segments, 0xE1), r.app1);
        EXPECT_EQ(count(segments, 0xE2), r.app2);
        for (int m = 0xE3; m <= 0xEF; ++m)
            EXPECT_EQ(count(segments, m), 0) << m;
        EXPECT_EQ(count(segments, 0xFE), 0) << "no comment";
        if (!r.metadata) {
            EXPECT_EQ(count(segments, 0xC0), 1) << "baseline";
            EXPECT_TRUE(segments.front().payload.startsWith(QByteArray("JFIF\0", 5)));
            const auto dqt
                = std::find_if(segments.begin(), segments.end(), [](const Segment& s) { return s.marker == 0xDB; });
            ASSERT_NE(dqt, segments.end());
            ASSERT_GE(dqt->payload.size(), 2);
            EXPECT_EQ(std::uint8_t(dqt->payload[0]), 0) << "8-bit table 0";
            EXPECT_EQ(std::uint8_t(dqt->payload[1]), r.firstLuminanceStep);
        }
    }
}

TEST(Encoder, LandscapeTurnsPortraitsAQuarterCounterClockwise)
{
    const struct {
        int w, h;
        bool turned;
    } rows[] = { { 6, 9, true }, { 1, 2, true }, { 9, 6, false }, { 7, 7, false } };
    QTemporaryDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.w << "x" << r.h);
        BitmapImageRep bitmap = pattern(r.w, r.h);
        const QString path = dir.filePath(QStringLiteral("%1x%2.png").arg(r.w).arg(r.h));
        EncodeOptions options;
        options.landscape = true;
        ASSERT_TRUE(writeWorkingBitmap(bitmap, path, ImageFileType::Png, options).ok());
        Result<DecodedBitmap> back = decodeImageFile(path);
        ASSERT_TRUE(back.ok());
        const int W = back->bitmap.pixelsWide(), H = back->bitmap.pixelsHigh();
        EXPECT_EQ(W, r.turned ? r.h : r.w);
        EXPECT_EQ(H, r.turned ? r.w : r.h);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                // Counter-clockwise: the source's top-right corner lands at the top left.
                const int sx = r.turned ? r.w - 1 - y : x, sy = r.turned ? x : y;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(pixelAt(back->bitmap, x, y)[c], pixelAt(bitmap, sx, sy)[c + 1]) << x << "," << y;
            }
    }
    // The corners, spelled out once.
    BitmapImageRep tall = BitmapImageRep::makeARGB(2, 3);
    for (int i = 0; i < 6; ++i)
        std::fill_n(tall.bitmapData() + i * 4, 4, std::uint8_t(i)); // rows: 0 1 / 2 3 / 4 5
    const BitmapImageRep wide = turnedCounterClockwise(tall);
    ASSERT_EQ(wide.pixelsWide(), 3);
    ASSERT_EQ(wide.pixelsHigh(), 2);
    const int expected[] = { 1, 3, 5, 0, 2, 4 };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(wide.bitmapData()[i * 4], expected[i]) << i;
}

TEST(Encoder, AFailedWriteReportsThePathAndLeavesNothing)
{
    // A read-only folder cannot be tested here: the tests may run as root, who writes anyway.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
    const BitmapImageRep bitmap = pattern(16, 16);
    const struct {
        const char* path;
        bool metadata;
        const char* reason;
    } rows[] = {
        { "missing/a.jpg", false, "does not exist" },
        { "missing/a.jpg", true, "does not exist" },
        { "missing/a.png", true, "does not exist" },
        { "missing/deeper/a.tif", false, "does not exist" },
        { "missing/a.webp", true, "does not exist" },
        { "folder.png", true, "folder" },
        // Names the file system would spell differently (a null ends the name early).
        { "a|b.jpg", false, "cannot store" },
        { "a|b.tif", true, "cannot store" },
        { "a|b.webp", false, "cannot store" },
        { "caf~.jpg", true, "cannot store" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        // '|' stands for a null character, '~' for half a surrogate pair.
        const QString path = dir.filePath(
            QString::fromUtf8(r.path).replace(QLatin1Char('|'), QChar(0)).replace(QLatin1Char('~'), QChar(0xDCE9)));
        const Status written = writeWorkingBitmap(bitmap, path, typeOf(path), withExif(r.metadata));
        ASSERT_FALSE(written.ok());
        EXPECT_TRUE(written.error().contains(QDir::toNativeSeparators(path))) << written.error().toStdString();
        EXPECT_TRUE(written.error().contains(QLatin1String(r.reason))) << written.error().toStdString();
        EXPECT_FALSE(QFileInfo(path).isFile());
    }
    EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("folder.png") });
    // One pixel past libwebp's limit: said in our words, before any encoding.
    for (const auto& [w, h] : { std::pair { 16384, 1 }, std::pair { 1, 16384 } }) {
        const QString path = dir.filePath(QStringLiteral("huge.webp"));
        const Status written = writeWorkingBitmap(pattern(w, h), path, ImageFileType::Webp, withExif(true));
        ASSERT_FALSE(written.ok());
        EXPECT_TRUE(written.error().contains(QLatin1String("at most 16383 pixels"))) << written.error().toStdString();
    }
    EXPECT_TRUE(
        writeWorkingBitmap(pattern(16383, 1), dir.filePath(QStringLiteral("widest.webp")), ImageFileType::Webp).ok());
    QFile::remove(dir.filePath(QStringLiteral("widest.webp")));
    EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("folder.png") });
    EXPECT_FALSE(
        writeWorkingBitmap(BitmapImageRep {}, dir.filePath(QStringLiteral("empty.png")), ImageFileType::Png).ok());
    EXPECT_FALSE(saveNSBitmapImageRepWithLibJpeg(BitmapImageRep {}, dir.filePath(QStringLiteral("e.jpg")), 90).ok());
    EXPECT_EQ(entries(dir.path()).size(), 1);
}

// A full disk, simulated without root: a file-size limit makes the writes fail (EFBIG) on
// the same code path as ENOSPC. An existing file at the target must survive untouched.
TEST(Encoder, AFullDiskFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    BitmapImageRep bitmap = pattern(300, 200);
    std::srand(7);
    for (std::size_t i = 0; i < bitmap.planeBytes(); ++i)
        bitmap.bitmapData()[i] = std::uint8_t(std::rand()); // noise: no format squeezes it under the limit
    // The EXIF goes in after the encoder has written the file: one byte short of the
    // finished file, the encoder's part fits and only the metadata writer meets the limit.
    const struct {
        const char* name;
        bool metadata;
        bool oneByteShort; // the limit is the finished file's size less one, else 4096
    } rows[] = {
        { "a.jpg", false, false },
        { "a.jpg", true, false },
        { "a.png", true, false },
        { "a.tif", false, false },
        { "a.jpg", true, true },
        { "a.png", true, true },
        { "a.tif", true, true },
        { "a.webp", true, false },
        { "a.webp", true, true },
    };

    QTemporaryDir unlimited;
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const auto& r : rows) {
        SCOPED_TRACE(
            testing::Message() << r.name << " metadata " << r.metadata << " one byte short " << r.oneByteShort);
        const QString path = dir.filePath(QString::fromUtf8(r.name));
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        const EncodeOptions options = withExif(r.metadata);
        rlimit small = saved;
        small.rlim_cur = 4096;
        if (r.oneByteShort) {
            const QString whole = unlimited.filePath(QString::fromUtf8(r.name));
            ASSERT_TRUE(writeWorkingBitmap(bitmap, whole, typeOf(whole), options).ok());
            small.rlim_cur = rlim_t(QFileInfo(whole).size() - 1);
        }
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Status written = writeWorkingBitmap(bitmap, path, typeOf(path), options);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
        ASSERT_FALSE(written.ok());
        EXPECT_TRUE(written.error().contains(QDir::toNativeSeparators(path))) << written.error().toStdString();
        EXPECT_EQ(readAll(path), QByteArray("old"));
        EXPECT_EQ(entries(dir.path()).size(), 1) << entries(dir.path()).join(QLatin1Char(' ')).toStdString();
        QFile::remove(path);
    }
    std::signal(SIGXFSZ, previous);
}

TEST(Encoder, ReplacesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.jpg"));
    const QFileDevice::Permissions kept = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    for (int w : { 20, 30, 40 }) {
        ASSERT_TRUE(writeWorkingBitmap(pattern(w, 10), path, ImageFileType::Jpeg, withoutExif(w == 40)).ok());
        Result<DecodedBitmap> back = decodeImageFile(path);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back->bitmap.pixelsWide(), w);
        if (w > 20) {
            // Owner, group and other bits (the "user" bits repeat the owner's for us).
            EXPECT_EQ(QFile::permissions(path) & 0x7077, kept) << "a replaced file keeps its permissions";
        }
        ASSERT_TRUE(QFile::setPermissions(path, kept));
    }
    EXPECT_EQ(entries(dir.path()), QStringList { QStringLiteral("out.jpg") });

    // The permission bits carry over; the special ones were granted to the old contents.
    const struct {
        const char* name;
        mode_t before, after;
    } modes[] = {
        { "private", 0600, 0600 },
        { "read-only", 0444, 0444 },
        { "set-user-ID", 04755, 0755 },
        { "set-group-ID", 02750, 0750 },
        { "both set-IDs", 06711, 0711 },
        { "sticky", 01644, 0644 },
    };
    for (const auto& m : modes)
        for (bool metadata : { false, true }) {
            SCOPED_TRACE(testing::Message() << m.name << " metadata " << metadata);
            const QByteArray native = QFile::encodeName(path);
            ASSERT_EQ(::chmod(native.constData(), m.before), 0);
            ASSERT_TRUE(writeWorkingBitmap(pattern(8, 8), path, ImageFileType::Jpeg, withoutExif(metadata)).ok());
            struct stat info { };
            ASSERT_EQ(::stat(native.constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, m.after) << std::oct << (info.st_mode & 07777);
        }
}

// The temporary file's name is longer than the target's; it must not be what stops a
// name the folder takes. Two-byte characters make the shortening meet a character's middle.
TEST(Encoder, NamesUpToTheFolderLimitAreSaved)
{
    const struct {
        int bytes; // the whole name, extension included
        const char* extension;
        bool metadata;
        bool saved;
    } rows[] = {
        { 200, "jpg", false, true },
        { 240, "jpg", false, true },
        { 241, "tif", true, true },
        { 250, "png", true, true },
        { 255, "jpg", false, true },
        { 255, "jpg", true, true },
        { 255, "tif", false, true },
        // Over the limit: the target itself cannot exist.
        { 256, "jpg", false, false },
    };
    QTemporaryDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.bytes << " bytes ." << r.extension << " metadata " << r.metadata);
        const int stem = r.bytes - 4;
        const QString name = QString(stem / 2, QChar(0xE9)) + QString(stem % 2, QLatin1Char('a')) + QLatin1Char('.')
            + QLatin1String(r.extension);
        ASSERT_EQ(QFile::encodeName(name).size(), r.bytes);
        const QString path = dir.filePath(name);
        const Status written = writeWorkingBitmap(pattern(10, 6), path, typeOf(path), withExif(r.metadata));
        EXPECT_EQ(written.ok(), r.saved) << written.error().toStdString();
        EXPECT_EQ(entries(dir.path()), r.saved ? QStringList { name } : QStringList {}) << "nothing else is left";
        if (r.saved) {
            EXPECT_TRUE(decodeImageFile(path).ok());
        } else {
            EXPECT_TRUE(written.error().contains(path)) << written.error().toStdString();
        }
        QFile::remove(path);
    }
}

// A killed save leaves its temporary file behind; the next save into the folder removes
// it, and only it: our own name pattern, a regular file of this user, and old enough
// that no save can still be writing it.
TEST(Encoder, AbandonedTemporaryFilesGoWhenOursAndOld)
{
    const std::time_t now = std::time(nullptr);
    constexpr std::time_t kOld = 11 * 60, kFresh = 9 * 60;
    enum Kind { File, Folder, Link, OtherUsers };
    const struct {
        const char* name;
        Kind kind;
        std::time_t age;
        bool removed;
    } rows[] = {
        { ".a.jpg.quillum-0badf00d.tmp", File, kOld, true },
        { ".other photo.tif.quillum-12345678.tmp", File, 30 * 24 * 3600, true },
        { "..quillum-abcdef01.tmp", File, kOld, true }, // a name shortened to nothing
        { ".b.jpg.quillum-0badf00e.tmp", File, kFresh, false }, // a save still writing
        { ".c.jpg.quillum-0badf00f.tmp", Folder, kOld, false },
        { ".d.jpg.quillum-0badf010.tmp", Link, kOld, false },
        { ".e.jpg.quillum-0badf011.tmp", OtherUsers, kOld, false },
        // The user's own files, named alike.
        { "a.jpg.quillum-0badf00d.tmp", File, kOld, false },
        { ".a.jpg.quillum-0BADF00D.tmp", File, kOld, false },
        { ".a.jpg.quillum-0badf00.tmp", File, kOld, false },
        { ".a.jpg.quillum-0badf00d.tmp~", File, kOld, false },
        { ".a.jpg.quillum-0badf00d.temp", File, kOld, false },
        { ".a.jpg.0badf00d.tmp", File, kOld, false },
        { ".a.jpg.Quillum-0badf00d.tmp", File, kOld, false },
        { "notes.txt", File, kOld, false },
    };
    QTemporaryDir dir, elsewhere;
    const QByteArray folder = QFile::encodeName(dir.path());
    for (const auto& r : rows) {
        const QByteArray path = folder + '/' + r.name;
        switch (r.kind) {
        case File:
        case OtherUsers: {
            QFile file(QFile::decodeName(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
            file.close();
            if (r.kind == OtherUsers) {
                ASSERT_EQ(::chown(path.constData(), 4242, 4242), 0);
            }
            break;
        }
        case Folder:
            ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
            break;
        case Link:
            ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.filePath(QStringLiteral("target"))).constData(),
                          path.constData()),
                0);
            break;
        }
        const timespec times[2] = { { now - r.age, 0 }, { now - r.age, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0) << r.name;
    }
    ASSERT_TRUE(writeWorkingBitmap(pattern(4, 4), dir.filePath(QStringLiteral("saved.png")), ImageFileType::Png).ok());
    for (const auto& r : rows) {
        struct stat info { };
        EXPECT_EQ(::lstat((folder + '/' + r.name).constData(), &info) == 0, !r.removed) << r.name;
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("saved.png"))).isFile());
}

TEST(JpegWriter, TakesRgbAndRgbaLayoutsAndRefusesOthers)
{
    QTemporaryDir dir;
    const struct {
        int samples;
        bool alpha;
        unsigned flags;
        ColorSpace space;
        bool ok;
    } rows[] = {
        { 3, false, 0, ColorSpace::DeviceRGB, true },
        { 4, true, 0, ColorSpace::DeviceRGB, true }, // R,G,B,A
        { 4, true, BitmapFormatAlphaFirst, ColorSpace::CalibratedRGB, true },
        { 4, false, 0, ColorSpace::DeviceCMYK, false },
        { 1, false, 0, ColorSpace::CalibratedWhite, false },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.samples);
        BitmapImageRep::Layout layout;
        layout.width = 5, layout.height = 3, layout.samplesPerPixel = r.samples, layout.bitsPerPixel = r.samples * 8;
        layout.hasAlpha = r.alpha, layout.formatFlags = r.flags, layout.colorSpace = r.space;
        BitmapImageRep b(layout);
        ASSERT_FALSE(b.isNull());
        const int first = (r.flags & BitmapFormatAlphaFirst) ? 1 : 0;
        for (int i = 0; i < 15; ++i) {
            std::uint8_t* p = b.bitmapData() + i * r.samples;
            std::fill_n(p, r.samples, std::uint8_t(0));
            if (r.samples >= 3)
                p[first] = 250, p[first + 1] = 20, p[first + 2] = 120;
        }
        const QString path
            = dir.filePath(QStringLiteral("l%1-%2-%3.jpg").arg(r.samples).arg(r.flags).arg(int(r.space)));
        const Status written = saveNSBitmapImageRepWithLibJpeg(b, path, 95);
        ASSERT_EQ(written.ok(), r.ok) << written.error().toStdString();
        EXPECT_EQ(QFileInfo(path).isFile(), r.ok);
        if (!r.ok)
            continue;
        Result<DecodedBitmap> back = decodeImageFile(path);
        ASSERT_TRUE(back.ok());
        const std::uint8_t* p = pixelAt(back->bitmap, 2, 1);
        EXPECT_NEAR(p[0], 250, 8);
        EXPECT_NEAR(p[1], 20, 8);
        EXPECT_NEAR(p[2], 120, 8);
    }
}

TEST(JpegWriter, ALibjpegErrorIsReportedNotFatal)
{
    // Wider than JPEG allows: libjpeg's error exit would end the process.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wide.jpg"));
    const Status written = saveNSBitmapImageRepWithLibJpeg(pattern(70000, 1), path, 90);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.error().contains(QLatin1String("JPEG"))) << written.error().toStdString();
    EXPECT_TRUE(entries(dir.path()).isEmpty());
}
