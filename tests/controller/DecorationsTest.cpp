// The decoration and quick-resize commands through the controller: what renders when, the
// logo's proportions, the tag pop-up, and the quick-resize choices.

#include "controller/zent3controller.h"
#include "platform/ImageDecoder.h"
#include "platform/UiServices.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

#include "TestSupport.h"

using namespace quillum;

namespace {

Sender sender(int tag, int item)
{
    Sender s;
    s.tag = tag;
    s.intValue = item;
    return s;
}

struct AnsweringUi : UiServices {
    AlertButton answer = AlertButton::First;
    QStringList alerts;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QStringLiteral(": ") + message;
        return answer;
    }
};

struct DecorationCommands : ::testing::Test {
    NotificationCenter center;
    zent3controller c { center };
    AnsweringUi ui;
    int renders = 0;
    DecorationCommands()
    {
        c.setUiServices(&ui);
        c.awakeFromNib();
        c.observeKey(QStringLiteral("operationTimeLabel"), [this](const QString&) { ++renders; });
        BitmapImageRep source = BitmapImageRep::makeARGB(400, 300);
        std::fill_n(source.bitmapData(), source.bytesPerRow() * 300, std::uint8_t(255));
        c.setSourcePicture(std::move(source));
        c.leftPanel().setPictureSize({ 400, 300 });
        c.leftPanel().setLastManualRect({ 0, 0, 400, 300 });
        c.leftPanel().selRect()->setFrame({ 0, 0, 400, 300 });
        c.redrawOutput();
        renders = 0;
    }
    void useLogo(int w, int h)
    {
        QImage logo(w, h, QImage::Format_ARGB32_Premultiplied);
        logo.fill(Qt::red);
        c.logoImageView().setImage(logo);
    }
    int outW() const { return c.outPict() ? c.outPict()->pixelsWide() : 0; }
    int outH() const { return c.outPict() ? c.outPict()->pixelsHigh() : 0; }
};

} // namespace

