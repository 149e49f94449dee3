#include "DecorationTestSupport.h"
#include "TestSupport.h"

#include "decorations/DecorationDrawing.h"
#include "decorations/LogoImage.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <limits>

using namespace quillum;
using namespace quillum::test;

namespace {

QImage solidLogo(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

LogoSettings logoAt(int location, bool proportional)
{
    LogoSettings logo;
    logo.drawLogo = true;
    logo.widthValue = 10;
    logo.heightValue = 5;
    logo.offsetXValue = 2;
    logo.offsetYValue = 2;
    logo.locationValue = location;
    logo.proportionalResize = proportional;
    return logo;
}

// PNG's chunk checksum, so a doctored header still reads as a valid one.
quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

// The drawn logo's box, read back from the pixels of an opaque blue logo on black.
TEST(LogoDrawing, StampsTheLogoWhereItsLocationPutsIt)
{
    struct Row {
        const char* name;
        int location;
        bool proportional;
        InkBox expected; // left, bottom, right, top (inclusive), bottom-left origin
    };
    const Row rows[] = {
        { "bottom_right_proportional", 8, true, { 1760, 40, 1959, 139 } },
        { "bottom_right_by_sides", 8, false, { 1760, 20, 1959, 69 } },
        { "top_left", 0, true, { 40, 1000 - 100 - 40, 239, 1000 - 40 - 1 } },
        { "top_centre", 1, true, { 900, 860, 1099, 959 } },
        { "middle_right", 5, true, { 1760, 450, 1959, 549 } },
        { "bottom_left_by_sides", 6, false, { 40, 20, 239, 69 } },
        { "location_12_is_the_centre", 12, true, { 900, 450, 1099, 549 } },
        { "negative_location_is_the_centre", -1, true, { 900, 450, 1099, 549 } },
    };
    const QImage blue = solidLogo(400, 200, QColor(0, 0, 255));
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BitmapImageRep out = filledOutput(2000, 1000, { 255, 0, 0, 0 });
        drawLogo(out, logoAt(r.location, r.proportional), blue);
        const InkBox box = inkBox(out, 3, 127);
        EXPECT_EQ(box.left, r.expected.left);
        EXPECT_EQ(box.bottom, r.expected.bottom);
        EXPECT_EQ(box.right, r.expected.right);
        EXPECT_EQ(box.top, r.expected.top);
        // Inside, fully the logo; one pixel outside, untouched.
        EXPECT_EQ(pixelAt(out, r.expected.left, r.expected.bottom), (Argb { 255, 0, 0, 255 }));
        EXPECT_EQ(pixelAt(out, r.expected.right, r.expected.top), (Argb { 255, 0, 0, 255 }));
        EXPECT_EQ(pixelAt(out, r.expected.left - 1, r.expected.bottom), (Argb { 255, 0, 0, 0 }));
        EXPECT_EQ(pixelAt(out, r.expected.right, r.expected.top + 1), (Argb { 255, 0, 0, 0 }));
    }
}

TEST(LogoDrawing, OpacityAndTransparency)
{
    struct Row {
        const char* name;
        QColor logo;
        float opacity;
        Argb background, expected;
    };
    const Row rows[] = {
        { "half_strength", QColor(0, 0, 255), 0.5f, { 255, 200, 0, 0 }, { 255, 100, 0, 128 } },
        { "full_strength", QColor(0, 0, 255), 1.0f, { 255, 200, 0, 0 }, { 255, 0, 0, 255 } },
        { "translucent_logo_at_full", QColor(255, 255, 255, 128), 1.0f, { 255, 0, 0, 0 }, { 255, 128, 128, 128 } },
        { "over_a_transparent_output", QColor(0, 255, 0), 0.5f, { 0, 0, 0, 0 }, { 128, 0, 128, 0 } },
        { "zero_opacity", QColor(0, 255, 0), 0.0f, { 255, 1, 2, 3 }, { 255, 1, 2, 3 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BitmapImageRep out = filledOutput(2000, 1000, r.background);
        LogoSettings logo = logoAt(8, true);
        logo.opaqueValue = r.opacity;
        drawLogo(out, logo, solidLogo(40, 20, r.logo));
        EXPECT_EQ(pixelAt(out, 1800, 80), r.expected);
        EXPECT_EQ(pixelAt(out, 1000, 500), r.background);
    }
}

TEST(LogoDrawing, SkipsOrClipsWhatCannotBeDrawn)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        const char* name;
        bool drawLogo;
        bool nullImage;
        double width, height;
        bool coversOutput; // else: draws nothing
    };
    const Row rows[] = {
        { "switched_off", false, false, 10, 10, false },
        { "no_image", true, true, 10, 10, false },
        { "nan_width", true, false, nan, 10, false },
        { "infinite_height", true, false, 10, inf, false },
        { "zero_size", true, false, 0, 0, false },
        { "negative_size", true, false, -10, -10, false },
        { "huge_covers_and_is_clipped", true, false, 1e12, 1e12, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        LogoSettings logo = logoAt(4, true);
        logo.drawLogo = r.drawLogo;
        logo.widthValue = float(r.width);
        logo.heightValue = float(r.height);
        BitmapImageRep out = filledOutput(300, 200, { 255, 0, 0, 0 });
        drawLogo(out, logo, r.nullImage ? QImage() : solidLogo(50, 50, Qt::white));
        const InkBox box = inkBox(out, 1, 127);
        if (r.coversOutput) {
            EXPECT_EQ(box.left, 0);
            EXPECT_EQ(box.bottom, 0);
            EXPECT_EQ(box.right, 299);
            EXPECT_EQ(box.top, 199);
        } else {
            EXPECT_TRUE(box.isEmpty());
        }
    }
}

TEST(LogoImage, SampleLogoIsBuiltIn)
{
    const QImage logo = sampleLogoImage();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(500, 250));
    EXPECT_EQ(logo.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(logo.pixel(0, 0)), 0) << "a transparent corner";
    EXPECT_EQ(logo.pixel(300, 79), qRgba(255, 255, 255, 255)) << "an opaque white bar";
    EXPECT_GT(qAlpha(logo.pixel(250, 20)), 0);
    EXPECT_LT(qAlpha(logo.pixel(250, 20)), 255) << "a translucent plate";
}

TEST(LogoImage, ReadsPicturesAndRefusesTheRest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(QColor(255, 0, 0, 128));
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, "PNG"));
    }
    auto write = [&](const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    };
    // A picture whose header claims 40000 x 40000 pixels: refused before anything is allocated.
    QByteArray giant = png;
    giant.replace(16, 8, QByteArray::fromHex("00009c4000009c40"));
    const quint32 crc = crc32(giant.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        giant[29 + i] = char(crc >> (24 - 8 * i));

    struct Row {
        const char* file;
        QByteArray bytes;
        bool ok;
    };
    const Row rows[] = {
        { "logo.png", png, true },
        { "wrong-extension.jpg", png, true },
        { "notes.png", "This is a text file, not a picture.\n", false },
        { "truncated.png", png.left(png.size() / 2), false },
        { "empty.png", QByteArray(), false },
        { "giant.png", giant, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        const Result<QImage> read = readLogoImage(write(r.file, r.bytes));
        ASSERT_EQ(read.ok(), r.ok) << qPrintable(read.error());
        if (r.ok) {
            EXPECT_EQ(read->size(), QSize(30, 20));
            EXPECT_EQ(read->format(), QImage::Format_ARGB32_Premultiplied);
            EXPECT_EQ(read->pixel(0, 0), qRgba(128, 0, 0, 128)) << "premultiplied";
        } else {
            EXPECT_TRUE(read.error().startsWith(
                QStringLiteral("The logo \u201c%1\u201d cannot be read: ").arg(QString::fromLatin1(r.file))))
                << qPrintable(read.error());
        }
    }
    const Result<QImage> missing = readLogoImage(dir.filePath(QStringLiteral("gone.png")));
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().contains(QStringLiteral("gone.png")));
}

TEST(LogoImage, JpegFilesAreTurnedUprightAndMustBeComplete)
{
    struct Row {
        const char* file;
        QSize size; // empty: refused
    };
    const Row rows[] = {
        { "orient6.jpg", QSize(8, 16) }, // stored 16 x 8, turned by its EXIF orientation
        { "grey.jpg", QSize(32, 24) }, { "truncated.jpg", QSize() }, { "notanimage.jpg", QSize() },
        { "huge-header.png", QSize() }, { "red-block.webp", QSize() }, // not one of Qt's own readers
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        const Result<QImage> read = readLogoImage(dataPath(r.file));
        ASSERT_EQ(read.ok(), !r.size.isEmpty()) << qPrintable(read.error());
        if (read.ok())
            EXPECT_EQ(read->size(), r.size);
        else
            EXPECT_TRUE(read.error().contains(QString::fromLatin1(r.file))) << qPrintable(read.error());
    }
}
