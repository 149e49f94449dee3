// The window over a real controller: opening a picture file lists its folder, the counter
// and the navigation actions follow, and the keyboard walks the list.

#include "AppTestSupport.h"

#include "app/MainWindow.h"
#include "controller/zent3controller.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

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
