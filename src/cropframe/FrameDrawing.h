#pragma once
// The geometry of the crop frame's drawing, in view units (origin bottom-left, y up): the
// composition guides, the golden spiral, the handles and grips, the outlines and the turned
// frame. Pure data; the widget strokes what a FramePaintPlan says.

#include "platform/Geometry.h"

#include <QBrush>
#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPen>

#include <array>

namespace quillum {

class ZentCropBorder;

// Appends the lines of guide type `type` for the rectangle r, each as a move-to plus line-to.
void drawGudes(QPainterPath& path, const Rect& r, int type);

// Appends eight quarter arcs of a golden spiral from the path's current point; the signs of
// w and h choose the corner the spiral starts from.
void drawSpiral(QPainterPath& path, float w, float h);

// Squares of side 2v centred on the corners: bottom-left, top-left, bottom-right, top-right.
std::array<Rect, 4> cornerHandleRects(const Rect& s, float v);
// The grip 3v beyond the top-right corner, then the one 3v inside it.
std::array<Rect, 2> rotationGripRects(const Rect& s, float v);

// Closed outline bottom-left -> top-left -> top-right -> bottom-right -> bottom-left.
QPainterPath frameOutlinePath(const Rect& s);
// The dirty rectangle and s under the even-odd rule: everything outside s is filled.
QPainterPath veilPath(const Rect& dirty, const Rect& s);

// Outline, centre and quarter lines, chevron and guides of `guideType`, turned by `radians`
// (counter-clockwise) about the frame's centre.
QPainterPath turnedFramePath(const Rect& s, int guideType, float radians);

enum class FramePen {
    None,
    Dashed, // white dashes, then black dashes offset by one dash
    SoftCustom, // a white halo at alpha 0.5, then the custom colour
    SoftBlack, // as SoftCustom with black
    Haloed, // a white line over a dark halo: reads on bright and dark photos alike
    Pattern, // one stroke in the frame's texture pattern
};

// The strokes that draw `pen`, in order. Widths are in view units (logical pixels), never
// cosmetic: a one-device-pixel line is a hairline on a HiDPI screen.
QList<QPen> frameStrokes(FramePen pen, const QColor& custom, const QBrush& pattern);

// Corner handles are drawn this much bigger than visibleHandleSize says, to be seen and hit on
// any screen, but never past their active area.
float drawnHandleHalfSide(const ZentCropBorder& border);
// Handles and grips are filled white and outlined with this pen.
QPen handleOutlinePen();

struct FramePaintPlan {
    bool drawn = false; // false: nothing at all is painted
    Rect clip; // the dirty rectangle every stroke is clipped to
    QColor customColor;

    QPainterPath outline; // the frame's outline, or the whole turned frame
    FramePen outlinePen = FramePen::None;

    // Style 2: the picture outside the frame is darkened by filling `veil` with `veilColor`;
    // the outline is then drawn haloed over it.
    bool hasVeil = false;
    QPainterPath veil;
    QColor veilColor;

    QPainterPath guides;
    FramePen guidesPen = FramePen::None;

    // Filled white and outlined (handles) or with an inscribed oval (grips).
    bool hasHandles = false;
    std::array<Rect, 4> handles {};
    std::array<Rect, 2> rotationGrips {};
};

// The normal drawing of the frame.
FramePaintPlan planFrameDrawing(const ZentCropBorder& border, const Rect& dirty, float scale, bool selected = true);
// The drawing while the rotation grip is dragged: one turned path, no handles.
FramePaintPlan planTurnedFrameDrawing(
    const ZentCropBorder& border, const Rect& dirty, float scale, float radians, bool selected = true);

} // namespace quillum
