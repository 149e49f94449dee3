// Start-up, termination, the close question, the split view and the launch reopen rule,
// driven through a scripted UI.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <QTemporaryDir>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedUi : UiServices {
    AlertButton answer = AlertButton::Second;
    QStringList alerts;
    bool shift = false;
    int terminations = 0;
    QList<bool> collapses;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList& buttons) override
    {
        alerts << title + QLatin1Char('|') + message + QLatin1Char('|') + buttons.join(QLatin1Char(','));
        return answer;
    }
    bool shiftKeyIsDown() const override { return shift; }
    void terminate() override { ++terminations; }
    void setOutputPanelCollapsed(bool collapsed) override { collapses << collapsed; }
};

struct App {
    NotificationCenter center;
    zent3controller c { center };
    ScriptedUi ui;
    int writes = 0;
    App()
    {
        c.setUiServices(&ui);
        c.setDefaultsWriter([this] { ++writes; });
    }
};

} // namespace

TEST(Lifecycle, AwakeFromNibWiresAndPrepares)
{
    App app;
    app.c.leftPanel().setLastManualRect({ 1, 2, 3, 4 });
    app.c.awakeFromNib();
    EXPECT_EQ(app.c.fixedAspectCheckToolTip(), QStringLiteral("Check for fixed cropped aspect ratio"));
    EXPECT_EQ(app.c.outputModeTag(), 1);
    const QFileInfo temporary(app.c.temporaryPath());
    EXPECT_TRUE(temporary.isDir()) << "this run's own folder";
    EXPECT_EQ(QFileInfo(temporary.absolutePath()).fileName(), QStringLiteral("quillum"));
    EXPECT_EQ(QFileInfo(temporary.absolutePath()).permissions() & 0x0077, 0) << "closed to group and others";
    EXPECT_TRUE(app.c.firstTimeSaving());
    EXPECT_EQ(app.c.leftPanel().lastManualRect(), Rect {});
    EXPECT_TRUE(app.c.leftPanel().selRect()->visible());
    EXPECT_EQ(app.c.leftPanel().selRect()->compositionGudes(), 1) << "registered default after the read";
    EXPECT_EQ(app.c.leftPanel().selRect()->guidesStyle(), 0);

    // Observers: a drop answered by the controller reaches the left panel's callback.
    app.center.postNotificationName(QStringLiteral("InputFileWasProcessedByController"));
    EXPECT_TRUE(app.c.leftPanel().droppingResult());
    // Awake twice does not register twice: one render per change notification.
    app.c.awakeFromNib();
    int renders = 0;
    app.c.observeKey(QStringLiteral("operationTimeLabel"), [&](const QString&) { ++renders; });
    BitmapImageRep picture = BitmapImageRep::makeARGB(10, 10);
    std::memset(picture.bitmapData(), 200, picture.planeBytes());
    app.c.setSourcePicture(std::move(picture));
    ZentCropBorder frame;
    frame.setFrame({ 0, 0, 5, 5 });
    app.center.postNotificationName(QStringLiteral("SelRectDidChangeNotification"), &frame);
    EXPECT_EQ(renders, 1);
}

