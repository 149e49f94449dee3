#include "platform/ImageDecoder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QImage>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace quillum;
using quillum::test::dataPath;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Pixel {
    int x, y;
    std::vector<int> samples;
};

struct LayoutCase {
    const char* file;
    int width, height, samples;
    bool alpha;
    ColorSpace space;
    bool icc;
    int tolerance; // JPEG fixtures are lossy
    std::vector<Pixel> pixels;
};

// Alpha stays straight (not multiplied into the colour).
const std::vector<LayoutCase> layoutCases = {
    { "one-pixel.png", 1, 1, 3, false, ColorSpace::CalibratedRGB, false, 0, { { 0, 0, { 200, 100, 50 } } } },
    { "grey.jpg", 32, 24, 1, false, ColorSpace::CalibratedWhite, false, 2, { { 2, 2, { 64 } }, { 30, 20, { 192 } } } },
    { "grey-alpha.png", 4, 2, 2, true, ColorSpace::CalibratedWhite, false, 0,
        { { 0, 0, { 100, 255 } }, { 3, 1, { 100, 128 } } } },
    { "sixteen-bit.png", 4, 4, 3, false, ColorSpace::CalibratedRGB, false, 0,
        { { 0, 0, { 255, 128, 0 } }, { 3, 3, { 16, 32, 255 } } } },
    { "rgba.png", 4, 4, 4, true, ColorSpace::CalibratedRGB, false, 0,
        { { 0, 0, { 255, 0, 0, 255 } }, { 1, 0, { 0, 255, 0, 128 } }, { 2, 0, { 255, 255, 255, 0 } },
            { 3, 3, { 0, 0, 255, 255 } } } },
    { "cmyk-profile.jpg", 32, 24, 4, false, ColorSpace::DeviceCMYK, true, 3,
        { { 2, 2, { 255, 0, 0, 0 } }, { 28, 20, { 0, 0, 0, 255 } } } },
    { "cmyk-noprofile.jpg", 32, 24, 4, false, ColorSpace::DeviceCMYK, false, 3,
        { { 2, 2, { 255, 0, 0, 0 } }, { 28, 20, { 0, 0, 0, 255 } } } },
    { "orient6.jpg", 16, 8, 3, false, ColorSpace::CalibratedRGB, false, 3,
        { { 2, 2, { 255, 0, 0 } }, { 13, 5, { 255, 255, 255 } } } },
    { "red-block.webp", 16, 8, 3, false, ColorSpace::CalibratedRGB, false, 0,
        { { 2, 2, { 255, 0, 0 } }, { 13, 5, { 255, 255, 255 } } } },
    { "red-block.gif", 16, 8, 3, false, ColorSpace::CalibratedRGB, false, 0,
        { { 2, 2, { 255, 0, 0 } }, { 13, 5, { 255, 255, 255 } } } },
    { "red-block.avif", 16, 8, 3, false, ColorSpace::CalibratedRGB, false, 4,
        { { 2, 2, { 255, 0, 0 } }, { 13, 5, { 255, 255, 255 } } } },
};

TEST(ImageDecoder, DecodesEachFixtureToItsLayout)
{
    for (const LayoutCase& c : layoutCases) {
        SCOPED_TRACE(c.file);
        Result<DecodedBitmap> decoded = decodeImageFile(dataPath(c.file));
        ASSERT_TRUE(decoded.ok()) << decoded.error().toStdString();
        const BitmapImageRep& bitmap = decoded->bitmap;
        EXPECT_EQ(bitmap.pixelsWide(), c.width);
        EXPECT_EQ(bitmap.pixelsHigh(), c.height);
        EXPECT_EQ(bitmap.samplesPerPixel(), c.samples);
        EXPECT_EQ(bitmap.bitsPerPixel(), c.samples * 8);
        EXPECT_EQ(bitmap.bytesPerRow(), std::size_t(c.width * c.samples));
        EXPECT_EQ(bitmap.hasAlpha(), c.alpha);
        EXPECT_EQ(bitmap.colorSpace(), c.space);
        EXPECT_EQ(bitmap.bitmapFormat(), c.alpha ? unsigned(BitmapFormatAlphaNonpremultiplied) : 0u);
        EXPECT_FALSE(bitmap.isPlanar());
        EXPECT_EQ(!bitmap.colorProfile().isEmpty(), c.icc);
        EXPECT_EQ(decoded->properties.value("PixelWidth").toInt(), c.width);
        EXPECT_EQ(decoded->properties.value("PixelHeight").toInt(), c.height);
        for (const Pixel& p : c.pixels) {
            const std::uint8_t* at = bitmap.bitmapData() + p.y * bitmap.bytesPerRow() + p.x * c.samples;
            for (std::size_t s = 0; s < p.samples.size(); ++s)
                EXPECT_LE(std::abs(at[s] - p.samples[s]), c.tolerance)
                    << "pixel " << p.x << "," << p.y << " sample " << s << " is " << int(at[s]);
        }
    }
}

