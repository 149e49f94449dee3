// MainDraw: the working-bitmap conversions, the output render, the output size setters and
// the right panel's zoom.

#include "zent3controller.h"

#include "imaging/WorkingBitmap.h"
#include "platform/UiServices.h"
#include "platform/Assert.h"
#include "platform/TextFormats.h"
#include "platform/vimage.h"

#include <algorithm>
#include <QCoreApplication>

#include <array>
#include <cmath>
#include <cstdio>
#include <new>

namespace quillum {

namespace {

// Clips `rect` to the picture; false when nothing with area remains. NaN never survives
// the comparisons.
bool clipToPicture(Rect& rect, Size S)
{
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) || !std::isfinite(rect.height))
        return false;
    if (rect.x < 0) {
        rect.width += rect.x;
        rect.x = 0;
    }
    if (rect.y < 0) {
        rect.height += rect.y;
        rect.y = 0;
    }
    if (rect.x + rect.width > S.width)
        rect.width = S.width - rect.x;
    if (rect.y + rect.height > S.height)
        rect.height = S.height - rect.y;
    return rect.width > 0 && rect.height > 0;
}

} // namespace

void zent3controller::safeConstructrefImageRepByFromRect(const BitmapImageRep& source, const Rect& rect)
{
    if (source.colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(source);
        if (!rgb) {
            m_refImageRep.reset();
            return;
        }
        m_refImageRep = std::make_shared<BitmapImageRep>(convertToWorkingBitmap(*rgb, rect));
    } else {
        m_refImageRep = std::make_shared<BitmapImageRep>(convertToWorkingBitmap(source, rect));
    }
    if (m_refImageRep->isNull())
        m_refImageRep.reset();
}

void zent3controller::safeBackupSrcRGBToARGBImageRep()
{
    if (!m_srcImageRep)
        return;
    if (m_srcImageRep->colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(*m_srcImageRep);
        if (!rgb)
            return;
        m_srcImageRep = std::make_unique<BitmapImageRep>(std::move(*rgb));
    }
    const BitmapImageRep& src = *m_srcImageRep;
    BitmapImageRep backup
        = convertToWorkingBitmap(src, Rect { 0, 0, double(src.pixelsWide()), double(src.pixelsHigh()) });
    if (backup.isNull())
        return;
    m_backupSrcImageRep = std::make_unique<BitmapImageRep>(std::move(backup));
}

BitmapImageRep zent3controller::constructARGBImageRep(const BitmapImageRep& bitmap)
{
    return convertToWorkingBitmap(bitmap, Rect { 0, 0, double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) });
}

Result<BitmapImageRep> zent3controller::convertCMYKToRGB(const BitmapImageRep& bitmap)
{
    return quillum::convertCMYKToRGB(bitmap);
}

bool zent3controller::isInteger(const BitmapImageRep& bitmap)
{
    return quillum::isInteger(bitmap);
}

void zent3controller::redrawOutput(const Sender&)
{
    if (m_renderBatchDepth > 0) {
        m_renderPending = true;
        return;
    }
    const ZentCropBorder* frame = m_leftPanel.selRect();
    mainDrawProcedure(frame ? frame->frame() : Rect {});
}

void zent3controller::selectionDidChange(const Notification& notification)
{
    const auto* frame = static_cast<const ZentCropBorder*>(notification.object);
    mainDrawProcedure(frame ? frame->frame() : Rect {});
}

void zent3controller::outputFileSavedLabelHidden(bool hidden)
{
    if (m_outputFileSavedLabelHidden == hidden)
        return;
    m_outputFileSavedLabelHidden = hidden;
    didChangeValueForKey(key::outputFileSavedLabelHidden);
}

void zent3controller::mainDrawProcedure(Rect rect)
{
    // The render runs inside event handlers, which no exception may leave: memory running
    // out anywhere in it ends it like any other failed render.
    try {
        renderOutput(rect);
    } catch (const std::bad_alloc&) {
        failRender(QStringLiteral("there is not enough memory to render the crop"));
    }
}

