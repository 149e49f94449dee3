// Settings across runs: every setting written at quit comes back at the next start, the
// first run takes the registered defaults, and stored values that are damaged, out of range
// or unwritable never stop the program.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"
#include "presets/SettingsKeys.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedUi : UiServices {
    QStringList alerts;
    bool shift = false;
    Rect mainFrame { 100, 100, 1400, 880 }; // the designed frame
    std::vector<Rect> screens { { 0, 0, 1920, 1080 } };
    std::pair<double, double> widths { 760, 640 };
    QList<std::pair<double, double>> widthsSet;
    AlertButton runAlert(const QString& title, const QString&, const QStringList&) override
    {
        alerts << title;
        return AlertButton::First;
    }
    bool shiftKeyIsDown() const override { return shift; }
    Size mainScreenSize() const override { return { 1920, 1080 }; }
    std::vector<Rect> screenFrames() const override { return screens; }
    Rect windowFrame(WindowId id) const override { return id == WindowId::Main ? mainFrame : Rect {}; }
    void setWindowFrame(WindowId id, const Rect& frame) override
    {
        if (id == WindowId::Main)
            mainFrame = frame;
    }
    std::pair<double, double> panelWidths() const override { return widths; }
    void setPanelWidths(double left, double right) override { widthsSet << std::pair { left, right }; }
};

// One run of the program over a settings file.
struct Session {
    NotificationCenter center;
    zent3controller c { center };
    ScriptedUi ui;
    UserDefaults store;
    explicit Session(const QString& settingsFile, const std::function<void(Session&)>& beforeStart = {})
        : store(settingsFile)
    {
        c.setUserDefaults(&store);
        c.setUiServices(&ui);
        if (beforeStart)
            beforeStart(*this);
        c.awakeFromNib();
        center.postNotificationName(notification::ApplicationDidFinishLaunching);
    }
    void quit() { center.postNotificationName(notification::ApplicationWillTerminate); }
};

// A setting as the user sees it: a non-default value to give, and how to read it back.
struct Setting {
    const char* name;
    std::function<void(zent3controller&, const QString& folder)> set;
    std::function<QString(zent3controller&)> get;
};