TEST(ImageDecoder, PastedDataDecodesLikeTheFile)
{
    for (const char* name : { "rgba.png", "cmyk-profile.jpg", "orient6.jpg" }) {
        SCOPED_TRACE(name);
        Result<DecodedBitmap> fromFile = decodeImageFile(dataPath(name));
        Result<DecodedBitmap> pasted = decodeImageData(readAll(dataPath(name)));
        ASSERT_TRUE(fromFile.ok() && pasted.ok()) << pasted.error().toStdString();
        const BitmapImageRep& a = fromFile->bitmap;
        const BitmapImageRep& b = pasted->bitmap;
        ASSERT_EQ(a.planeBytes(), b.planeBytes());
        EXPECT_EQ(std::memcmp(a.bitmapData(), b.bitmapData(), a.planeBytes()), 0);
        EXPECT_EQ(a.colorProfile(), b.colorProfile());
        EXPECT_EQ(fromFile->properties, pasted->properties);
    }
}

// Messages ending in "(" continue with the decoder library's own reason.
TEST(ImageDecoder, RefusesBadFilesWithAMessageNamingThem)
{
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        { "empty.jpg", "“empty.jpg” could not be opened: the file is empty." },
        { "notanimage.jpg", "“notanimage.jpg” is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
        { "truncated.jpg", "“truncated.jpg” is damaged or incomplete (" },
        { "huge-header.png", "“huge-header.png” is too large: 100000 × 100000 pixels (the limit is 200 megapixels)." },
        { "no-such-file.jpg", "“no-such-file.jpg” does not exist." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Result<DecodedBitmap> decoded = decodeImageFile(dataPath(c.file));
        ASSERT_FALSE(decoded.ok());
        EXPECT_TRUE(decoded.error().startsWith(QString::fromUtf8(c.message)) && decoded.error().endsWith("."))
            << decoded.error().toStdString();
    }
    Result<DecodedBitmap> folder = decodeImageFile(QDir(dataPath("")).absolutePath());
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error().endsWith("is a folder, not an image file.")) << folder.error().toStdString();
}

