// Every way the user saves a crop, performed in the real window: the files that come out
// (names, formats, contents, metadata), the questions asked before a file is replaced, the
// name field and the "Saved" note afterwards.

#include "WindowHarness.h"

#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <sys/stat.h>

using namespace quillum;
using namespace quillum::test;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The camera, position and date of tests/data/camera-gps.jpg, as they appear in any file
// that carries them.
const char* const kPhotoMetadata[] = { "Quillum Labs", "Test Camera 1", "WGS-84", "2021:06:15" };

int photoMetadataFound(const QString& path)
{
    const QByteArray data = contents(path);
    int found = 0;
    for (const char* text : kPhotoMetadata)
        found += data.contains(text);
    return found;
}

// The save panel as the user fills it in: the file they pick and the type they choose.
std::function<bool(UiServices::SavePanel&)> answerPanel(
    const QString& path, ImageFileType type, QString* offered = nullptr)
{
    return [=](UiServices::SavePanel& panel) {
        if (offered)
            *offered = panel.path;
        panel.path = path;
        panel.fileType = type;
        return true;
    };
}

// Shrinks the crop frame by its top-right corner, as a user does to pick another region.
void reframe(WindowSession& s)
{
    const Rect before = s.frame();
    const double right = before.x + before.width, top = before.y + before.height;
    s.drag(&s.cropView(), s.atPicture(right - 2, top - 2), s.atPicture(right - 60, top - 40));
    ASSERT_NE(s.frame(), before) << "the frame moved";
}

} // namespace

TEST(SaveGestures, FirstSaveWritesTheChosenNameAndTypeThenCountsOnWithoutAPanel)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    QString offered;
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("Beach-01.tif")), ImageFileType::Tiff, &offered);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    EXPECT_EQ(offered, QDir(QDir::homePath()).filePath(QStringLiteral("a-0001"))) << "the panel proposes the name";
    EXPECT_EQ(filesIn(s.out.path()), QStringList { QStringLiteral("Beach-01.tif") });
    EXPECT_EQ(fileFormatByContent(s.output(QStringLiteral("Beach-01.tif"))), QStringLiteral("tiff"));
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("Beach-02"));
    EXPECT_TRUE(s.savedLabel()->isVisible());
    EXPECT_EQ(s.savedLabel()->text(), QStringLiteral("Saved Beach-01.tif"));

    reframe(s);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    EXPECT_EQ(s.window.savePanels, 1) << "only the first save of a run asks where";
    EXPECT_EQ(fileFormatByContent(s.output(QStringLiteral("Beach-02.tif"))), QStringLiteral("tiff"));
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("Beach-03"));

    // The same region again: asked, and the default answer writes nothing.
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    EXPECT_EQ(s.window.alerts, QStringList { QStringLiteral("Quillum | This region already was saved!") });
    EXPECT_EQ(filesIn(s.out.path()).size(), 2);
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("Beach-03"));
}