QString text(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

std::vector<Setting> everySetting()
{
    using C = zent3controller;
    return {
        { "output type", [](C& c, auto&) { c.setCurrentOutputFileType(ImageFileType::Png); },
            [](C& c) { return QString::number(imageFileTypeIndex(c.currentOutputFileType())); } },
        { "fixed width", [](C& c, auto&) { c.setOutputWidthIsFixed(true); },
            [](C& c) { return text(c.outputWidthIsFixed()); } },
        { "width", [](C& c, auto&) { c.setOutputWidthVal(1920); }, [](C& c) { return QString::number(c.outputWidthVal()); } },
        { "fixed height", [](C& c, auto&) { c.setOutputHeightIsFixed(true); },
            [](C& c) { return text(c.outputHeightIsFixed()); } },
        { "height", [](C& c, auto&) { c.setOutputHeighVal(1080); }, [](C& c) { return QString::number(c.outputHeighVal()); } },
        { "auto levels", [](C& c, auto&) { c.setAutoLevelsIsOn(true); }, [](C& c) { return text(c.autoLevelsIsOn()); } },
        { "reopen last", [](C& c, auto&) { c.setOpenLastFileOnAppLaunch(false); },
            [](C& c) { return text(c.openLastFileOnAppLaunch()); } },
        { "input folder", [](C& c, const QString& f) { c.setCurrentInputPath(f + QStringLiteral("/in")); },
            [](C& c) { return QDir(c.currentInputPath()).dirName(); } },
        { "output folder", [](C& c, const QString& f) { c.setCurrentOutputPath(f + QStringLiteral("/out")); },
            [](C& c) { return QDir(c.currentOutputPath()).dirName(); } },
        { "special folder", [](C& c, const QString& f) { c.setCurrentSpecialOutputPath(f + QStringLiteral("/sp")); },
            [](C& c) { return QDir(c.currentSpecialOutputPath()).dirName(); } },
        { "quality", [](C& c, auto&) { c.setCurrentJpegQuality(77); },
            [](C& c) { return QString::number(c.currentJpegQuality()); } },
        { "metadata", [](C& c, auto&) { c.setCurrentSaveWithMetadata(false); },
            [](C& c) { return text(c.currentSaveWithMetadata()); } },
        { "landscape", [](C& c, auto&) { c.setCurrentSavingLandscape(true); },
            [](C& c) { return text(c.currentSavingLandscape()); } },
        { "picture's ratio", [](C& c, auto&) { c.setOnOpeningMaxAndNewAspectControl(true); },
            [](C& c) { return text(c.onOpeningMaxAndNewAspectControl()); } },
        { "transparency", [](C& c, auto&) { c.setNoTransparencyChannel(false); },
            [](C& c) { return text(c.noTransparencyChannel()); } },
        { "naming rule", [](C& c, auto&) { c.setOutputFileRule(2); },
            [](C& c) { return QString::number(c.outputFileRule()); } },
        { "name", [](C& c, auto&) { c.setCurrentOutputFileName(QStringLiteral("Beach, day 2 - 07")); },
            [](C& c) { return c.currentOutputFileName(); } },
        { "initial name", [](C& c, auto&) { c.setInitialCustomOutputFileName(QStringLiteral("Set-###")); },
            [](C& c) { return c.initialCustomOutputFileName(); } },
        { "guides", [](C& c, auto&) { c.compositionGuidesTo(12); },
            [](C& c) { return QString::number(c.leftPanel().selRect()->compositionGudes()); } },
        { "frame style", [](C& c, auto&) { c.setCropperStyle(1); }, [](C& c) { return QString::number(c.cropperStyle()); } },
        { "guides style", [](C& c, auto&) { c.setGuidesStyle(1); }, [](C& c) { return QString::number(c.guidesStyle()); } },
        { "guide colour", [](C& c, auto&) { c.setCustomLineColor(QColor(250, 128, 3, 200)); },
            [](C& c) { return c.customLineColor().name(QColor::HexArgb); } },
        { "opening rule", [](C& c, auto&) { c.setOnOpeningMaximizeSelection(1); },
            [](C& c) { return QString::number(c.onOpeningMaximizeSelection()); } },
        { "margin", [](C& c, auto&) { c.setOnOpeningMargine(0.25f); },
            [](C& c) { return QString::number(double(c.onOpeningMargine())); } },
        { "sound", [](C& c, auto&) { c.setPlaySoundOnSave(false); }, [](C& c) { return text(c.playSoundOnSave()); } },
        { "advance", [](C& c, auto&) { c.setAdvanceToNextOnCrop(true); }, [](C& c) { return text(c.advanceToNextOnCrop()); } },
        { "EXIF turn", [](C& c, auto&) { c.setUseEXIfRotation(true); }, [](C& c) { return text(c.useEXIfRotation()); } },
        { "recent pictures",
            [](C& c, const QString& f) {
                c.setRecentImages({ f + QStringLiteral("/p/2.jpg"), f + QStringLiteral("/p/1.jpg") });
            },
            [](C& c) { return QString::number(c.recentImages().size()); } },
        { "recent input folders", [](C& c, const QString& f) { c.setRecentInFolders({ f + QStringLiteral("/p") }); },
            [](C& c) { return QString::number(c.recentInFolders().size()); } },
        { "recent output folders", [](C& c, const QString& f) { c.setRecentOutFolders({ f, f + QStringLiteral("/p") }); },
            [](C& c) { return QString::number(c.recentOutFolders().size()); } },
        { "quick-resize sizes",
            [](C& c, auto&) {
                c.resizerController().setW(1, 64);
                c.resizerController().setH(10, 4096);
            },
            [](C& c) {
                return QStringLiteral("%1 %2").arg(c.resizerController().w(1)).arg(c.resizerController().h(10));
            } },
        { "captions switch", [](C& c, auto&) { c.setTextCaption1Check(true); },
            [](C& c) { return text(c.textCaption1Check()); } },
        { "borders switch", [](C& c, auto&) { c.setBorder1Check(true); }, [](C& c) { return text(c.border1Check()); } },
        { "caption 2",
            [](C& c, auto&) {
                c.setCaption2TextString(QStringLiteral("$d$P© Ann"));
                c.setShowCaption2(false);
                c.setCaption2LocationValue(8);
                c.setCaption2WidthValue(40.5f);
                c.setCaption2OffsetXValue(1.5f);
                c.setCaption2OffsetYValue(7);
                c.setCaption2Outlined(false);
                c.setCaption2Opaque(0.25f);
                c.setCaption2TextColor(QColor(10, 20, 30, 40));
                c.setCaption2OutlineColor(QColor(200, 0, 0));
            },
            [](C& c) {
                return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
                    .arg(c.caption2TextString(), text(c.showCaption2()))
                    .arg(c.caption2LocationValue())
                    .arg(double(c.caption2WidthValue()))
                    .arg(double(c.caption2OffsetXValue()))
                    .arg(double(c.caption2OffsetYValue()))
                    .arg(text(c.caption2Outlined()))
                    .arg(double(c.caption2Opaque()))
                    .arg(c.caption2TextColor().name(QColor::HexArgb), c.caption2OutlineColor().name());
            } },
        { "border 3",
            [](C& c, auto&) {
                c.setShowBorder3(false);
                c.setBorder3Color(QColor(0, 128, 255));
                c.setBorder3OffsetTop(2);
                c.setBorder3OffsetBottom(3);
                c.setBorder3OffsetLeft(4);
                c.setBorder3OffsetRight(5.5f);
                c.setBorder3PenSize(0.75f);
                c.setBorder3PenOpaque(0.5f);
            },
            [](C& c) {
                return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                    .arg(text(c.showBorder3()), c.border3Color().name())
                    .arg(double(c.border3OffsetTop()))
                    .arg(double(c.border3OffsetBottom()))
                    .arg(double(c.border3OffsetLeft()))
                    .arg(double(c.border3OffsetRight()))
                    .arg(double(c.border3PenSize()))
                    .arg(double(c.border3PenOpaque()));
            } },
        { "logo placement",
            [](C& c, auto&) {
                c.setLogoProportionalResize(false);
                c.setLogoWidthValue(12);
                c.setLogoHeightValue(6);
                c.setLogoOffsetXValue(1);
                c.setLogoOffsetYValue(4);
                c.setLogoLocationValue(0);
                c.setLogoOpaqueValue(0.5f);
            },
            [](C& c) {
                return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                    .arg(text(c.logoProportionalResize()))
                    .arg(double(c.logoWidthValue()))
                    .arg(double(c.logoHeightValue()))
                    .arg(double(c.logoOffsetXValue()))
                    .arg(double(c.logoOffsetYValue()))
                    .arg(c.logoLocationValue())
                    .arg(double(c.logoOpaqueValue()));
            } },
    };
}

} // namespace

