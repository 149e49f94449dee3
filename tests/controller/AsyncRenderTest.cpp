// Renders on the worker against the same renders run in place: pixels, status line and
// announcements; bursts, saves and closes while a render runs; previews while the frame moves;
// a save written while the next photo shows.

#include "controller/zent3controller.h"
#include "platform/ImageDecoder.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "TestSupport.h"

using namespace quillum;

namespace {

QGuiApplication*& ownApplication()
{
    static QGuiApplication* app = nullptr;
    return app;
}

// One for the rest of the run unless a test before made one; deleted after the last test,
// so the font libraries it started are shut down too.
void guiApplication()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        ownApplication() = new QGuiApplication(argc, argv);
}

struct ApplicationEnvironment : ::testing::Environment {
    void TearDown() override { delete std::exchange(ownApplication(), nullptr); }
};
const bool environmentRegistered = (::testing::AddGlobalTestEnvironment(new ApplicationEnvironment), true);

BitmapImageRep photo(int w, int h)
{
    BitmapImageRep::Layout l;
    l.width = w;
    l.height = h;
    l.samplesPerPixel = 3;
    l.bitsPerPixel = 24;
    l.hasAlpha = false;
    l.formatFlags = 0;
    BitmapImageRep rep(l);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = rep.bitmapData() + std::size_t(y) * rep.bytesPerRow() + std::size_t(x) * 3;
            p[0] = std::uint8_t(40 + (x * 7 + y) % 150), p[1] = std::uint8_t(30 + (y * 3) % 170),
            p[2] = std::uint8_t((x ^ y) & 0xFF);
        }
    return rep;
}

QByteArray pixels(const std::shared_ptr<const BitmapImageRep>& b)
{
    if (!b)
        return {};
    return QByteArray(reinterpret_cast<const char*>(b->bitmapData()), qsizetype(b->bytesPerRow()) * b->pixelsHigh());
}

std::array<double, 4> meanArgb(const BitmapImageRep& b)
{
    std::array<double, 4> sum {};
    for (int y = 0; y < b.pixelsHigh(); ++y) {
        const std::uint8_t* p = b.bitmapData() + std::size_t(y) * b.bytesPerRow();
        for (int x = 0; x < b.pixelsWide(); ++x)
            for (int c = 0; c < 4; ++c)
                sum[std::size_t(c)] += p[4 * x + c];
    }
    for (double& v : sum)
        v /= double(b.pixelsWide()) * b.pixelsHigh();
    return sum;
}

QString withoutTime(QString label)
{
    return label.remove(QRegularExpression(QStringLiteral("Time: .*$")));
}

// Every key the render announces, in order, with the value it announced.
const char* const kRenderKeys[] = { key::aspectFields, key::outputFileSavedLabelHidden, key::outputWidthVal,
    key::outputHeighVal, key::outPict, key::operationTimeLabel };

struct Session {
    NotificationCenter center;
    zent3controller c { center };
    std::vector<QString> announced;
    int outputs = 0;
    explicit Session(zent3controller::RenderMode mode)
    {
        guiApplication();
        c.setRotationThumbnailsEnabled(mode != zent3controller::RenderMode::Synchronous);
        c.setRenderMode(mode);
        for (const char* k : kRenderKeys)
            c.observeKey(QString::fromLatin1(k), [this](const QString& key) {
                QString value;
                if (key == QLatin1String(key::outputWidthVal))
                    value = QString::number(c.outputWidthVal());
                else if (key == QLatin1String(key::outputHeighVal))
                    value = QString::number(c.outputHeighVal());
                else if (key == QLatin1String(key::outPict))
                    ++outputs;
                announced.push_back(key + QLatin1Char('=') + value);
            });
        c.setSourcePicture(photo(900, 700));
        c.leftPanel().selRect()->setFrame({ 50, 40, 700, 560 });
    }
    // Lets the worker's results in until nothing is pending.
    void settle()
    {
        QElapsedTimer t;
        t.start();
        while ((c.renderIsPending() || previewWanted) && t.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (previewWanted && c.outputPreview())
                previewWanted = false;
        }
    }
    bool previewWanted = false;
};