void zent3controller::renderOutput(Rect rect)
{
    // The aspect fields follow the frame while the aspect is free.
    if (!m_fixedAspectIsOn && std::isfinite(rect.width) && std::isfinite(rect.height)) {
        m_aspectXValue = int(std::clamp(std::trunc(rect.width), -2.0e9, 2.0e9));
        m_aspectYValue = int(std::clamp(std::trunc(rect.height), -2.0e9, 2.0e9));
        didChangeValueForKey(key::aspectFields);
    }
    // The output panel is too narrow to be worth rendering into.
    if (m_dontShowCropFlag)
        return;
    // The note about the last save no longer describes what is shown.
    ++m_savedLabelHides;
    outputFileSavedLabelHidden(true);
    if (!m_srcImageRep)
        return;
    if (!clipToPicture(rect, m_leftPanel.pictureSize()))
        return;
    RenderRequest request = makeRenderRequest(rect);
    const std::uint64_t generation = ++m_renderGeneration;
    m_lastFullRequest = generation;
    if (rendersAsynchronously(rect)) {
        submitRender(generation, std::move(request));
        return;
    }
    // Run here, this render supersedes whatever the worker was asked for.
    m_renderAwaited = 0;
    m_renderWait.reset();
    const UiWait wait(m_uiServices, rect.width * rect.height >= UiWait::kLongWorkPixels);
    startMyTimer();
    request.decorator = m_decorator;
    applyRenderResult(runRender(request));
}

RenderRequest zent3controller::makeRenderRequest(const Rect& rect) const
{
    RenderRequest r;
    r.source = m_srcImageRep;
    r.rect = rect;
    r.sizeSettings = { m_outputWidthVal, m_outputHeighVal, m_outputWidthIsFixed, m_outputHeightIsFixed,
        m_outputSizeUnproportionalStretch };
    r.autoLevelsIsOn = m_autoLevelsIsOn;
    r.autoLevelsIsLocked = m_autoLevelsIsLocked;
    r.histoVals = m_histoVals;
    r.pictureCorrectionIsOn = m_pictureCorrectionIsOn;
    r.gamma = m_gammaValue;
    r.contrast = m_contrastValue;
    r.red = m_redValue;
    r.green = m_greenValue;
    r.blue = m_blueValue;
    r.flipVertical = m_flipVertical;
    r.flipHorizontal = m_flipHorizontal;
    r.invertIsOn = m_invertIsOn;
    r.outputModeTag = m_outputModeTag;
    r.sharpenLevel = m_sharpenLevel;
    return r;
}

bool zent3controller::rendersAsynchronously(const Rect& rect) const
{
    // Results come back through the event loop; a decorator set from outside may not be
    // safe to run on another thread.
    if (m_renderMode == RenderMode::Synchronous || !QCoreApplication::instance() || m_decorator != &m_ownDecorator)
        return false;
    return m_renderMode == RenderMode::Always || rect.width * rect.height >= kAsyncRenderPixels;
}

void zent3controller::setRenderMode(RenderMode mode)
{
    if (mode == RenderMode::Synchronous)
        finishPendingRender();
    m_renderMode = mode;
    // Previews and the crop view are drawn from a reduced copy made with each decode.
    m_lookAhead.setReducedCopyLongSide(mode == RenderMode::Synchronous ? 0 : RotationThumbnails::kReducedLongSide);
}

void zent3controller::submitRender(std::uint64_t generation, RenderRequest request)
{
    auto decorations = std::make_shared<DecorationSnapshot>();
    decorations->settings = m_decorations;
    if (m_decorations.logo.drawLogo)
        decorations->logo = m_logoScreen.logoImageView().image();
    decorations->sourcePath = m_sourcePath;
    request.decorations = std::move(decorations);
    if (!request.isPreview()) {
        m_renderAwaited = generation;
        m_awaitedRequest = request;
        // The busy indicator shows when the wait gets long, not for every quick render; a
        // crop this large takes long for sure.
        const double pixels = request.rect.width * request.rect.height;
        if (!m_renderWait)
            m_renderWait.emplace(m_uiServices, pixels >= UiWait::kLongWorkPixels);
    }
    std::weak_ptr<int> alive = m_aliveToken;
    QCoreApplication* app = QCoreApplication::instance();
    m_renderWorker.submit(generation, std::move(request), [this, alive, app, generation] {
        // Worker thread: only schedule; the result is applied on the main thread.
        QMetaObject::invokeMethod(
            app,
            [this, alive, generation] {
                if (alive.lock())
                    collectRender(generation);
            },
            Qt::QueuedConnection);
    });
}

