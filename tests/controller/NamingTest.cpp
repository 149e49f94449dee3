// Output naming through the controller: the rules over a folder session, the counter
// advanced by a drag-out, the drag file's path, the type pop-up and the output folder.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestSupport.h"

using namespace quillum;

namespace {

struct ScriptedUi : UiServices {
    QStringList urls;
    void openUrl(const QString& url) override { urls << url; }
};

struct App {
    NotificationCenter center;
    zent3controller c { center };
    ScriptedUi ui;
    App()
    {
        c.setUiServices(&ui);
        c.awakeFromNib();
    }
    QString inTemp(const char* file) const { return QDir(c.temporaryPath()).filePath(QString::fromLatin1(file)); }
};

} // namespace

TEST(Naming, RulesOverAThreePictureSessionWithTwoSavesEach)
{
    QTemporaryDir dir;
    const QStringList files { QStringLiteral("a_0042.jpg"), QStringLiteral("b.JPG"), QStringLiteral("c.v2.jpeg") };
    for (const QString& f : files)
        QFile::copy(test::samplePath("coffee.jpg"), dir.filePath(f));
    // Per picture: the name when shown, after the first save, after the second.
    struct Row {
        int rule;
        const char* names[9];
        const char* draggedAtFirstShow; // empty: the rule leaves the drag file alone
    } rows[] = {
        { -5,
            { "a_0042-0001", "a_0042-0002", "a_0042-0003", "b-0001", "b-0002", "b-0003", "c.v2-0001", "c.v2-0002",
                "c.v2-0003" },
            "a_0042-0001.jpg" },
        { 0,
            { "a_0042-0001", "a_0042-0002", "a_0042-0003", "b-0001", "b-0002", "b-0003", "c.v2-0001", "c.v2-0002",
                "c.v2-0003" },
            "a_0042-0001.jpg" },
        { 1,
            { "ImageCrop-0001", "ImageCrop-0002", "ImageCrop-0003", "ImageCrop-0003", "ImageCrop-0004",
                "ImageCrop-0005", "ImageCrop-0005", "ImageCrop-0006", "ImageCrop-0007" },
            "" },
        { 2, { "a_0042", "a_0042", "a_0042", "b", "b", "b", "c.v2", "c.v2", "c.v2" }, "a_0042.jpg" },
        { 3,
            { "ImageCrop-0001", "ImageCrop-0002", "ImageCrop-0003", "ImageCrop-0003", "ImageCrop-0004",
                "ImageCrop-0005", "ImageCrop-0005", "ImageCrop-0006", "ImageCrop-0007" },
            "" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rule);
        App app;
        app.c.setOutputFileRule(r.rule);
        ASSERT_TRUE(app.c.applicationOpenFile(dir.filePath(files[0])));
        EXPECT_EQ(app.c.draggedFileName(), *r.draggedAtFirstShow ? app.inTemp(r.draggedAtFirstShow) : QString());
        for (int pic = 0; pic < 3; ++pic) {
            if (pic > 0)
                app.c.goNextPic();
            ASSERT_EQ(app.c.currentPicIndex(), pic);
            for (int save = 0; save < 3; ++save) {
                if (save > 0)
                    app.c.incrementCurrentFileName();
                EXPECT_EQ(app.c.currentOutputFileName(), QString::fromLatin1(r.names[pic * 3 + save])) << pic;
            }
        }
        EXPECT_EQ(app.c.lastSavedRect(), r.rule == 2 ? Rect {} : app.c.leftPanel().selRect()->frame());
    }
}

TEST(Naming, PastedPictureBaseIsNewImageAndTheDragFileKeepsIt)
{
    struct Row {
        int rule;
        const char* field;
    } rows[] = { { 0, "New Image-0001" }, { 1, "ImageCrop-0001" }, { 2, "New Image" } };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.rule);
        App app;
        app.c.setOutputFileRule(r.rule);
        app.c.showPastedPicture(BitmapImageRep::makeARGB(20, 10));
        EXPECT_EQ(app.c.currentOutputFileName(), QString::fromLatin1(r.field));
        EXPECT_EQ(app.c.draggedFileName(), app.inTemp("New Image.jpg"));
    }
}

TEST(Naming, DragOutNotificationAdvancesTheCounterExceptUnderRuleTwo)
{
    for (int rule : { 0, 1, 2 }) {
        SCOPED_TRACE(rule);
        App app;
        app.c.setOutputFileRule(rule);
        app.c.setCurrentOutputFileName(QStringLiteral("Crop-9999"));
        int announced = 0;
        app.c.observeKey(QStringLiteral("currentOutputFileName"), [&](const QString&) { ++announced; });
        app.center.postNotificationName(QStringLiteral("ImageWasDraggedAndDropped"));
        const bool counts = rule != 2;
        EXPECT_EQ(app.c.currentOutputFileName(), counts ? QStringLiteral("Crop-10000") : QStringLiteral("Crop-9999"));
        EXPECT_EQ(announced, counts ? 1 : 0);
        EXPECT_EQ(app.c.outputFileSavedLabelIsHidden(), !counts);
        EXPECT_EQ(app.c.draggedFileName(), counts ? app.inTemp("Crop-10000.jpg") : QString());
    }
}

TEST(Naming, TypePopUpRenamesOnlyTheDragFilesExtension)
{
    struct Row {
        int index;
        const char* dragged;
    } rows[] = { { 0, "Shot-###.jpg" }, { 1, "Shot-###.tif" }, { 2, "Shot-###.png" }, { 3, "Shot-###.webp" },
        { 4, "Shot-###.jpg" } };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        App app;
        app.c.setCurrentOutputFileName(QStringLiteral("Shot-###"));
        Sender popUp;
        popUp.intValue = r.index;
        app.c.onTypeChangeAtMainScreen(popUp);
        EXPECT_EQ(app.c.currentOutputFileType(), imageFileTypeFromIndex(r.index));
        EXPECT_EQ(app.c.currentOutputFileName(), QStringLiteral("Shot-###"));
        EXPECT_EQ(app.c.draggedFileName(), app.inTemp(r.dragged));
    }
}

TEST(Naming, UnsetOutputFoldersFallBackToHomeTheDragFolderNever)
{
    App app;
    EXPECT_EQ(app.c.currentSpecialOutputPath(), QDir::homePath());
    app.c.setCurrentOutputPath(QString());
    app.c.setTemporaryPath(QString());
    app.c.showOutputFolderInFinder();
    EXPECT_TRUE(app.ui.urls.isEmpty()) << "no folder, nothing opened";
    app.c.onOutFileName(Sender { .title = QStringLiteral("My Crop 7") });
    EXPECT_EQ(app.c.currentOutputFileName(), QStringLiteral("My Crop 7"));
    EXPECT_EQ(app.c.currentOutputPath(), QDir::homePath());
    EXPECT_EQ(app.c.draggedFileName(), QString()) << "no temporary folder: no drag file, least of all in the home";
    app.c.setCurrentOutputPath(QStringLiteral("/tmp/out put"));
    app.c.showOutputFolderInFinder();
    EXPECT_EQ(app.ui.urls, QStringList { QStringLiteral("file:///tmp/out put") });
}