using Change = std::function<void(zent3controller&)>;

} // namespace

TEST(AsyncRender, GivesTheOutputsStatusLinesAndAnnouncementsOfTheSynchronousRender)
{
    const struct {
        const char* what;
        Change change;
    } cases[] = {
        { "plain", [](zent3controller& c) { c.redrawOutput(); } },
        { "auto levels", [](zent3controller& c) { c.setAutoLevelsIsOn(true); } },
        { "fixed width, levels, sharpen",
            [](zent3controller& c) {
                zent3controller::RenderBatch batch(c);
                c.setAutoLevelsIsOn(true);
                c.setSharpenLevel(2);
                c.setOutputWidthIsFixed(true);
                c.setOutputWidthVal(320);
            } },
        { "correction, mirror, invert, sepia",
            [](zent3controller& c) {
                zent3controller::RenderBatch batch(c);
                c.setPictureCorrectionIsOn(true);
                c.setGammaValue(1.4f);
                c.setFlipHorizontal(true);
                c.setInvertIsOn(true);
                c.setOutputModeTag(2);
            } },
        { "borders and a caption",
            [](zent3controller& c) {
                zent3controller::RenderBatch batch(c);
                c.setBorder1Check(true);
                c.setTextCaption1Check(true);
                c.setShowCaption1(true);
            } },
        { "crop past the picture", [](zent3controller& c) { c.mainDrawProcedure({ -30, 600, 400, 300 }); } },
        { "crop under a pixel (keeps the output)", [](zent3controller& c) { c.mainDrawProcedure({ 5, 5, 0.4, 90 }); } },
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Session sync(zent3controller::RenderMode::Synchronous), async(zent3controller::RenderMode::Always);
        sync.c.redrawOutput();
        async.c.redrawOutput();
        async.settle();
        k.change(sync.c);
        k.change(async.c);
        async.settle();
        EXPECT_EQ(pixels(async.c.outPict()), pixels(sync.c.outPict()));
        EXPECT_EQ(withoutTime(async.c.operationTimeLabel()), withoutTime(sync.c.operationTimeLabel()));
        EXPECT_EQ(async.c.histoVals(), sync.c.histoVals());
        EXPECT_EQ(async.announced, sync.announced);
    }
}

TEST(AsyncRender, ABurstOfRequestsEndsInOneRenderOfTheLast)
{
    Session sync(zent3controller::RenderMode::Synchronous), async(zent3controller::RenderMode::Always);
    for (Session* s : { &sync, &async }) {
        s->c.redrawOutput();
        s->settle();
        s->outputs = 0;
    }
    for (int i = 1; i <= 20; ++i) {
        async.c.setSharpenLevel(i % 4);
        async.c.setOutputWidthIsFixed(true);
        async.c.setOutputWidthVal(200 + 10 * i);
    }
    EXPECT_TRUE(async.c.renderIsPending());
    async.settle();
    EXPECT_EQ(async.outputs, 1);
    sync.c.setSharpenLevel(0);
    sync.c.setOutputWidthIsFixed(true);
    sync.c.setOutputWidthVal(400);
    EXPECT_EQ(pixels(async.c.outPict()), pixels(sync.c.outPict()));
    EXPECT_EQ(async.c.outPict()->pixelsWide(), 400);
}

