// The render through the controller: clipping, sizes, write-back, status line, stops.

#include "controller/zent3controller.h"
#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

#include "TestSupport.h"

using namespace quillum;

namespace {

BitmapImageRep gradient(int w, int h)
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
            p[0] = std::uint8_t(x), p[1] = std::uint8_t(y), p[2] = 128;
        }
    return rep;
}

struct Fixture : ::testing::Test {
    NotificationCenter center;
    zent3controller c { center };
    int renders = 0;
    Fixture()
    {
        c.observeKey(QStringLiteral("operationTimeLabel"), [this](const QString&) { ++renders; });
    }
    void load(int w, int h) { c.setSourcePicture(gradient(w, h)); }
    void render(Rect r)
    {
        c.leftPanel().selRect()->setFrame(r);
        c.redrawOutput();
    }
    int outW() const { return c.outPict() ? c.outPict()->pixelsWide() : 0; }
    int outH() const { return c.outPict() ? c.outPict()->pixelsHigh() : 0; }
};

} // namespace

TEST_F(Fixture, OutputSizesAndWriteBack)
{
    struct Row {
        const char* name;
        int srcW, srcH;
        bool fixW, fixH, stretch;
        int W, H;
        int outW, outH, fieldW, fieldH;
    } rows[] = {
        { "free: fields read the crop", 1000, 500, false, false, false, 300, 300, 1000, 500, 1000, 500 },
        { "fixed width 800", 1000, 500, true, false, false, 800, 300, 800, 400, 800, 400 },
        { "fixed height 400 truncates 800.8", 1001, 500, false, true, false, 300, 400, 800, 400, 800, 400 },
        { "both fixed, fitted: fields keep the box", 1000, 500, true, true, false, 800, 800, 800, 400, 800, 800 },
        { "both fixed, stretched", 1000, 500, true, true, true, 800, 800, 800, 800, 800, 800 },
    };
    for (const Row& r : rows) {
        zent3controller fresh { center };
        fresh.setSourcePicture(gradient(r.srcW, r.srcH));
        fresh.setOutputWidthIsFixed(r.fixW);
        fresh.setOutputHeightIsFixed(r.fixH);
        fresh.setOutputSizeUnproportionalStretch(r.stretch);
        fresh.setOutputWidthVal(r.W);
        fresh.setOutputHeighVal(r.H);
        fresh.leftPanel().selRect()->setFrame({ 0, 0, double(r.srcW), double(r.srcH) });
        fresh.redrawOutput();
        ASSERT_TRUE(fresh.outPict()) << r.name;
        EXPECT_EQ(fresh.outPict()->pixelsWide(), r.outW) << r.name;
        EXPECT_EQ(fresh.outPict()->pixelsHigh(), r.outH) << r.name;
        EXPECT_EQ(fresh.outputWidthVal(), r.fieldW) << r.name;
        EXPECT_EQ(fresh.outputHeighVal(), r.fieldH) << r.name;
    }
}