void zent3controller::collectRender(std::uint64_t generation)
{
    std::optional<RenderResult> result = m_renderWorker.take(generation);
    if (!result)
        return;
    if (result->preview) {
        // Any preview newer than the last shown one and than every full render asked for.
        if (generation > m_previewShown && generation > m_lastFullRequest) {
            m_previewShown = generation;
            applyPreviewResult(*result);
        }
        return;
    }
    if (generation != m_renderAwaited)
        return; // superseded
    m_renderAwaited = 0;
    m_awaitedRequest = {};
    m_renderWait.reset();
    // The status line gives the pixel work's time, as when it ran here.
    m_startDate = std::chrono::steady_clock::now()
        - std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(result->seconds));
    applyRenderResult(*result);
    startDeferredReadAhead();
}

void zent3controller::finishPendingRender()
{
    if (m_renderAwaited == 0)
        return;
    std::optional<RenderResult> result = m_renderWorker.waitFor(m_renderAwaited);
    RenderRequest request = std::move(m_awaitedRequest);
    m_renderAwaited = 0;
    m_awaitedRequest = {};
    // A preview superseded it: the request is run here instead.
    if (!result && request.source) {
        request.decorator = m_decorator;
        request.decorations.reset();
        result = runRender(request);
    }
    m_renderWait.reset();
    if (result) {
        m_startDate = std::chrono::steady_clock::now()
            - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(result->seconds));
        applyRenderResult(*result);
    }
    startDeferredReadAhead();
}

void zent3controller::discardPendingRender()
{
    m_renderAwaited = 0;
    m_lastFullRequest = ++m_renderGeneration; // and no preview from before shows either
    m_awaitedRequest = {};
    m_renderWait.reset();
}

const BitmapImageRep* zent3controller::refImageRep() const
{
    const_cast<zent3controller*>(this)->finishPendingRender();
    return m_refImageRep.get();
}

std::shared_ptr<const BitmapImageRep> zent3controller::outPict() const
{
    const_cast<zent3controller*>(this)->finishPendingRender();
    return m_outPict;
}

const QString& zent3controller::operationTimeLabel() const
{
    const_cast<zent3controller*>(this)->finishPendingRender();
    return m_operationTimeLabel;
}

const QString& zent3controller::renderFailure() const
{
    const_cast<zent3controller*>(this)->finishPendingRender();
    return m_renderFailure;
}

std::shared_ptr<const BitmapImageRep> zent3controller::reducedSourceCopy()
{
    if (!m_previewSource.isOf(m_srcImageRep)) {
        RotationThumbnails::Reduced made = m_thumbnails.takeReduced();
        if (!made.isOf(m_srcImageRep) || !made.picture)
            return nullptr;
        m_previewSource = std::move(made);
    }
    return m_previewSource.picture;
}

