#include "WindowPosition.h"

#include <algorithm>
#include <cmath>

namespace quillum {

PositionCheck validatePosition(const Rect& frame, const Size& screen)
{
    // The screen's size passes through single precision before the comparisons.
    const double sw = double(float(screen.width));
    const double sh = double(float(screen.height));
    if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !std::isfinite(frame.width)
        || !std::isfinite(frame.height))
        return { frame, false };
    Rect r = frame;
    if (r.x + r.width < kReachabilityMargin)
        r.x = 0;
    if (r.y + r.height < kReachabilityMargin)
        r.y = 0;
    if (sw - r.x < kReachabilityMargin)
        r.x = sw - r.width;
    if (sh - r.y < kReachabilityMargin)
        r.y = sh - r.height;
    // Compared as a whole: a step may rewrite a value with itself (x already 0).
    return { r, r != frame };
}

namespace {

// QRect computes left + width - 1 in int: keeping each field within ±2^29 keeps that sum
// (and the int conversion) defined.
constexpr double kPointLimit = 1 << 29;

int toPoint(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(std::clamp(std::round(v), -kPointLimit, kPointLimit));
}

} // namespace

Rect toBottomLeft(const QRect& qtFrame, int screenHeight)
{
    // Widened first: top + height can pass int's range for frames Qt accepts.
    const double top = qtFrame.y();
    const double height = qtFrame.height();
    return { double(qtFrame.x()), double(screenHeight) - (top + height), double(qtFrame.width()), height };
}

QRect toTopLeft(const Rect& frame, int screenHeight)
{
    return { toPoint(frame.x), toPoint(double(screenHeight) - (frame.y + frame.height)), toPoint(frame.width),
        toPoint(frame.height) };
}

} // namespace quillum