TEST_F(Fixture, TheSideBoundIsNotFedBackIntoTheSizeFields)
{
    // Sizes past 30000 a side are shrunk for the output only; fed back as the next request,
    // the shrunk size rounds differently and every render would change the output.
    struct Row {
        const char* name;
        int srcW, srcH;
        bool fixW, fixH;
        int W, H;
        int outW, outH, fieldW, fieldH;
    } rows[] = {
        { "fixed width 30998 on 248 x 1", 248, 1, true, false, 30998, 300, 30000, 120, 30998, 125 },
        { "fixed height 30001 on 1 x 100", 1, 100, false, true, 300, 30001, 299, 30000, 300, 30001 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        zent3controller fresh { center };
        fresh.setSourcePicture(gradient(r.srcW, r.srcH));
        fresh.setOutputWidthIsFixed(r.fixW);
        fresh.setOutputHeightIsFixed(r.fixH);
        fresh.setOutputWidthVal(r.W);
        fresh.setOutputHeighVal(r.H);
        fresh.leftPanel().selRect()->setFrame({ 0, 0, double(r.srcW), double(r.srcH) });
        for (int pass = 0; pass < 2; ++pass) {
            fresh.redrawOutput();
            ASSERT_TRUE(fresh.outPict()) << "pass " << pass;
            EXPECT_EQ(fresh.outPict()->pixelsWide(), r.outW) << "pass " << pass;
            EXPECT_EQ(fresh.outPict()->pixelsHigh(), r.outH) << "pass " << pass;
            EXPECT_EQ(fresh.outputWidthVal(), r.fieldW) << "pass " << pass;
            EXPECT_EQ(fresh.outputHeighVal(), r.fieldH) << "pass " << pass;
        }
    }
}

TEST_F(Fixture, ClipsToTheSourceAndShowsTheClippedRectangle)
{
    load(200, 100);
    render({ -10, 20, 100, 50 });
    EXPECT_EQ(outW(), 90);
    EXPECT_EQ(outH(), 50);
    EXPECT_EQ(c.outPict()->bitmapData()[1], 0) << "first column is source column 0";
    EXPECT_TRUE(c.operationTimeLabel().startsWith(QStringLiteral(" [0 : 20]-[90 x 50]  Cropped:[90 x 50]  Time: ")))
        << c.operationTimeLabel().toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Time: [0-9,.]+ (ms|s)$")).match(c.operationTimeLabel()).hasMatch());
    EXPECT_EQ(c.aspectXValue(), 100) << "aspect fields show the frame before clipping";

    render({ 150, 80, 100, 100 });
    EXPECT_EQ(outW(), 50);
    EXPECT_EQ(outH(), 20);
}

TEST_F(Fixture, BadRectanglesKeepThePreviousOutput)
{
    load(64, 48);
    render({ 0, 0, 32, 16 });
    const auto previous = c.outPict();
    const QString status = c.operationTimeLabel();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Rect bad[] = { { 100, 0, 10, 10 }, { 0, -50, 10, 10 }, { 0, 0, -5, 10 }, { 0, 0, 0, 0 }, { nan, 0, 10, 10 },
        { 0, 0, nan, 10 }, { 0, 0, inf, 10 }, { 10, 10, 0.4, 5 } };
    for (const Rect& r : bad) {
        render(r);
        EXPECT_EQ(c.outPict(), previous);
        EXPECT_EQ(c.operationTimeLabel(), status);
    }
    render({ 0, 0, 1, 1 });
    EXPECT_EQ(outW(), 1);
    c.setSharpenLevel(3);
    render({ 0, 0, 2, 2 });
    EXPECT_EQ(outW(), 2) << "sharpen on a 2 x 2 crop";
}

TEST_F(Fixture, SettersAndTheRenderTheyCause)
{
    load(100, 80);
    render({ 0, 0, 100, 80 });
    c.setOutputWidthIsFixed(true);
    const int afterFix = renders;
    EXPECT_EQ(afterFix, 1) << "fixing the width waits for the next render";
    c.setOutputWidthVal(0);
    EXPECT_EQ(c.outputWidthVal(), 1) << "below 1 stores 1";
    c.setOutputWidthVal(-7);
    EXPECT_EQ(c.outputWidthVal(), 1);
    EXPECT_EQ(renders, afterFix + 2);
    c.setOutputWidthVal(1);
    EXPECT_EQ(renders, afterFix + 2) << "the stored value again does not render";
    c.setOutputWidthVal(50);
    EXPECT_EQ(outW(), 50);
    EXPECT_EQ(outH(), 40);

    // Fixing the height waits for the next render; freeing the width renders at once.
    const int before = renders;
    c.setOutputHeightIsFixed(true);
    EXPECT_EQ(renders, before);
    EXPECT_EQ(c.quickResizeHeightCase(), 11);
    c.setOutputWidthIsFixed(false);
    EXPECT_EQ(renders, before + 1);
    EXPECT_EQ(c.quickResizeWidthCase(), 0);

    // A batch renders once at its end.
    const int batchStart = renders;
    {
        zent3controller::RenderBatch batch(c);
        c.setInvertIsOn(true);
        c.setOutputModeTag(OutputModeSepia);
        c.setGammaValue(1.2f);
        EXPECT_EQ(renders, batchStart);
    }
    EXPECT_EQ(renders, batchStart + 1);
}

TEST_F(Fixture, InvertRunsBeforeTheColourMode)
{
    // Source (200, 100, 50); inverted (55, 155, 205). Grey = (61 R + 174 G + 21 B) / 256,
    // rounded: 30650 / 256 = 119.7 -> 120 for the source, 34630 / 256 = 135.3 -> 135 for the
    // inverted one. Sepia adds 5120 to red and takes it from blue before the division; alpha
    // gains 1 and saturates.
    struct Row {
        const char* name;
        bool invert;
        int mode;
        std::array<int, 4> argb;
    } rows[] = {
        { "invert", true, OutputModeColor, { 255, 55, 155, 205 } },
        { "black and white", false, OutputModeBlackAndWhite, { 255, 120, 120, 120 } },
        { "sepia", false, OutputModeSepia, { 255, 140, 120, 100 } },
        { "invert, then black and white", true, OutputModeBlackAndWhite, { 255, 135, 135, 135 } },
        { "invert, then sepia (not sepia, then invert: 115, 135, 155)", true, OutputModeSepia, { 255, 155, 135, 115 } },
    };
    BitmapImageRep::Layout l;
    l.width = 1, l.height = 1, l.samplesPerPixel = 3, l.bitsPerPixel = 24, l.hasAlpha = false, l.formatFlags = 0;
    for (const Row& r : rows) {
        BitmapImageRep pixel(l);
        pixel.bitmapData()[0] = 200, pixel.bitmapData()[1] = 100, pixel.bitmapData()[2] = 50;
        c.setSourcePicture(std::move(pixel));
        c.setInvertIsOn(r.invert);
        c.setOutputModeTag(r.mode);
        render({ 0, 0, 1, 1 });
        ASSERT_TRUE(c.outPict()) << r.name;
        const std::uint8_t* p = c.outPict()->bitmapData();
        EXPECT_EQ((std::array<int, 4> { p[0], p[1], p[2], p[3] }), r.argb) << r.name;
    }
}

TEST_F(Fixture, NarrowPanelStopsTheRenderUntilWidened)
{
    load(100, 80);
    c.leftPanel().selRect()->setFrame({ 0, 0, 40, 30 });
    c.setDontShowCropFlag(true);
    c.redrawOutput();
    EXPECT_FALSE(c.outPict());
    EXPECT_EQ(c.aspectXValue(), 40) << "step 1 still runs";
    c.setDontShowCropFlag(false);
    EXPECT_EQ(outW(), 40) << "widening renders";
}

TEST_F(Fixture, ChangeNotificationRendersTheFrameItCarries)
{
    c.awakeFromNib();
    load(100, 80);
    ZentCropBorder frame;
    frame.setFrame({ 10, 10, 20, 30 });
    center.postNotificationName(QStringLiteral("SelRectDidChangeNotification"), &frame);
    EXPECT_EQ(outW(), 20);
    EXPECT_EQ(outH(), 30);
    c.leftPanel().selRect()->setFrame({ 5, 5, 50, 40 });
    center.postNotificationName(QStringLiteral("OutputMustBeRedrawn"));
    EXPECT_EQ(outW(), 50) << "a redraw takes the left panel's own frame";
}

TEST_F(Fixture, DecorationsRunInOrderOnThePremultipliedOutput)
{
    struct Recorder : OutputDecorator {
        QString calls;
        void drawBorders(BitmapImageRep&) override { calls += QLatin1Char('b'); }
        void drawLogo(BitmapImageRep&) override { calls += QLatin1Char('l'); }
        void drawCaptions(BitmapImageRep&) override { calls += QLatin1Char('c'); }
    } recorder;
    c.setOutputDecorator(&recorder);
    load(10, 10);
    render({ 0, 0, 10, 10 });
    EXPECT_EQ(recorder.calls, QStringLiteral("blc"));
}

TEST_F(Fixture, LockKeepsLevelsAcrossPicturesAndSwitches)
{
    load(100, 100);
    c.setAutoLevelsIsLocked(true);
    c.setAutoLevelsIsOn(true);
    render({ 0, 0, 100, 100 });
    const HistoVals first = c.histoVals();
    ASSERT_TRUE(first.stored);
    c.setAutoLevelsIsOn(false);
    c.setSourcePicture(gradient(30, 20));
    render({ 0, 0, 30, 20 });
    c.setAutoLevelsIsOn(true);
    EXPECT_EQ(c.histoVals().redLow, first.redLow);
    EXPECT_EQ(c.histoVals().greenHigh, first.greenHigh);
    c.setAutoLevelsIsLocked(false);
    EXPECT_NE(c.histoVals().greenHigh, first.greenHigh) << "unlocked: levels of this picture";
}

TEST_F(Fixture, RightPanelZoom)
{
    load(400, 300);
    render({ 0, 0, 400, 300 });
    // Fitting shrinks a 400 x 300 output into a smaller panel and never enlarges it.
    struct Row {
        const char* name;
        Size panel;
        float scale;
    } rows[] = {
        { "narrower panel", { 200, 300 }, 0.5f },
        { "lower panel", { 800, 150 }, 0.5f },
        { "panel of the output's size", { 400, 300 }, 1.0f },
        { "one pixel short", { 399, 300 }, 399.0f / 400.0f },
        { "larger panel: 100 %, not 250 %", { 1000, 800 }, 1.0f },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        c.rightPanel().setScrollViewFrameSize(r.panel);
        c.fitOutputImageToView();
        EXPECT_TRUE(c.keepRightFitToView());
        EXPECT_FLOAT_EQ(c.rightPanel().scale(), r.scale);
    }
    c.rightPanel().setScrollViewFrameSize({ 200, 300 });
    c.fitOutputImageToView();
    EXPECT_EQ(c.rightPanel().frameSize(), (Size { 200, 150 }));
    c.rightPanel().setScrollViewFrameSize({ 1000, 800 });
    c.fitOutputImageTo100();
    EXPECT_FALSE(c.keepRightFitToView());
    EXPECT_FLOAT_EQ(c.rightPanel().scale(), 1.0f);
    EXPECT_EQ(c.rightPanel().clipView().boundsOrigin(), (Point { -300, -250 })) << "a smaller picture sits centred";
    EXPECT_EQ(c.rightPanel().clipView().centerPoint(), (Point { 200, 150 }));
}

TEST(Cli, RendersASampleAndRefusesBadInput)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.jpg"));
    QProcess cli;
    cli.start(QStringLiteral(QUILLUM_CLI),
        { QStringLiteral("render"), test::samplePath("coffee.jpg"), out, QStringLiteral("--width"),
            QStringLiteral("200"), QStringLiteral("--autolevels"), QStringLiteral("--sharpen"), QStringLiteral("1"),
            QStringLiteral("--mode"), QStringLiteral("sepia") });
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardOutput()).contains(QStringLiteral("Cropped:[200 x ")));
    EXPECT_GT(QFileInfo(out).size(), 1000);

    const QStringList bad[] = {
        { QStringLiteral("render"), test::dataPath("truncated.jpg"), out },
        { QStringLiteral("render"), test::dataPath("missing.jpg"), out },
        { QStringLiteral("render"), test::samplePath("coffee.jpg"), out, QStringLiteral("--width"),
            QStringLiteral("x") },
        { QStringLiteral("render"), test::samplePath("coffee.jpg"), out, QStringLiteral("--bogus") },
        { QStringLiteral("render"), test::samplePath("coffee.jpg"), out, QStringLiteral("--crop"),
            QStringLiteral("1e6,0,5,5") },
        { QStringLiteral("render") },
    };
    for (const QStringList& args : bad) {
        cli.start(QStringLiteral(QUILLUM_CLI), args);
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_NE(cli.exitCode(), 0) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(cli.readAllStandardError().isEmpty());
    }
}