// A run that crashed never removed its drag folder; a later start removes those of ended
// runs once a day old, and nothing else: not a live run's (it holds a lock), not a link,
// not another user's, not a name of another shape.
TEST(Lifecycle, StartRemovesTheDragFoldersOfRunsThatEndedADayAgo)
{
    QTemporaryDir runtime, elsewhere;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QByteArray parent = QFile::encodeName(runtime.filePath(QStringLiteral("quillum")));
    ASSERT_EQ(::mkdir(parent.constData(), 0700), 0);
    constexpr std::time_t kDay = 24 * 3600;
    enum Kind { Folder, LiveFolder, OtherUsers, Link, File };
    const struct {
        const char* name;
        Kind kind;
        std::time_t age;
        bool removed;
    } rows[] = {
        { "run-a1B2c3", Folder, kDay + 60, true },
        { "run-Zz9999", Folder, 30 * kDay, true },
        { "run-d4e5f6", Folder, kDay - 60, false },
        { "run-live01", LiveFolder, 2 * kDay, false },
        { "run-other1", OtherUsers, 2 * kDay, false },
        { "run-link01", Link, 2 * kDay, false },
        { "run-file01", File, 2 * kDay, false },
        { "run-a1B2c34", Folder, 2 * kDay, false },
        { "run-a1-2c3", Folder, 2 * kDay, false },
        { "runs-a1B2c", Folder, 2 * kDay, false },
        { "Run-a1B2c3", Folder, 2 * kDay, false },
    };
    const QByteArray target = QFile::encodeName(elsewhere.path());
    ASSERT_TRUE(QFile(elsewhere.filePath(QStringLiteral("kept.jpg"))).open(QIODevice::WriteOnly));
    int live = -1;
    for (const auto& r : rows) {
        const QByteArray path = parent + '/' + r.name;
        switch (r.kind) {
        case Folder:
        case LiveFolder:
        case OtherUsers:
            ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
            ASSERT_TRUE(QFile(QFile::decodeName(path + "/dragged.jpg")).open(QIODevice::WriteOnly));
            if (r.kind == OtherUsers) {
                ASSERT_EQ(::chown(path.constData(), 4242, 4242), 0);
            }
            if (r.kind == LiveFolder) {
                live = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);
            }
            break;
        case Link:
            ASSERT_EQ(::symlink(target.constData(), path.constData()), 0);
            break;
        case File:
            ASSERT_TRUE(QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly));
            break;
        }
        const std::time_t when = std::time(nullptr) - r.age;
        const timespec times[2] = { { when, 0 }, { when, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0) << r.name;
    }
    {
        App app;
        app.c.awakeFromNib();
        EXPECT_EQ(QFileInfo(app.c.temporaryPath()).absolutePath(), QFile::decodeName(parent));
        for (const auto& r : rows) {
            struct stat info { };
            EXPECT_EQ(::lstat((parent + '/' + r.name).constData(), &info) != 0, r.removed) << r.name;
        }
        EXPECT_TRUE(QFileInfo::exists(elsewhere.filePath(QStringLiteral("kept.jpg")))) << "a link is not followed";
        // This run's own folder is safe from a second run starting now or a day later.
        const QByteArray own = QFile::encodeName(app.c.temporaryPath());
        const int probe = ::open(own.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0) << "held while the run lasts";
        ::close(probe);
    }
    ::close(live);
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(Lifecycle, CloseAsksFirst)
{
    for (AlertButton answer : { AlertButton::First, AlertButton::Second }) {
        App app;
        app.ui.answer = answer;
        EXPECT_EQ(app.c.windowShouldClose(), answer == AlertButton::First);
        ASSERT_EQ(app.ui.alerts.size(), 1);
        EXPECT_EQ(app.ui.alerts[0], QStringLiteral("Close and Quit Quillum|Are you Sure?|Close and Quit,Cancel"));
    }
    App app;
    app.c.windowWillClose();
    EXPECT_EQ(app.ui.terminations, 1);
}

TEST(Lifecycle, QuickQuitWritesNothingAtTermination)
{
    App normal;
    normal.c.awakeFromNib();
    normal.center.postNotificationName(notification::ApplicationWillTerminate);
    EXPECT_EQ(normal.writes, 1);

    App quick;
    quick.c.awakeFromNib();
    quick.c.quickQuit();
    EXPECT_EQ(quick.ui.terminations, 1);
    quick.center.postNotificationName(notification::ApplicationWillTerminate);
    EXPECT_EQ(quick.writes, 0);
}

