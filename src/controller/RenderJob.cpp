#include "controller/RenderJob.h"

#include "decorations/DecorationDrawing.h"
#include "imaging/WorkingBitmap.h"
#include "platform/vimage.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>
#include <optional>
#include <vector>

namespace quillum {
namespace {

bool cancelled(const RenderCancel* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The crop converted into a new working bitmap; null when it cannot be.
std::shared_ptr<BitmapImageRep> convertedCrop(const BitmapImageRep& source, const Rect& rect)
{
    std::shared_ptr<BitmapImageRep> crop;
    if (source.colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(source);
        if (!rgb)
            return nullptr;
        crop = std::make_shared<BitmapImageRep>(convertToWorkingBitmap(*rgb, rect));
    } else {
        crop = std::make_shared<BitmapImageRep>(convertToWorkingBitmap(source, rect));
    }
    return crop->isNull() ? nullptr : crop;
}

// Cut, conversion, auto levels and scaling of an opaque source in one pass: the histogram
// comes from the source rectangle and the levels tables are applied while resampling, so
// the full-size working bitmap is never made. The pixels are those of the step-by-step path.
std::shared_ptr<BitmapImageRep> scaledInOnePass(
    const RenderRequest& rq, HistoVals& histoVals, int width, int height, const RenderCancel* cancel)
{
    std::array<LookupTable, 3> tables;
    if (rq.autoLevelsIsOn) {
        if (autoLevelsNeedHistogram(histoVals, rq.autoLevelsIsLocked)) {
            vImagePixelCount counts[3][256];
            if (!sourceHistograms(*rq.source, rq.rect, counts[0], counts[1], counts[2]))
                return nullptr;
            storeAutoLevels(histoVals, counts[0], counts[1], counts[2]);
        }
        tables = autoLevelsTables(histoVals);
    }
    if (cancelled(cancel))
        return nullptr;
    BitmapImageRep scaled
        = convertLookUpAndScale(*rq.source, rq.rect, rq.autoLevelsIsOn ? &tables : nullptr, width, height);
    return scaled.isNull() ? nullptr : std::make_shared<BitmapImageRep>(std::move(scaled));
}

RenderResult abandoned()
{
    RenderResult r;
    r.kind = RenderResult::Kind::Abandoned;
    return r;
}

RenderResult failed(RenderResult r, const QString& reason)
{
    r.kind = RenderResult::Kind::Failed;
    r.output.reset();
    r.failure = reason;
    return r;
}

// `in` shrunk to w × h (no larger than it) by averaging the pixels each new one covers.
std::shared_ptr<BitmapImageRep> boxScaled(const BitmapImageRep& in, int w, int h)
{
    auto out = std::make_shared<BitmapImageRep>(BitmapImageRep::makeARGB(w, h));
    if (out->isNull())
        return nullptr;
    out->setColorProfile(in.colorProfile());
    const long long W = in.pixelsWide(), H = in.pixelsHigh();
    std::vector<int> columns(std::size_t(w) + 1);
    for (int x = 0; x <= w; ++x)
        columns[std::size_t(x)] = int(x * W / w);
    std::vector<std::uint32_t> sums(std::size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        const int top = int(y * H / h), bottom = std::max(top + 1, int((y + 1) * H / h));
        std::fill(sums.begin(), sums.end(), 0u);
        for (int sy = top; sy < bottom; ++sy) {
            const std::uint8_t* s = in.bitmapData() + std::size_t(sy) * in.bytesPerRow();
            for (int x = 0; x < w; ++x) {
                std::uint32_t* t = &sums[std::size_t(x) * 4];
                for (int sx = columns[std::size_t(x)]; sx < columns[std::size_t(x) + 1]; ++sx)
                    for (int c = 0; c < 4; ++c)
                        t[c] += s[4 * sx + c];
            }
        }
        std::uint8_t* d = out->bitmapData() + std::size_t(y) * out->bytesPerRow();
        for (int x = 0; x < w; ++x) {
            const std::uint32_t n
                = std::uint32_t(columns[std::size_t(x) + 1] - columns[std::size_t(x)]) * std::uint32_t(bottom - top);
            for (int c = 0; c < 4; ++c)
                d[4 * x + c] = std::uint8_t((sums[std::size_t(x) * 4 + c] + n / 2) / n);
        }
    }
    return out;
}

RenderResult render(const RenderRequest& rq, const RenderCancel* cancel)
{
    RenderResult r;
    r.rect = rq.rect;
    r.histoVals = rq.histoVals;
    const BitmapImageRep& source = *rq.source;
    const PixelRect pixels = pixelRectFor(rq.rect, source.pixelsHigh());
    if (pixels.width <= 0 || pixels.height <= 0)
        return r; // Empty
    if (rq.isPreview())
        r.size = { rq.previewWidth, rq.previewHeight, true, false, rq.previewShownWidth, rq.previewShownHeight };
    else
        r.size = outputSizeFor(int(pixels.width), int(pixels.height), rq.sizeSettings);
    const OutputSize& size = r.size;
    const bool opaque = convertsOpaque(source);
    std::shared_ptr<BitmapImageRep> work;
    // Opaque sources go straight to the output size, scaled or not.
    if (opaque)
        work = scaledInOnePass(rq, r.histoVals, size.width, size.height, cancel);
    if (cancelled(cancel))
        return abandoned();
    if (!work) {
        work = convertedCrop(source, rq.rect);
        if (!work)
            return failed(r, QStringLiteral("the crop could not be converted"));
        // A preview is made small first (a box average is plenty for a picture that is
        // replaced in a moment); its levels and effects then work on few pixels.
        const bool smallFirst = rq.isPreview() && size.scales && size.width <= work->pixelsWide()
            && size.height <= work->pixelsHigh();
        if (smallFirst) {
            work = boxScaled(*work, size.width, size.height);
            if (!work)
                return failed(r, QStringLiteral("there is not enough memory for the output size"));
        }
        if (rq.autoLevelsIsOn) {
            if (Status levels = applyAutoLevels(*work, r.histoVals, rq.autoLevelsIsLocked); !levels)
                return failed(r, levels.error());
        }
        if (cancelled(cancel))
            return abandoned();
        if (size.scales && !smallFirst) {
            auto scaled = std::make_shared<BitmapImageRep>(BitmapImageRep::makeARGB(size.width, size.height));
            if (scaled->isNull())
                return failed(r, QStringLiteral("there is not enough memory for the output size"));
            scaled->setColorProfile(source.colorProfile());
            vImage_Buffer src = bufferFor(*work);
            vImage_Buffer dst = bufferFor(*scaled);
            // A failed scale leaves the new bitmap undefined: show nothing rather than that.
            if (vImageScale_ARGB8888(
                    &src, &dst, nullptr, kvImageHighQualityResampling | kvImageDoNotTile | kvImageLeaveAlphaUnchanged)
                != kvImageNoError)
                return failed(r, QStringLiteral("the picture could not be scaled to the output size"));
            work = std::move(scaled);
        }
    }
    if (cancelled(cancel))
        return abandoned();
    // Correction, mirroring, invert, colour mode and sharpen, in this order (the result).
    BitmapImageRep& out = *work;
    auto effects = [&]() -> Status {
        // Mirroring commutes with the per-pixel effects, which run as one table and a mode pass.
        if (Status s = applyMirror(out, rq.flipVertical, rq.flipHorizontal); !s)
            return s;
        const PixelEffects pixelEffects { rq.pictureCorrectionIsOn, rq.gamma, rq.contrast, rq.red, rq.green, rq.blue,
            rq.invertIsOn, rq.outputModeTag };
        if (Status s = applyPixelEffects(out, pixelEffects); !s)
            return s;
        if (cancelled(cancel))
            return {};
        if (Status s = applySharpen(out, rq.sharpenLevel); !s)
            return s;
        // Multiplying by an alpha of 255 changes nothing: opaque pictures skip the pass.
        return opaque ? Status {} : premultiply(out);
    };
    if (Status done = effects(); !done)
        return failed(r, done.error());
    if (cancelled(cancel))
        return abandoned();
    // Borders, logo and captions are drawn onto the finished pixels.
    OutputDecorator* decorator = rq.decorator;
    std::optional<Decorator> own;
    if (rq.decorations) {
        const std::shared_ptr<const DecorationSnapshot> d = rq.decorations;
        own.emplace(d->settings, [d]() -> const QImage& { return d->logo; }, [d] { return d->sourcePath; });
        decorator = &*own;
    }
    if (decorator) {
        decorator->drawBorders(out);
        decorator->drawLogo(out);
        decorator->drawCaptions(out);
    }
    r.kind = RenderResult::Kind::Rendered;
    r.output = std::move(work);
    return r;
}

} // namespace

RenderResult runRender(const RenderRequest& request, const RenderCancel* cancel)
{
    const auto start = std::chrono::steady_clock::now();
    RenderResult result;
    // Memory running out anywhere in it ends the render like any other failure.
    try {
        result = render(request, cancel);
    } catch (const std::bad_alloc&) {
        result = failed(RenderResult {}, QStringLiteral("there is not enough memory to render the crop"));
        result.histoVals = request.histoVals;
    }
    result.rect = request.rect;
    result.preview = request.isPreview();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace quillum
