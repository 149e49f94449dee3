// Gestures performed in the real window with real Qt events; each test checks what the
// user gets: the list, the title, the counter, the frame, the output's size and pixels.

#include "WindowHarness.h"

#include "app/fullscreen/PkBorderLessWindow.h"
#include "platform/BitmapImageRep.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QSlider>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <cmath>
#include <memory>
#include <numbers>

using namespace quillum;
using namespace quillum::test;

namespace {

// A,R,G,B of the output at (x, y), rows top first.
std::array<int, 4> outputPixel(const zent3controller& c, int x, int y)
{
    const BitmapImageRep& out = *c.outPict();
    const std::uint8_t* p = out.bitmapData() + std::size_t(y) * out.bytesPerRow() + std::size_t(x) * 4;
    return { p[0], p[1], p[2], p[3] };
}

QSize outputSize(const zent3controller& c)
{
    return c.outPict() ? QSize(c.outPict()->pixelsWide(), c.outPict()->pixelsHigh()) : QSize();
}

// Drops `mime` on the crop view as the desktop does; answers whether the drop was taken.
// Takes `mime`: drop events only borrow it.
bool dropOn(QWidget* view, QMimeData* mime)
{
    const std::unique_ptr<QMimeData> owned(mime);
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &enter);
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

QMimeData* filesMime(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    return mime;
}

QToolButton* buttonWithText(QWidget& root, const QString& text)
{
    for (QToolButton* b : root.findChildren<QToolButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// A session at actual size, so a widget pixel is a picture pixel.
struct ActualSize : WindowSession {
    ActualSize()
    {
        open(picture("a.jpg"));
        choose(QStringLiteral("Actual Size"));
    }
};

} // namespace

TEST(WindowGestures, OpeningAPhotoFromTheOpenPanelListsItsFolder)
{
    WindowSession s;
    s.open(s.picture("b.jpg"));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("2/3"));
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("b.jpg - 600 x 400")));
    EXPECT_EQ(outputSize(s.controller), QSize(600, 400));
}

// A folder lists its own pictures, never its parent's, however it arrives.
TEST(WindowGestures, AFolderListsItself)
{
    struct Row {
        const char* how;
        bool subfolders;
        int expected;
        const char* first;
    } rows[] = {
        { "open panel", false, 2, "album/x.jpg" },
        { "open panel with subfolders", true, 3, "album/deep/z.jpg" },
        { "command line", false, 2, "album/x.jpg" },
        { "dropped on the crop view", false, 2, "album/x.jpg" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.how);
        WindowSession s { "a.jpg", "b.jpg", "album/x.jpg", "album/y.jpg", "album/deep/z.jpg" };
        const QString album = s.picture("album");
        const QString how = QString::fromLatin1(r.how);
        if (how.startsWith(QLatin1String("open panel")))
            s.open(album, r.subfolders);
        else if (how == QLatin1String("command line"))
            s.controller.applicationOpenFile(album);
        else
            EXPECT_TRUE(dropOn(&s.cropView(), filesMime({ album })));
        ASSERT_EQ(s.controller.pics().size(), r.expected);
        EXPECT_EQ(s.controller.pics().first(), s.picture(r.first));
        EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("1/%1").arg(r.expected));
        EXPECT_TRUE(s.window.windowTitle().startsWith(QFileInfo(QString::fromLatin1(r.first)).fileName()));
    }
}

TEST(WindowGestures, AFolderWithoutPicturesSaysSoAndChangesNothing)
{
    WindowSession s { "a.jpg", "empty/notes.txt" };
    s.open(s.picture("a.jpg"));
    s.open(s.picture("empty"));
    ASSERT_EQ(s.window.alerts.size(), 1);
    EXPECT_TRUE(s.window.alerts[0].startsWith(QStringLiteral("No pictures to open | ")));
    EXPECT_TRUE(s.window.alerts[0].contains(s.picture("empty")));
    EXPECT_EQ(s.controller.sourcePath(), s.picture("a.jpg"));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("1/1"));
}

TEST(WindowGestures, NextAndPreviousByKeysAndMenu)
{
    WindowSession s;
    s.open(s.picture("a.jpg"));
    EXPECT_FALSE(s.action(QStringLiteral("Previous Picture"))->isEnabled());
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("2/3"));
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("b.jpg")));
    ASSERT_TRUE(s.choose(QStringLiteral("Last Picture")));
    EXPECT_EQ(s.controller.sourcePath(), s.picture("c.jpg"));
    EXPECT_FALSE(s.action(QStringLiteral("Next Picture"))->isEnabled());
    ASSERT_TRUE(s.choose(QStringLiteral("Previous Picture")));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("2/3"));
    QLabel* counter = s.find<QLabel>("fileCounter");
    ASSERT_TRUE(counter);
    EXPECT_EQ(counter->text(), QStringLiteral("2/3"));
}

