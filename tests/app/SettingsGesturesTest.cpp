// Tried as a user would: change the output folder, the naming rule, lossless saving, the
// quality, the guides and the window, quit, start again; everything is as left and the last
// photo reopens.

#include "WindowHarness.h"

#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QMenu>
#include <QRadioButton>

using namespace quillum;
using namespace quillum::test;

namespace {

// The window's session over one settings file, as the program starts and quits.
struct Launch {
    UserDefaults store;
    WindowSession s;
    explicit Launch(const QString& settingsFile)
        : store(settingsFile)
        , s({ "a.jpg", "b.jpg" }, "coffee.jpg", [this](WindowSession& session) {
            session.controller.setUserDefaults(&store);
        })
    {
        s.center.postNotificationName(notification::ApplicationDidFinishLaunching);
        QCoreApplication::processEvents();
    }
    void quit() { s.center.postNotificationName(notification::ApplicationWillTerminate); }
};

} // namespace

TEST(SettingsGestures, WhatTheUserChangedIsThereAfterARestart)
{
    // Photos and crops outlive one run of the program (each run has a home of its own).
    QTemporaryDir config, photos, crops;
    const QString file = config.filePath(QStringLiteral("Quillum/Quillum.ini"));
    for (const char* name : { "a.jpg", "b.jpg" })
        ASSERT_TRUE(QFile::copy(samplePath("coffee.jpg"), photos.filePath(QString::fromLatin1(name))));
    const QString picture = photos.filePath(QStringLiteral("b.jpg"));
    {
        Launch first(file);
        WindowSession& s = first.s;
        EXPECT_FALSE(s.controller.hasSource()) << "nothing to reopen on the first run";
        ASSERT_TRUE(s.open(picture));

        // The first save fixes the folder, the type and the quality.
        s.window.onSavePanel = [&](UiServices::SavePanel& panel) {
            panel.path = crops.filePath(QStringLiteral("Trip-01.jpg"));
            panel.fileType = ImageFileType::Jpeg;
            panel.jpegQuality = 70;
            return true;
        };
        ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));

        // The naming rule in the preferences: each crop keeps its picture's name.
        s.press(QKeySequence(Qt::CTRL | Qt::Key_Comma));
        auto* preferences = s.find<QDialog>("preferences");
        ASSERT_TRUE(preferences && preferences->isVisible());
        preferences->findChild<QRadioButton*>(QStringLiteral("namingSource"))->click();
        preferences->findChild<QCheckBox*>(QStringLiteral("lossless"))->click();
        preferences->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_FALSE(preferences->isVisible());
        EXPECT_EQ(s.controller.outputFileRule(), 2);
        EXPECT_TRUE(s.controller.losslessWhenPossible());

        QComboBox* guides = s.find<QComboBox>("guides");
        guides->setCurrentIndex(guides->findText(QStringLiteral("Golden section")));
        s.window.resize(760, 540); // within the test screen: larger frames are brought within it
        QCoreApplication::processEvents();
        first.quit();
    }

    Launch second(file);
    WindowSession& s = second.s;
    EXPECT_EQ(s.controller.sourcePath(), picture) << "the last photo reopens";
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("b.jpg")));
    EXPECT_EQ(s.controller.outputFileRule(), 2);
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("b")) << "rule 2 names the crop after its picture";
    EXPECT_EQ(s.controller.currentJpegQuality(), 70);
    EXPECT_TRUE(s.controller.losslessWhenPossible());
    EXPECT_EQ(s.controller.currentOutputPath(), crops.path());
    EXPECT_EQ(s.find<QComboBox>("guides")->currentText(), QStringLiteral("Golden section"));
    EXPECT_EQ(s.window.size(), QSize(760, 540));
    // The recent menus survive too.
    QMenu* recent = nullptr;
    for (QMenu* m : s.window.findChildren<QMenu*>())
        if (m->title() == QStringLiteral("Open Recent"))
            recent = m;
    ASSERT_TRUE(recent);
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_TRUE(recent->actions().first()->text().startsWith(QStringLiteral("b.jpg")));
}
