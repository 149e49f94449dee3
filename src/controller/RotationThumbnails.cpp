#include "RotationThumbnails.h"

#include "imaging/Effects.h"
#include "imaging/WorkingBitmap.h"
#include "platform/vimage.h"

#include <algorithm>
#include <cmath>

namespace quillum {

RotationThumbnails::~RotationThumbnails()
{
    for (Worker& w : m_workers)
        w.thread.join();
}

void RotationThumbnails::setPixelRatio(double ratio)
{
    m_pixelRatio = std::isfinite(ratio) ? std::clamp(ratio, 1.0, 4.0) : 1.0;
}

BitmapImageRep RotationThumbnails::thumbnailOf(const BitmapImageRep& picture, double pixelRatio)
{
    const int w = picture.pixelsWide(), h = picture.pixelsHigh();
    if (w <= 0 || h <= 0)
        return {};
    const double k = 36.0 * pixelRatio / std::max(w, h);
    const int tw = std::max(1, int(std::lround(w * k))), th = std::max(1, int(std::lround(h * k)));
    BitmapImageRep full = convertToWorkingBitmap(picture, Rect { 0, 0, double(w), double(h) });
    if (full.isNull())
        return {};
    BitmapImageRep thumb = BitmapImageRep::makeARGB(tw, th);
    if (thumb.isNull())
        return {};
    const vImage_Buffer in = bufferFor(full), out = bufferFor(thumb);
    if (vImageScale_ARGB8888(&in, &out, nullptr, kvImageHighQualityResampling) != kvImageNoError)
        return {};
    return thumb;
}

BitmapImageRep RotationThumbnails::reducedCopy(const BitmapImageRep& picture, int longSide)
{
    const int w = picture.pixelsWide(), h = picture.pixelsHigh();
    if (w <= 0 || h <= 0 || longSide <= 0)
        return {};
    const Rect whole { 0, 0, double(w), double(h) };
    if (picture.colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(picture);
        return rgb ? reducedCopy(*rgb, longSide) : BitmapImageRep {};
    }
    if (std::max(w, h) <= longSide)
        return convertToWorkingBitmap(picture, whole);
    const double k = double(longSide) / std::max(w, h);
    const int rw = std::max(1, int(std::lround(w * k))), rh = std::max(1, int(std::lround(h * k)));
    // Straight from the source when its layout allows, without a full-size working copy.
    if (convertsOpaque(picture)) {
        BitmapImageRep reduced = convertLookUpAndScale(picture, whole, nullptr, rw, rh);
        if (!reduced.isNull())
            return reduced;
    }
    BitmapImageRep full = convertToWorkingBitmap(picture, whole);
    if (full.isNull())
        return {};
    BitmapImageRep reduced = BitmapImageRep::makeARGB(rw, rh);
    if (reduced.isNull())
        return {};
    reduced.setColorProfile(picture.colorProfile());
    const vImage_Buffer in = bufferFor(full), out = bufferFor(reduced);
    if (vImageScale_ARGB8888(&in, &out, nullptr, kvImageHighQualityResampling | kvImageLeaveAlphaUnchanged)
        != kvImageNoError)
        return {};
    return reduced;
}

RotationThumbnails::Set RotationThumbnails::setFor(const BitmapImageRep& picture, double pixelRatio)
{
    BitmapImageRep shown = thumbnailOf(picture, pixelRatio);
    if (shown.isNull())
        return {};
    // -90 (a quarter clockwise), 180 and +90 (counter-clockwise).
    const std::uint8_t constants[3] = { 3, 2, 1 };
    const vImage_Buffer in = bufferFor(shown);
    Set set;
    for (int i = 0; i < 3; ++i) {
        const bool swaps = constants[i] != 2;
        BitmapImageRep turned = BitmapImageRep::makeARGB(
            swaps ? shown.pixelsHigh() : shown.pixelsWide(), swaps ? shown.pixelsWide() : shown.pixelsHigh());
        if (turned.isNull())
            return {};
        const vImage_Buffer out = bufferFor(turned);
        if (vImageRotate90_ARGB8888(&in, &out, constants[i], nullptr, kvImageNoFlags) != kvImageNoError)
            return {};
        set[std::size_t(i) + 1] = std::make_shared<BitmapImageRep>(std::move(turned));
    }
    set[0] = std::make_shared<BitmapImageRep>(std::move(shown));
    return set;
}

void RotationThumbnails::reap()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        bool done;
        {
            std::lock_guard lock(m_mutex);
            done = *it->finished;
        }
        if (done) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void RotationThumbnails::start(std::shared_ptr<const BitmapImageRep> picture,
    std::shared_ptr<const BitmapImageRep> madeReduced, std::function<void()> ready)
{
    reap();
    if (!picture)
        return;
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        generation = ++m_generation;
    }
    auto finished = std::make_shared<bool>(false);
    m_workers.push_back({ std::thread([this, picture, madeReduced, ready, finished, generation,
                                         hook = m_beforePublish, ratio = m_pixelRatio] {
                             // Drawn from the reduced copy: no full-size working bitmap.
                             std::shared_ptr<const BitmapImageRep> reduced = madeReduced;
                             if (!reduced) {
                                 BitmapImageRep made = reducedCopy(*picture, kReducedLongSide);
                                 if (!made.isNull())
                                     reduced = std::make_shared<const BitmapImageRep>(std::move(made));
                             }
                             Set set;
                             if (reduced)
                                 set = setFor(*reduced, ratio);
                             if (hook)
                                 hook();
                             {
                                 std::lock_guard lock(m_mutex);
                                 // A newer picture's set may already be there; an older one
                                 // finishing late must not replace it.
                                 if (generation == m_generation) {
                                     m_ready = std::move(set);
                                     m_reduced = { std::move(reduced), picture };
                                 }
                                 *finished = true;
                             }
                             if (ready)
                                 ready();
                         }),
        finished });
}

RotationThumbnails::Set RotationThumbnails::take()
{
    std::lock_guard lock(m_mutex);
    return m_ready;
}

RotationThumbnails::Reduced RotationThumbnails::takeReduced()
{
    std::lock_guard lock(m_mutex);
    return m_reduced;
}

} // namespace quillum