TEST(ImageDecoder, RefusesBadPastedData)
{
    const QByteArray png = readAll(dataPath("rgba.png"));
    const struct {
        QByteArray data;
        const char* message;
    } cases[] = {
        { QByteArray(), "The pasted image is empty." },
        { readAll(dataPath("notanimage.jpg")),
            "The pasted image is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
        { readAll(dataPath("truncated.jpg")), "The pasted image is damaged or incomplete (" },
        { png.left(png.size() / 2), "The pasted image is damaged or incomplete (" },
        { readAll(dataPath("huge-header.png")), "The pasted image is too large: 100000 × 100000 pixels" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Result<DecodedBitmap> decoded = decodeImageData(c.data);
        ASSERT_FALSE(decoded.ok());
        EXPECT_TRUE(decoded.error().startsWith(QString::fromUtf8(c.message))) << decoded.error().toStdString();
    }
}

// libvips would read all of these; a photo tool needs none of them, and the renderers among
// them follow links to other files. The content decides, never the name.
TEST(ImageDecoder, RefusesWhatIsNotAPhotoWhateverItsName)
{
    const QString tail = QStringLiteral(" is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture.");
    for (const char* name : { "svg-named.jpg", "pdf-named.jpg", "ppm-named.jpg", "fits-named.jpg", "matlab-named.jpg",
             "matrix-named.jpg", "vips-native-named.jpg" }) {
        SCOPED_TRACE(name);
        const QString path = dataPath("hostile/") + QString::fromLatin1(name);
        Result<DecodedBitmap> decoded = decodeImageFile(path);
        EXPECT_EQ(decoded.ok() ? QString() : decoded.error(), QStringLiteral("“%1”").arg(name) + tail);
        Result<DecodedBitmap> pasted = decodeImageData(readAll(path));
        EXPECT_EQ(pasted.ok() ? QString() : pasted.error(), QStringLiteral("The pasted image") + tail);
        EXPECT_TRUE(readImageProperties(path).isEmpty());
    }
    // A photo format under another photo format's name is simply read.
    for (const char* name : { "png-named.tif", "jpeg-named.png" }) {
        Result<DecodedBitmap> decoded = decodeImageFile(dataPath("hostile/") + QString::fromLatin1(name));
        EXPECT_TRUE(decoded.ok()) << name << ": " << decoded.error().toStdString();
    }
}

// A file cut short and one missing only its final end marker both end inside the scan
// data; only the second holds every pixel.
TEST(ImageDecoder, MissingEndMarkerDecodesButCutDataStaysRefused)
{
    Result<DecodedBitmap> file = decodeImageFile(dataPath("missing-eoi.jpg"));
    ASSERT_TRUE(file.ok()) << file.error().toStdString();
    EXPECT_EQ(file->bitmap.pixelsWide(), 64);
    EXPECT_EQ(file->bitmap.pixelsHigh(), 48);
    Result<DecodedBitmap> pasted = decodeImageData(readAll(dataPath("missing-eoi.jpg")));
    ASSERT_TRUE(pasted.ok()) << pasted.error().toStdString();
    EXPECT_EQ(std::memcmp(file->bitmap.bitmapData(), pasted->bitmap.bitmapData(), file->bitmap.planeBytes()), 0);

    // Cut from the last data byte on back to the middle of the file.
    const QByteArray whole = readAll(dataPath("missing-eoi.jpg"));
    for (int cut : { 1, 2, 40, 600, int(whole.size() / 2) }) {
        SCOPED_TRACE(cut);
        Result<DecodedBitmap> refused = decodeImageData(whole.chopped(cut));
        ASSERT_FALSE(refused.ok());
        EXPECT_TRUE(refused.error().startsWith(QStringLiteral("The pasted image is damaged or incomplete (")))
            << refused.error().toStdString();
    }
    for (const char* name : { "truncated.jpg", "hostile/truncated-progressive.jpg" }) {
        Result<DecodedBitmap> refused = decodeImageFile(dataPath(name));
        ASSERT_FALSE(refused.ok()) << name;
        EXPECT_TRUE(refused.error().contains(QStringLiteral(" is damaged or incomplete (")))
            << refused.error().toStdString();
    }
}

TEST(ImageDecoder, StopsWhenOutOfTimeOrCancelled)
{
    const QString coffee = test::samplePath("coffee.jpg");
    DecodeOptions noTime;
    noTime.timeLimit = std::chrono::milliseconds(0);
    Result<DecodedBitmap> late = decodeImageFile(coffee, noTime);
    EXPECT_EQ(late.ok() ? QString() : late.error(), "“coffee.jpg” took too long to decode (the limit is 0 seconds).");
    EXPECT_EQ(decodeTookTooLong(coffee, std::chrono::milliseconds(20000)).message(),
        "“coffee.jpg” took too long to decode (the limit is 20 seconds).");

    CancelToken cancelled;
    cancelled.cancel();
    DecodeOptions withToken;
    withToken.cancel = &cancelled;
    Result<DecodedBitmap> early = decodeImageFile(coffee, withToken);
    EXPECT_EQ(early.ok() ? QString() : early.error(), "“coffee.jpg” could not be opened: decoding was cancelled.");

    // A cancel from another thread while the strips are being pulled.
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.png"));
    QImage grey(8000, 8000, QImage::Format_Grayscale8);
    grey.fill(90);
    ASSERT_TRUE(grey.save(big));
    CancelToken token;
    DecodeOptions options;
    options.cancel = &token;
    std::optional<Result<DecodedBitmap>> result;
    std::thread decoding([&] { result.emplace(decodeImageFile(big, options)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    token.cancel();
    decoding.join();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ok() ? QString() : result->error(), "“big.png” could not be opened: decoding was cancelled.");
}

TEST(ImageDecoder, PixelLimitIsInclusive)
{
    // grey.jpg holds 32 × 24 = 768 pixels.
    EXPECT_TRUE(decodeImageFile(dataPath("grey.jpg"), DecodeOptions { 768 }).ok());
    Result<DecodedBitmap> refused = decodeImageFile(dataPath("grey.jpg"), DecodeOptions { 767 });
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), "“grey.jpg” is too large: 32 × 24 pixels (the limit is 0.000767 megapixels).");
}

TEST(ImageDecoder, OpensNamesThatLookLikeLoaderOptions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : { "scan[1]", "café [2].jpg" }) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(QFile::copy(dataPath("grey.jpg"), path));
        Result<DecodedBitmap> decoded = decodeImageFile(path);
        EXPECT_TRUE(decoded.ok()) << name << ": " << decoded.error().toStdString();
    }
}

