// quillum-bench-app: the crop view's repaint for one drag step with a 6000 x 4000 picture
// shown fitted to a 1200 x 800 panel (offscreen platform). Prints timings; asserts none.

#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "cropframe/PkCroppingImageView.h"
#include "platform/ImageDecoder.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

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
    benchmark::RegisterBenchmark("app/drag-step-repaint", BM_dragStepRepaint)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