// Counter, title and picture agree when the file under the counter cannot be read.
TEST(WindowGestures, SteppingOntoABrokenFileShowsNothingUnderItsName)
{
    WindowSession s { "a.jpg", "c.jpg" };
    ASSERT_TRUE(QFile::copy(dataPath("notanimage.jpg"), s.picture("b.jpg")));
    s.open(s.picture("a.jpg"));
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(s.find<QLabel>("fileCounter")->text(), QStringLiteral("2/3"));
    EXPECT_EQ(s.window.windowTitle(), QStringLiteral("b.jpg - cannot be opened"));
    EXPECT_FALSE(s.controller.leftPanel().hasPicture());
    EXPECT_FALSE(s.controller.outPict());
    ASSERT_EQ(s.window.alerts.size(), 1);
    EXPECT_TRUE(s.window.alerts[0].contains(QStringLiteral("b.jpg")));
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("c.jpg - 600 x 400")));
}

// Dragging a corner, an edge and the inside; the output follows each release.
TEST(WindowGestures, DraggingTheFrame)
{
    ActualSize s;
    ASSERT_FLOAT_EQ(s.controller.leftPanel().scale(), 1.0f);
    ASSERT_EQ(s.frame(), (Rect { 0, 0, 600, 400 }));
    struct Row {
        const char* what;
        Point from, to; // picture pixels
        Rect frame;
    } rows[] = {
        { "top-left corner", { 2, 398 }, { 62, 358 }, { 60, 0, 540, 360 } },
        { "right edge", { 600, 200 }, { 500, 200 }, { 60, 0, 440, 360 } },
        { "inside", { 300, 200 }, { 270, 220 }, { 30, 20, 440, 360 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        s.drag(&s.cropView(), s.atPicture(r.from.x, r.from.y), s.atPicture(r.to.x, r.to.y));
        EXPECT_EQ(s.frame(), r.frame);
        EXPECT_EQ(outputSize(s.controller), QSize(int(r.frame.width), int(r.frame.height)));
    }
}

// The grip inside the top-right corner turns the picture under the frame on release.
TEST(WindowGestures, TheRotationGripTurnsThePicture)
{
    ActualSize s;
    const auto before = s.controller.outPict();
    const double v = s.controller.leftPanel().selRect()->visibleHandleSize();
    const Point centre { 300, 200 };
    const Point grip { 600 - 3 * v, 400 - 3 * v };
    const double radius = std::hypot(grip.x - centre.x, grip.y - centre.y);
    const double start = std::atan2(grip.y - centre.y, grip.x - centre.x);
    // Counter-clockwise by 20 degrees, in steps, as a hand moves.
    QTest::mousePress(&s.cropView(), Qt::LeftButton, {}, s.atPicture(grip.x, grip.y));
    EXPECT_EQ(s.controller.leftPanel().selectionMoveType(), HandleRotation);
    for (int step = 1; step <= 10; ++step) {
        const double a = start + step * 2.0 * std::numbers::pi / 180.0;
        const QPointF p = s.atPicture(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
        QMouseEvent move(QEvent::MouseMove, p, s.cropView().mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&s.cropView(), &move);
    }
    const double end = start + 20.0 * std::numbers::pi / 180.0;
    QTest::mouseRelease(&s.cropView(), Qt::LeftButton, {},
        s.atPicture(centre.x + radius * std::cos(end), centre.y + radius * std::sin(end)));
    QCoreApplication::processEvents();

    // The frame turned left over the picture: the picture turns right under it.
    EXPECT_NEAR(s.controller.rotationFieldValue(), -20.0, 1.0);
    EXPECT_GT(s.controller.sourcePixelsWide(), 600);
    EXPECT_GT(s.controller.sourcePixelsHigh(), 400);
    EXPECT_TRUE(s.controller.lastRotationTitle().startsWith(QStringLiteral("Last Rotation: -")));
    EXPECT_NE(s.controller.outPict(), before) << "the output is rendered again";
    EXPECT_FALSE(s.controller.leftPanel().selectionMoving());
}

// Right after a picture opens, the arrow keys work on the frame.
TEST(WindowGestures, ArrowKeysReachTheFrameRightAfterOpening)
{
    WindowSession s;
    s.open(s.picture("a.jpg"));
    EXPECT_EQ(QApplication::focusWidget(), &s.cropView());
    s.press(QKeySequence(Qt::SHIFT | Qt::Key_Left));
    EXPECT_EQ(s.frame(), (Rect { 0, 0, 599, 400 }));
    EXPECT_EQ(outputSize(s.controller), QSize(599, 400)) << "rendered at the key's release";
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Right));
    EXPECT_EQ(s.frame(), (Rect { 1, 0, 599, 400 })) << "moved to the right edge, no further";
}

TEST(WindowGestures, ShiftWheelShrinksTheFrameAndRendersOnceItRests)
{
    ActualSize s;
    const QPointF at = s.atPicture(300, 200);
    QWheelEvent wheel(at, s.cropView().mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::ShiftModifier,
        Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&s.cropView(), &wheel);
    EXPECT_NEAR(s.frame().width, 592, 0.01);
    EXPECT_EQ(outputSize(s.controller), QSize(600, 400)) << "not yet";
    QTest::qWait(450);
    EXPECT_EQ(outputSize(s.controller).width(), 592);
}

TEST(WindowGestures, RatioPopupAndGuides)
{
    ActualSize s;
    QMenu* ratios = s.find<QMenu>("ratioMenu");
    ASSERT_TRUE(ratios);
    QAction* square = nullptr;
    for (QAction* a : ratios->actions())
        if (a->text() == QStringLiteral("1 : 1"))
            square = a;
    ASSERT_TRUE(square);
    square->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(outputSize(s.controller), QSize(400, 400));

    QComboBox* guides = s.find<QComboBox>("guides");
    ASSERT_TRUE(guides);
    guides->setCurrentIndex(guides->findText(QStringLiteral("Golden section")));
    EXPECT_EQ(s.controller.leftPanel().selRect()->compositionGudes(), 2);
    s.press(QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_EQ(guides->currentText(), s.find<QComboBox>("guides")->itemText(guides->currentIndex()));
}

// Each effect control changes the output the way its name says.
TEST(WindowGestures, EffectControls)
{
    ActualSize s;
    const int w = 600, h = 400;
    struct Row {
        const char* control;
        std::function<void(const std::array<int, 4>& beforeTopLeft, const std::array<int, 4>& beforeBottomLeft,
            const std::array<int, 4>& beforeTopRight, const zent3controller&)>
            check;
    } rows[] = {
        { "invert",
            [](auto& b, auto&, auto&, auto& c) {
                const auto a = outputPixel(c, 0, 0);
                for (int i = 1; i < 4; ++i)
                    EXPECT_EQ(a[i], 255 - b[i]);
            } },
        { "flipVertical", [h](auto&, auto& bl, auto&, auto& c) { EXPECT_EQ(outputPixel(c, 0, 0), bl); } },
        { "flipHorizontal", [w](auto&, auto&, auto& tr, auto& c) { EXPECT_EQ(outputPixel(c, 0, 0), tr); } },
        { "modeBlackAndWhite",
            [w, h](auto&, auto&, auto&, auto& c) {
                for (auto [x, y] : { std::pair { 10, 10 }, { w / 2, h / 2 }, { w - 5, h - 5 } }) {
                    const auto a = outputPixel(c, x, y);
                    EXPECT_TRUE(a[1] == a[2] && a[2] == a[3]) << x << "," << y;
                }
            } },
        { "modeSepia",
            [w, h](auto&, auto&, auto&, auto& c) {
                const auto a = outputPixel(c, w / 2, h / 2);
                EXPECT_TRUE(a[1] >= a[2] && a[2] >= a[3]) << "warm: red, then green, then blue";
            } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.control);
        const auto tl = outputPixel(s.controller, 0, 0), bl = outputPixel(s.controller, 0, h - 1),
                   tr = outputPixel(s.controller, w - 1, 0);
        auto* control = s.find<QAbstractButton>(r.control);
        ASSERT_TRUE(control);
        control->click();
        r.check(tl, bl, tr, s.controller);
        // Back to the plain output.
        if (QString::fromLatin1(r.control).startsWith(QLatin1String("mode")))
            s.find<QAbstractButton>("modeColor")->click();
        else
            control->click();
        EXPECT_EQ(outputPixel(s.controller, 0, 0), tl);
    }

    // Auto levels and sharpen change pixels; the correction panel comes from its menu item.
    const auto plain = s.controller.outPict();
    s.find<QAbstractButton>("autoLevels")->click();
    EXPECT_NE(s.controller.outPict(), plain);
    s.find<QComboBox>("sharpen")->setCurrentIndex(2);
    EXPECT_EQ(s.controller.sharpenLevel(), 2);
    ASSERT_TRUE(s.choose(QStringLiteral("Picture Correction…")));
    auto* enabled = s.find<QCheckBox>("correctionEnabled");
    ASSERT_TRUE(enabled);
    EXPECT_TRUE(enabled->window()->isVisible());
    enabled->window()->hide();
    s.controller.showPictureCorrectionWindow();
    EXPECT_TRUE(enabled->window()->isVisible()) << "the controller's show command reaches the panel";
    const auto beforeGamma = outputPixel(s.controller, 100, 300);
    enabled->click();
    s.find<QSlider>("gamma")->setValue(200);
    EXPECT_NE(outputPixel(s.controller, 100, 300), beforeGamma);
}

TEST(WindowGestures, QuarterTurnsAndAFreeAngle)
{
    ActualSize s;
    QToolButton* ninety = buttonWithText(s.window, QStringLiteral("90°"));
    ASSERT_TRUE(ninety);
    ninety->click();
    EXPECT_EQ(QSize(s.controller.sourcePixelsWide(), s.controller.sourcePixelsHigh()), QSize(400, 600));
    EXPECT_GT(outputSize(s.controller).height(), outputSize(s.controller).width());
    buttonWithText(s.window, QStringLiteral("0°"))->click();
    EXPECT_EQ(QSize(s.controller.sourcePixelsWide(), s.controller.sourcePixelsHigh()), QSize(600, 400));

    // The user types 30 into the angle dialog.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->setDoubleValue(30);
        dialog->accept();
    });
    ASSERT_TRUE(s.choose(QStringLiteral("By Angle…")));
    EXPECT_FLOAT_EQ(s.controller.rotationFieldValue(), 30.0f);
    // |trunc(600 cos 30)| + |trunc(400 sin 30)| by |trunc(600 sin 30)| + |trunc(400 cos 30)|.
    EXPECT_EQ(QSize(s.controller.sourcePixelsWide(), s.controller.sourcePixelsHigh()), QSize(719, 646));
    buttonWithText(s.window, QStringLiteral("0°"))->click();
    QAction* last = s.action(QStringLiteral("Last Rotation"));
    ASSERT_TRUE(last);
    Q_EMIT qobject_cast<QMenu*>(last->parent())->aboutToShow();
    EXPECT_EQ(last->text(), QStringLiteral("Last Rotation: 30.00"));
    last->trigger();
    EXPECT_FLOAT_EQ(s.controller.rotationFieldValue(), 30.0f);
}

