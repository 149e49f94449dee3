// Turning the source from its backup, the EXIF turn on loading, and the look-ahead.

#include "controller/zent3controller.h"
#include "imaging/SourceRotation.h"
#include "platform/ImageDecoder.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

#include "TestSupport.h"

using namespace quillum;

namespace {

std::vector<std::uint8_t> bytesOf(const BitmapImageRep& rep)
{
    return { rep.bitmapData(), rep.bitmapData() + rep.planeBytes() };
}

BitmapImageRep pattern(int w, int h)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(w, h);
    for (int i = 0; i < w * h; ++i) {
        std::uint8_t* p = rep.bitmapData() + 4 * i;
        p[0] = 255, p[1] = std::uint8_t(i), p[2] = std::uint8_t(i / w * 9), p[3] = std::uint8_t(i % 7 * 30);
    }
    return rep;
}

struct Quiet : UiServices {
    QStringList alerts;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QLatin1Char('|') + message;
        return AlertButton::First;
    }
};

} // namespace

TEST(SourceRotation, SizeRule)
{
    struct Row {
        float degrees;
        int width, height;
    } rows[] = { { 0, 4000, 3000 }, { 90, 3000, 4000 }, { 180, 4000, 3000 }, { 270, 3000, 4000 }, { 30, 4964, 4598 },
        { -90, 3000, 4000 }, { 360, 4000, 3000 }, { 45, 4949, 4949 } };
    for (const Row& r : rows) {
        const PixelSize s = rotatedSourceSize(4000, 3000, r.degrees);
        EXPECT_EQ(s.width, r.width) << r.degrees;
        EXPECT_EQ(s.height, r.height) << r.degrees;
    }
    EXPECT_EQ(rotatedSourceSize(1, 1, 45).width, 1) << "never empty";
}

TEST(SourceRotation, QuarterTurnsArePermutationsAndCornersAreTransparentWhite)
{
    const BitmapImageRep original = pattern(6, 4);
    // Turning the result a quarter four times gives the original back, exactly.
    BitmapImageRep turned = original.clone();
    for (int i = 0; i < 4; ++i)
        turned = rotateBackup(turned, 90);
    EXPECT_EQ(bytesOf(turned), bytesOf(original));
    const BitmapImageRep half = rotateBackup(original, 180);
    EXPECT_EQ(bytesOf(rotateBackup(half, 180)), bytesOf(original));

    const BitmapImageRep thirty = rotateBackup(pattern(40, 30), 30);
    ASSERT_FALSE(thirty.isNull());
    const std::uint8_t* corner = thirty.bitmapData();
    EXPECT_EQ(
        (std::vector<int> { corner[0], corner[1], corner[2], corner[3] }), (std::vector<int> { 0, 255, 255, 255 }));
}

TEST(SourceRotation, CommandsStartFromTheBackupAndKeepTheLastAngle)
{
    NotificationCenter center;
    zent3controller c { center };
    c.setSourcePicture(pattern(40, 30));
    c.leftPanel().selRect()->setFrame({ 5, 5, 20, 10 });
    Sender by;
    by.doubleValue = 30;
    c.inPicRotateBy(by);
    EXPECT_EQ(c.lastRotationTitle(), QStringLiteral("Last Rotation: 30.00"));
    by.doubleValue = 45;
    c.inPicRotateBy(by);
    const auto after30then45 = bytesOf(*c.srcImageRep());

    zent3controller direct { center };
    direct.setSourcePicture(pattern(40, 30));
    direct.inPicRotateBy(by);
    EXPECT_EQ(after30then45, bytesOf(*direct.srcImageRep())) << "no resampling loss piles up";

    by.doubleValue = 2.5;
    c.inPicRotateBy(by);
    EXPECT_EQ(c.lastRotationTitle(), QStringLiteral("Last Rotation: 2.50"));
    c.inPicRotate90();
    EXPECT_EQ(c.lastRotationTitle(), QStringLiteral("Last Rotation: 2.50")) << "quarter turns are not remembered";
    EXPECT_EQ(c.srcImageRep()->pixelsWide(), 30);
    c.inPicRotate0();
    EXPECT_EQ(bytesOf(*c.srcImageRep()), bytesOf(pattern(40, 30))) << "back to the picture as loaded";

    zent3controller fresh { center };
    fresh.setSourcePicture(pattern(8, 8));
    fresh.rotateLast();
    EXPECT_FALSE(fresh.backupSrcImageRep()) << "no last angle: nothing happens";
}

