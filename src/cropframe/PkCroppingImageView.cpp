// The constraint operations that place the crop frame.

#include "PkCroppingImageView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillum {

PkCroppingImageView::PkCroppingImageView(NotificationCenter& center, std::unique_ptr<OneShotTimer> wheelTimer)
    : m_center(center)
    , m_selRect(std::make_unique<ZentCropBorder>())
    , m_timer(wheelTimer ? std::move(wheelTimer) : makeEventLoopTimer())
{ }

PkCroppingImageView::~PkCroppingImageView() = default;

void PkCroppingImageView::setNeedsDisplay() const
{
    if (m_needsDisplay)
        m_needsDisplay();
}

void PkCroppingImageView::postChange(const QString& name)
{
    m_center.postNotificationName(name, m_selRect.get());
}

void PkCroppingImageView::selectMaxAtLocationWithAspect(const Rect& r, float aspect)
{
    if (!hasPicture())
        return;
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) {
        m_selRect->setFrame(r);
        return;
    }
    const float tenA = 10.0f * aspect;
    const float k = std::min(float(r.width / tenA), float(r.height / 10.0));
    const double width = 10.0 * double(aspect) * double(k);
    const double height = 10.0 * double(k);
    m_selRect->setFrame({ r.x + (r.width - width) / 2, r.y + (r.height - height) / 2, width, height });
}

void PkCroppingImageView::selectMaxAtLocationWithNotification(const Rect& r, bool notify)
{
    if (!hasPicture())
        return;
    selectMaxAtLocationWithAspect(r, m_selRect->cropAspectRatio());
    if (notify)
        postChange(notification::SelRectDidChange);
}

void PkCroppingImageView::selectMaxWithNotification(bool notify)
{
    const Size s = pictureSize();
    selectMaxAtLocationWithNotification({ 0, 0, s.width, s.height }, notify);
}

void PkCroppingImageView::selectMaxWithMarginWithNotification(float margin, bool notify)
{
    const Size s = pictureSize();
    const double mx = float(s.width * margin), my = float(s.height * margin);
    selectMaxAtLocationWithNotification({ mx, my, s.width - 2 * mx, s.height - 2 * my }, notify);
}

void PkCroppingImageView::adjustSelectionAspectWithNotification(bool notify)
{
    selectMaxAtLocationWithNotification(m_lastManualRect, notify);
}

void PkCroppingImageView::validateSelectionLocationWithNotification(bool notify)
{
    if (!hasPicture())
        return;
    const Size s = pictureSize();
    const float W = float(s.width), H = float(s.height);
    Rect f = m_selRect->frame();
    if (W < float(f.width) || H < float(f.height)) {
        // The frame's own proportion; a frame without area has none, so it becomes the
        // whole picture.
        const float proportion = f.width > 0 && f.height > 0 ? float(f.width / f.height) : 0.0f;
        selectMaxAtLocationWithAspect({ 0, 0, s.width, s.height }, proportion);
    } else {
        const Rect before = f;
        if (float(before.x + before.width) > W)
            f.x = W - float(f.width);
        if (float(before.y + before.height) > H)
            f.y = H - float(f.height);
        if (float(before.x) < 0.0f)
            f.x = 0;
        if (float(before.y) < 0.0f)
            f.y = 0;
        m_selRect->setFrame(f);
    }
    if (notify)
        postChange(notification::SelRectDidChange);
}

void PkCroppingImageView::rotateCropperBy90()
{
    const Rect f = m_selRect->frame();
    m_selRect->setFrame({ f.x + (f.width - f.height) / 2, f.y + (f.height - f.width) / 2, f.height, f.width });
}

