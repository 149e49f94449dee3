// Pointer, key, wheel, swipe and drop rules of the left panel. Every handler is a few
// arithmetic steps on the frame; a finished gesture is reported once, never per step.

#include "PkCroppingImageView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillum {
namespace {

// Point-in-rectangle with the far edges open, as hit-testing has always counted them.
bool contains(const Rect& r, Point p)
{
    return p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}

struct CentredFit {
    double start;
    double extent;
    bool fillsAxis; // both margins were negative: the frame now spans the whole axis
};

// The derived dimension, centred on the old centre line, brought back into [0, length].
CentredFit fitCentred(double start, double extent, double length)
{
    const double low = start, high = length - (start + extent);
    if (low < 0 && high < 0)
        return { 0, length, true };
    if (low < 0)
        return { 0, extent, false };
    if (high < 0)
        return { start + high, extent, false };
    return { start, extent, false };
}

} // namespace

int PkCroppingImageView::gripPoint(Point p) const
{
    const float s = m_selRect->activeHalfSize();
    const Rect r = m_selRect->scaledFrameWithScale(scale());
    static constexpr int order[] = { HandleTopLeft, HandleTopRight, HandleBottomLeft, HandleBottomRight, HandleLeft,
        HandleRight, HandleTop, HandleBottom, HandleRotation };
    for (int location : order)
        if (contains(makeActiveRectForRectAtHandleLocationWithHandleSize(r, location, s), p))
            return location;
    if (contains(makeActiveRectForRectAtHandleLocationWithHandleSize(r, HandleRotationInner, s), p))
        return HandleRotation;
    return contains(r, p) ? HandleInside : HandleNone;
}

void PkCroppingImageView::mouseDown(const MouseEvent& event)
{
    if (event.clickCount >= 2) {
        m_center.postNotificationName(notification::CropperWasDoubleClicked, this);
        return;
    }
    // A zero or broken zoom has no picture point to map the pointer to.
    if (!m_selRect->visible() || !hasPicture() || !(scale() > 0.0f) || !std::isfinite(scale()))
        return;
    const int g = gripPoint(event.locationInView);
    if (g <= 0)
        return;
    const Point q = scaledPoint(event.locationInView);
    m_dragOffsetPoint = q;
    m_originalDragRect = m_selRect->frame();
    m_selectionMoving = true;
    m_selectionMoveType = g;
    if (g == HandleRotation) {
        const Rect f = m_originalDragRect;
        m_centerOfRotation = { f.x + f.width / 2, f.y + f.height / 2 };
        m_offsetAngleOfRotation = float(std::atan2(m_centerOfRotation.x - q.x, m_centerOfRotation.y - q.y));
        m_angleOfRotation = 0.0f;
    }
    setNeedsDisplay();
}

void PkCroppingImageView::mouseDragged(const MouseEvent& event)
{
    if (!m_selectionMoving)
        return;
    const Point p = scaledPoint(event.locationInView);
    if (m_selectionMoveType == HandleRotation) {
        float angle
            = m_offsetAngleOfRotation - float(std::atan2(m_centerOfRotation.x - p.x, m_centerOfRotation.y - p.y));
        // The difference of two angles in (-pi, pi] may leave that range; bring it back so
        // a turn of 135 degrees is not reported as -225 (the picture would be the same, the
        // angle shown to the user would not).
        if (angle > float(std::numbers::pi))
            angle -= float(2 * std::numbers::pi);
        else if (angle <= -float(std::numbers::pi))
            angle += float(2 * std::numbers::pi);
        m_angleOfRotation = angle;
        setNeedsDisplay();
        return;
    }
    dragResize(m_selectionMoveType, p);
    setNeedsDisplay();
    postChange(notification::SelRectIsMoving);
}