TEST(SaveGestures, TheSavePanelGivesATypedNameTheChosenTypesExtensionAndAsksBeforeReplacing)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    s.controller.setCurrentOutputPath(s.out.path());
    s.window.onSavePanel = [&](UiServices::SavePanel& panel) { return s.window.MainWindow::runSavePanel(panel); };
    // The user picks a type, types a name, and presses Return.
    auto fillIn = [&s](const QString& type, const QString& name) {
        s.whenModal<QFileDialog>([type, name](QFileDialog* panel) {
            auto* types = panel->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* field = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(types && field);
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Home);
            for (int i = 0; i < 3 && !types->currentText().startsWith(type); ++i)
                QTest::keyClick(types, Qt::Key_Down);
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, name);
            QTest::keyClick(field, Qt::Key_Return);
            if (panel->isVisible()) // still up after a declined replace question
                panel->reject();
        });
    };

    fillIn(QStringLiteral("TIFF"), QStringLiteral("holiday.2024"));
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    EXPECT_EQ(filesIn(s.out.path()), QStringList { QStringLiteral("holiday.2024.tif") });
    EXPECT_EQ(fileFormatByContent(s.output(QStringLiteral("holiday.2024.tif"))), QStringLiteral("tiff"));
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("holiday.2025"));
    EXPECT_EQ(s.controller.currentOutputFileType(), ImageFileType::Tiff) << "the panel's type is read back";

    // A typed name whose file with the type's extension exists: the panel asks about that file.
    writeFile(s.output(QStringLiteral("keep.2024.jpg")), "mine");
    reframe(s);
    QString question;
    fillIn(QStringLiteral("JPEG"), QStringLiteral("keep.2024"));
    s.whenModal<QMessageBox>([&question](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop As…")));
    EXPECT_TRUE(question.contains(QLatin1String("keep.2024.jpg"))) << question.toStdString();
    EXPECT_EQ(contents(s.output(QStringLiteral("keep.2024.jpg"))), QByteArray("mine"));
    EXPECT_EQ(filesIn(s.out.path()).size(), 2);
}

TEST(SaveGestures, AnExistingFileIsNeverReplacedUnaskedAndTheOriginalPhotoIsNamedAsSuch)
{
    {
        SCOPED_TRACE("a name typed without its extension meets a file that has it");
        WindowSession s;
        ASSERT_TRUE(s.open(s.picture("a.jpg")));
        writeFile(s.output(QStringLiteral("Beach.jpg")), "mine");
        s.window.onSavePanel = answerPanel(s.output(QStringLiteral("Beach")), ImageFileType::Jpeg);
        ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
        EXPECT_EQ(s.window.alerts,
            QStringList { s.output(QStringLiteral("Beach.jpg"))
                + QStringLiteral(" Do you want to replace it? | A file with the same name already exists. Replacing "
                                 "it will overwrite its current contents.") });
        EXPECT_EQ(contents(s.output(QStringLiteral("Beach.jpg"))), QByteArray("mine")) << "Cancel is the default";
        EXPECT_EQ(filesIn(s.out.path()), QStringList { QStringLiteral("Beach.jpg") });
    }
    {
        SCOPED_TRACE("the source's own name in the source's own folder");
        WindowSession s;
        s.controller.setOutputFileRule(2);
        ASSERT_TRUE(s.open(s.picture("a.jpg")));
        ASSERT_EQ(s.nameField()->text(), QStringLiteral("a"));
        const QByteArray photo = contents(s.picture("a.jpg"));
        s.window.onSavePanel = answerPanel(s.picture("a.jpg"), ImageFileType::Jpeg);
        ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
        ASSERT_EQ(s.window.alerts.size(), 1);
        EXPECT_TRUE(
            s.window.alerts[0].startsWith(s.picture("a.jpg") + QStringLiteral(" Do you want to replace it? | ")));
        EXPECT_TRUE(s.window.alerts[0].contains(QLatin1String("original photo"))) << s.window.alerts[0].toStdString();
        EXPECT_EQ(contents(s.picture("a.jpg")), photo) << "the photo is intact";
    }
}

TEST(SaveGestures, SavingWhileTheNameIsBeingTypedUsesTheTypedName)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("a-0001.jpg")), ImageFileType::Jpeg);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    auto type = [&s](const QString& name) {
        s.window.activateWindow();
        s.nameField()->setFocus();
        s.nameField()->selectAll();
        QTest::keyClicks(s.nameField(), name);
        ASSERT_TRUE(s.nameField()->hasFocus());
    };

    reframe(s);
    type(QStringLiteral("Typed-01"));
    s.press(QKeySequence::Save);
    EXPECT_EQ(fileFormatByContent(s.output(QStringLiteral("Typed-01.jpg"))), QStringLiteral("jpeg"));
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("Typed-02")) << "the field shows the next name";

    // The special save proposes the typed name too.
    type(QStringLiteral("Special-01"));
    QString offered;
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("elsewhere.jpg")), ImageFileType::Jpeg, &offered);
    s.press(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    EXPECT_EQ(QFileInfo(offered).fileName(), QStringLiteral("Special-01"));

    // A double click into the frame saves like the command.
    reframe(s);
    type(QStringLiteral("Clicked-01"));
    const Rect frame = s.frame();
    QTest::mouseDClick(
        &s.cropView(), Qt::LeftButton, {}, s.atPicture(frame.x + frame.width / 2, frame.y + frame.height / 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(fileFormatByContent(s.output(QStringLiteral("Clicked-01.jpg"))), QStringLiteral("jpeg"));
}

TEST(SaveGestures, ThePanelsEncodingChoicesReachTheFile)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    // A portrait frame, so the landscape choice has something to turn.
    const Rect whole = s.frame();
    s.drag(
        &s.cropView(), s.atPicture(whole.width - 2, whole.height - 2), s.atPicture(whole.width / 3, whole.height - 2));
    ASSERT_LT(s.frame().width, s.frame().height);
    struct Row {
        const char* name;
        ImageFileType type;
        int quality;
        bool landscape, keepTransparency;
    };
    const Row rows[] = {
        { "q5.jpg", ImageFileType::Jpeg, 5, false, false },
        { "q95.jpg", ImageFileType::Jpeg, 95, false, false },
        { "turned.jpg", ImageFileType::Jpeg, 90, true, false },
        { "alpha.png", ImageFileType::Png, 90, false, true },
        { "no-alpha.png", ImageFileType::Png, 90, false, false },
        { "q5.webp", ImageFileType::Webp, 5, false, false },
        { "q95.webp", ImageFileType::Webp, 95, false, false },
    };
    for (const char* command : { "Save Crop As…", "Save Crop to Special Folder…" }) {
        SCOPED_TRACE(command);
        QTemporaryDir folder;
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            s.window.onSavePanel = [&](UiServices::SavePanel& panel) {
                panel.path = folder.filePath(QString::fromLatin1(r.name));
                panel.fileType = r.type;
                panel.jpegQuality = r.quality;
                panel.landscape = r.landscape;
                panel.keepTransparency = r.keepTransparency;
                return true;
            };
            s.window.alertAnswers = { AlertButton::Second }; // the same region again: save it
            ASSERT_TRUE(s.choose(QString::fromUtf8(command)));
            Result<DecodedBitmap> saved = decodeImageFile(folder.filePath(QString::fromLatin1(r.name)));
            ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
            EXPECT_EQ(saved->bitmap.pixelsWide() > saved->bitmap.pixelsHigh(), r.landscape);
            EXPECT_EQ(saved->bitmap.samplesPerPixel(), r.keepTransparency ? 4 : 3);
        }
        for (const char* extension : { "jpg", "webp" }) {
            const QString low = QStringLiteral("q5.%1").arg(QLatin1String(extension));
            const QString high = QStringLiteral("q95.%1").arg(QLatin1String(extension));
            EXPECT_LT(QFileInfo(folder.filePath(low)).size() * 2, QFileInfo(folder.filePath(high)).size())
                << "the quality chosen for " << extension;
        }
    }
}