// Setters render while their decoration is switched on, and only then; resets render once.
TEST_F(DecorationCommands, DecorationSettersRenderOnlyWhileSwitchedOn)
{
    struct Row {
        const char* name;
        std::function<void(zent3controller&)> change;
        std::function<void(zent3controller&, bool)> switchOn;
        int rendersOff, rendersOn;
    } rows[] = {
        { "border pen", [](auto& c) { c.setBorder2PenSize(0.5f); }, [](auto& c, bool on) { c.setBorder1Check(on); }, 0,
            1 },
        { "border 2 reset", [](auto& c) { c.resetBorder2(); }, [](auto& c, bool on) { c.setBorder1Check(on); }, 0, 1 },
        { "caption text", [](auto& c) { c.setCaption1TextString(QStringLiteral("x")); },
            [](auto& c, bool on) { c.setTextCaption1Check(on); }, 0, 1 },
        { "caption tag item", [](auto& c) { c.addTagToCaption(sender(2, 100)); },
            [](auto& c, bool on) { c.setTextCaption1Check(on); }, 0, 1 },
        { "logo opacity", [](auto& c) { c.setLogoOpaqueValue(0.5f); }, [](auto& c, bool on) { c.setDrawLogo(on); }, 0,
            1 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        r.switchOn(c, false);
        renders = 0;
        r.change(c);
        EXPECT_EQ(renders, r.rendersOff);
        r.switchOn(c, true);
        renders = 0;
        r.change(c);
        EXPECT_EQ(renders, r.rendersOn);
        r.switchOn(c, false);
    }
}

TEST_F(DecorationCommands, ResettingABorderRestoresItsRegisteredValues)
{
    c.setBorder2Color(QColor(255, 0, 0, 77));
    c.setShowBorder2(false);
    c.setBorder2OffsetLeft(9);
    c.setBorder2PenOpaque(0.2f);
    c.resetBorder2();
    EXPECT_TRUE(c.showBorder2());
    EXPECT_EQ(c.border2Color(), QColor::fromRgbF(0.5f, 0.5f, 0.5f)) << "50 % white";
    EXPECT_EQ(c.border2OffsetLeft(), 0.5f);
    EXPECT_EQ(c.border2PenSize(), 0.1f);
    EXPECT_EQ(c.border2PenOpaque(), 1.0f);
}

TEST_F(DecorationCommands, CaptionTagPopUpAndResets)
{
    struct Row {
        int sender, item;
        const char* before;
        const char* after;
    } rows[] = {
        { 1, 10, "anything", "" },
        { 1, 20, "a", "a$P" },
        { 2, 102, "", "$FX" },
        { 2, 201, "x ", "x $D" },
        { 2, 300, "", "$t" },
        { 1, 401, "", "$" },
        { 1, 601, "", "$S" },
        { 1, 999, "kept", "kept" },
    };
    for (const Row& r : rows) {
        const int index = r.sender == 1 ? 0 : 1;
        c.setCaptionTextString(index, QString::fromUtf8(r.before));
        c.addTagToCaption(sender(r.sender, r.item));
        EXPECT_EQ(c.caption(index).text, QString::fromUtf8(r.after)) << r.item;
    }
    c.resetCaption(sender(1, 0));
    c.resetCaption(sender(7, 0));
    EXPECT_EQ(c.caption1TextString(), QStringLiteral("$f$P$s"));
    EXPECT_EQ(c.caption2TextString(), QStringLiteral("$d - $t"));
}

// With proportions kept the other side follows the logo image; a new image with unusable
// sizes starts at 10.
TEST_F(DecorationCommands, LogoSizesFollowTheImagesProportions)
{
    useLogo(400, 100);
    c.setLogoProportionalResize(true);
    c.setLogoWidthValue(20);
    EXPECT_FLOAT_EQ(c.logoHeightValue(), 5);
    c.setLogoHeightValue(10);
    EXPECT_FLOAT_EQ(c.logoWidthValue(), 40);

    c.setLogoProportionalResize(false);
    c.setLogoWidthValue(0);
    c.setLogoHeightValue(0);
    c.setLogoProportionalResize(true);
    useLogo(200, 100);
    EXPECT_FLOAT_EQ(c.logoWidthValue(), 10);
    EXPECT_FLOAT_EQ(c.logoHeightValue(), 5);

    c.setLogoProportionalResize(false);
    c.setLogoWidthValue(30);
    EXPECT_FLOAT_EQ(c.logoHeightValue(), 5) << "free sides are independent";
}

// A logo that cannot be read empties the well, turns the logo off and says which file.
TEST_F(DecorationCommands, AnUnreadableLogoTurnsTheLogoOffAndSaysWhy)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    for (bool dropped : { false, true }) {
        SCOPED_TRACE(dropped ? "dropped" : "chosen");
        useLogo(50, 50);
        c.setDrawLogo(true);
        ui.alerts.clear();
        const bool opened = dropped ? c.dropFilesOnLogoWell({ text }) : c.openLogoFile(text);
        EXPECT_FALSE(opened);
        EXPECT_FALSE(c.logoImageView().hasImage());
        EXPECT_FALSE(c.drawLogo());
        ASSERT_EQ(ui.alerts.size(), 1);
        EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("notes.png"))) << qPrintable(ui.alerts[0]);
    }
}