void PkCroppingImageView::rotateCropperFor(float target)
{
    float q = float(std::remainder(double(m_selRect->preRotatedAngleDegs()) + 360000.0, 360.0));
    if (q < 0)
        q += 360.0f;
    int d = 270;
    const bool rightAngle = q == 0.0f || q == 90.0f || q == 180.0f || q == 270.0f;
    if (rightAngle && std::isfinite(target) && target == std::trunc(target)) {
        d = ((int(target) - int(q)) % 360 + 360) % 360;
        if (d != 0 && d != 90 && d != 180)
            d = 270;
    }
    const Size s = pictureSize();
    const double W = s.width, H = s.height;
    const Rect f = m_selRect->frame();
    switch (d) {
    case 0:
        return;
    case 90:
        m_selRect->setFrame({ H - f.y - f.height, f.x, f.height, f.width });
        return;
    case 180:
        m_selRect->setFrame({ W - f.x - f.width, H - f.y - f.height, f.width, f.height });
        return;
    default:
        m_selRect->setFrame({ f.y, W - f.x - f.width, f.height, f.width });
        return;
    }
}

void PkCroppingImageView::moveCropperByRotationOldSize(float previousDegrees, Size oldSize)
{
    const float delta = previousDegrees - m_selRect->preRotatedAngleDegs();
    const Rect f = m_selRect->frame();
    const double mx = f.x + f.width / 2 - float(oldSize.width / 2);
    const double my = f.y + f.height / 2 - float(oldSize.height / 2);
    const double theta = -double(delta) * std::numbers::pi / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    const double tx = mx * c - my * s, ty = mx * s + my * c;
    const Size now = pictureSize();
    m_selRect->setFrame({ f.x + (tx - mx) + (now.width - oldSize.width) / 2,
        f.y + (ty - my) + (now.height - oldSize.height) / 2, f.width, f.height });
}

Rect PkCroppingImageView::visibleRect() const
{
    const CenteringClipView& clip = clipView();
    if (clip.frameSize().width <= 0 || clip.frameSize().height <= 0)
        return {};
    return { clip.boundsOrigin().x, clip.boundsOrigin().y, clip.frameSize().width, clip.frameSize().height };
}

namespace {

Rect intersection(const Rect& a, const Rect& b)
{
    const double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const double x1 = std::min(a.maxX(), b.maxX()), y1 = std::min(a.maxY(), b.maxY());
    if (!(x1 > x0) || !(y1 > y0))
        return {};
    return { x0, y0, x1 - x0, y1 - y0 };
}

} // namespace

Rect PkCroppingImageView::makeActiveRectForRectAtHandleLocationWithHandleSize(
    const Rect& r, int location, float s) const
{
    const double x = r.x, y = r.y, w = r.width, h = r.height, S = s;
    const double v = m_selRect->visibleHandleSize();
    Rect area;
    switch (location) {
    case HandleTopLeft:
        area = { x - S, y + h - S, 2 * S, 2 * S };
        break;
    case HandleTop:
        area = { x + S, y + h - S, w - S, 2 * S };
        break;
    case HandleTopRight:
        area = { x + w - S, y + h - S, 2 * S, 2 * S };
        break;
    case HandleLeft:
        area = { x - S, y + S, 2 * S, h - S };
        break;
    case HandleInside:
        area = { x + S, y + S, w - S, h - S };
        break;
    case HandleRight:
        area = { x + w - S, y + S, 2 * S, h - S };
        break;
    case HandleBottomLeft:
        area = { x - S, y - S, 2 * S, 2 * S };
        break;
    case HandleBottom:
        area = { x + S, y - S, w - S, 2 * S };
        break;
    case HandleBottomRight:
        area = { x + w - S, y - S, 2 * S, 2 * S };
        break;
    case HandleRotation:
        area = { x + w + 3 * v - S, y + h + 3 * v - S, 2 * S, 2 * S };
        break;
    case HandleRotationInner:
        area = { x + w - 3 * v - S, y + h - 3 * v - S, 2 * S, 2 * S };
        break;
    default:
        area = r;
        break;
    }
    return intersection(area, visibleRect());
}

} // namespace quillum
