// quillum-bench-app: the crop view's repaint for one drag step with a 6000 x 4000 picture
// shown fitted to a 1200 x 800 panel (offscreen platform). Prints timings; asserts none.

#include "app/MainWindow.h"
#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "controller/RotationThumbnails.h"
#include "controller/zent3controller.h"
#include "cropframe/PkCroppingImageView.h"
#include "platform/ImageDecoder.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

using namespace quillum;

namespace {

std::string g_photo = QUILLUM_BENCH_PHOTO;

void BM_dragStepRepaint(benchmark::State& state)
{
    Result<DecodedBitmap> decoded = decodeImageFile(QString::fromStdString(g_photo));
    if (!decoded) {
        state.SkipWithError("no benchmark photo (run quillum-bench once to make it)");
        return;
    }
    NotificationCenter center;
    PkCroppingImageView model(center);
    model.setPictureSize({ 6000, 4000 });
    model.setScrollViewFrameSize({ 1200, 800 });
    model.setScale(model.fitScale());
    model.applyScale();
    model.selRect()->setFrame({ 1000, 1000, 3000, 2000 });
    PkCroppingImageViewWidget widget(model);
    widget.setPicture(&decoded->bitmap);
    widget.syncGeometry();
    // Paint into an image the size of the panel: what one repaint of the screen costs.
    QImage target(widget.size(), QImage::Format_ARGB32_Premultiplied);
    widget.render(&target); // the display copy is made once, before timing
    const QPointF corner = widget.toWidget(Point { 4000 * model.scale(), 3000 * model.scale() });
    model.mouseDown({ widget.toViewUnits(corner) });
    int i = 0;
    for (auto _ : state) {
        const QPointF p = corner + QPointF(i % 40, -(i % 30));
        model.mouseDragged({ widget.toViewUnits(p) });
        widget.render(&target);
        ++i;
    }
    model.mouseUp({});
    // Every row of the CSV report needs the window row's counter.
    state.counters["peakRSS_MB"] = 0;
}

// The window walking a folder of five copies of the photo with the next-picture command:
// the time from the command to its title, picture and (preview) output being shown and
// painted, one second after the previous photo (the look-ahead has had its time), and the
// process's peak memory at the end.
void BM_windowNextPhoto(benchmark::State& state)
{
    QTemporaryDir folder;
    for (int i = 1; i <= 5; ++i)
        QFile::copy(QString::fromStdString(g_photo), folder.filePath(QStringLiteral("photo-%1.jpg").arg(i)));
    NotificationCenter center;
    zent3controller controller(center);
    MainWindow window(controller);
    controller.setUiServices(&window);
    controller.awakeFromNib();
    window.resize(1400, 880);
    window.show();
    QCoreApplication::processEvents();
    auto settle = [&](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms || controller.renderIsPending())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    if (!controller.applicationOpenFile(folder.path())) {
        state.SkipWithError("the folder did not open");
        return;
    }
    {
        // Effects on and a fixed width, as a photographer walking a shoot has them.
        zent3controller::RenderBatch batch(controller);
        controller.setAutoLevelsIsOn(true);
        controller.setSharpenLevel(1);
        controller.setOutputWidthIsFixed(true);
        controller.setOutputWidthVal(1920);
    }
    settle(1000);
    int shown = 1;
    for (auto _ : state) {
        if (shown == 5) {
            state.PauseTiming();
            controller.goFirstPic();
            settle(1000);
            shown = 1;
            state.ResumeTiming();
        }
        QElapsedTimer t;
        t.start();
        controller.goNextPic();
        window.repaint();
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        ++shown;
        settle(1000);
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = double(usage.ru_maxrss) * 1024 / 1e6;
}

// While the frame moves: from one step of the frame to its preview being ready, on the
// 24 MP photo, auto levels and sharpen on, the output 1920 wide in a 640 × 800 panel.
void BM_previewLatency(benchmark::State& state)
{
    Result<DecodedBitmap> decoded = decodeImageFile(QString::fromStdString(g_photo));
    if (!decoded) {
        state.SkipWithError("no photo");
        return;
    }
    NotificationCenter center;
    zent3controller controller(center);
    controller.setRenderMode(zent3controller::RenderMode::Large);
    controller.leftPanel().setScrollViewFrameSize({ 1200, 800 });
    controller.rightPanel().setScrollViewFrameSize({ 640, 800 });
    auto reduced = std::make_shared<const BitmapImageRep>(
        RotationThumbnails::reducedCopy(decoded->bitmap, RotationThumbnails::kReducedLongSide));
    controller.setSourcePicture(std::move(decoded->bitmap), decoded->properties, {}, reduced);
    {
        zent3controller::RenderBatch batch(controller);
        controller.setAutoLevelsIsOn(true);
        controller.setSharpenLevel(1);
        controller.setOutputWidthIsFixed(true);
        controller.setOutputWidthVal(1920);
    }
    Rect frame { 1000, 1000, 3000, 2000 };
    controller.leftPanel().selRect()->setFrame(frame);
    controller.finishPendingRender();
    int step = 0;
    for (auto _ : state) {
        frame.x = 1000 + (++step % 40);
        controller.leftPanel().selRect()->setFrame(frame);
        const auto before = controller.outputPreview();
        controller.previewOutput(frame);
        QElapsedTimer t;
        t.start();
        while (controller.outputPreview() == before && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (controller.outputPreview() == before)
            state.SkipWithError("no preview came");
    }
    state.counters["peakRSS_MB"] = 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--photo")
            g_photo = argv[i + 1];
    benchmark::Initialize(&argc, argv);
    // The window first: its peak memory is the process's so far.
    benchmark::RegisterBenchmark("app/window-next-photo", BM_windowNextPhoto)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(8)
        ->Repetitions(1);
    benchmark::RegisterBenchmark("app/preview-while-dragging", BM_previewLatency)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("app/drag-step-repaint", BM_dragStepRepaint)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
