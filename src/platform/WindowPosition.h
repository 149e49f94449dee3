#pragma once
// Keeping floating panels reachable, and the one conversion between the bottom-left screen
// convention of UiServices and Qt's top-left global coordinates.
//
// Screen convention (UiServices): points, origin at the bottom-left corner of the main
// screen, y up. Qt: origin at the top-left corner of the primary screen, y down. Both
// describe the same virtual desktop; only the y axis is flipped about the main screen's
// height, so a frame keeps its size and its x.

#include "platform/Geometry.h"

#include <QRect>

namespace quillum {

// A panel keeps at least this many points of itself on the main screen.
inline constexpr double kReachabilityMargin = 64.0;

struct PositionCheck {
    Rect frame;
    bool changed = false; // frame differs from the one given: only then is it set
};

// Pulls a window frame back onto the main screen (bottom-left convention):
//   1. x + w < 64 → x = 0          2. y + h < 64 → y = 0
//   3. SW − x < 64 → x = SW − w    4. SH − y < 64 → y = SH − h
// Steps 3 and 4 see the x and y corrected by 1 and 2. SW and SH are `screen` rounded to
// single precision; pass {} when there is no screen (the steps still run, against 0 × 0).
// A frame with a non-finite field comes back unchanged.
PositionCheck validatePosition(const Rect& frame, const Size& screen);

// `screenHeight` is the height of the screen whose top-left corner is Qt's global origin.
// Qt's QRect is measured in whole points; toTopLeft rounds each field to the nearest one
// (halves away from zero), clamps it to ±2^29 and makes a non-finite field 0.
Rect toBottomLeft(const QRect& qtFrame, int screenHeight);
QRect toTopLeft(const Rect& frame, int screenHeight);

} // namespace quillum