TEST(SaveGestures, WebpChosenInTheTypePopUpIsWhatTheNextSaveWrites)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("a-0001.jpg")), ImageFileType::Jpeg);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    auto* type = s.find<QComboBox>("outputType");
    ASSERT_TRUE(type);
    type->setFocus();
    QTest::keyClicks(type, QStringLiteral("w")); // the keyboard's search picks the item
    ASSERT_EQ(type->currentText(), QStringLiteral("WebP"));
    reframe(s);
    s.press(QKeySequence::Save);
    const QString path = s.output(QStringLiteral("a-0002.webp"));
    EXPECT_EQ(fileFormatByContent(path), QStringLiteral("webp"));
    Result<DecodedBitmap> saved = decodeImageFile(path);
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
    const BitmapImageRep& out = *s.controller.outPict();
    ASSERT_EQ(saved->bitmap.pixelsWide(), out.pixelsWide());
    ASSERT_EQ(saved->bitmap.pixelsHigh(), out.pixelsHigh());
    const int x = out.pixelsWide() / 2, y = out.pixelsHigh() / 2;
    const std::uint8_t* want = out.bitmapData() + (std::size_t(y) * out.pixelsWide() + x) * 4; // A,R,G,B
    const std::uint8_t* got = saved->bitmap.bitmapData() + std::size_t(y) * saved->bitmap.bytesPerRow() + x * 3;
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(got[c], want[c + 1], 16) << "channel " << c;
    EXPECT_EQ(s.window.savePanels, 1) << "the pop-up's type needs no panel";
}