TEST(Loading, ExifOrientationStandsEveryTagUpright)
{
    // orientation-N.tif holds the same upright 3 x 2 picture stored as tag N describes.
    const std::uint8_t colours[6][3]
        = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 255, 255, 0 }, { 0, 255, 255 }, { 255, 0, 255 } };
    BitmapImageRep upright = BitmapImageRep::makeARGB(3, 2);
    for (int i = 0; i < 6; ++i) {
        std::uint8_t* p = upright.bitmapData() + 4 * i;
        p[0] = 255, p[1] = colours[i][0], p[2] = colours[i][1], p[3] = colours[i][2];
    }
    auto shown
        = [](const zent3controller& c) { return bytesOf(zent3controller::constructARGBImageRep(*c.srcImageRep())); };
    const float angleFor[9] = { 0, 0, 0, 180, 180, 90, 270, 270, 90 };
    for (int tag = 1; tag <= 8; ++tag) {
        SCOPED_TRACE(::testing::Message() << "orientation " << tag);
        const QString file = test::dataPath(("orientation-" + std::to_string(tag) + ".tif").c_str());
        NotificationCenter center;
        zent3controller c { center };
        c.setUseEXIfRotation(true);
        ASSERT_TRUE(c.loadRepByName(file));
        EXPECT_EQ(shown(c), bytesOf(upright));
        EXPECT_EQ(c.leftPanel().selRect()->preRotatedAngleDegs(), angleFor[tag]);
        // A mirror lives in the backup, so turning away and back keeps it.
        c.inPicRotate180();
        c.inPicRotate0();
        c.rotateScrImageBy(angleFor[tag]);
        EXPECT_EQ(shown(c), bytesOf(upright)) << "after turning away and back";

        zent3controller off { center };
        off.setUseEXIfRotation(false);
        ASSERT_TRUE(off.loadRepByName(file));
        Result<DecodedBitmap> stored = decodeImageFile(file);
        ASSERT_TRUE(stored.ok());
        EXPECT_EQ(shown(off), bytesOf(zent3controller::constructARGBImageRep(stored->bitmap))) << "setting off";
        EXPECT_EQ(off.leftPanel().selRect()->preRotatedAngleDegs(), 0.0f);
    }
}

TEST(Loading, LookAheadServesOnlyItsOwnPathAndReadsForward)
{
    QTemporaryDir dir;
    QStringList files;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" }) {
        files << dir.filePath(QString::fromLatin1(name));
        QFile::copy(test::samplePath("coffee.jpg"), files.last());
    }
    LookAhead ahead;
    ahead.preLoadRepByName(files[1]);
    EXPECT_FALSE(ahead.take(files[2])) << "another path: not used";
    EXPECT_TRUE(ahead.pendingPath().isEmpty()) << "and the stale one is dropped";
    ahead.preLoadRepByName(files[2]);
    const auto taken = ahead.take(files[2]);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->ok());

    // A failing look-ahead is reported when its path is asked for, like a direct decode.
    ahead.preLoadRepByName(dir.filePath(QStringLiteral("missing.jpg")));
    const auto failed = ahead.take(dir.filePath(QStringLiteral("missing.jpg")));
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->ok());
}

TEST(Loading, ABadFileKeepsThePreviousPicture)
{
    NotificationCenter center;
    zent3controller c { center };
    Quiet ui;
    c.setUiServices(&ui);
    ASSERT_TRUE(c.loadRepByName(test::samplePath("coffee.jpg")));
    const BitmapImageRep* before = c.srcImageRep();
    for (const char* bad : { "truncated.jpg", "empty.jpg", "notanimage.jpg", "missing.jpg" }) {
        EXPECT_FALSE(c.loadRepByName(test::dataPath(bad)));
        EXPECT_EQ(c.srcImageRep(), before);
        EXPECT_TRUE(ui.alerts.last().contains(QString::fromLatin1(bad))) << ui.alerts.last().toStdString();
    }
}

TEST(Loading, WalkingBackwardsStillReadsTheNextEntryAhead)
{
    QTemporaryDir dir;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        ASSERT_TRUE(QFile::copy(test::samplePath("coffee.jpg"), dir.filePath(QString::fromLatin1(name))));
    NotificationCenter center;
    zent3controller c { center };
    c.applicationOpenFile(dir.filePath(QStringLiteral("a.jpg")));
    EXPECT_EQ(c.lookAheadPath(), dir.filePath(QStringLiteral("b.jpg")));
    c.goLastPic();
    EXPECT_TRUE(c.lookAheadPath().isEmpty()) << "nothing after the last entry";
    c.goPrevPic();
    EXPECT_EQ(c.sourcePath(), dir.filePath(QStringLiteral("b.jpg")));
    EXPECT_EQ(c.lookAheadPath(), dir.filePath(QStringLiteral("c.jpg"))) << "index + 1, not the one before";
}