TEST(RenderFiles, EveryDecodableLayoutRendersPremultiplied)
{
    struct Row {
        const char* file;
        int x, row; // a pixel of the output, rows top first
        std::vector<int> argb; // expected, premultiplied
        int tolerance;
    } rows[] = {
        { "one-pixel.png", 0, 0, { 255, 200, 100, 50 }, 0 },
        { "grey.jpg", 2, 2, { 255, 64, 64, 64 }, 2 },
        { "grey-alpha.png", 3, 1, { 128, 50, 50, 50 }, 0 },
        { "rgba.png", 1, 0, { 128, 0, 128, 0 }, 0 },
        { "rgba.png", 2, 0, { 0, 0, 0, 0 }, 0 },
        { "sixteen-bit.png", 0, 0, { 255, 255, 128, 0 }, 0 },
        { "cmyk-profile.jpg", 2, 2, { 255, 3, 255, 255 }, 10 }, // cyan through its own (test) profile
        { "cmyk-noprofile.jpg", 28, 20, { 255, 35, 31, 32 }, 40 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        NotificationCenter center;
        zent3controller c { center };
        Result<DecodedBitmap> decoded = decodeImageFile(test::dataPath(r.file));
        ASSERT_TRUE(decoded.ok()) << decoded.error().toStdString();
        const int w = decoded->bitmap.pixelsWide(), h = decoded->bitmap.pixelsHigh();
        c.setSourcePicture(std::move(decoded->bitmap));
        c.leftPanel().selRect()->setFrame({ 0, 0, double(w), double(h) });
        c.redrawOutput();
        ASSERT_TRUE(c.outPict());
        ASSERT_EQ(c.outPict()->pixelsWide(), w);
        const std::uint8_t* p = c.outPict()->bitmapData() + std::size_t(r.row) * c.outPict()->bytesPerRow() + 4 * r.x;
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(p[k], r.argb[std::size_t(k)], r.tolerance) << "channel " << k;
    }
}

TEST(RenderFiles, BackupOfACmykSourceReplacesTheSourceByRgb)
{
    NotificationCenter center;
    zent3controller c { center };
    Result<DecodedBitmap> decoded = decodeImageFile(test::dataPath("cmyk-noprofile.jpg"));
    ASSERT_TRUE(decoded.ok());
    c.setSourcePicture(std::move(decoded->bitmap));
    c.safeBackupSrcRGBToARGBImageRep();
    ASSERT_TRUE(c.backupSrcImageRep());
    EXPECT_TRUE(c.backupSrcImageRep()->isWorkingFormat());
    EXPECT_EQ(c.srcImageRep()->colorSpace(), ColorSpace::CalibratedRGB);
    EXPECT_EQ(c.backupSrcImageRep()->pixelsWide(), 32);
    const BitmapImageRep logo = zent3controller::constructARGBImageRep(*c.srcImageRep());
    EXPECT_EQ(std::vector<std::uint8_t>(logo.bitmapData(), logo.bitmapData() + logo.planeBytes()),
        std::vector<std::uint8_t>(
            c.backupSrcImageRep()->bitmapData(), c.backupSrcImageRep()->bitmapData() + logo.planeBytes()));
}

TEST(RenderPaths, OnePassScalingMatchesTheStepByStepPath)
{
    // The same picture as packed RGB (one-pass path) and as opaque ARGB (step by step).
    auto pair = [](int w, int h, bool grey) {
        BitmapImageRep::Layout l;
        l.width = w, l.height = h, l.hasAlpha = false, l.formatFlags = 0;
        l.samplesPerPixel = grey ? 1 : 3;
        l.bitsPerPixel = grey ? 8 : 24;
        l.colorSpace = grey ? ColorSpace::CalibratedWhite : ColorSpace::CalibratedRGB;
        BitmapImageRep packed(l);
        BitmapImageRep argb = BitmapImageRep::makeARGB(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int i = y * w + x;
                const std::uint8_t r = std::uint8_t(40 + (x * 7 + y * 3) % 150), g = std::uint8_t((x * y) % 200),
                                   b = std::uint8_t(90 + (x ^ y) % 60);
                std::uint8_t* a = argb.bitmapData() + 4 * i;
                if (grey) {
                    packed.bitmapData()[i] = r;
                    a[0] = 255, a[1] = a[2] = a[3] = r;
                } else {
                    std::uint8_t* p = packed.bitmapData() + 3 * i;
                    p[0] = r, p[1] = g, p[2] = b;
                    a[0] = 255, a[1] = r, a[2] = g, a[3] = b;
                }
            }
        return std::pair { std::move(packed), std::move(argb) };
    };
    struct Row {
        const char* name;
        bool grey, autoLevels;
        int outWidth;
        Rect crop;
    } rows[] = {
        { "reduce with levels", false, true, 97, { 13, 7, 300, 200 } },
        { "reduce far, no levels", false, false, 9, { 0, 0, 320, 240 } },
        { "enlarge with levels", false, true, 700, { 100, 50, 60, 40 } },
        { "grey with levels", true, true, 150, { 5, 5, 310, 230 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto [packed, argb] = pair(320, 240, r.grey);
        std::vector<std::uint8_t> out[2];
        int index = 0;
        for (BitmapImageRep* source : { &packed, &argb }) {
            NotificationCenter center;
            zent3controller c { center };
            c.setAutoLevelsIsOn(r.autoLevels);
            c.setSharpenLevel(1);
            c.setOutputWidthIsFixed(true);
            c.setOutputWidthVal(r.outWidth);
            c.setSourcePicture(std::move(*source));
            c.leftPanel().selRect()->setFrame(r.crop);
            c.redrawOutput();
            ASSERT_TRUE(c.outPict());
            EXPECT_EQ(c.outPict()->pixelsWide(), r.outWidth);
            out[index++].assign(c.outPict()->bitmapData(), c.outPict()->bitmapData() + c.outPict()->planeBytes());
        }
        EXPECT_EQ(out[0], out[1]);
    }
}

TEST(Cli, TheOutputExtensionNamesTheTypeAndAnUnknownOneIsRefused)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        const char* format; // "" : refused with status 2
    } rows[] = {
        { "a.jpg", "jpeg" },
        { "b.JPEG", "jpeg" },
        { "c.tiff", "tiff" },
        { "d.Tif", "tiff" },
        { "e.png", "png" },
        { "f.WebP", "webp" },
        { "holiday.2024", "" },
        { "shot.bmp", "" },
        { "noextension", "" },
        { "trailing.", "" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QString out = dir.filePath(QString::fromLatin1(r.name));
        QProcess cli;
        cli.start(QStringLiteral(QUILLUM_CLI), { QStringLiteral("render"), test::dataPath("orient6.jpg"), out });
        ASSERT_TRUE(cli.waitForFinished(60000));
        const QString error = QString::fromUtf8(cli.readAllStandardError());
        if (*r.format) {
            EXPECT_EQ(cli.exitCode(), 0) << error.toStdString();
            EXPECT_EQ(test::fileFormatByContent(out), QLatin1String(r.format));
        } else {
            EXPECT_EQ(cli.exitCode(), 2);
            EXPECT_TRUE(error.contains(QLatin1String(".jpg, .jpeg, .tif, .tiff, .png or .webp")))
                << error.toStdString();
            EXPECT_FALSE(QFileInfo::exists(out)) << "nothing is written";
        }
    }
}