TEST(SaveGestures, TheSpecialSaveWritesWhereAndAsChosenAndLeavesTheNameAlone)
{
    WindowSession s;
    QFile::copy(dataPath("camera-gps.jpg"), s.picture("photo.jpg"));
    ASSERT_TRUE(s.open(s.picture("photo.jpg")));
    const QString name = s.nameField()->text();
    const QString folder = s.controller.currentOutputPath();
    QTemporaryDir special;
    s.window.onSavePanel = [&](UiServices::SavePanel& panel) {
        panel.path = special.filePath(QStringLiteral("holiday.2024"));
        panel.fileType = ImageFileType::Png;
        panel.withMetadata = false;
        return true;
    };
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop to Special Folder…")));
    EXPECT_EQ(filesIn(special.path()), QStringList { QStringLiteral("holiday.2024.png") });
    EXPECT_EQ(fileFormatByContent(special.filePath(QStringLiteral("holiday.2024.png"))), QStringLiteral("png"));
    EXPECT_EQ(photoMetadataFound(special.filePath(QStringLiteral("holiday.2024.png"))), 0)
        << "saved without metadata, as chosen";
    EXPECT_EQ(s.nameField()->text(), name);
    EXPECT_EQ(s.controller.currentOutputPath(), folder);
    EXPECT_EQ(s.savedLabel()->text(), QStringLiteral("Saved holiday.2024.png"));

    // The panel's type is the type from now on, for a drag too.
    const QStringList dragged = s.dragOutput(Qt::IgnoreAction);
    ASSERT_EQ(dragged.size(), 1);
    EXPECT_EQ(QFileInfo(dragged[0]).fileName(), name + QStringLiteral(".png"));
    EXPECT_EQ(fileFormatByContent(dragged[0]), QStringLiteral("png"));
}

TEST(SaveGestures, DraggingTheOutputOutWritesIntoAPrivateFolderAndCountsOnlyAcceptedDrops)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    const QStringList missed = s.dragOutput(Qt::IgnoreAction);
    ASSERT_EQ(missed.size(), 1);
    const QFileInfo file(missed[0]);
    EXPECT_EQ(file.fileName(), QStringLiteral("a-0001.jpg")) << "the drop target sees the output's name";
    EXPECT_EQ(fileFormatByContent(file.filePath()), QStringLiteral("jpeg"));
    const QString privateFolder = QDir(s.privateHome.runtime()).filePath(QStringLiteral("quillum"));
    EXPECT_EQ(QFileInfo(file.absolutePath()).absolutePath(), privateFolder) << "a folder of this run inside it";
    struct stat info { };
    ASSERT_EQ(::lstat(QFile::encodeName(privateFolder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("a-0001")) << "a drop on nothing counts nothing";

    const QStringList first = s.dragOutput(Qt::CopyAction);
    EXPECT_EQ(first, missed);
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("a-0002"));
    const QStringList second = s.dragOutput(Qt::CopyAction);
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(QFileInfo(second[0]).fileName(), QStringLiteral("a-0002.jpg"));
    EXPECT_FALSE(QFileInfo::exists(first[0])) << "the previous drag file goes";
    EXPECT_EQ(s.nameField()->text(), QStringLiteral("a-0003"));
    EXPECT_EQ(s.savedLabel()->text(), QStringLiteral("Dragged out a-0002.jpg")) << "not a save that never was";

    s.center.postNotificationName(notification::ApplicationWillTerminate);
    EXPECT_FALSE(QFileInfo::exists(second[0])) << "and the last one at quit";
}

TEST(SaveGestures, ADragOutLeavesTheUsersOwnFilesAlone)
{
    WindowSession s;
    const QString mine = QDir(s.privateHome.home()).filePath(QStringLiteral("My New File.jpg"));
    writeFile(mine, "mine");
    s.controller.setOutputFileRule(1); // the running name: showing a picture names no drag file
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    const QStringList carried = s.dragOutput(Qt::CopyAction);
    ASSERT_EQ(carried.size(), 1);
    EXPECT_TRUE(carried[0].startsWith(s.privateHome.runtime() + QLatin1Char('/')));
    s.dragOutput(Qt::CopyAction);
    s.center.postNotificationName(notification::ApplicationWillTerminate);
    EXPECT_EQ(contents(mine), QByteArray("mine"));
}