TEST_F(DecorationCommands, QuickResizeChoices)
{
    PkResizerScreen& r = c.resizerController();
    c.chooseQuickResizeWidth(3);
    EXPECT_TRUE(c.outputWidthIsFixed());
    EXPECT_EQ(c.outputWidthVal(), 150);
    EXPECT_FALSE(c.outputHeightIsFixed()) << "the height is left as it was";
    EXPECT_EQ(outW(), 150);

    r.setW03(180);
    EXPECT_EQ(outW(), 180) << "editing the chosen entry applies at once";
    renders = 0;
    r.setW(4, 640);
    EXPECT_EQ(renders, 0);
    EXPECT_EQ(c.outputWidthVal(), 180);

    const int current = c.outputHeighVal();
    c.chooseQuickResizeHeight(11);
    EXPECT_TRUE(c.outputHeightIsFixed());
    EXPECT_EQ(c.outputHeighVal(), current) << "fixed where it was";
    EXPECT_EQ(outH(), current);

    c.chooseQuickResizeWidth(0);
    EXPECT_FALSE(c.outputWidthIsFixed());
    c.chooseQuickResizeWidth(42);
    EXPECT_FALSE(c.outputWidthIsFixed()) << "a choice outside 1-11 frees the side";

    // The fixed-size switches keep the panel's choice in step.
    c.setOutputWidthIsFixed(true);
    EXPECT_EQ(c.quickResizeWidthCase(), 11);
    c.setOutputWidthIsFixed(false);
    EXPECT_EQ(c.quickResizeWidthCase(), 0);
}

TEST_F(DecorationCommands, QuickResizeResetAsksFirst)
{
    PkResizerScreen& r = c.resizerController();
    r.setW(2, 111);
    r.setH(10, 999);
    ui.answer = AlertButton::Second;
    EXPECT_FALSE(c.resetQuickResizeSizes());
    EXPECT_EQ(r.w(2), 111);
    ui.answer = AlertButton::First;
    EXPECT_TRUE(c.resetQuickResizeSizes());
    EXPECT_EQ(r.w(2), 100);
    EXPECT_EQ(r.h(10), 700);
    EXPECT_TRUE(ui.alerts.last().startsWith(QStringLiteral("Reset values to defaults: All sizes will be returned")));
}

// The command line with the window's settings file draws exactly the window's output:
// borders, the built-in logo and a caption with a file tag, pixel for pixel.
TEST(DecorationsFromTheCommandLine, TheSettingsFileGivesTheWindowsPixels)
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = { name, nullptr };
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance())
        app = std::make_unique<QGuiApplication>(argc, argv);
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath(QStringLiteral("Quillum.ini"));
    const QString photo = test::samplePath("coffee.jpg");
    NotificationCenter center;
    zent3controller c { center };
    UserDefaults store(settingsFile);
    c.setUserDefaults(&store);
    c.awakeFromNib();
    c.defaultsRead();
    Result<DecodedBitmap> decoded = decodeImageFile(photo);
    ASSERT_TRUE(decoded);
    const int w = decoded->bitmap.pixelsWide(), h = decoded->bitmap.pixelsHigh();
    c.setSourcePicture(std::move(decoded->bitmap), decoded->properties, photo);
    c.leftPanel().selRect()->setFrame({ 0, 0, double(w), double(h) });
    c.setBorder1Check(true);
    c.setBorder2Color(QColor(200, 30, 30));
    c.setBorder3PenSize(0.6f);
    c.resetLogo();
    c.setDrawLogo(true);
    c.setLogoOpaqueValue(0.7f);
    c.setTextCaption1Check(true);
    c.setCaption1TextString(QStringLiteral("$f$P$s"));
    c.setCaption2LocationValue(8);
    c.setOutputWidthIsFixed(true);
    c.setOutputWidthVal(500);
    c.redrawOutput();
    ASSERT_TRUE(c.outPict());
    ASSERT_TRUE(c.defaultsWrite());

    const QString out = dir.filePath(QStringLiteral("cli.png"));
    QProcess cli;
    cli.start(QStringLiteral(QUILLUM_CLI),
        { QStringLiteral("render"), photo, out, QStringLiteral("--settings"), settingsFile });
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QImage written(out);
    const BitmapImageRep& mine = *c.outPict();
    ASSERT_EQ(written.size(), QSize(mine.pixelsWide(), mine.pixelsHigh()));
    int differing = 0;
    for (int y = 0; y < written.height(); ++y)
        for (int x = 0; x < written.width(); ++x) {
            const std::uint8_t* p = mine.bitmapData() + std::size_t(y) * mine.bytesPerRow() + std::size_t(x) * 4;
            differing += written.pixel(x, y) != qRgb(p[1], p[2], p[3]);
        }
    EXPECT_EQ(differing, 0);
}
