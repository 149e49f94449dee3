// The save command through a scripted UI: the first-save panel, the repeated-region and
// replace questions, a failed write that changes nothing, and the advance.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>
#include <tuple>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedSave : UiServices {
    QString panelFolder;
    bool panelOk = true;
    int panels = 0;
    QList<AlertButton> answers; // popped per alert; default: the first button
    QStringList alerts;
    QStringList messages;
    QStringList buttons;
    QStringList sounds;
    bool runSavePanel(SavePanel& panel) override
    {
        ++panels;
        if (!panelOk)
            return false;
        panel.path = QDir(panelFolder).filePath(QFileInfo(panel.path).fileName() + QStringLiteral(".jpg"));
        return true;
    }
    AlertButton runAlert(const QString& title, const QString& message, const QStringList& names) override
    {
        alerts << title;
        messages << message;
        buttons << names.join(QLatin1Char(','));
        return answers.isEmpty() ? AlertButton::First : answers.takeFirst();
    }
    void playSound(const QString& name) override { sounds << name; }
};

struct Session {
    QTemporaryDir pictures, out;
    NotificationCenter center;
    zent3controller c { center };
    ScriptedSave ui;
    Session()
    {
        for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
            QFile::copy(test::samplePath("coffee.jpg"), pictures.filePath(QString::fromLatin1(name)));
        ui.panelFolder = out.path();
        c.setUiServices(&ui);
        c.awakeFromNib();
        c.leftPanel().setScrollViewFrameSize({ 600, 400 });
        c.applicationOpenFile(pictures.filePath(QStringLiteral("a.jpg")));
    }
};

} // namespace

TEST(SaveFlow, FirstSaveAsksForTheFolderThenSavesUnderTheNextNames)
{
    Session s;
    const QString first = s.c.currentOutputFileName();
    ASSERT_TRUE(s.c.saveCrop());
    EXPECT_EQ(s.ui.panels, 1);
    EXPECT_TRUE(QFileInfo::exists(QDir(s.out.path()).filePath(first + QStringLiteral(".jpg"))));
    EXPECT_NE(s.c.currentOutputFileName(), first) << "the name moves on";
    EXPECT_EQ(s.ui.sounds, (QStringList { QStringLiteral("smena_shutter") }));
    EXPECT_FALSE(s.c.firstTimeSaving());

    // The same region again: asked; the default answer saves nothing.
    EXPECT_FALSE(s.c.saveCrop());
    EXPECT_EQ(s.ui.alerts.last(), QStringLiteral("Quillum"));
    s.ui.answers = { AlertButton::Second };
    EXPECT_TRUE(s.c.saveCrop()) << "Save again";
    EXPECT_EQ(s.ui.panels, 1) << "the panel is only for the first save of a run";
}

TEST(SaveFlow, ReplaceQuestionAndCancelledPanelChangeNothing)
{
    Session s;
    s.ui.panelOk = false;
    EXPECT_FALSE(s.c.saveCrop());
    EXPECT_TRUE(s.c.firstTimeSaving());
    EXPECT_TRUE(QDir(s.out.path()).entryList(QDir::Files).isEmpty());

    s.ui.panelOk = true;
    ASSERT_TRUE(s.c.saveCrop());
    const QString saved = s.c.lastSavedPath();
    s.c.setCurrentOutputFileName(QFileInfo(saved).completeBaseName()); // the name of a file that exists
    s.c.leftPanel().selRect()->setFrame({ 1, 1, 100, 100 });
    const QString name = s.c.currentOutputFileName();
    EXPECT_FALSE(s.c.saveCrop()) << "Cancel is the default";
    EXPECT_TRUE(s.ui.alerts.last().endsWith(QStringLiteral("Do you want to replace it?")));
    EXPECT_EQ(s.c.currentOutputFileName(), name);
}