TEST(Lifecycle, SplitViewFlagAtTheBoundary)
{
    App app;
    int announced = 0;
    app.c.observeKey(QStringLiteral("dontShowCropFlag"), [&](const QString&) { ++announced; });
    app.c.splitViewDidResizeSubviews(119);
    EXPECT_TRUE(app.c.dontShowCropFlag());
    app.c.splitViewDidResizeSubviews(60);
    EXPECT_EQ(announced, 1) << "announced only when it changes";
    app.c.splitViewDidResizeSubviews(120);
    EXPECT_FALSE(app.c.dontShowCropFlag());
    app.c.splitViewDidResizeSubviews(500, false);
    EXPECT_TRUE(app.c.dontShowCropFlag()) << "no right panel at all";
    EXPECT_EQ(zent3controller::splitViewConstrainMinCoordinate(0), 120);
    EXPECT_EQ(zent3controller::splitViewConstrainMaxCoordinate(1000), 880);

    // The setter collapses the panel and brings it back.
    App setter;
    setter.c.setDontShowCropFlag(true);
    setter.c.setDontShowCropFlag(false);
    EXPECT_EQ(setter.ui.collapses, (QList<bool> { true, false }));
}

TEST(Lifecycle, LaunchReopensTheMostRecentPicture)
{
    const QString sample = test::samplePath("coffee.jpg");
    struct Row {
        const char* name;
        QStringList recent;
        bool reopenSetting, shift, opened;
    } rows[] = {
        { "most recent exists", { sample, QStringLiteral("/nope.jpg") }, true, false, true },
        { "most recent vanished: dropped at start, the next one opens", { QStringLiteral("/nope.jpg"), sample }, true,
            false, true },
        { "empty list", {}, true, false, false },
        { "setting off", { sample }, false, false, false },
        { "Shift held at start", { sample }, true, true, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        App app;
        app.ui.shift = r.shift;
        // As the last run left them in the store.
        app.c.userDefaults().setArray(QStringLiteral("ZentRecentImagesArray"), r.recent);
        app.c.userDefaults().setBool(QStringLiteral("OpenLastFileOnAppLaunch"), r.reopenSetting);
        app.c.awakeFromNib();
        app.center.postNotificationName(notification::ApplicationDidFinishLaunching);
        EXPECT_EQ(app.c.hasSource(), r.opened);
        EXPECT_TRUE(app.ui.alerts.isEmpty());
    }
    // A file opened by the desktop before launch completed wins over the recent one.
    App app;
    app.c.userDefaults().setArray(QStringLiteral("ZentRecentImagesArray"), { test::samplePath("rocket.jpg") });
    app.c.awakeFromNib();
    EXPECT_TRUE(app.c.applicationOpenFile(sample));
    app.center.postNotificationName(notification::ApplicationDidFinishLaunching);
    EXPECT_EQ(app.c.sourcePath(), sample);
    const MenuItem* updates = app.c.applicationMenu().itemWithTag(zent3controller::kCheckForUpdatesItemTag);
    ASSERT_TRUE(updates);
    EXPECT_EQ(updates->title, QStringLiteral("Check for Updates…"));
    EXPECT_TRUE(updates->keyEquivalent.isEmpty());
}

TEST(Lifecycle, OpeningAPictureAndABadFile)
{
    App app;
    app.c.awakeFromNib();
    app.c.leftPanel().setScrollViewFrameSize({ 300, 200 });
    ASSERT_TRUE(app.c.openPicture(test::samplePath("coffee.jpg")));
    EXPECT_EQ(app.c.windowTitle(), QStringLiteral("coffee.jpg - 600 x 400"));
    EXPECT_TRUE(app.c.outPict());
    EXPECT_FLOAT_EQ(app.c.leftPanel().scale(), 0.5f) << "fitted to the panel";
    const auto before = app.c.outPict();
    EXPECT_FALSE(app.c.openPicture(test::dataPath("truncated.jpg")));
    ASSERT_EQ(app.ui.alerts.size(), 1);
    EXPECT_TRUE(app.ui.alerts[0].contains(QStringLiteral("truncated.jpg")));
    EXPECT_EQ(app.c.outPict(), before) << "the previous picture stays";
    EXPECT_EQ(app.c.sourcePath(), test::samplePath("coffee.jpg"));
}

TEST(Lifecycle, LastRotationItemNeedsARotation)
{
    App app;
    EXPECT_FALSE(app.c.validateMenuItem(zent3controller::kLastRotationMenuTag));
    EXPECT_TRUE(app.c.validateMenuItem(101));
    app.c.setLastRotatedAngle(12.5);
    EXPECT_TRUE(app.c.validateMenuItem(zent3controller::kLastRotationMenuTag));
}
