#pragma once
// The geometry of the crop frame's drawing, in view units (origin bottom-left, y up): the
// composition guides, the golden spiral, the handles and grips, the outlines and the turned
// frame. Pure data; the widget strokes what a FramePaintPlan says.

#include "platform/Geometry.h"

#include <QColor>
#include <QPainterPath>

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
    SoftCustom, // white at alpha 0.5 width 2, then the custom colour width 1
    SoftBlack, // as SoftCustom with black
    Pattern, // one stroke in the frame's texture pattern
};

struct FramePaintPlan {
    bool drawn = false; // false: nothing at all is painted
    Rect clip; // the dirty rectangle every stroke is clipped to
    QColor customColor;

    QPainterPath outline; // styles 0 and 1, or the whole turned frame
    FramePen outlinePen = FramePen::None;

    // Style 2: veil filled white at alpha 0.5, then the outer rectangle framed white at
    // alpha 0.7 width 1, then the inner one framed black width 0.3.
    bool hasVeil = false;
    QPainterPath veil;
    Rect veilOuterFrame;
    Rect veilInnerFrame;

    QPainterPath guides;
    FramePen guidesPen = FramePen::None;

    // Filled white, framed black width 1 (handles) or with a black inscribed oval (grips).
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