std::optional<RenderRequest> zent3controller::makePreviewRequest(Rect rect)
{
    if (m_renderMode == RenderMode::Synchronous || !QCoreApplication::instance() || m_dontShowCropFlag
        || !m_srcImageRep || m_decorator != &m_ownDecorator)
        return std::nullopt;
    const std::shared_ptr<const BitmapImageRep> reducedCopy = reducedSourceCopy();
    if (!reducedCopy)
        return std::nullopt; // not ready yet: the output stays as it is until the gesture ends
    const BitmapImageRep& reduced = *reducedCopy;
    // Mid-drag an edge may have passed its opposite one: the frame is what lies between.
    if (rect.width < 0) {
        rect.x += rect.width;
        rect.width = -rect.width;
    }
    if (rect.height < 0) {
        rect.y += rect.height;
        rect.height = -rect.height;
    }
    // A crop small enough to render in place needs no stand-in.
    if (!clipToPicture(rect, m_leftPanel.pictureSize()) || !rendersAsynchronously(rect))
        return std::nullopt;
    const PixelRect pixels = pixelRectFor(rect, m_srcImageRep->pixelsHigh());
    if (pixels.width <= 0 || pixels.height <= 0)
        return std::nullopt;
    RenderRequest request = makeRenderRequest(rect);
    const OutputSize shown = outputSizeFor(int(pixels.width), int(pixels.height), request.sizeSettings);
    // No larger than the output panel shows it when fitted: a smaller preview comes sooner.
    double f = std::min(1.0, double(kPreviewLongSide) / std::max(shown.width, shown.height));
    const Size panel = m_rightPanel.scrollViewFrameSize();
    const double ratio = m_thumbnails.pixelRatio();
    if (keepRightFitToView() && panel.width >= 1.0 && panel.height >= 1.0)
        f = std::min({ f, panel.width * ratio / shown.width, panel.height * ratio / shown.height });
    request.previewWidth = std::max(1, int(std::lround(shown.width * f)));
    request.previewHeight = std::max(1, int(std::lround(shown.height * f)));
    request.previewShownWidth = shown.width;
    request.previewShownHeight = shown.height;
    const double kx = double(reduced.pixelsWide()) / m_srcImageRep->pixelsWide();
    const double ky = double(reduced.pixelsHigh()) / m_srcImageRep->pixelsHigh();
    request.rect = { rect.x * kx, rect.y * ky, std::max(rect.width * kx, 1.0), std::max(rect.height * ky, 1.0) };
    if (!clipToPicture(request.rect, { double(reduced.pixelsWide()), double(reduced.pixelsHigh()) }))
        return std::nullopt;
    request.source = reducedCopy;
    return request;
}

void zent3controller::previewOutput(Rect rect)
{
    if (std::optional<RenderRequest> request = makePreviewRequest(rect))
        submitRender(++m_renderGeneration, std::move(*request));
}

// A picture just shown gets its preview at once, in the same turn as its title and picture;
// its full render, on the worker, comes after.
void zent3controller::previewOutputNow(Rect rect)
{
    std::optional<RenderRequest> request = makePreviewRequest(rect);
    if (!request)
        return;
    request->decorator = m_decorator;
    applyPreviewResult(runRender(*request));
}

void zent3controller::applyPreviewResult(const RenderResult& result)
{
    if (result.kind != RenderResult::Kind::Rendered || !result.output)
        return;
    m_outputPreview = result.output;
    // The panel is laid out for the output the preview stands for.
    m_rightPanel.setPictureSize({ double(result.size.ruleWidth), double(result.size.ruleHeight) });
    didChangeValueForKey(key::outputPreview);
}

void zent3controller::clearOutputPreview()
{
    if (!m_outputPreview)
        return;
    m_outputPreview.reset();
    if (m_outPict)
        m_rightPanel.setPictureSize({ double(m_outPict->pixelsWide()), double(m_outPict->pixelsHigh()) });
    didChangeValueForKey(key::outputPreview);
}

// What the synchronous render did at its end, in the same order, wherever the pixel work ran.
void zent3controller::applyRenderResult(const RenderResult& result)
{
    if (result.kind == RenderResult::Kind::Abandoned)
        return;
    clearOutputPreview();
    m_refImageRep.reset();
    if (result.kind == RenderResult::Kind::Empty)
        return;
    m_histoVals = result.histoVals;
    if (result.kind == RenderResult::Kind::Failed) {
        failRender(result.failure);
        return;
    }
    m_refImageRep = result.output;
    // The output holds the working bitmap itself.
    m_outPict = m_refImageRep;
    m_renderFailure.clear();
    // Stored directly: the setters would render again. The fields get the size the rule
    // asks for, not the bounded one (OutputSize.h).
    const OutputSize& size = result.size;
    if (size.writesBackSize) {
        m_outputWidthVal = size.ruleWidth;
        didChangeValueForKey(key::outputWidthVal);
        m_outputHeighVal = size.ruleHeight;
        didChangeValueForKey(key::outputHeighVal);
    }
    showOutputPicture();
    timerAction();
    const Rect& rect = result.rect;
    const BitmapImageRep& work = *m_outPict;
    m_operationTimeLabel = QString::asprintf(" [%1.0f : %1.0f]-[%1.0f x %1.0f]  Cropped:[%ld x %ld]  Time: ", rect.x,
                               rect.y, rect.width, rect.height, long(work.pixelsWide()), long(work.pixelsHigh()))
        + stringForTimeInterval(float(m_elapsedTimeInterval));
    didChangeValueForKey(key::operationTimeLabel);
}

