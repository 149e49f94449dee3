// The window over a real controller: opening a picture file lists its folder, the counter
// and the navigation actions follow, and the keyboard walks the list.

#include "AppTestSupport.h"

#include "app/MainWindow.h"
#include "controller/zent3controller.h"
#include "input/FileList.h"
#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "TestSupport.h"

using namespace quillum;

TEST(MainWindow, OpeningAFileWalksItsFolder)
{
    test::testApplication();
    QTemporaryDir dir;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        ASSERT_TRUE(QFile::copy(test::samplePath("coffee.jpg"), dir.filePath(QString::fromLatin1(name))));
    NotificationCenter center;
    zent3controller controller(center);
    MainWindow window(controller);
    controller.setUiServices(&window);
    controller.awakeFromNib();
    window.show();
    controller.applicationOpenFile(dir.filePath(QStringLiteral("b.jpg")));
    EXPECT_EQ(controller.fileCounter(), QStringLiteral("2/3"));
    bool counterShown = false;
    for (QLabel* label : window.findChildren<QLabel*>())
        counterShown |= label->text() == QStringLiteral("2/3");
    EXPECT_TRUE(counterShown);
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("b.jpg - 600 x 400")));

    QAction* next = nullptr;
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == QStringLiteral("&Next Picture"))
            next = action;
    ASSERT_TRUE(next);
    ASSERT_TRUE(next->isEnabled());
    next->trigger();
    EXPECT_EQ(controller.sourcePath(), dir.filePath(QStringLiteral("c.jpg")));
    EXPECT_FALSE(next->isEnabled()) << "at the end of the list";
}

namespace {

// The file dialog matches names case-sensitively on Linux, as this does.
bool matchesAny(const QStringList& patterns, const QString& name)
{
    for (const QString& pattern : patterns)
        if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch())
            return true;
    return false;
}

} // namespace

// The open panel's picture filter names every format the decoder opens, and only those;
// any other file can still be tried through "All files".
// The panel offers what a folder list holds: a picture chosen there is the one shown.
TEST(MainWindow, TheOpenPanelOffersWhatTheWindowShows)
{
    test::testApplication();
    NotificationCenter center;
    zent3controller controller(center);
    MainWindow window(controller);
    QStringList filters;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        filters = dialog->nameFilters();
        dialog->reject();
    });
    bool subfolders = false;
    EXPECT_TRUE(window.runOpenPanel(subfolders).isEmpty());
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[1], QStringLiteral("All files (*)"));
    ASSERT_TRUE(filters[0].startsWith(QStringLiteral("Pictures (")) && filters[0].endsWith(QLatin1Char(')')));
    const QStringList patterns = filters[0].section(QLatin1Char('('), 1).chopped(1).split(QLatin1Char(' '));
    for (const char* name : { "a.jpg", "b.jpeg", "c.png", "d.tif", "e.tiff" }) {
        const QString file = QString::fromLatin1(name);
        EXPECT_TRUE(isAcceptedPictureName(file)) << name;
        EXPECT_TRUE(matchesAny(patterns, file)) << name << ": the filter hides it";
        EXPECT_TRUE(matchesAny(patterns, file.toUpper())) << name << ": the filter hides it in capitals";
    }
    for (const char* other : { "drawing.svg", "paper.pdf", "scan.ppm", "notes.txt", "photo.webp", "photo.gif" })
        EXPECT_FALSE(matchesAny(patterns, QString::fromLatin1(other))) << other;
}

// A first start on a small screen (a 1280 x 800 laptop) shows the whole window, its status
// line included, not a 1400 x 880 window hanging off the bottom.
TEST(MainWindow, TheFirstFrameFitsTheScreen)
{
    test::testApplication();
    NotificationCenter center;
    zent3controller controller(center);
    MainWindow window(controller);
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize least = window.minimumSizeHint();
    EXPECT_LE(window.width(), std::max(available.width(), least.width()));
    EXPECT_LE(window.height(), std::max(available.height(), least.height()));
}