TEST(Loading, RotationButtonThumbnailsFollowTheAngle)
{
    NotificationCenter center;
    zent3controller c { center };
    c.setSourcePicture(pattern(72, 36));
    c.drawRotationThumbsToButtons();
    std::array<std::shared_ptr<const BitmapImageRep>, 4> buttons;
    for (int i = 0; i < 500 && !buttons[0]; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        buttons = c.rotationButtonThumbnails();
    }
    ASSERT_TRUE(buttons[0]);
    auto size = [](const std::shared_ptr<const BitmapImageRep>& b) {
        return std::pair { b->pixelsWide(), b->pixelsHigh() };
    };
    EXPECT_EQ(size(buttons[0]), (std::pair { 36, 18 })) << "longer side 36, as shown";
    EXPECT_EQ(size(buttons[1]), (std::pair { 18, 36 }));
    EXPECT_EQ(size(buttons[2]), (std::pair { 36, 18 }));
    // At 90 degrees the 0-degree button shows the picture turned back a quarter.
    c.leftPanel().selRect()->setPreRotatedAngleDegs(90);
    buttons = c.rotationButtonThumbnails();
    EXPECT_EQ(size(buttons[3]), (std::pair { 36, 18 })) << "the 270 button shows it as shown";
    EXPECT_EQ(size(buttons[0]), (std::pair { 18, 36 }));
}

TEST(Loading, PastedImageDataBecomesThePicture)
{
    NotificationCenter center;
    zent3controller c { center };
    QImage image(30, 20, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 255));
    QMimeData mime;
    EXPECT_FALSE(c.readSelectionFromPasteboard(&mime)) << "nothing to take";
    mime.setImageData(image);
    c.leftPanel().setScrollViewFrameSize({ 300, 200 });
    ASSERT_TRUE(c.readSelectionFromPasteboard(&mime));
    ASSERT_TRUE(c.outPict());
    EXPECT_EQ(c.outPict()->pixelsWide(), 30);
    const std::uint8_t* p = c.outPict()->bitmapData();
    EXPECT_EQ((std::vector<int> { p[0], p[1], p[2], p[3] }), (std::vector<int> { 255, 10, 200, 30 }));
}

// The window hears of every wait; work large enough to hold the window's thread for long is
// announced as long, so the indicator is up before the work blocks.
TEST(Waits, LargeRendersAndTurnsAreAnnouncedAsLong)
{
    struct Waits : UiServices {
        QStringList heard;
        int depth = 0;
        void waitBegins(bool expectLong) override
        {
            heard << (expectLong ? QStringLiteral("long") : QStringLiteral("short"));
            ++depth;
        }
        void waitEnds() override { --depth; }
    };
    struct Row {
        int width, height;
        const char* gesture;
        bool announcedLong;
    } rows[] = {
        { 600, 400, "render", false },
        { 4000, 3000, "render", true },
        { 2000, 1500, "turn 90", false },
        { 2500, 2500, "turn 30", true },
        { 1000, 1000, "turn 30", false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.width) + "x" + std::to_string(r.height) + " " + r.gesture);
        NotificationCenter center;
        zent3controller c { center };
        Waits ui;
        c.setUiServices(&ui);
        c.setSourcePicture(BitmapImageRep::makeARGB(r.width, r.height));
        c.leftPanel().selRect()->setFrame({ 0, 0, double(r.width), double(r.height) });
        ui.heard.clear();
        if (QLatin1String(r.gesture) == QLatin1String("render")) {
            c.redrawOutput();
        } else {
            Sender by;
            by.doubleValue = QString::fromLatin1(r.gesture).mid(5).toDouble();
            c.inPicRotateBy(by);
        }
        EXPECT_EQ(ui.depth, 0) << "every wait ends";
        ASSERT_FALSE(ui.heard.isEmpty());
        EXPECT_EQ(ui.heard.first() == QLatin1String("long"), r.announcedLong) << ui.heard.join(',').toStdString();
        c.setUiServices(nullptr);
    }
}
