#include "platform/LosslessJpeg.h"
#include "TestSupport.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageEncoder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

using namespace quillum;
using quillum::test::dataPath;

namespace {

// A busy A,R,G,B picture: every 8 × 8 block and every chroma sample differs from its
// neighbours, so a block copied from the wrong place shows.
BitmapImageRep busyPicture(int w, int h)
{
    BitmapImageRep b = BitmapImageRep::makeARGB(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.bitmapData() + std::size_t(y) * b.bytesPerRow() + std::size_t(x) * 4;
            p[0] = 255;
            p[1] = std::uint8_t((x * 7 + y * 3) ^ (x * y));
            p[2] = std::uint8_t(x * 5 - y * 11);
            p[3] = std::uint8_t((x / 3) * 40 + (y / 5) * 25);
        }
    return b;
}

// The 100 × 75 picture leaves partial MCUs at the right and bottom for both grids.
constexpr int kWidth = 100, kHeight = 75;

// The encoder's libjpeg path (metadata off) subsamples chroma 2 × 2; the vips path at
// quality 95 keeps every chroma sample.
QString writeSource(const QTemporaryDir& dir, bool subsampled)
{
    const QString path = dir.filePath(subsampled ? QStringLiteral("s420.jpg") : QStringLiteral("s444.jpg"));
    EncodeOptions options;
    options.jpegQuality = subsampled ? 80 : 95;
    options.withMetadata = !subsampled;
    EXPECT_TRUE(writeWorkingBitmap(busyPicture(kWidth, kHeight), path, ImageFileType::Jpeg, options).ok());
    return path;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(LosslessJpeg, DecodedCropEqualsTheSourceInsideTheRectangle)
{
    QTemporaryDir dir;
    // 4:2:0 is compared one pixel inside every edge that cuts through the picture: the
    // decoder's chroma upsampling blends across a cut edge with samples the crop no longer
    // has, though every coefficient is the source's.
    const struct {
        const char* name;
        bool subsampled;
        JpegRect rect;
    } cases[] = {
        { "444-interior", false, { 8, 16, 40, 24 } },
        { "444-odd-size", false, { 24, 8, 13, 7 } },
        { "444-reaches-right-and-bottom", false, { 88, 64, 12, 11 } },
        { "444-whole", false, { 0, 0, kWidth, kHeight } },
        { "420-interior", true, { 16, 32, 48, 32 } },
        { "420-odd-size", true, { 32, 16, 21, 19 } },
        { "420-reaches-right-and-bottom", true, { 80, 64, 20, 11 } },
        { "420-whole", true, { 0, 0, kWidth, kHeight } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = writeSource(dir, c.subsampled);
        Result<JpegLayout> layout = readJpegLayout(source);
        ASSERT_TRUE(layout) << qPrintable(layout.error());
        EXPECT_EQ(layout->width, kWidth);
        EXPECT_EQ(layout->height, kHeight);
        EXPECT_EQ(layout->mcuWidth, c.subsampled ? 16 : 8);
        EXPECT_EQ(layout->mcuHeight, c.subsampled ? 16 : 8);

        const QString out = dir.filePath(QStringLiteral("crop.jpg"));
        const Status written = writeLosslessJpegCrop(source, c.rect, out, {});
        ASSERT_TRUE(written) << qPrintable(written.error());
        Result<DecodedBitmap> whole = decodeImageFile(source);
        Result<DecodedBitmap> crop = decodeImageFile(out);
        ASSERT_TRUE(whole && crop);
        const BitmapImageRep& s = whole->bitmap;
        const BitmapImageRep& d = crop->bitmap;
        ASSERT_EQ(d.pixelsWide(), c.rect.width);
        ASSERT_EQ(d.pixelsHigh(), c.rect.height);
        ASSERT_EQ(d.samplesPerPixel(), 3);
        const int margin = c.subsampled ? 1 : 0;
        const int x0 = c.rect.x > 0 ? margin : 0, y0 = c.rect.top > 0 ? margin : 0;
        const int x1 = c.rect.x + c.rect.width < kWidth ? c.rect.width - margin : c.rect.width;
        const int y1 = c.rect.top + c.rect.height < kHeight ? c.rect.height - margin : c.rect.height;
        int differing = 0;
        for (int y = y0; y < y1; ++y)
            differing
                += std::memcmp(d.bitmapData() + std::size_t(y) * d.bytesPerRow() + std::size_t(x0) * 3,
                       s.bitmapData() + std::size_t(c.rect.top + y) * s.bytesPerRow() + std::size_t(c.rect.x + x0) * 3,
                       std::size_t(x1 - x0) * 3)
                != 0;
        EXPECT_EQ(differing, 0) << "rows differ";
    }
}

TEST(LosslessJpeg, SnapMovesTheCornerLeftAndUpKeepingTheFarEdges)
{
    const struct {
        const char* name;
        JpegRect rect;
        int mcuW, mcuH;
        JpegRect snapped;
    } cases[] = {
        { "on-the-grid", { 16, 32, 10, 10 }, 16, 16, { 16, 32, 10, 10 } },
        { "one-past-a-line", { 17, 33, 10, 10 }, 16, 16, { 16, 32, 11, 11 } },
        { "one-before-a-line", { 15, 31, 10, 10 }, 16, 16, { 0, 16, 25, 25 } },
        { "at-the-origin", { 0, 0, 5, 5 }, 8, 8, { 0, 0, 5, 5 } },
        { "wide-mcu-422", { 20, 20, 4, 4 }, 16, 8, { 16, 16, 8, 8 } },
        { "tall-mcu-440", { 20, 20, 4, 4 }, 8, 16, { 16, 16, 8, 8 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(snapToMcuGrid(c.rect, c.mcuW, c.mcuH), c.snapped);
    }
}

TEST(LosslessJpeg, RefusesACornerOffTheGridOrARectangleOutside)
{
    QTemporaryDir dir;
    const QString source = writeSource(dir, true);
    for (const JpegRect& rect : { JpegRect { 8, 0, 16, 16 }, JpegRect { 0, 8, 16, 16 }, JpegRect { 96, 0, 5, 16 },
             JpegRect { 0, 64, 16, 12 }, JpegRect { 0, 0, 0, 16 } }) {
        Result<QByteArray> jpeg = cropJpegLosslessly(source, rect, {});
        EXPECT_FALSE(jpeg) << rect.x << "," << rect.top << " " << rect.width << "x" << rect.height;
        EXPECT_FALSE(jpeg.error().isEmpty());
    }
}

TEST(LosslessJpeg, MetadataAsTheNormalSaveWritesIt)
{
    QTemporaryDir dir;
    // orient6.jpg: EXIF orientation 6 and camera tags; 16 × 8, 4:2:0 or finer.
    const QString source = dataPath("orient6.jpg");
    QFile icc(dataPath("rgb.icc"));
    ASSERT_TRUE(icc.open(QIODevice::ReadOnly));
    const QByteArray profile = icc.readAll();
    const QString kept = dir.filePath(QStringLiteral("kept.jpg"));
    ASSERT_TRUE(writeLosslessJpegCrop(source, { 0, 0, 8, 8 }, kept, { true, profile }));
    Result<DecodedBitmap> withMeta = decodeImageFile(kept);
    ASSERT_TRUE(withMeta);
    EXPECT_EQ(withMeta->properties.value(QStringLiteral("Orientation")).toInt(), 1);
    EXPECT_EQ(withMeta->properties.value(QStringLiteral("{TIFF}")).toMap().value(QStringLiteral("Make")).toString(),
        QStringLiteral("Quillum Labs"));
    EXPECT_EQ(withMeta->bitmap.colorProfile(), profile);

    const QString plain = dir.filePath(QStringLiteral("plain.jpg"));
    ASSERT_TRUE(writeLosslessJpegCrop(source, { 0, 0, 8, 8 }, plain, { false, profile }));
    Result<DecodedBitmap> without = decodeImageFile(plain);
    ASSERT_TRUE(without);
    EXPECT_FALSE(without->properties.contains(QStringLiteral("Orientation")));
    EXPECT_FALSE(without->properties.contains(QStringLiteral("{TIFF}")));
    EXPECT_TRUE(without->bitmap.colorProfile().isEmpty());
}

TEST(LosslessJpeg, AnUnwritableFolderFailsWithAMessageAndLeavesNoFile)
{
    QTemporaryDir dir;
    const QString source = writeSource(dir, false);
    // A file where the folder should be refuses even the administrator.
    const QString notAFolder = dir.filePath(QStringLiteral("locked"));
    QFile blocker(notAFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList before = filesIn(dir.path());
    const Status written
        = writeLosslessJpegCrop(source, { 0, 0, 16, 16 }, notAFolder + QStringLiteral("/crop.jpg"), {});
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.error().contains(QStringLiteral("crop.jpg"))) << qPrintable(written.error());
    EXPECT_EQ(filesIn(dir.path()), before);
}

TEST(LosslessJpeg, BrokenSourcesFailCleanly)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        { "truncated", dataPath("truncated.jpg") },
        { "empty", dataPath("empty.jpg") },
        { "not-an-image", dataPath("notanimage.jpg") },
        { "a-png", dataPath("one-pixel.png") },
        { "missing", dir.filePath(QStringLiteral("gone.jpg")) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = dir.filePath(QStringLiteral("out.jpg"));
        const Status written = writeLosslessJpegCrop(c.path, { 0, 0, 16, 16 }, target, {});
        EXPECT_FALSE(written);
        EXPECT_FALSE(written.error().isEmpty());
        EXPECT_FALSE(QFile::exists(target));
    }
    // Only the header is read for the layout: a file cut short still has one.
    EXPECT_TRUE(readJpegLayout(dataPath("truncated.jpg")));
    EXPECT_FALSE(readJpegLayout(dataPath("notanimage.jpg")));
}