void PkCroppingImageView::dragResize(int location, Point p)
{
    const Size size = pictureSize();
    const double W = size.width, H = size.height;
    const Point D = m_dragOffsetPoint;
    const Rect O = m_originalDragRect;
    Rect f = m_selRect->frame();
    const double left = p.x - (D.x - O.x);
    const double right = p.x + (O.width - D.x);
    const double bottom = p.y - (D.y - O.y);
    const double top = p.y + (O.height - D.y);

    if (location == HandleInside) {
        f.x = left;
        f.y = std::max(0.0, bottom);
        if (f.x < 0)
            f.x = 0;
        if (f.x + f.width > W)
            f.x = W - f.width;
        if (f.y + f.height > H)
            f.y = H - f.height;
        m_selRect->setFrame(f);
        return;
    }
    if (m_selRect->cropAspectRatio() != 0.0f) {
        if (location == HandleTopLeft || location == HandleTopRight || location == HandleBottomLeft
            || location == HandleBottomRight)
            dragLockedCorner(location, p, f);
        else
            dragLockedEdge(location, p, f);
        m_selRect->setFrame(f);
        return;
    }
    // Free ratio: each handle moves some of the four edges; the others keep their places.
    const bool movesLeft = location == HandleTopLeft || location == HandleLeft || location == HandleBottomLeft;
    const bool movesRight = location == HandleTopRight || location == HandleRight || location == HandleBottomRight;
    const bool movesTop = location == HandleTopLeft || location == HandleTop || location == HandleTopRight;
    const bool movesBottom = location == HandleBottomLeft || location == HandleBottom || location == HandleBottomRight;
    if (!(movesLeft || movesRight || movesTop || movesBottom))
        return;
    if (movesLeft) {
        f.x = std::max(0.0, left);
        f.width = (O.x + O.width) - f.x;
    }
    if (movesRight) {
        f.width = right;
        if (f.x + f.width > W)
            f.width = W - f.x;
    }
    if (movesBottom) {
        f.y = std::max(0.0, bottom);
        f.height = (O.y + O.height) - f.y;
    }
    if (movesTop) {
        f.height = top;
        if (f.y + f.height > H)
            f.height = H - f.y;
    }
    m_selRect->setFrame(f);
}

// Corners with a locked ratio: the width drives, the opposite corner stays.
void PkCroppingImageView::dragLockedCorner(int location, Point p, Rect& f) const
{
    const Size size = pictureSize();
    const double W = size.width, H = size.height;
    const double a = m_selRect->cropAspectRatio();
    const Point D = m_dragOffsetPoint;
    const Rect O = m_originalDragRect;
    const bool leftSide = location == HandleTopLeft || location == HandleBottomLeft;
    const bool topSide = location == HandleTopLeft || location == HandleTopRight;
    const double rightEdge = O.x + O.width;
    const double topEdge = f.y + f.height; // before this step
    if (leftSide) {
        f.x = std::max(0.0, p.x - (D.x - O.x));
        f.width = rightEdge - f.x;
    } else {
        f.width = p.x + (O.width - D.x);
        if (f.x + f.width > W)
            f.width = W - f.x;
    }
    f.height = float(f.width / a);
    if (!topSide)
        f.y = topEdge - f.height;
    const bool pastTop = topSide && f.y + f.height > H;
    const bool pastBottom = !topSide && f.y < 0;
    if (pastTop || pastBottom) {
        f.height = pastTop ? H - f.y : topEdge;
        if (pastBottom)
            f.y = 0;
        f.width = float(a * f.height);
        if (leftSide)
            f.x = rightEdge - f.width;
    }
}

// Edges with a locked ratio: the dragged edge drives its dimension, the other is centred
// on the frame's centre line and then fitted into the picture.
void PkCroppingImageView::dragLockedEdge(int location, Point p, Rect& f) const
{
    const Size size = pictureSize();
    const double W = size.width, H = size.height;
    const double a = m_selRect->cropAspectRatio();
    const Point D = m_dragOffsetPoint;
    const Rect O = m_originalDragRect;
    const Rect before = f;
    if (location == HandleTop || location == HandleBottom) {
        if (location == HandleTop) {
            f.height = p.y + (O.height - D.y);
            if (f.y + f.height > H)
                f.height = H - f.y;
        } else {
            f.y = std::max(0.0, p.y - (D.y - O.y));
            f.height = (O.y + O.height) - f.y;
        }
        const double topEdge = f.y + f.height;
        f.width = float(a * f.height);
        f.x = f.x + float((before.width - f.width) / 2);
        const CentredFit fit = fitCentred(f.x, f.width, W);
        f.x = fit.start;
        f.width = fit.extent;
        f.height = float(f.width / a);
        if (location == HandleBottom)
            f.y = topEdge - f.height;
        return;
    }
    const double rightEdge = f.x + f.width;
    if (location == HandleLeft) {
        f.x = std::max(0.0, p.x - (D.x - O.x));
        f.width = (O.x + O.width) - f.x;
    } else {
        f.width = p.x + (O.width - D.x);
        if (f.x + f.width > W)
            f.width = W - f.x;
    }
    const double fixedRight = location == HandleLeft ? O.x + O.width : rightEdge;
    f.height = float(f.width / a);
    f.y = f.y + float((before.height - f.height) / 2);
    const CentredFit fit = fitCentred(f.y, f.height, H);
    f.y = fit.start;
    f.height = fit.extent;
    f.width = float(a * f.height);
    if (location == HandleLeft)
        f.x = fixedRight - f.width;
}

