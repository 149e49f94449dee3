#include "TestSupport.h"
#include "platform/ImageDecoder.h"
#include "platform/JpegMarkers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace quillum;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray segment(int marker, const QByteArray& body)
{
    const int length = int(body.size()) + 2;
    return bytes({ 0xFF, marker, length >> 8, length & 0xFF }) + body;
}

const QByteArray soi = bytes({ 0xFF, 0xD8 });
const QByteArray eoi = bytes({ 0xFF, 0xD9 });
const QByteArray sos = segment(0xDA, bytes({ 1, 1, 0, 0, 63, 0 }));

TEST(JpegMarkers, CountsScansAndSeesTheEnd)
{
    const QByteArray thumbnail = soi + sos + bytes({ 0x12, 0x34 }) + sos + bytes({ 0x56 }) + eoi;
    const struct {
        const char* name;
        QByteArray data;
        bool isJpeg;
        int scans;
        bool endsWithEoi;
    } cases[] = {
        { "not a JPEG", bytes({ 0x89, 'P', 'N', 'G' }), false, 0, false },
        { "empty", QByteArray(), false, 0, false },
        { "one scan", soi + sos + bytes({ 1, 2, 3 }) + eoi, true, 1, true },
        { "stuffed FF 00 stays inside the scan", soi + sos + bytes({ 0xFF, 0x00, 0xFF, 0x00, 7 }) + eoi, true, 1,
            true },
        { "restart markers stay inside the scan",
            soi + sos + bytes({ 1, 0xFF, 0xD0, 2, 0xFF, 0xD7, 3 }) + sos + bytes({ 4 }) + eoi, true, 2, true },
        { "fill bytes before a marker", soi + sos + bytes({ 1, 0xFF, 0xFF, 0xFF }) + sos + bytes({ 2 }) + eoi, true, 2,
            true },
        { "a thumbnail's scans inside APP1 are skipped", soi + segment(0xE1, thumbnail) + sos + bytes({ 9 }) + eoi,
            true, 1, true },
        { "scan data running to the end", soi + sos + bytes({ 1, 2, 3 }), true, 1, false },
        { "a lone FF at the end", soi + sos + bytes({ 1, 2, 0xFF }), true, 1, false },
        { "segment longer than the file", soi + bytes({ 0xFF, 0xE1, 0x40, 0x00, 1, 2 }), true, 0, false },
        { "segment length below 2", soi + bytes({ 0xFF, 0xE1, 0x00, 0x01 }) + sos + eoi, true, 0, false },
        { "what follows the end is not read", soi + sos + bytes({ 1 }) + eoi + sos + sos + eoi, true, 1, true },
        { "stray bytes between segments are skipped", soi + bytes({ 0, 1, 2 }) + sos + bytes({ 3 }) + eoi, true, 1,
            true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const JpegMarkerWalk walk = walkJpegMarkers(c.data);
        EXPECT_EQ(walk.isJpeg, c.isJpeg);
        EXPECT_EQ(walk.scans, c.scans);
        EXPECT_EQ(walk.endsWithEoi, c.endsWithEoi);
        EXPECT_FALSE(walk.progressive);
    }
    EXPECT_TRUE(walkJpegMarkers(test::progressiveGreyJpeg(8, 8, 3)).progressive);
    EXPECT_EQ(walkJpegMarkers(test::progressiveGreyJpeg(8, 8, 3)).scans, 3);
}

// Scan data spanning many reads, with a stuffed byte or a restart marker split across
// every 32 KiB boundary of the file (so across the edge of any power-of-two read buffer).
TEST(JpegMarkers, MarkersSplitAcrossReadsStayInsideTheScan)
{
    QByteArray data = soi + sos + QByteArray(600000, char(0x11));
    for (qsizetype at = 32767, k = 0; at + 1 < data.size(); at += 32768, ++k) {
        data[at] = char(0xFF);
        data[at + 1] = char(k % 2 ? 0xD0 + k % 8 : 0x00);
    }
    data += sos + bytes({ 1 }) + eoi;
    const JpegMarkerWalk walk = walkJpegMarkers(data);
    EXPECT_EQ(walk.scans, 2);
    EXPECT_TRUE(walk.endsWithEoi);
}

TEST(JpegScanLimit, IsInclusiveForFilesAndPastedData)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        int scans;
        int limit;
        bool accepted;
    } cases[] = { { 100, 100, true }, { 101, 100, false }, { 3, 2, false }, { 2, 2, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scans << " scans, limit " << c.limit);
        const QByteArray jpeg = test::progressiveGreyJpeg(8, 8, c.scans);
        const QString path = dir.filePath(QStringLiteral("scans-%1.jpg").arg(c.scans));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
        file.close();
        DecodeOptions options;
        options.maxProgressiveScans = c.limit;
        const Result<DecodedBitmap> fromFile = decodeImageFile(path, options);
        const Result<DecodedBitmap> pasted = decodeImageData(jpeg, options);
        if (c.accepted) {
            ASSERT_TRUE(fromFile.ok()) << fromFile.error().toStdString();
            ASSERT_TRUE(pasted.ok()) << pasted.error().toStdString();
            EXPECT_EQ(fromFile->bitmap.pixelsWide(), 8);
            continue;
        }
        const QString tail
            = QStringLiteral(" has too many progressive scans (%1, the limit is %2).").arg(c.scans).arg(c.limit);
        EXPECT_EQ(fromFile.ok() ? QString() : fromFile.error(), QStringLiteral("“scans-%1.jpg”").arg(c.scans) + tail);
        EXPECT_EQ(pasted.ok() ? QString() : pasted.error(), QStringLiteral("The pasted image") + tail);
    }
    // The default is generous: no real camera or editor writes anywhere near 100 scans.
    EXPECT_TRUE(decodeImageData(test::progressiveGreyJpeg(8, 8, 100)).ok());
    EXPECT_FALSE(decodeImageData(test::progressiveGreyJpeg(8, 8, 101)).ok());
}

} // namespace