// Every setting given a value other than its default survives a quit and a fresh start: a
// key missing from either the reading or the writing order fails its row.
TEST(Settings, EverySettingSurvivesARestart)
{
    QTemporaryDir dir;
    for (const char* folder : { "in", "out", "sp", "p" })
        QDir(dir.path()).mkpath(QString::fromLatin1(folder));
    for (const char* file : { "p/1.jpg", "p/2.jpg" })
        QFile::copy(test::samplePath("coffee.jpg"), dir.filePath(QString::fromLatin1(file)));
    const QString file = dir.filePath(QStringLiteral("config/Quillum.ini"));
    const auto settings = everySetting();
    QStringList defaults, given;
    {
        Session first(file);
        for (const Setting& s : settings)
            defaults << s.get(first.c);
        for (const Setting& s : settings)
            s.set(first.c, dir.path());
        for (const Setting& s : settings)
            given << s.get(first.c);
        first.quit();
    }
    Session second(file);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        ASSERT_NE(given[int(i)], defaults[int(i)]) << settings[i].name << ": the test gives a default";
        EXPECT_EQ(settings[i].get(second.c), given[int(i)]) << settings[i].name;
    }
    // The window comes back where it was, and the panels as wide.
    EXPECT_EQ(second.ui.widthsSet.value(0), (std::pair { 760.0, 640.0 }));
}

