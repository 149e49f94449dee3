// Setup panels brought forward, help topics, web pages and the update menu item.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"
#include "platform/Updater.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

using namespace quillum;

namespace {

struct FakeUi : UiServices {
    Size screen { 1440, 900 };
    std::map<WindowId, Rect> frames;
    std::vector<std::pair<WindowId, Rect>> setFrames;
    std::vector<std::pair<WindowId, bool>> raised;
    QStringList anchors, urls, alerts;
    AlertButton answer = AlertButton::Second;

    Size mainScreenSize() const override { return screen; }
    Rect windowFrame(WindowId w) const override
    {
        auto it = frames.find(w);
        return it == frames.end() ? Rect {} : it->second;
    }
    void setWindowFrame(WindowId w, const Rect& f) override { setFrames.emplace_back(w, f); }
    void bringWindowForward(WindowId w, bool floating) override { raised.emplace_back(w, floating); }
    void openUrl(const QString& url) override { urls << url; }
    void showHelpAnchor(const QString& anchor) override { anchors << anchor; }
    AlertButton runAlert(const QString&, const QString& message, const QStringList& buttons) override
    {
        alerts << message + QStringLiteral(" | ") + buttons.join(QLatin1Char('/'));
        return answer;
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

TEST(Panels, EveryHelpCommandOpensItsOwnAnchor)
{
    const std::pair<Command, const char*> rows[] = {
        { &zent3controller::helpMainScreen, "helpMainScreen" },
        { &zent3controller::helpResizeTool, "helpResizeTool" },
        { &zent3controller::helpLogo, "helpLogo" },
        { &zent3controller::helpBorders, "helpBorders" },
        { &zent3controller::helpCaptions, "helpCaptions" },
        { &zent3controller::helpPreferencesGeneral, "helpPreferencesGeneral" },
        { &zent3controller::helpPreferencesSaving, "helpPreferencesSaving" },
        { &zent3controller::helpPreferencesAdvanced, "helpPreferencesAdvanced" },
        { &zent3controller::helpSave, "helpSave" },
        { &zent3controller::helpMyPresetsGeneral, "helpMyPresetsGeneral" },
        { &zent3controller::helpMyPresetsEditList, "helpMyPresetsEditList" },
    };
    // The bundled help must hold every topic the commands open.
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
    Fixture f;
    f.c.setUiServices(nullptr);
    f.c.helpSave(); // without UiServices: nothing, no crash
}

TEST(Panels, SetupPanelsComeBackOnScreenBeforeRising)
{
    struct Row {
        const char* name;
        Command command;
        WindowId window;
        Rect frame;
        bool moved;
        Rect want;
    } rows[] = {
        { "captions: 20 points showing on the left", &zent3controller::showCaptionsSetup, WindowId::CaptionSetup,
            { -280, 100, 300, 200 }, true, { 0, 100, 300, 200 } },
        { "borders: past the right edge", &zent3controller::showBorderSetup, WindowId::BorderSetup,
            { 1400, 100, 300, 200 }, true, { 1140, 100, 300, 200 } },
        { "logo: past the top edge", &zent3controller::showLogoSetup, WindowId::LogoSetup, { 100, 860, 300, 200 },
            true, { 100, 700, 300, 200 } },
        { "resizer on screen is not re-set", &zent3controller::showResizerPanel, WindowId::Resizer,
            { 100, 100, 300, 200 }, false, {} },
        { "picture correction skips the check", &zent3controller::showPictureCorrectionWindow,
            WindowId::PictureCorrection, { -280, 100, 300, 200 }, false, {} },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.ui.frames[r.window] = r.frame;
        (f.c.*r.command)({});
        if (r.moved) {
            ASSERT_EQ(f.ui.setFrames.size(), 1u);
            EXPECT_EQ(f.ui.setFrames[0].first, r.window);
            EXPECT_EQ(f.ui.setFrames[0].second, r.want);
        } else {
            EXPECT_TRUE(f.ui.setFrames.empty());
        }
        ASSERT_EQ(f.ui.raised.size(), 1u);
        EXPECT_EQ(f.ui.raised[0], std::make_pair(r.window, true)) << "raised floating";
    }
}

TEST(Panels, HomePagesOpenInTheBrowser)
{
    Fixture f;
    f.c.goToQuillumHomePage();
    f.c.goToLorvaneHomePage();
    EXPECT_EQ(f.ui.urls,
        (QStringList { QStringLiteral("https://quillum.example.org/"), QStringLiteral("https://lorvane.example.org/") }));
}

TEST(Panels, CheckForUpdatesItemIsInsertedOnce)
{
    Fixture f;
    int rebuilds = 0;
    f.c.applicationMenu().setChangedHandler([&] { ++rebuilds; });
    const size_t before = f.c.applicationMenu().items().size();
    f.c.insertCheckForUpdatesItem();
    f.c.insertCheckForUpdatesItem();
    ASSERT_EQ(f.c.applicationMenu().items().size(), before + 1);
    EXPECT_EQ(rebuilds, 1);
    const MenuItem* item = f.c.applicationMenu().itemWithTag(zent3controller::kCheckForUpdatesItemTag);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->title, QString::fromUtf8("Check for Updates\u2026"));
    EXPECT_EQ(item->title.size(), 18) << "one ellipsis character, not three dots";
    EXPECT_TRUE(item->keyEquivalent.isEmpty());
    EXPECT_TRUE(item->enabled);
    ASSERT_TRUE(item->action);
}

TEST(Panels, UpdaterGetsTheFeedAndItsAnswerBecomesAnAlert)
{
    static int argc = 1;
    static char name[] = "test_controller";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // the check needs an event loop; lives to the end

    Updater updater;
    {
        Fixture f;
        f.c.setUpdater(&updater);
        f.c.prepareUpdater();
        EXPECT_EQ(updater.feedURL(), QUrl(QStringLiteral("https://quillum.example.org/appcast.xml")));
    }

    QTemporaryDir dir;
    QFile feed(dir.filePath(QStringLiteral("feed.xml")));
    ASSERT_TRUE(feed.open(QIODevice::WriteOnly));
    feed.write("<rss><channel><item><version>2.0</version></item></channel></rss>");
    feed.close();
    updater.setCurrentVersion(QStringLiteral("1.0"));

    struct Row {
        const char* name;
        AlertButton answer;
        QStringList urls;
    } rows[] = {
        { "not now", AlertButton::Second, {} },
        { "open the home page", AlertButton::First, { QStringLiteral("https://quillum.example.org/") } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.ui.answer = r.answer;
        f.c.setUpdater(&updater);
        f.c.setUpdateFeedAddress(QUrl::fromLocalFile(feed.fileName()).toString());
        f.c.prepareUpdater();
        QEventLoop loop;
        f.c.runUpdater();
        updater.checkForUpdates([&](const UpdateCheckResult&) { loop.quit(); }); // joins, answers after
        QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_EQ(f.ui.alerts.size(), 1);
        EXPECT_TRUE(f.ui.alerts[0].contains(QStringLiteral("2.0 is available"))) << f.ui.alerts[0].toStdString();
        EXPECT_TRUE(f.ui.alerts[0].endsWith(QStringLiteral("Open Home Page/Not Now")));
        EXPECT_EQ(f.ui.urls, r.urls);
    }

    // A controller gone before the answer is not called back.
    {
        Fixture f;
        f.c.setUpdater(&updater);
        f.c.runUpdater();
    }
    QEventLoop loop;
    updater.checkForUpdates([&](const UpdateCheckResult&) { loop.quit(); });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec(); // a dangling controller would fault under AddressSanitizer here
}