TEST(AsyncRender, ASaveOrACloseWhileARenderRunsUsesTheStateAsItIsNow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Session sync(zent3controller::RenderMode::Synchronous), async(zent3controller::RenderMode::Always);
    for (Session* s : { &sync, &async }) {
        s->c.redrawOutput();
        s->settle();
        s->c.setCurrentOutputFileType(ImageFileType::Png);
        s->c.setInvertIsOn(true);
    }
    ASSERT_TRUE(async.c.renderIsPending());
    const QString path = dir.filePath(QStringLiteral("now.png"));
    ASSERT_TRUE(async.c.saveCropToPath(path));
    EXPECT_FALSE(async.c.renderIsPending());
    Result<DecodedBitmap> saved = decodeImageFile(path);
    ASSERT_TRUE(saved);
    Result<DecodedBitmap> expected
        = (sync.c.saveCropToPath(dir.filePath(QStringLiteral("sync.png"))), decodeImageFile(dir.filePath(QStringLiteral("sync.png"))));
    ASSERT_TRUE(expected);
    EXPECT_EQ(pixels(std::make_shared<BitmapImageRep>(saved->bitmap.clone())),
        pixels(std::make_shared<BitmapImageRep>(expected->bitmap.clone())));

    // Closing the picture while its render runs leaves no output behind.
    async.c.setInvertIsOn(false);
    ASSERT_TRUE(async.c.renderIsPending());
    async.c.closeImage();
    async.settle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(async.c.outPict());
}

TEST(AsyncRender, APreviewFollowsTheMovingFrameButNeverReachesTheOutputOrAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Session s(zent3controller::RenderMode::Always);
    s.c.setSourcePicture(photo(3000, 2000));
    s.c.drawRotationThumbsToButtons(); // also makes the reduced copy previews come from
    s.c.leftPanel().selRect()->setFrame({ 100, 100, 2400, 1600 });
    s.c.setAutoLevelsIsOn(true);
    s.c.rightPanel().setScrollViewFrameSize({ 500, 300 }); // the output panel, fitted
    s.settle();
    const QByteArray before = pixels(s.c.outPict());
    const QString label = s.c.operationTimeLabel();
    ASSERT_FALSE(before.isEmpty());
    // The reduced copy is made on a worker; the frame's steps ask until it is there.
    QElapsedTimer t;
    t.start();
    Rect frame { 100, 100, 2400, 1600 };
    for (int step = 0; !s.c.outputPreview() && t.elapsed() < 20000; ++step) {
        frame.x = 100 + step % 50;
        QThread::msleep(2);
        s.c.leftPanel().selRect()->setFrame(frame);
        s.c.previewOutput(frame);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_TRUE(s.c.outputPreview());
    // No larger than the panel shows it, and the colours of the output it stands for.
    const BitmapImageRep& preview = *s.c.outputPreview();
    EXPECT_LE(preview.pixelsWide(), 500);
    EXPECT_LE(preview.pixelsHigh(), 300);
    const std::array<double, 4> shown = meanArgb(preview), full = meanArgb(*s.c.outPict());
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(shown[c], full[c], 4.0) << "channel " << c;
    EXPECT_EQ(pixels(s.c.outPict()), before);
    EXPECT_EQ(s.c.operationTimeLabel(), label);
    // The gesture's end renders the output in full; the file is that render.
    s.c.mainDrawProcedure(frame);
    const QString path = dir.filePath(QStringLiteral("moved.png"));
    s.c.setCurrentOutputFileType(ImageFileType::Png);
    ASSERT_TRUE(s.c.saveCropToPath(path));
    EXPECT_FALSE(s.c.outputPreview());
    Session sync(zent3controller::RenderMode::Synchronous);
    sync.c.setSourcePicture(photo(3000, 2000));
    sync.c.setAutoLevelsIsOn(true);
    sync.c.mainDrawProcedure(frame);
    EXPECT_EQ(pixels(s.c.outPict()), pixels(sync.c.outPict()));
    Result<DecodedBitmap> saved = decodeImageFile(path);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->bitmap.pixelsWide(), sync.c.outPict()->pixelsWide());
}

