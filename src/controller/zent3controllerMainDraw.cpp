// MainDraw: the working-bitmap conversions, the output render, the output size setters and
// the right panel's zoom.

#include "zent3controller.h"

#include "imaging/WorkingBitmap.h"
#include "platform/Assert.h"
#include "platform/TextFormats.h"
#include "platform/vimage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <new>

namespace quillum {

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
    outputFileSavedLabelHidden(true);
    if (!m_srcImageRep)
        return;
    // Clip to the source; NaN never survives the comparisons below.
    if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) || !std::isfinite(rect.height))
        return;
    const Size S = m_leftPanel.pictureSize();
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
    if (rect.width <= 0 || rect.height <= 0)
        return;
    const UiWait wait(m_uiServices, rect.width * rect.height >= UiWait::kLongWorkPixels);
    startMyTimer();
    // Cut, convert, auto levels and scale. A crop narrower than one pixel truncates to
    // nothing: keep the previous output.
    m_refImageRep.reset();
    const BitmapImageRep& source = *m_srcImageRep;
    const PixelRect pixels = pixelRectFor(rect, source.pixelsHigh());
    if (pixels.width <= 0 || pixels.height <= 0)
        return;
    const OutputSizeSettings sizeSettings { m_outputWidthVal, m_outputHeighVal, m_outputWidthIsFixed,
        m_outputHeightIsFixed, m_outputSizeUnproportionalStretch };
    const OutputSize size = outputSizeFor(int(pixels.width), int(pixels.height), sizeSettings);
    const bool opaque = convertsOpaque(source);
    if (size.scales && opaque)
        renderScaledInOnePass(source, rect, size.width, size.height);
    if (!m_refImageRep) {
        safeConstructrefImageRepByFromRect(source, rect);
        if (!m_refImageRep) {
            failRender(QStringLiteral("the crop could not be converted"));
            return;
        }
        if (m_autoLevelsIsOn) {
            if (Status levels = applyAutoLevels(*m_refImageRep, m_histoVals, m_autoLevelsIsLocked); !levels) {
                failRender(levels.error());
                return;
            }
        }
        if (size.scales) {
            auto scaled = std::make_shared<BitmapImageRep>(BitmapImageRep::makeARGB(size.width, size.height));
            if (scaled->isNull()) {
                failRender(QStringLiteral("there is not enough memory for the output size"));
                return;
            }
            scaled->setColorProfile(source.colorProfile());
            vImage_Buffer src = bufferFor(*m_refImageRep);
            vImage_Buffer dst = bufferFor(*scaled);
            // A failed scale leaves the new bitmap undefined: show nothing rather than that.
            if (vImageScale_ARGB8888(
                    &src, &dst, nullptr, kvImageHighQualityResampling | kvImageDoNotTile | kvImageLeaveAlphaUnchanged)
                != kvImageNoError) {
                failRender(QStringLiteral("the picture could not be scaled to the output size"));
                return;
            }
            m_refImageRep = std::move(scaled);
        }
    }
    BitmapImageRep& work = *m_refImageRep;
    // Correction, mirroring, invert, colour mode and sharpen, in this order.
    auto effects = [&]() -> Status {
        if (m_pictureCorrectionIsOn)
            if (Status s
                = applyPictureCorrection(work, m_gammaValue, m_contrastValue, m_redValue, m_greenValue, m_blueValue);
                !s)
                return s;
        if (Status s = applyMirror(work, m_flipVertical, m_flipHorizontal); !s)
            return s;
        if (m_invertIsOn)
            if (Status s = applyInvert(work); !s)
                return s;
        if (Status s = applyOutputMode(work, m_outputModeTag); !s)
            return s;
        if (Status s = applySharpen(work, m_sharpenLevel); !s)
            return s;
        // Multiplying by an alpha of 255 changes nothing: opaque pictures skip the pass.
        return opaque ? Status {} : premultiply(work);
    };
    if (Status done = effects(); !done) {
        failRender(done.error());
        return;
    }
    // The output holds the working bitmap itself.
    m_outPict = m_refImageRep;
    m_renderFailure.clear();
    // Borders, logo and captions are drawn onto the finished pixels.
    if (m_decorator) {
        m_decorator->drawBorders(work);
        m_decorator->drawLogo(work);
        m_decorator->drawCaptions(work);
    }
    // Stored directly: the setters would render again. The fields get the size the rule
    // asks for, not the bounded one (OutputSize.h).
    if (size.writesBackSize) {
        m_outputWidthVal = size.ruleWidth;
        didChangeValueForKey(key::outputWidthVal);
        m_outputHeighVal = size.ruleHeight;
        didChangeValueForKey(key::outputHeighVal);
    }
    showOutputPicture();
    timerAction();
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

// Cut, conversion, auto levels and scaling of an opaque source in one pass: the histogram
// comes from the source rectangle and the levels tables are applied while resampling, so
// the full-size working bitmap is never made. The pixels are those of the step-by-step path.
void zent3controller::renderScaledInOnePass(const BitmapImageRep& source, const Rect& rect, int width, int height)
{
    std::array<LookupTable, 3> tables;
    if (m_autoLevelsIsOn) {
        if (autoLevelsNeedHistogram(m_histoVals, m_autoLevelsIsLocked)) {
            vImagePixelCount counts[3][256];
            if (!sourceHistograms(source, rect, counts[0], counts[1], counts[2]))
                return;
            storeAutoLevels(m_histoVals, counts[0], counts[1], counts[2]);
        }
        tables = autoLevelsTables(m_histoVals);
    }
    BitmapImageRep scaled = convertLookUpAndScale(source, rect, m_autoLevelsIsOn ? &tables : nullptr, width, height);
    if (!scaled.isNull())
        m_refImageRep = std::make_shared<BitmapImageRep>(std::move(scaled));
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