// F11 and Shift+F11 open the viewer; Escape always returns to the main window.
TEST(WindowGestures, FullScreenInAndOut)
{
    WindowSession s;
    s.open(s.picture("a.jpg"));
    auto* viewer = s.window.findChild<PkBorderLessWindow*>();
    ASSERT_TRUE(viewer);
    struct Row {
        Qt::KeyboardModifiers modifiers;
        bool showsOutput;
    } rows[] = { { Qt::NoModifier, false }, { Qt::ShiftModifier, true } };
    for (const Row& r : rows) {
        QTest::keyClick(&s.window, Qt::Key_F11, r.modifiers);
        QCoreApplication::processEvents();
        ASSERT_TRUE(viewer->isVisible());
        EXPECT_EQ(s.controller.fullScreenShowCrop(), r.showsOutput);
        QTest::keyClick(viewer, Qt::Key_1);
        EXPECT_EQ(s.controller.fullScreenShowCrop(), !r.showsOutput) << "1 toggles source and output";
        QTest::keyClick(viewer, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_FALSE(s.controller.fullScreenIsOpen());
        EXPECT_FALSE(viewer->isVisible()) << "no black window is left behind";
        EXPECT_TRUE(s.window.isVisible());
    }
}

TEST(WindowGestures, HelpAndTheShutterSoundAreBundled)
{
    WindowSession s;
    s.press(QKeySequence::HelpContents);
    QTextBrowser* help = s.window.findChild<QTextBrowser*>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Quillum Help")));
    // Dark text on a light page, whatever the window's palette.
    EXPECT_GT(help->palette().color(QPalette::Base).lightness(), 200);
    QFile sound(QStringLiteral(":/sounds/smena_shutter.wav"));
    ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
    EXPECT_EQ(sound.read(4), QByteArray("RIFF"));
}

// A drop that gives no picture is not answered as taken.
TEST(WindowGestures, DropsTakeOnlyWhatOpens)
{
    WindowSession s { "a.jpg" };
    QTemporaryDir broken;
    ASSERT_TRUE(QFile::copy(dataPath("notanimage.jpg"), broken.filePath(QStringLiteral("x.jpg"))));
    EXPECT_FALSE(dropOn(&s.cropView(), filesMime({ broken.filePath(QStringLiteral("x.jpg")) })));
    EXPECT_FALSE(s.controller.leftPanel().droppingResult());
    EXPECT_TRUE(dropOn(&s.cropView(), filesMime({ s.picture("a.jpg") })));
    EXPECT_EQ(s.controller.sourcePath(), s.picture("a.jpg"));
}

// The window may go before the controller (a probe, a test): nothing it registered may be
// called afterwards. Under AddressSanitizer a left-behind observer is a use after free.
TEST(WindowGestures, AWindowDestroyedFirstLeavesNoObserverBehind)
{
    testApplication();
    NotificationCenter center;
    zent3controller controller(center);
    {
        MainWindow window(controller);
        controller.setUiServices(&window);
        controller.awakeFromNib();
        window.show();
        controller.openPicture(samplePath("coffee.jpg"));
        controller.setUiServices(nullptr);
    }
    controller.setGammaValue(1.5f);
    controller.fitImageTo100();
    controller.fullScreen();
    controller.fullScreen();
    controller.noteRecentImage(samplePath("coffee.jpg"));
    controller.leftPanel().setNeedsDisplay();
    controller.closeImage();
    EXPECT_FALSE(controller.hasSource());
}

// Escape stops a picture that takes long to open; nothing of it is shown, nothing is asked.
TEST(WindowGestures, EscapeStopsASlowPicture)
{
    WindowSession s { "a.jpg", "c.jpg" };
    QFile slow(s.picture("b.jpg"));
    ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
    slow.write(progressiveGreyJpeg(8000, 8000, 100)); // a second or more to decode
    slow.close();
    s.open(s.picture("a.jpg"));
    QTimer::singleShot(100, &s.window, [&] { QTest::keyClick(&s.window, Qt::Key_Escape); });
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(s.window.windowTitle(), QStringLiteral("b.jpg - not opened"));
    EXPECT_EQ(s.controller.fileCounter(), QStringLiteral("2/3"));
    EXPECT_FALSE(s.controller.hasSource());
    EXPECT_TRUE(s.window.alerts.isEmpty()) << "the user asked for it";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "no longer busy";
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_TRUE(s.window.windowTitle().startsWith(QStringLiteral("c.jpg - 600 x 400")));
}

TEST(WindowGestures, TheOutputPanelFitsByShrinkingOnly)
{
    // The right panel's default fit shows a small output at 100 %, never enlarged; a large one
    // is shrunk into the panel. "Output at Actual Size" shows either at 100 %.
    WindowSession s;
    s.open(s.picture("a.jpg"));
    s.controller.setOutputWidthIsFixed(true);
    OutputViewWidget* view = s.window.outputView();
    const QWidget* panel = s.window.rightScrollArea();
    struct Row {
        const char* name;
        int width;
    } rows[] = { { "smaller than the panel", 120 }, { "larger than the panel", 2400 } };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        s.controller.setOutputWidthVal(r.width);
        ASSERT_TRUE(QTest::qWaitFor([&] { return outputSize(s.controller).width() == r.width; }, 5000));
        ASSERT_TRUE(s.choose(QStringLiteral("Fit Output to View")));
        const QSize out = outputSize(s.controller);
        if (out.width() < panel->width() && out.height() < panel->height()) {
            EXPECT_EQ(view->size(), out) << "shown " << view->width() << " x " << view->height();
        } else {
            EXPECT_LE(view->width(), panel->width());
            EXPECT_LE(view->height(), panel->height());
            EXPECT_GE(std::max(view->width() - panel->width(), view->height() - panel->height()), -1)
                << "fills the panel one way";
        }
        ASSERT_TRUE(s.choose(QStringLiteral("Output at Actual Size")));
        EXPECT_EQ(view->size(), out) << "shown " << view->width() << " x " << view->height();
    }
}
