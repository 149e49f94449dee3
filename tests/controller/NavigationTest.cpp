// The file list as the controller uses it: building, moving, the counter and buttons,
// closing, the recent lists and their menus, driven through a scripted UI.

#include "controller/zent3controller.h"
#include "input/FileList.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedUi : UiServices {
    QStringList alerts;
    QStringList chosen;
    bool subfolders = false;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QLatin1Char('|') + message;
        return AlertButton::First;
    }
    QStringList runOpenPanel(bool& includeSubfolders) override
    {
        includeSubfolders = subfolders;
        return chosen;
    }
};

struct App {
    NotificationCenter center;
    zent3controller c { center };
    ScriptedUi ui;
    int shows = 0;
    App()
    {
        c.setUiServices(&ui);
        c.awakeFromNib();
        c.observeKey(QStringLiteral("imageInfo"), [this](const QString&) { ++shows; });
    }
};

// A folder of real pictures (copies of one sample) and other files.
struct Folder {
    QTemporaryDir dir;
    Folder(std::initializer_list<const char*> names)
    {
        for (const char* n : names) {
            const QString path = file(n);
            QDir().mkpath(QFileInfo(path).path());
            if (isAcceptedPictureName(path))
                QFile::copy(test::samplePath("coffee.jpg"), path);
            else
                QFile(path).open(QIODevice::WriteOnly);
        }
    }
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

TEST(Navigation, TheListOfTheFolderAndThePositionShown)
{
    Folder f { "a.JPG", "b10.jpg", "b2.jpg", "notes.txt", "x.gif" };
    struct Row {
        const char* opened;
        int index;
        const char* counter;
        bool prev, next;
    } rows[] = {
        { "b2.jpg", 2, "3/3", true, false },
        { "b10.jpg", 1, "2/3", true, true },
        { "x.gif", 0, "1/3", false, true }, // not in the list: the first
        { "gone.jpg", 0, "1/3", false, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.opened);
        App app;
        EXPECT_TRUE(app.c.applicationOpenFile(f.file(r.opened)));
        EXPECT_EQ(app.c.pics(), (QStringList { f.file("a.JPG"), f.file("b10.jpg"), f.file("b2.jpg") }));
        EXPECT_EQ(app.c.currentPicIndex(), r.index);
        EXPECT_EQ(app.c.fileCounter(), QString::fromUtf8(r.counter));
        EXPECT_EQ(app.c.prevButtonEnabled(), r.prev);
        EXPECT_EQ(app.c.nextButtonEnabled(), r.next);
        EXPECT_EQ(app.c.sourcePath(), app.c.pics()[r.index]);
        EXPECT_EQ(app.c.currentInputPath(), f.dir.path());
        EXPECT_TRUE(app.ui.alerts.isEmpty());
    }
}

TEST(Navigation, MovesStopAtTheEnds)
{
    Folder f { "a.jpg", "b.jpg", "c.jpg" };
    using Move = void (zent3controller::*)(const Sender&);
    struct Row {
        const char* name;
        const char* start;
        Move move;
        int index;
        bool shown;
    } rows[] = {
        { "next at the last", "c.jpg", &zent3controller::goNextPic, 2, false },
        { "previous at the first", "a.jpg", &zent3controller::goPrevPic, 0, false },
        { "next before the last", "b.jpg", &zent3controller::goNextPic, 2, true },
        { "previous after the first", "b.jpg", &zent3controller::goPrevPic, 0, true },
        { "first from the last", "c.jpg", &zent3controller::goFirstPic, 0, true },
        { "last from the first", "a.jpg", &zent3controller::goLastPic, 2, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        App app;
        app.c.createListFor(f.file(r.start), false);
        const int before = app.shows;
        const QString counter = app.c.fileCounter();
        (app.c.*r.move)({});
        EXPECT_EQ(app.c.currentPicIndex(), r.index);
        EXPECT_EQ(app.shows > before, r.shown);
        EXPECT_EQ(app.c.sourcePath(), app.c.pics()[r.index]);
        if (!r.shown) {
            EXPECT_EQ(app.c.fileCounter(), counter);
        }
        EXPECT_EQ(app.c.prevButtonEnabled(), r.index != 0);
        EXPECT_EQ(app.c.nextButtonEnabled(), r.index != 2);
    }
}

TEST(Navigation, AFolderWithoutPicturesChangesNothing)
{
    Folder f { "a.jpg", "b.jpg" };
    Folder empty { "notes.txt", "x.gif" };
    App app;
    app.c.createListFor(f.file("b.jpg"), false);
    const int shows = app.shows;
    app.c.createListForFolder(empty.dir.path());
    app.c.createListFor(empty.file("x.gif"), false);
    EXPECT_EQ(app.c.pics(), (QStringList { f.file("a.jpg"), f.file("b.jpg") }));
    EXPECT_EQ(app.c.currentPicIndex(), 1);
    EXPECT_EQ(app.c.currentInputPath(), f.dir.path());
    EXPECT_EQ(app.c.fileCounter(), QStringLiteral("2/2"));
    EXPECT_EQ(app.shows, shows);
    ASSERT_EQ(app.ui.alerts.size(), 2) << "each empty folder says so";
    EXPECT_TRUE(app.ui.alerts[0].startsWith(QStringLiteral("No pictures to open")));
    // The swipe over the views moves like the buttons.
    app.center.postNotificationName(QStringLiteral("GoToPrevImageCommand"));
    EXPECT_EQ(app.c.currentPicIndex(), 0);
}

// The counter, the title and the picture agree: a file that cannot be read is named and
// nothing of the previous picture stays on screen to be cropped under its name.
TEST(Navigation, AVanishedFileIsReportedAndNothingShowsInItsPlace)
{
    Folder f { "a.jpg", "b.jpg", "c.jpg" };
    App app;
    app.c.createListFor(f.file("a.jpg"), false);
    ASSERT_TRUE(QFile::remove(f.file("b.jpg")));
    app.c.goNextPic();
    EXPECT_EQ(app.c.currentPicIndex(), 1);
    EXPECT_EQ(app.c.fileCounter(), QStringLiteral("2/3"));
    EXPECT_EQ(app.ui.alerts.size(), 1);
    EXPECT_FALSE(app.c.hasSource());
    EXPECT_FALSE(app.c.outPict());
    EXPECT_EQ(app.c.windowTitle(), QStringLiteral("b.jpg - cannot be opened"));
    EXPECT_FALSE(app.c.saveCrop()) << "nothing to save";
    app.c.goNextPic();
    EXPECT_EQ(app.c.sourcePath(), f.file("c.jpg")) << "the list goes on past it";
}

TEST(Navigation, OpenPanelsBuildTheList)
{
    Folder f { "a.jpg", "z.jpg", "sub/m.jpg", "sub/deeper/b.jpg" };
    struct Row {
        const char* name;
        bool withOption, subfolders;
        QStringList chosen;
        QStringList pics;
        int index;
    } rows[] = {
        { "option off", true, false, { f.file("a.jpg") }, { f.file("a.jpg"), f.file("z.jpg") }, 0 },
        { "option on: nested pictures by full path", true, true, { f.file("z.jpg") },
            { f.file("a.jpg"), f.file("sub/deeper/b.jpg"), f.file("sub/m.jpg"), f.file("z.jpg") }, 3 },
        { "without the option it is ignored", false, true, { f.file("z.jpg") }, { f.file("a.jpg"), f.file("z.jpg") },
            1 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        App app;
        app.ui.chosen = r.chosen;
        app.ui.subfolders = r.subfolders;
        if (r.withOption)
            app.c.showFileList();
        else
            app.c.makeList();
        EXPECT_EQ(app.c.pics(), r.pics);
        EXPECT_EQ(app.c.currentPicIndex(), r.index);
        if (!r.chosen.isEmpty()) {
            EXPECT_EQ(app.c.currentInputPath(), QFileInfo(r.chosen.last()).path());
        }
    }
}

TEST(Navigation, CloseImageKeepsTheList)
{
    Folder f { "a.jpg", "b.jpg" };
    App app;
    app.c.createListFor(f.file("b.jpg"), false);
    app.c.closeImage();
    EXPECT_FALSE(app.c.hasSource());
    EXPECT_FALSE(app.c.outPict());
    EXPECT_EQ(app.c.windowTitle(), QStringLiteral("Quillum"));
    EXPECT_EQ(app.c.operationTimeLabel(), QStringLiteral("Operation Details"));
    EXPECT_EQ(app.c.rotationButtonImageNames(),
        (QStringList { QStringLiteral("TT1"), QStringLiteral("TL1"), QStringLiteral("TB1"), QStringLiteral("TR1") }));
    EXPECT_EQ(app.c.pics().size(), 2);
    EXPECT_EQ(app.c.currentPicIndex(), 1);
    EXPECT_EQ(app.c.fileCounter(), QStringLiteral("2/2"));
}

TEST(Navigation, RecentListsFromShownPictures)
{
    Folder f { "a.jpg", "b.jpg" };
    App app;
    {
        // Another temporary directory for a moment, so that this folder counts as ordinary.
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(f.file("elsewhere")));
        app.c.createListFor(f.file("a.jpg"), false);
        app.c.goNextPic();
        saved.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", saved);
    }
    EXPECT_EQ(app.c.recentImages(), (QStringList { f.file("b.jpg"), f.file("a.jpg") }));
    EXPECT_EQ(app.c.recentInFolders(), QStringList { f.dir.path() });

    Folder temp { "t.jpg" };
    app.c.createListFor(temp.file("t.jpg"), false);
    EXPECT_EQ(app.c.sourcePath(), temp.file("t.jpg"));
    EXPECT_EQ(app.c.recentImages().size(), 2) << "temporary locations are not recorded";
    EXPECT_EQ(app.c.recentInFolders().size(), 1);
}

TEST(Navigation, RecentImagesMenuTitlesAndLimits)
{
    App app;
    for (int i = 1; i <= 11; ++i)
        app.c.noteRecentImage(QStringLiteral("/photos/set/%1.jpg").arg(i));
    EXPECT_EQ(app.c.recentImages().size(), 10);
    EXPECT_EQ(app.c.recentImages().first(), QStringLiteral("/photos/set/11.jpg"));
    EXPECT_EQ(app.c.recentImages().last(), QStringLiteral("/photos/set/2.jpg")) << "the oldest dropped";
    app.c.noteRecentImage(QStringLiteral("/photos/set/5.jpg"));
    EXPECT_EQ(app.c.recentImages().size(), 10);
    EXPECT_EQ(app.c.recentImages().first(), QStringLiteral("/photos/set/5.jpg"));
    EXPECT_EQ(app.c.recentInFolders(), QStringList { QStringLiteral("/photos/set") });

    const auto& items = app.c.recentImagesMenu().items();
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0].title, QStringLiteral("5.jpg  \u2014  /photos/set"));
    EXPECT_EQ(items[0].tag, 0);
    EXPECT_TRUE(items[10].separator);
    EXPECT_EQ(items[11].title, QStringLiteral("Clear Menu"));
    ASSERT_TRUE(items[11].action);
    auto clear = items[11].action;
    clear();
    EXPECT_TRUE(app.c.recentImages().isEmpty());
    ASSERT_EQ(app.c.recentImagesMenu().items().size(), 1u);
    const MenuItem& only = app.c.recentImagesMenu().items()[0];
    EXPECT_EQ(only.title, QStringLiteral("Clear Menu"));
    EXPECT_FALSE(only.enabled);
    EXPECT_FALSE(only.action);
}

TEST(Navigation, RecentFolderCommands)
{
    Folder f { "a.jpg", "b.jpg" };
    App app;
    app.c.createListFor(f.file("b.jpg"), false);
    const int shows = app.shows;
    app.c.pkOpenRecentFolder({ 0, 0, 0.0, false, f.dir.path() });
    EXPECT_EQ(app.c.currentPicIndex(), 1) << "the folder already open keeps its position";
    EXPECT_EQ(app.shows, shows);
    app.c.setRecentOutFolders({ QStringLiteral("/out/one") });
    auto choose = app.c.recentOutFoldersMenu().items()[0].action;
    choose();
    EXPECT_EQ(app.c.currentOutputPath(), QStringLiteral("/out/one"));
    EXPECT_TRUE(app.c.firstTimeSaving());
}