TEST(SaveFlow, AFailedWriteIsReportedAndChangesNothing)
{
    Session s;
    ASSERT_TRUE(s.c.saveCrop());
    // The output folder becomes a path under a plain file: it can be neither made nor written.
    QFile blocker(s.out.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    s.c.setCurrentOutputPath(blocker.fileName() + QStringLiteral("/inside"));
    s.c.leftPanel().selRect()->setFrame({ 2, 2, 100, 100 });
    const QString name = s.c.currentOutputFileName();
    const int sounds = int(s.ui.sounds.size());
    EXPECT_FALSE(s.c.saveCrop());
    EXPECT_EQ(s.ui.alerts.last(), QStringLiteral("The crop was not saved"));
    EXPECT_EQ(s.c.currentOutputFileName(), name) << "the name is not advanced";
    EXPECT_EQ(int(s.ui.sounds.size()), sounds) << "no sound";
}

TEST(SaveFlow, AdvancesToTheNextPictureWhenAsked)
{
    Session s;
    s.c.setAdvanceToNextOnCrop(true);
    ASSERT_TRUE(s.c.saveCrop());
    EXPECT_EQ(s.c.sourcePath(), s.pictures.filePath(QStringLiteral("b.jpg")));
    s.c.goLastPic();
    ASSERT_TRUE(s.c.saveCrop());
    EXPECT_EQ(s.c.sourcePath(), s.pictures.filePath(QStringLiteral("c.jpg"))) << "the end of the list: it stays";
}

TEST(SaveFlow, DraggingTwiceLeavesOnlyTheSecondFile)
{
    Session s;
    const QString first = s.c.writeDragFile();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(first));
    s.center.postNotificationName(QStringLiteral("ImageWasDraggedAndDropped"));
    const QString second = s.c.writeDragFile();
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(second, first) << "a finished drag advances the name";
    EXPECT_FALSE(QFileInfo::exists(first));
    s.center.postNotificationName(notification::ApplicationWillTerminate);
    EXPECT_FALSE(QFileInfo::exists(second)) << "the last drag file goes at quit";
}

TEST(SaveFlow, SpecialSaveLeavesTheNameAndFolderAlone)
{
    Session s;
    const QString name = s.c.currentOutputFileName();
    const QString folder = s.c.currentOutputPath();
    ASSERT_TRUE(s.c.saveCropWithSpecialDialogue());
    EXPECT_TRUE(QFileInfo::exists(QDir(s.out.path()).filePath(name + QStringLiteral(".jpg"))));
    EXPECT_EQ(s.c.currentOutputFileName(), name);
    EXPECT_EQ(s.c.currentOutputPath(), folder);
    EXPECT_EQ(s.c.currentSpecialOutputPath(), s.out.path());
    EXPECT_EQ(s.c.sourcePath(), s.pictures.filePath(QStringLiteral("a.jpg"))) << "no advance";
}

// A read-only file is never replaced without a question that says so, even right after the
// save panel asked (its question does not say it); a writable file the panel asked about is
// not asked about twice.
TEST(SaveFlow, AReadOnlyFileIsAskedAboutAsSuch)
{
    const struct {
        const char* name;
        bool throughPanel; // the first save of a run, or a later one
        bool readOnly;
        AlertButton answer;
        bool asked, replaced;
    } rows[] = {
        { "writable, the panel asked", true, false, AlertButton::First, false, true },
        { "read-only, the panel asked", true, true, AlertButton::First, true, false },
        { "read-only, the panel asked, replace", true, true, AlertButton::Second, true, true },
        { "writable, a later save", false, false, AlertButton::First, true, false },
        { "read-only, a later save", false, true, AlertButton::First, true, false },
        { "read-only, a later save, replace", false, true, AlertButton::Second, true, true },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Session s;
        if (!r.throughPanel) {
            ASSERT_TRUE(s.c.saveCrop());
            s.c.setCurrentOutputFileName(QFileInfo(s.c.lastSavedPath()).completeBaseName());
            s.c.leftPanel().selRect()->setFrame({ 3, 3, 90, 90 }); // not the region just saved
        }
        const QString path = QDir(s.out.path()).filePath(s.c.currentOutputFileName() + QStringLiteral(".jpg"));
        {
            QFile existing(path);
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
            existing.write("existing");
        }
        const QFileDevice::Permissions mode = r.readOnly
            ? QFileDevice::ReadOwner | QFileDevice::ReadGroup
            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        ASSERT_TRUE(QFile::setPermissions(path, mode));
        const qsizetype alerts = s.ui.alerts.size();
        s.ui.answers = { r.answer };
        EXPECT_EQ(s.c.saveCrop(), r.replaced);
        EXPECT_EQ(s.ui.alerts.size() - alerts, r.asked ? 1 : 0);
        if (r.asked) {
            EXPECT_EQ(s.ui.alerts.last(), path + QStringLiteral(" Do you want to replace it?"));
            EXPECT_EQ(s.ui.buttons.last(), QStringLiteral("Cancel,Replace"));
            EXPECT_EQ(s.ui.messages.last().contains(QStringLiteral("read-only")), r.readOnly)
                << s.ui.messages.last().toStdString();
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll() != "existing", r.replaced);
        EXPECT_EQ(QFile::permissions(path) & 0x7077, mode) << "a replaced file keeps its permissions";
    }
}