TEST(SaveGestures, AnUnsafeTemporaryFolderIsRefusedAndSaidOnce)
{
    // Folders another user could have planted: a link to elsewhere, or one open to others.
    const struct {
        const char* name;
        std::function<void(const QString& folder, const QString& decoy)> plant;
    } rows[] = {
        { "a symbolic link", [](const QString& folder, const QString& decoy) { QFile::link(decoy, folder); } },
        { "open to others",
            [](const QString& folder, const QString&) {
                QDir().mkpath(folder);
                ::chmod(QFile::encodeName(folder).constData(), 0777);
            } },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir decoy;
        QStringList planted;
        WindowSession s({ "a.jpg" }, "coffee.jpg", [&](WindowSession& session) {
            const PrivateHome& home = session.privateHome;
            for (const QString& base : { home.runtime(), home.cache() }) {
                planted << QDir(base).filePath(QStringLiteral("quillum"));
                r.plant(planted.last(), decoy.path());
            }
        });
        ASSERT_TRUE(s.open(s.picture("a.jpg")));
        EXPECT_TRUE(s.dragOutput(Qt::CopyAction).isEmpty()) << "no drag";
        EXPECT_TRUE(s.dragOutput(Qt::CopyAction).isEmpty());
        ASSERT_EQ(s.window.alerts.size(), 1) << "said once";
        EXPECT_TRUE(s.window.alerts[0].contains(planted[0])) << s.window.alerts[0].toStdString();
        EXPECT_TRUE(filesIn(decoy.path()).isEmpty());
        EXPECT_TRUE(QDir(planted[1]).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        EXPECT_EQ(s.nameField()->text(), QStringLiteral("a-0001"));
    }
}

TEST(SaveGestures, APastedOrCapturedPictureCarriesNoMetadataOfThePhotoBeforeIt)
{
    WindowSession s;
    QFile::copy(dataPath("camera-gps.jpg"), s.picture("photo.jpg"));
    ASSERT_TRUE(s.open(s.picture("photo.jpg")));
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("photo-0001.jpg")), ImageFileType::Jpeg);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    ASSERT_EQ(photoMetadataFound(s.output(QStringLiteral("photo-0001.jpg"))), int(std::size(kPhotoMetadata)))
        << "a crop of the photo keeps its metadata";

    QImage pasted(50, 40, QImage::Format_RGB32);
    pasted.fill(Qt::darkCyan);
    QGuiApplication::clipboard()->setImage(pasted);
    s.press(QKeySequence::Paste);
    EXPECT_EQ(s.window.windowTitle(), QStringLiteral("New Image - 50 x 40"));
    ASSERT_EQ(s.nameField()->text(), QStringLiteral("New Image-0001"));
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    const QString saved = s.output(QStringLiteral("New Image-0001.jpg"));
    ASSERT_EQ(fileFormatByContent(saved), QStringLiteral("jpeg"));
    EXPECT_EQ(photoMetadataFound(saved), 0);

    s.window.capture = QImage(30, 20, QImage::Format_RGB32);
    s.window.capture.fill(Qt::darkRed);
    ASSERT_TRUE(s.choose(QStringLiteral("Take Full Screenshot")));
    EXPECT_EQ(s.window.windowTitle(), QStringLiteral("New Image - 30 x 20"));
    s.window.alertAnswers = { AlertButton::Second }; // replace the pasted picture's crop
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    EXPECT_EQ(photoMetadataFound(s.output(QStringLiteral("New Image-0001.jpg"))), 0);
}

TEST(SaveGestures, AGreyPhotosProfileStaysOutOfItsRgbCrops)
{
    WindowSession s;
    QFile::copy(dataPath("grey-profile.jpg"), s.picture("grey.jpg"));
    ASSERT_TRUE(s.open(s.picture("grey.jpg")));
    s.window.onSavePanel = answerPanel(s.output(QStringLiteral("grey.tif")), ImageFileType::Tiff);
    ASSERT_TRUE(s.choose(QStringLiteral("Save Crop")));
    Result<DecodedBitmap> saved = decodeImageFile(s.output(QStringLiteral("grey.tif")));
    ASSERT_TRUE(saved.ok()) << saved.error().toStdString();
    EXPECT_EQ(saved->bitmap.samplesPerPixel(), 3);
    EXPECT_FALSE(saved->bitmap.colorProfile().contains("GRAY")) << "no grey profile on RGB samples";
}