TEST(ImageDecoder, ReadsThePropertyDictionary)
{
    Result<DecodedBitmap> decoded = decodeImageFile(dataPath("orient6.jpg"));
    ASSERT_TRUE(decoded.ok()) << decoded.error().toStdString();
    const QVariantMap& properties = decoded->properties;
    EXPECT_EQ(properties.value("Orientation"), QVariant(6));

    const QVariantMap tiff = properties.value("{TIFF}").toMap();
    EXPECT_EQ(tiff.value("Make"), QVariant(QString("Quillum Labs")));
    EXPECT_EQ(tiff.value("Model"), QVariant(QString("Test Camera 1")));
    EXPECT_EQ(tiff.value("Orientation"), QVariant(6));
    EXPECT_DOUBLE_EQ(tiff.value("XResolution").toDouble(), 72.0);
    EXPECT_FALSE(tiff.contains("ExifTag")); // an offset, not a property

    const QVariantMap exif = properties.value("{Exif}").toMap();
    EXPECT_EQ(exif.value("DateTimeOriginal"), QVariant(QString("2021:06:15 10:30:00")));
    EXPECT_DOUBLE_EQ(exif.value("ExposureTime").toDouble(), 1.0 / 250);
    EXPECT_DOUBLE_EQ(exif.value("FNumber").toDouble(), 2.8);
    EXPECT_EQ(exif.value("ISOSpeedRatings"), QVariant(200));

    EXPECT_EQ(readImageProperties(dataPath("orient6.jpg")), properties);
    const QVariantMap plain = readImageProperties(dataPath("rgba.png"));
    EXPECT_EQ(plain, (QVariantMap { { "PixelWidth", 4 }, { "PixelHeight", 4 } }));
    EXPECT_TRUE(readImageProperties(dataPath("notanimage.jpg")).isEmpty());
    EXPECT_TRUE(readImageProperties(dataPath("no-such-file.jpg")).isEmpty());
}

TEST(ImageDecoder, SamplesDecodeWithTheirOrientation)
{
    const struct {
        const char* file;
        int width, height, samples, orientation;
    } cases[] = {
        { "astronaut.jpg", 512, 512, 3, 1 },
        { "coffee.jpg", 600, 400, 3, 1 },
        { "rocket.jpg", 640, 427, 3, 1 },
        { "camera-grey.jpg", 512, 512, 1, 1 },
        { "cat-orientation6.jpg", 300, 451, 3, 6 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Result<DecodedBitmap> decoded = decodeImageFile(quillum::test::samplePath(c.file));
        ASSERT_TRUE(decoded.ok()) << decoded.error().toStdString();
        EXPECT_EQ(decoded->bitmap.pixelsWide(), c.width);
        EXPECT_EQ(decoded->bitmap.pixelsHigh(), c.height);
        EXPECT_EQ(decoded->bitmap.samplesPerPixel(), c.samples);
        EXPECT_EQ(decoded->properties.value("Orientation"), QVariant(c.orientation));
    }
}

} // namespace