// A save that advances, written before the advance or while it runs: the same files, names,
// label, sounds and alerts either way. A failed write comes back to the photo and its crop.
TEST(SaveFlow, WritingWhileAdvancingEndsAsWritingFirst)
{
    struct Outcome {
        bool saved = false;
        std::string source, counter, name, label, lastSaved; // file names, not paths
        bool labelHidden = true, firstTime = true;
        Rect frame;
        std::vector<std::string> files, sounds, alerts, recent;
        auto tied() const
        {
            return std::tie(saved, source, counter, name, label, lastSaved, labelHidden, firstTime, frame.x, frame.y,
                frame.width, frame.height, files, sounds, alerts, recent);
        }
    };
    const struct {
        const char* name;
        int rule;
        bool fails, lossless;
    } rows[] = {
        { "counted per picture", 0, false, false },
        { "running name", 1, false, false },
        { "source name", 2, false, false },
        { "lossless", 1, false, true },
        { "failed, counted per picture", 0, true, false },
        { "failed, running name", 1, true, false },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::optional<Outcome> first;
        for (const bool whileAdvancing : { false, true }) {
            SCOPED_TRACE(whileAdvancing ? "while advancing" : "written first");
            Session s;
            s.c.setAdvanceToNextOnCrop(true);
            s.c.setWriteWhileAdvancing(whileAdvancing);
            s.c.setOutputFileRule(r.rule);
            s.c.setLosslessWhenPossible(r.lossless);
            ASSERT_TRUE(s.c.saveCrop()); // the first save of the run, through the panel
            s.c.goFirstPic();
            QFile::remove(s.c.lastSavedPath()); // no replace question to answer
            if (r.fails) {
                QFile blocker(s.out.filePath(QStringLiteral("not-a-folder")));
                ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
                s.c.setCurrentOutputPath(blocker.fileName() + QStringLiteral("/inside"));
            }
            s.c.leftPanel().selRect()->setFrame({ 12, 10, 160, 120 });
            Outcome o;
            const auto names = [](const QStringList& list) {
                std::vector<std::string> out;
                for (const QString& item : list)
                    out.push_back(QFileInfo(item).fileName().toStdString());
                return out;
            };
            o.saved = s.c.saveCrop();
            o.saved = s.c.finishPendingSave() && o.saved; // as the next command does
            o.source = QFileInfo(s.c.sourcePath()).fileName().toStdString();
            o.counter = s.c.fileCounter().toStdString();
            o.name = s.c.currentOutputFileName().toStdString();
            o.label = s.c.savedLabelText().toStdString();
            o.lastSaved = QFileInfo(s.c.lastSavedPath()).fileName().toStdString();
            o.labelHidden = s.c.outputFileSavedLabelIsHidden();
            o.firstTime = s.c.firstTimeSaving();
            o.frame = s.c.leftPanel().selRect()->frame();
            o.files = names(QDir(s.out.path()).entryList(QDir::Files, QDir::Name));
            o.sounds = names(s.ui.sounds);
            o.alerts = names(s.ui.alerts);
            o.recent = names(s.c.recentImages());
            EXPECT_EQ(o.saved, !r.fails);
            EXPECT_EQ(o.source, r.fails ? "a.jpg" : "b.jpg");
            if (r.fails) {
                EXPECT_EQ(o.frame, (Rect { 12, 10, 160, 120 })) << "the crop as it was";
            }
            if (!first) {
                first = o;
                continue;
            }
            EXPECT_EQ(o.tied(), first->tied());
        }
    }
}