void PkCroppingImageView::mouseUp(const MouseEvent&)
{
    m_selectionMoving = false;
    if (!m_selRect->visible())
        return;
    if (m_selectionMoveType == HandleRotation) {
        m_selRect->setCropAngle(m_angleOfRotation);
        m_lastManualRect = m_selRect->frame();
        postChange(notification::SelRectDidRotation);
    } else if (m_selectionMoveType != HandleNone) {
        // An edge dragged past its opposite edge leaves a negative size: turn it the right
        // way round (the user meant the frame between the two edges) and keep at least a
        // pixel, so no later rule divides by a zero side.
        Rect f = m_selRect->frame();
        if (f.width < 0) {
            f.x += f.width;
            f.width = -f.width;
        }
        if (f.height < 0) {
            f.y += f.height;
            f.height = -f.height;
        }
        f.width = std::max(f.width, 1.0);
        f.height = std::max(f.height, 1.0);
        m_selRect->setFrame(f);
        m_lastManualRect = f;
        postChange(notification::SelRectDidChange);
    }
    m_selectionMoveType = HandleNone;
    m_offsetAngleOfRotation = 0.0f;
    m_angleOfRotation = 0.0f;
    // The turned outline of a rotation drag must not outlive the release.
    setNeedsDisplay();
}

bool PkCroppingImageView::keyDown(const KeyEvent& event)
{
    if (!(event.modifierFlags & NumericPadKeyMask))
        return false;
    if (event.charactersIgnoringModifiers.isEmpty())
        return true; // dropped
    if (event.charactersIgnoringModifiers.size() != 1)
        return false;
    const char16_t key = event.charactersIgnoringModifiers.at(0).unicode();
    if (key != UpArrowFunctionKey && key != DownArrowFunctionKey && key != LeftArrowFunctionKey
        && key != RightArrowFunctionKey)
        return false;
    if (!hasPicture())
        return true;
    const double s = (event.modifierFlags & ControlKeyMask) ? 10 : 1;
    const bool resize = event.modifierFlags & ShiftKeyMask;
    const Size size = pictureSize();
    const double W = size.width, H = size.height;
    const double a = m_selRect->cropAspectRatio();
    m_movingSelWithByKyes = true;
    Rect f = m_selRect->frame();
    const bool vertical = key == UpArrowFunctionKey || key == DownArrowFunctionKey;

    if (!resize) {
        if (key == UpArrowFunctionKey) {
            f.y += s;
            if (f.y + f.height > H)
                f.y = H - f.height;
        } else if (key == DownArrowFunctionKey) {
            f.y -= s;
            if (f.y < 0)
                f.y = 0;
        } else if (key == LeftArrowFunctionKey) {
            f.x -= s;
            if (f.x < 0)
                f.x = 0;
        } else {
            f.x += s;
            if (f.x + f.width > W)
                f.x = W - f.width;
        }
    } else {
        const Rect before = f;
        if (key == UpArrowFunctionKey) {
            f.y += s;
            f.height = std::max(f.height - s, 1.0);
        } else if (key == DownArrowFunctionKey) {
            const double topEdge = f.y + f.height;
            f.y = std::max(0.0, f.y - s);
            f.height = topEdge - f.y;
            if (f.y + f.height > H)
                f.height = H - f.y;
        } else if (key == LeftArrowFunctionKey) {
            f.width = std::max(1.0, f.width - s);
        } else {
            f.width += s;
            if (f.x + f.width > W)
                f.width = W - f.x;
        }
        if (a != 0.0) {
            if (vertical) {
                const double h = f.height;
                f.width = float(a * f.height);
                f.x = f.x + float((before.width - f.width) / 2);
                const CentredFit fit = fitCentred(f.x, f.width, W);
                f.x = fit.start;
                f.width = fit.extent;
                f.height = float(f.width / a);
                f.y = f.y - (f.height - h); // the top edge stays
            } else {
                f.height = float(f.width / a);
                f.y = f.y + float((before.height - f.height) / 2);
                const CentredFit fit = fitCentred(f.y, f.height, H);
                f.y = fit.start;
                f.height = fit.extent;
                f.width = float(a * f.height);
            }
        }
    }
    m_selRect->setFrame(f);
    setNeedsDisplay();
    if (m_movingSelWithByKyes)
        postChange(notification::SelRectIsMoving);
    return true;
}

