// Setup panels brought forward, help topics, web pages and the update command.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"
#include "platform/Updater.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

using namespace quillum;

namespace {

struct FakeUi : UiServices {
    std::map<WindowId, Rect> frames;
    std::vector<std::pair<WindowId, Rect>> setFrames;
    std::vector<std::pair<WindowId, bool>> raised;
    QStringList anchors, urls, alerts;

    Size mainScreenSize() const override { return { 1440, 900 }; }
    Rect windowFrame(WindowId w) const override { return frames.count(w) ? frames.at(w) : Rect {}; }
    void setWindowFrame(WindowId w, const Rect& f) override { setFrames.emplace_back(w, f); }
    void bringWindowForward(WindowId w, bool floating) override { raised.emplace_back(w, floating); }
    void openUrl(const QString& url) override { urls << url; }
    void showHelpAnchor(const QString& anchor) override { anchors << anchor; }
    AlertButton runAlert(const QString&, const QString& message, const QStringList& buttons) override
    {
        alerts << message + QLatin1Char('|') + buttons.join(QLatin1Char('/'));
        return AlertButton::First;
    }
};

struct Fixture {
    NotificationCenter center;
    zent3controller c { center };
    FakeUi ui;
    Fixture() { c.setUiServices(&ui); }
};

using Command = void (zent3controller::*)(const Sender&);

} // namespace

TEST(Panels, EveryHelpCommandOpensItsOwnAnchorInTheBundledHelp)
{
    using Z = zent3controller;
    const std::pair<Command, const char*> rows[] = { { &Z::helpMainScreen, "helpMainScreen" },
        { &Z::helpResizeTool, "helpResizeTool" }, { &Z::helpLogo, "helpLogo" }, { &Z::helpBorders, "helpBorders" },
        { &Z::helpCaptions, "helpCaptions" }, { &Z::helpPreferencesGeneral, "helpPreferencesGeneral" },
        { &Z::helpPreferencesSaving, "helpPreferencesSaving" },
        { &Z::helpPreferencesAdvanced, "helpPreferencesAdvanced" }, { &Z::helpSave, "helpSave" },
        { &Z::helpMyPresetsGeneral, "helpMyPresetsGeneral" }, { &Z::helpMyPresetsEditList, "helpMyPresetsEditList" } };
    QFile help(QStringLiteral(QUILLUM_SAMPLES "/../src/app/resources/help/index.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QByteArray html = help.readAll();
    for (const auto& [command, anchor] : rows) {
        SCOPED_TRACE(anchor);
        Fixture f;
        (f.c.*command)({});
        EXPECT_EQ(f.ui.anchors, QStringList { QString::fromLatin1(anchor) });
        EXPECT_TRUE(html.contains(QByteArray("id=\"") + anchor + '"'));
    }
}

TEST(Panels, SetupPanelsComeBackOnScreenBeforeRising)
{
    struct Row {
        const char* name;
        Command command;
        WindowId window;
        Rect frame;
        std::vector<std::pair<WindowId, Rect>> setFrames;
    } rows[] = {
        { "captions, 20 points showing", &zent3controller::showCaptionsSetup, WindowId::CaptionSetup,
            { -280, 100, 300, 200 }, { { WindowId::CaptionSetup, { 0, 100, 300, 200 } } } },
        { "borders, past the right edge", &zent3controller::showBorderSetup, WindowId::BorderSetup,
            { 1400, 100, 300, 200 }, { { WindowId::BorderSetup, { 1140, 100, 300, 200 } } } },
        { "logo, past the top edge", &zent3controller::showLogoSetup, WindowId::LogoSetup, { 100, 860, 300, 200 },
            { { WindowId::LogoSetup, { 100, 700, 300, 200 } } } },
        { "resizer on screen, not re-set", &zent3controller::showResizerPanel, WindowId::Resizer,
            { 100, 100, 300, 200 }, {} },
        { "picture correction, no check", &zent3controller::showPictureCorrectionWindow, WindowId::PictureCorrection,
            { -280, 100, 300, 200 }, {} },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.ui.frames[r.window] = r.frame;
        (f.c.*r.command)({});
        EXPECT_EQ(f.ui.setFrames, r.setFrames);
        EXPECT_EQ(f.ui.raised, (std::vector { std::pair { r.window, true } })) << "raised floating";
    }
}

TEST(Panels, CheckForUpdatesItemIsInsertedOnce)
{
    Fixture f;
    const size_t before = f.c.applicationMenu().items().size();
    f.c.insertCheckForUpdatesItem();
    f.c.insertCheckForUpdatesItem();
    ASSERT_EQ(f.c.applicationMenu().items().size(), before + 1);
    const MenuItem& item = f.c.applicationMenu().items().back();
    EXPECT_EQ(item.tag, zent3controller::kCheckForUpdatesItemTag);
    EXPECT_EQ(item.title, QString::fromUtf8("Check for Updates\u2026"));
    EXPECT_TRUE(item.keyEquivalent.isEmpty());
    EXPECT_TRUE(item.action);
}

TEST(Panels, UpdateAnswerOffersTheHomePageOnlyToALiveController)
{
    static int argc = 1;
    static char name[] = "test_controller";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // the check needs an event loop; lives to the end
    Updater updater;
    updater.setCurrentVersion(QStringLiteral("1.0"));
    auto waitForAnswer = [&] {
        QEventLoop loop;
        updater.checkForUpdates([&](const UpdateCheckResult&) { loop.quit(); }); // joins the running check
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        loop.exec();
    };

    Fixture f;
    f.c.setUpdater(&updater);
    f.c.prepareUpdater();
    EXPECT_EQ(updater.feedURL(), QUrl(QStringLiteral("https://quillum.example.org/appcast.xml")));
    f.c.setUpdateFeedAddress(QStringLiteral("data:text/xml,<rss><item><version>2.0</version></item></rss>"));
    f.c.prepareUpdater();
    f.c.runUpdater();
    waitForAnswer();
    ASSERT_EQ(f.ui.alerts.size(), 1);
    EXPECT_TRUE(f.ui.alerts[0].contains(QStringLiteral("2.0 is available"))) << f.ui.alerts[0].toStdString();
    EXPECT_TRUE(f.ui.alerts[0].endsWith(QStringLiteral("|Open Home Page/Not Now")));
    f.c.goToLorvaneHomePage();
    EXPECT_EQ(f.ui.urls,
        (QStringList {
            QStringLiteral("https://quillum.example.org/"), QStringLiteral("https://lorvane.example.org/") }));

    auto gone = std::make_unique<Fixture>();
    gone->c.setUpdater(&updater);
    gone->c.runUpdater();
    gone.reset();
    waitForAnswer(); // a dangling controller would fault under AddressSanitizer here
}
