// Gestures on photos large enough that their renders run on the worker: the window keeps
// answering, a moving frame is previewed, the next photo arrives whole, saves wait.

#include "app/output/OutputViewWidget.h"

#include "WindowHarness.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

using namespace quillum;
using namespace quillum::test;

namespace {

// A photo with detail everywhere (flat ones compress to nothing and render too fast to see).
void writePhoto(const QString& path, int w, int h, QColor tint)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(random.bounded(40));
            line[x] = qRgb(std::clamp(tint.red() + n - 20, 0, 255), std::clamp(tint.green() + n - 20, 0, 255),
                std::clamp(tint.blue() + n - 20, 0, 255));
        }
    }
    ASSERT_TRUE(image.save(path, "JPEG", 90));
}

QColor middleColour(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(AsyncGestures, DraggingTheFramePreviewsTheOutputAndTheReleaseRendersItInFull)
{
    WindowSession session({ "big.jpg" });
    writePhoto(session.picture("big.jpg"), 4000, 3000, QColor(200, 60, 40));
    ASSERT_TRUE(session.open(session.picture("big.jpg")));
    session.controller.setAutoLevelsIsOn(true);
    session.controller.setSharpenLevel(1);
    session.controller.leftPanel().selRect()->setFrame({ 1000, 800, 2000, 1500 });
    session.controller.redrawOutput();
    session.settle();
    auto* output = session.window.outputView();
    ASSERT_NE(output, nullptr);
    ASSERT_TRUE(session.controller.outPict());
    const Rect before = session.frame();
    const float scale = session.controller.leftPanel().scale();

    // Press inside the frame and move it in small steps, as a hand does, letting the window
    // run between the steps.
    PkCroppingImageViewWidget& view = session.cropView();
    const QPoint from = session.atPicture(before.x + before.width / 2, before.y + before.height / 2);
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    bool previewed = false;
    QElapsedTimer clock;
    clock.start();
    // The reduced copy is made in the background; slow builds (sanitizers) take longer.
    for (int i = 1; clock.elapsed() < 30000 && !previewed; ++i) {
        const QPointF p = QPointF(from) + QPointF(-(i % 20), 0);
        QMouseEvent move(QEvent::MouseMove, p, view.mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&view, &move);
        for (int k = 0; k < 10; ++k) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        previewed = output->showsPreview();
    }
    EXPECT_TRUE(previewed);
    // Only a view: the status line still describes the output before the drag.
    const QString status = session.controller.operationTimeLabel();
    const QPoint to = from + QPoint(-40, 0);
    QMouseEvent last(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &last);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    session.settle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(output->showsPreview());
    EXPECT_EQ(session.controller.leftPanel().scale(), scale);
    const Rect after = session.frame();
    EXPECT_NE(after.x, before.x);
    ASSERT_TRUE(session.controller.outPict());
    EXPECT_EQ(session.controller.outPict()->pixelsWide(), int(after.width));
    EXPECT_NE(session.controller.operationTimeLabel(), status);
    EXPECT_TRUE(session.controller.operationTimeLabel().contains(QStringLiteral("[%1 :").arg(after.x, 0, 'f', 0)));
}

TEST(AsyncGestures, TheNextPhotoArrivesWithItsTitlePictureAndOutputTogether)
{
    WindowSession session({ "1.jpg", "2.jpg" });
    writePhoto(session.picture("1.jpg"), 4000, 3000, QColor(200, 60, 40));
    writePhoto(session.picture("2.jpg"), 4000, 3000, QColor(40, 80, 210));
    ASSERT_TRUE(session.open(session.pictures.path()));
    ASSERT_TRUE(session.window.windowTitle().startsWith(QStringLiteral("1.jpg")));
    auto* output = session.window.outputView();
    ASSERT_NE(output, nullptr);
    EXPECT_GT(middleColour(output->grab().toImage()).red(), 150);

    // One turn of the event loop after the key: no waiting for the full render.
    QTest::keyClick(&session.cropView(), Qt::Key_Right, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(session.window.windowTitle().startsWith(QStringLiteral("2.jpg")));
    const QColor shown = middleColour(output->grab().toImage());
    EXPECT_GT(shown.blue(), 150) << "the output panel still shows the previous photo";
    EXPECT_LT(shown.red(), 100);

    // The full render follows and is what a save writes.
    session.settle();
    EXPECT_FALSE(output->showsPreview());
    ASSERT_TRUE(session.controller.outPict());
    EXPECT_EQ(session.controller.outPict()->pixelsWide(), int(session.frame().width));
}

// Ctrl+S with "advance" on, on 6 MP photos whose crops render on the worker: the file is
// the first photo's crop, the window shows the second photo with the name counted on; a
// write that fails leaves the window on the photo, its crop and its name, with the reason.
TEST(AsyncGestures, SaveAndAdvanceShowsTheNextPhotoOnlyAfterAConfirmedWrite)
{
    WindowSession session({ "1.jpg", "2.jpg" });
    writePhoto(session.picture("1.jpg"), 3000, 2000, QColor(200, 60, 40));
    writePhoto(session.picture("2.jpg"), 3000, 2000, QColor(40, 80, 210));
    ASSERT_TRUE(session.open(session.pictures.path()));
    ASSERT_TRUE(session.controller.writeWhileAdvancing());
    session.controller.setAdvanceToNextOnCrop(true);
    session.controller.setFirstTimeSaving(false);
    session.controller.setOutputFileRule(1); // a running name
    session.controller.setCurrentOutputFileName(QStringLiteral("walk-0001"));
    session.controller.setCurrentOutputPath(session.out.path());
    session.cropView().setFocus();

    // A failed write first: the output folder lies under a plain file.
    QFile blocker(session.output(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    session.controller.setCurrentOutputPath(blocker.fileName() + QStringLiteral("/inside"));
    session.controller.leftPanel().selRect()->setFrame({ 500, 400, 2400, 1600 });
    session.controller.redrawOutput();
    session.settle();
    session.press(QKeySequence::Save);
    ASSERT_EQ(session.window.alerts.size(), 1);
    EXPECT_TRUE(session.window.alerts[0].startsWith(QStringLiteral("The crop was not saved | ")));
    EXPECT_TRUE(session.window.windowTitle().startsWith(QStringLiteral("1.jpg")));
    EXPECT_EQ(session.controller.fileCounter(), QStringLiteral("1/2"));
    EXPECT_EQ(session.frame(), (Rect { 500, 400, 2400, 1600 }));
    EXPECT_EQ(session.nameField()->text(), QStringLiteral("walk-0001"));

    session.controller.setCurrentOutputPath(session.out.path());
    session.press(QKeySequence::Save);
    const QString saved = session.output(QStringLiteral("walk-0001.jpg"));
    const QImage file(saved);
    ASSERT_FALSE(file.isNull());
    EXPECT_EQ(file.size(), QSize(2400, 1600));
    EXPECT_GT(middleColour(file).red(), 150) << "the first photo's crop";
    EXPECT_TRUE(session.window.windowTitle().startsWith(QStringLiteral("2.jpg")));
    EXPECT_EQ(session.controller.fileCounter(), QStringLiteral("2/2"));
    EXPECT_EQ(session.nameField()->text(), QStringLiteral("walk-0002"));
    EXPECT_EQ(session.window.alerts.size(), 1) << "no more questions";
}
