#pragma once
// Screen captures for the capture commands: an area the user drags out over a frozen copy
// of the screen (Escape cancels), or the whole screen after a visible countdown.

#include <QImage>
#include <QRect>

namespace quillum {

// The rectangle between a press and a release, in either order, cut to `bounds`; empty
// when smaller than 2 x 2 (a click, not a drag).
QRect selectionRect(QPoint press, QPoint release, const QRect& bounds);

// Shows `screen` full screen and lets the user drag out an area; a null image if cancelled.
QImage selectAreaOf(const QImage& screen);

// Counts down `seconds` in a small window, then grabs the primary screen.
QImage grabScreenAfterCountdown(int seconds);

// The primary screen as it is now.
QImage grabScreen();

} // namespace quillum