TEST(Settings, FirstRunTakesTheRegisteredDefaults)
{
    QTemporaryDir dir;
    Session run(dir.filePath(QStringLiteral("Quillum.ini")));
    zent3controller& c = run.c;
    EXPECT_EQ(c.outputWidthVal(), 300);
    EXPECT_EQ(c.outputHeighVal(), 300);
    EXPECT_FALSE(c.outputWidthIsFixed() || c.outputHeightIsFixed() || c.autoLevelsIsOn());
    EXPECT_TRUE(c.openLastFileOnAppLaunch());
    EXPECT_EQ(c.currentOutputFileType(), ImageFileType::Jpeg);
    EXPECT_EQ(c.currentInputPath(), QDir::homePath());
    EXPECT_EQ(c.currentOutputPath(), QDir::homePath());
    EXPECT_EQ(c.currentSpecialOutputPath(), QDir::homePath());
    EXPECT_EQ(c.currentJpegQuality(), 90);
    EXPECT_TRUE(c.currentSaveWithMetadata() && c.noTransparencyChannel() && c.playSoundOnSave());
    EXPECT_FALSE(c.currentSavingLandscape() || c.onOpeningMaxAndNewAspectControl() || c.advanceToNextOnCrop()
        || c.useEXIfRotation());
    EXPECT_EQ(c.outputFileRule(), 0);
    EXPECT_EQ(c.currentOutputFileName(), QStringLiteral("ImageCrop-0001"));
    EXPECT_EQ(c.initialCustomOutputFileName(), QStringLiteral("ImageCrop-0001"));
    EXPECT_EQ(c.leftPanel().selRect()->compositionGudes(), 1);
    EXPECT_EQ(c.cropperStyle(), 2) << "the veil";
    EXPECT_EQ(c.guidesStyle(), 0);
    EXPECT_EQ(c.customLineColor(), QColor(0, 0, 255));
    EXPECT_EQ(c.onOpeningMaximizeSelection(), 0);
    EXPECT_EQ(c.onOpeningMargine(), 0.1f);
    EXPECT_EQ(c.resizerController().w(1), 50);
    EXPECT_EQ(c.resizerController().h(10), 700);
    EXPECT_FALSE(c.textCaption1Check() || c.border1Check());
    EXPECT_EQ(c.caption1TextString(), QStringLiteral("Quillum"));
    EXPECT_EQ(c.caption2TextString(), QString::fromLatin1(setting::kCaption2DefaultText));
    EXPECT_EQ(c.caption1LocationValue(), 6);
    EXPECT_EQ(c.caption2LocationValue(), 3);
    EXPECT_FALSE(c.caption1FontName().isEmpty());
    EXPECT_EQ(c.border2Color(), QColor::fromRgbF(0.5f, 0.5f, 0.5f)) << "50 % white";
    EXPECT_EQ(c.border3OffsetLeft(), 1.0f);
    EXPECT_EQ(c.logoSetupWindow().logoImageFile(), QStringLiteral("SampleLogo500"));
    EXPECT_TRUE(c.logoImageView().hasImage()) << "the built-in mark, without a file";
    EXPECT_FALSE(c.drawLogo());
    EXPECT_EQ(c.logoLocationValue(), 8);
    EXPECT_EQ(run.ui.mainFrame, (Rect { 100, 100, 1400, 880 })) << "the designed frame";
    EXPECT_TRUE(run.ui.widthsSet.value(0) == (std::pair { 0.0, 0.0 })) << "no stored widths";
    EXPECT_TRUE(run.ui.alerts.isEmpty());
}

// The window's stored frame and panel widths, by the rules for missing and odd values.
TEST(Settings, WindowFrameAndPanelWidths)
{
    struct Row {
        const char* name;
        float x, y, w, h, left, right;
        Rect frame;
        std::pair<double, double> widths;
    } rows[] = {
        { "a negative origin is clamped", -50, 30, 1000, 700, 0, 0, { 0, 30, 1000, 700 }, { 0, 0 } },
        { "a missing width keeps the designed one", 10, 20, 0, 600, 0, 0, { 10, 20, 1400, 600 }, { 0, 0 } },
        { "20 is ignored, 20.5 applied", 10, 20, 800, 600, 20.0f, 20.5f, { 10, 20, 800, 600 }, { 0, 20.5 } },
        { "a frame off every screen comes back", 5000, 4000, 800, 600, 0, 0, { 1120, 480, 800, 600 }, { 0, 0 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        Session run(dir.filePath(QStringLiteral("Quillum.ini")), [&](Session& before) {
            UserDefaults& d = before.store;
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenOriginX), r.x);
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenOriginY), r.y);
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenSizeWidth), r.w);
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenSizeHeight), r.h);
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenLeftPicWidth), r.left);
            d.setFloat(QString::fromLatin1(setting::ZentMainScreenRightPicWidth), r.right);
        });
        EXPECT_EQ(run.ui.mainFrame, r.frame);
        EXPECT_EQ(run.ui.widthsSet.value(0), r.widths);
    }
}