// A save that advances returns with the next photo shown; the shutter and the counted name
// wait for the write, whose outcome arrives through the event loop. A failed write is taken
// before the next command acts: back on its photo and crop, told why.
TEST(AsyncRender, ASaveWhileAdvancingCountsOnlyAConfirmedWrite)
{
    guiApplication();
    struct Ui : UiServices {
        QStringList sounds, alerts;
        void playSound(const QString& name) override { sounds << name; }
        AlertButton runAlert(const QString& title, const QString&, const QStringList&) override
        {
            alerts << title;
            return AlertButton::First;
        }
    } ui;
    QTemporaryDir pictures, out;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        QFile::copy(test::samplePath("coffee.jpg"), pictures.filePath(QString::fromLatin1(name)));
    NotificationCenter center;
    zent3controller c { center };
    c.setUiServices(&ui);
    c.awakeFromNib();
    c.leftPanel().setScrollViewFrameSize({ 600, 400 });
    c.setAdvanceToNextOnCrop(true);
    c.setWriteWhileAdvancing(true);
    c.setFirstTimeSaving(false);
    c.setOutputFileRule(1);
    c.setCurrentOutputFileName(QStringLiteral("walk-0001"));
    c.setCurrentOutputPath(out.path());
    c.applicationOpenFile(pictures.filePath(QStringLiteral("a.jpg")));
    const auto shown = [&] { return QFileInfo(c.sourcePath()).fileName(); };

    ASSERT_TRUE(c.saveCrop());
    EXPECT_EQ(shown(), QStringLiteral("b.jpg"));
    // A write that ended during the advance is taken at once; one still running counts nothing.
    EXPECT_EQ(ui.sounds.isEmpty(), c.saveIsPending());
    EXPECT_EQ(c.currentOutputFileName() == QStringLiteral("walk-0001"), c.saveIsPending());
    QElapsedTimer t;
    t.start();
    while (c.saveIsPending() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(ui.sounds.size(), 1);
    EXPECT_EQ(c.currentOutputFileName(), QStringLiteral("walk-0002"));
    EXPECT_FALSE(QImage(QDir(out.path()).filePath(QStringLiteral("walk-0001.jpg"))).isNull());

    QFile blocker(out.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    c.setCurrentOutputPath(blocker.fileName() + QStringLiteral("/inside"));
    c.leftPanel().selRect()->setFrame({ 10, 10, 200, 150 });
    EXPECT_FALSE(c.saveCrop() && !c.saveIsPending());
    if (c.saveIsPending()) {
        EXPECT_EQ(shown(), QStringLiteral("c.jpg"));
        c.goFirstPic(); // takes the outcome first, and goes nowhere
    }
    EXPECT_EQ(shown(), QStringLiteral("b.jpg")) << "back on the photo whose crop was not saved";
    EXPECT_EQ(c.leftPanel().selRect()->frame(), (Rect { 10, 10, 200, 150 }));
    EXPECT_EQ(ui.alerts, QStringList { QStringLiteral("The crop was not saved") });
    EXPECT_EQ(c.currentOutputFileName(), QStringLiteral("walk-0002"));
    EXPECT_EQ(ui.sounds.size(), 1);
}

// With renders on the worker, the next file is read once the shown picture's output has
// arrived, never while three full-size pictures would be held.
TEST(AsyncRender, TheNextFileIsReadOnceTheOutputHasArrived)
{
    guiApplication();
    QTemporaryDir pictures;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        QFile::copy(test::samplePath("coffee.jpg"), pictures.filePath(QString::fromLatin1(name)));
    for (const auto mode : { zent3controller::RenderMode::Synchronous, zent3controller::RenderMode::Always }) {
        NotificationCenter center;
        zent3controller c { center };
        c.setRenderMode(mode);
        c.leftPanel().setScrollViewFrameSize({ 600, 400 });
        c.applicationOpenFile(pictures.filePath(QStringLiteral("a.jpg")));
        c.goNextPic();
        const QString next = pictures.filePath(QStringLiteral("c.jpg"));
        if (c.renderIsPending()) {
            EXPECT_TRUE(c.lookAheadPath().isEmpty());
        } else {
            EXPECT_EQ(c.lookAheadPath(), next);
        }
        EXPECT_TRUE(c.outPict()) << "waits for the render";
        EXPECT_EQ(c.lookAheadPath(), next);
    }
}