// A render that fails part-way leaves no output, neither a partial nor the previous one
// (which shows another crop and would be saved as this one), and says what failed once,
// in the status line.
void zent3controller::failRender(const QString& reason)
{
    m_refImageRep.reset();
    m_outPict.reset();
    m_rightPanel.setPictureSize({});
    didChangeValueForKey(key::outPict);
    showImageInFullScreenAsCrop(std::shared_ptr<const BitmapImageRep> {}, true);
    timerAction();
    m_operationTimeLabel = QStringLiteral("No output: %1").arg(reason);
    m_renderFailure = reason;
    didChangeValueForKey(key::operationTimeLabel);
}

void zent3controller::showOutputPicture()
{
    QUILLUM_ASSERT(m_outPict, return);
    m_rightPanel.setPictureSize({ double(m_outPict->pixelsWide()), double(m_outPict->pixelsHigh()) });
    didChangeValueForKey(key::outPict);
    showImageInFullScreenAsCrop(m_outPict, true);
}

// --- Output size ------------------------------------------------------------------------

void zent3controller::setOutputWidthVal(int value)
{
    if (value == m_outputWidthVal)
        return;
    m_outputWidthVal = std::max(value, 1);
    didChangeValueForKey(key::outputWidthVal);
    redrawOutput();
}

void zent3controller::setOutputHeighVal(int value)
{
    if (value == m_outputHeighVal)
        return;
    m_outputHeighVal = std::max(value, 1);
    didChangeValueForKey(key::outputHeighVal);
    redrawOutput();
}

void zent3controller::setOutputSizeUnproportionalStretch(bool stretch)
{
    if (stretch == m_outputSizeUnproportionalStretch)
        return;
    m_outputSizeUnproportionalStretch = stretch;
    didChangeValueForKey(key::outputSizeUnproportionalStretch);
    redrawOutput();
}

void zent3controller::setOutputWidthIsFixed(bool fixed)
{
    if (fixed == m_outputWidthIsFixed)
        return;
    m_outputWidthIsFixed = fixed;
    didChangeValueForKey(key::outputWidthIsFixed);
    // Turning it on takes effect at the next render (for example when a width is entered).
    m_resizerController.setWCase(fixed ? 11 : 0);
    didChangeValueForKey(key::quickResizeWidthCase);
    if (!fixed)
        redrawOutput();
}

void zent3controller::setOutputHeightIsFixed(bool fixed)
{
    if (fixed == m_outputHeightIsFixed)
        return;
    m_outputHeightIsFixed = fixed;
    didChangeValueForKey(key::outputHeightIsFixed);
    m_resizerController.setHCase(fixed ? 11 : 0);
    didChangeValueForKey(key::quickResizeHeightCase);
    if (!fixed)
        redrawOutput();
}

// --- Right panel zoom ---------------------------------------------------------------------

void zent3controller::fitOutputImageToView(const Sender&)
{
    m_keepRightFitToView = true;
    scaleOutputPicture();
}

void zent3controller::fitOutputImageTo100(const Sender&)
{
    m_keepRightFitToView = false;
    m_rightPanel.setViewCenterPoint(findRightCenterPoint());
    m_rightPanel.setScale(1.0f);
    scaleOutputPicture();
}

void zent3controller::scaleOutputPicture()
{
    if (!m_srcImageRep || !m_rightPanel.hasPicture())
        return;
    // Fitting only ever shrinks: an output smaller than the panel is shown at 100 %, as an
    // enlarged one would look softer than the file really is. "Actual Size" still sets 1.
    if (m_keepRightFitToView)
        m_rightPanel.setScale(std::min(m_rightPanel.fitScale(), 1.0f));
    m_rightPanel.applyScale();
    didChangeValueForKey(key::rightPanelScale);
}

} // namespace quillum