// Shift held at start: no reopening this run, and the next quit stores it off.
TEST(Settings, ShiftAtStartSwitchesReopeningOff)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillum.ini"));
    QFile::copy(test::samplePath("coffee.jpg"), dir.filePath(QStringLiteral("a.jpg")));
    {
        Session run(file, [&](Session& before) {
            before.store.setArray(QStringLiteral("ZentRecentImagesArray"), { dir.filePath(QStringLiteral("a.jpg")) });
            before.ui.shift = true;
        });
        EXPECT_FALSE(run.c.hasSource());
        EXPECT_FALSE(run.c.openLastFileOnAppLaunch());
        run.quit();
    }
    Session next(file);
    EXPECT_FALSE(next.c.openLastFileOnAppLaunch());
    EXPECT_FALSE(next.c.hasSource());
}

// A quick quit leaves the file as it was: the next start sees the values of the run before.
TEST(Settings, AQuickQuitKeepsThePreviousValues)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillum.ini"));
    {
        Session run(file);
        run.c.setCurrentJpegQuality(60);
        run.quit();
    }
    {
        Session run(file);
        run.c.setCurrentJpegQuality(20);
        run.c.setOutputFileRule(1);
        run.c.quickQuit();
        run.quit();
    }
    Session next(file);
    EXPECT_EQ(next.c.currentJpegQuality(), 60);
    EXPECT_EQ(next.c.outputFileRule(), 0);
}

// Values outside their range come back in it, through the setters.
TEST(Settings, OutOfRangeValuesAreBroughtIntoRange)
{
    QTemporaryDir dir;
    Session run(dir.filePath(QStringLiteral("Quillum.ini")), [](Session& before) {
        UserDefaults& d = before.store;
        d.setInteger(QStringLiteral("JpegQualityInteger"), -5);
        d.setInteger(QStringLiteral("OutputWidthInteger"), 0);
        d.setInteger(QStringLiteral("CompositionGuidesType"), 99);
        d.setFloat(QStringLiteral("OnFileOpeningMargin"), 5.0f);
        d.setInteger(QStringLiteral("OutputFileRuleInteger"), 7);
        d.setInteger(QStringLiteral("OnFileOpeningMaximize"), -3);
        d.setInteger(QStringLiteral("OutputFileTypeInteger"), 9);
        d.setInteger(QStringLiteral("CompositionGuidesStyle"), 5);
        d.setInteger(QStringLiteral("resizerControllerW03"), -20);
    });
    zent3controller& c = run.c;
    EXPECT_EQ(c.currentJpegQuality(), 0);
    EXPECT_EQ(c.outputWidthVal(), 1);
    EXPECT_EQ(c.leftPanel().selRect()->compositionGudes(), 1);
    EXPECT_EQ(c.onOpeningMargine(), 0.1f);
    EXPECT_EQ(c.outputFileRule(), 1) << "above 2 works as 1";
    EXPECT_EQ(c.onOpeningMaximizeSelection(), 0);
    EXPECT_EQ(c.currentOutputFileType(), ImageFileType::Jpeg);
    EXPECT_EQ(c.guidesStyle(), 0);
    EXPECT_EQ(c.resizerController().w(3), 1);
}

// A settings folder that cannot be written: the program runs and says so once.
TEST(Settings, AnUnwritableSettingsFolderIsToldOnce)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Session run(dir.filePath(QStringLiteral("config/Quillum.ini")));
    ASSERT_EQ(run.ui.alerts, QStringList { QStringLiteral("Settings cannot be saved") });
    run.c.setCurrentJpegQuality(50);
    run.quit();
    EXPECT_EQ(run.ui.alerts.size(), 1) << "not again at quit";
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("config"))).isFile());
}