void PkCroppingImageView::keyUp(const KeyEvent&)
{
    if (!m_movingSelWithByKyes)
        return;
    m_movingSelWithByKyes = false;
    m_lastManualRect = m_selRect->frame();
    postChange(notification::SelRectDidChange);
}

bool PkCroppingImageView::scrollWheel(const ScrollWheelEvent& event)
{
    if (!(event.modifierFlags & ShiftKeyMask))
        return false;
    if (!hasPicture())
        return true;
    const double boost = (event.modifierFlags & ControlKeyMask) ? 3 : 1;
    const float d = float(event.subtype == 1 ? event.deltaY * boost : event.deltaY + event.deltaX * boost);
    if (!std::isfinite(d))
        return true;
    Rect f = m_selRect->frame();
    double dw = d, dh = d;
    // A frame without area has no proportion to keep: it grows alike in both directions.
    if (f.width > 0 && f.height > 0) {
        if (f.width > f.height)
            dh = float(f.height * d / f.width);
        else
            dw = float(f.width * d / f.height);
    }
    const Size size = pictureSize();
    const double W = size.width, H = size.height;
    if (d > 0) {
        if (W > f.width + dw && H > f.height + dw) {
            f = { f.x - dw, std::max(0.0, f.y - dh), f.width + 2 * dw, f.height + 2 * dh };
            if (f.x < 0)
                f.x = 0;
            if (f.x + f.width > W)
                f.x = W - f.width;
            if (f.y + f.height > H)
                f.y = H - f.height;
        }
    } else {
        f = { f.x - dw, f.y - dh, f.width + 2 * dw, f.height + 2 * dh };
    }
    f.width = std::max(f.width, 1.0);
    f.height = std::max(f.height, 1.0);
    m_selRect->setFrame(f);
    setNeedsDisplay();
    postChange(notification::SelRectIsMoving);
    m_timer->fireAfter(0.3, [this] { onTimer(); });
    return true;
}

void PkCroppingImageView::onTimer()
{
    m_timer->stop();
    m_lastManualRect = m_selRect->frame();
    postChange(notification::SelRectDidChange);
}

void PkCroppingImageView::swipeWithEvent(const SwipeEvent& event)
{
    if (event.deltaX > 0)
        m_center.postNotificationName(notification::GoToNextImageCommand);
    else if (event.deltaX < 0)
        m_center.postNotificationName(notification::GoToPrevImageCommand);
}

bool PkCroppingImageView::performDragOperation(void* pasteboard)
{
    m_droppingResult = false;
    m_center.postNotificationName(notification::InputFileWasDoppedIntoWell, pasteboard);
    return m_droppingResult;
}

void PkCroppingImageView::onDroppedInputFileCallback(const Notification&)
{
    m_droppingResult = true;
}

void PkCroppingImageView::viewDidEndLiveResize()
{
    m_center.postNotificationName(notification::CropperEndsLiveResize);
}

std::vector<CursorArea> PkCroppingImageView::cursorAreas() const
{
    const float s = m_selRect->activeHalfSize();
    const Rect r = m_selRect->scaledFrameWithScale(scale());
    static constexpr std::pair<int, CursorKind> order[] = {
        { HandleInside, CursorKind::Move },
        { HandleTopLeft, CursorKind::NorthWestSouthEast },
        { HandleTopRight, CursorKind::SouthWestNorthEast },
        { HandleBottomLeft, CursorKind::SouthWestNorthEast },
        { HandleBottomRight, CursorKind::NorthWestSouthEast },
        { HandleLeft, CursorKind::LeftRight },
        { HandleRight, CursorKind::LeftRight },
        { HandleTop, CursorKind::UpDown },
        { HandleBottom, CursorKind::UpDown },
        { HandleRotation, CursorKind::Rotation },
        { HandleRotationInner, CursorKind::Rotation },
    };
    std::vector<CursorArea> areas;
    areas.reserve(std::size(order));
    for (const auto& [location, cursor] : order) {
        const Rect area = makeActiveRectForRectAtHandleLocationWithHandleSize(r, location, s);
        if (!area.isEmpty())
            areas.push_back({ area, cursor });
    }
    return areas;
}

} // namespace quillum
