#include "FrameDrawing.h"

#include "ZentCropBorder.h"

#include <QTransform>

#include <algorithm>

namespace quillum {

namespace {

// The guides divide by 1.618 itself, not by the golden ratio to full precision.
constexpr double kGolden = 1.618;
// The arc handle factor is a single-precision 0.55 used in double arithmetic.
constexpr double kArc = double(0.55f);

// Half the side of a drawn corner handle: 10 logical pixels across.
constexpr float kDrawnHandleHalfSide = 5.0f;
// Half black: the crop stands out clearly while what is cut away stays readable.
constexpr int kVeilAlpha = 128;

QPen stroke(const QBrush& brush, double width)
{
    return QPen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

void segment(QPainterPath& path, double x1, double y1, double x2, double y2)
{
    path.moveTo(x1, y1);
    path.lineTo(x2, y2);
}

void relativeCurve(QPainterPath& path, double c1x, double c1y, double c2x, double c2y, double ex, double ey)
{
    const QPointF p = path.currentPosition();
    path.cubicTo(p + QPointF(c1x, c1y), p + QPointF(c2x, c2y), p + QPointF(ex, ey));
}

void spiralFrom(QPainterPath& path, double x, double y, double w, double h)
{
    path.moveTo(x, y);
    drawSpiral(path, float(w), float(h));
}

// Harmonious triangles: a diagonal and the perpendiculars to it from the two other corners.
void harmonious(QPainterPath& path, const Rect& r, bool falling)
{
    const double x = r.x, y = r.y, w = r.width, h = r.height;
    const double d = w > h ? float(h * h / w) : float(w * w / h);
    if (!falling) {
        segment(path, x + w, y + h, x, y);
        if (w > h) {
            segment(path, x + w, y, x + w - d, y + h);
            segment(path, x, y + h, x + d, y);
        } else {
            segment(path, x + w, y, x, y + d);
            segment(path, x, y + h, x + w, y + h - d);
        }
    } else {
        segment(path, x + w, y, x, y + h);
        if (w > h) {
            segment(path, x + w, y + h, x + w - d, y);
            segment(path, x, y, x + d, y + h);
        } else {
            segment(path, x, y, x + w, y + d);
            segment(path, x + w, y + h, x, y + h - d);
        }
    }
}

// The two extra lines of the golden diagonal types 4 to 7.
void goldenExtras(QPainterPath& path, const Rect& r, int type)
{
    const double x = r.x, y = r.y, w = r.width, h = r.height;
    const double gw = float(w / kGolden), gh = float(h / kGolden);
    switch (type) {
    case 4:
        segment(path, x, y + h, x + w, y + gh);
        segment(path, x + w, y, x, y + h - gh);
        break;
    case 5:
        segment(path, x, y + h, x + w - gw, y);
        segment(path, x + w, y, x + gw, y + h);
        break;
    case 6:
        segment(path, x + w, y + h, x, y + gh);
        segment(path, x, y, x + w, y + h - gh);
        break;
    case 7:
        segment(path, x, y, x + w - gw, y + h);
        segment(path, x + w, y + h, x + gw, y);
        break;
    }
}

FramePen softPenFor(int style)
{
    switch (style) {
    case 0:
        return FramePen::Dashed;
    case 1:
        return FramePen::SoftCustom;
    case 2:
        return FramePen::SoftBlack;
    default:
        return FramePen::None;
    }
}

// Shared rules of both drawings: visibility, scale, selection and the clip.
bool startPlan(FramePaintPlan& plan, const ZentCropBorder& border, const Rect& dirty, float scale, bool selected)
{
    if (!border.visible() || scale == 0.0f || !selected)
        return false;
    plan.drawn = true;
    plan.clip = dirty;
    plan.customColor = border.customLineColor();
    return true;
}

} // namespace

QList<QPen> frameStrokes(FramePen pen, const QColor& custom, const QBrush& pattern)
{
    switch (pen) {
    case FramePen::None:
        return {};
    case FramePen::Dashed: {
        QPen white = stroke(Qt::white, 1.0);
        white.setDashPattern({ 4, 4 });
        QPen black = stroke(Qt::black, 1.0);
        black.setDashPattern({ 4, 4 });
        black.setDashOffset(4);
        return { white, black };
    }
    case FramePen::SoftCustom:
    case FramePen::SoftBlack:
        // The halo is one pixel wider than the line on each side, so it shows at 1x too.
        return { stroke(QColor(255, 255, 255, 128), 3.0),
            stroke(pen == FramePen::SoftCustom ? custom : QColor(Qt::black), 1.0) };
    case FramePen::Haloed:
        return { stroke(QColor(0, 0, 0, 180), 3.0), stroke(Qt::white, 1.0) };
    case FramePen::Pattern:
        return { stroke(pattern, 1.5) };
    }
    return {};
}

float drawnHandleHalfSide(const ZentCropBorder& border)
{
    return std::min(std::max(kDrawnHandleHalfSide, border.visibleHandleSize()), border.activeHalfSize());
}

QPen handleOutlinePen()
{
    return stroke(Qt::black, 1.0);
}

void drawGudes(QPainterPath& path, const Rect& r, int type)
{
    const double x = r.x, y = r.y, w = r.width, h = r.height;
    switch (type) {
    case 1:
        for (double f : { w / 3.0, 2.0 * w / 3.0 })
            segment(path, x + f, y, x + f, y + h);
        for (double f : { h / 3.0, 2.0 * h / 3.0 })
            segment(path, x, y + f, x + w, y + f);
        break;
    case 2: {
        const double gw = float(w / kGolden), gh = float(h / kGolden);
        for (double f : { gw, w - gw })
            segment(path, x + f, y, x + f, y + h);
        for (double f : { gh, h - gh })
            segment(path, x, y + f, x + w, y + f);
        break;
    }
    case 3: {
        const double w1 = float(w / 6.0), w5 = float(5.0 * w / 6.0);
        const double h1 = float(h / 6.0), h5 = float(5.0 * h / 6.0);
        segment(path, x + w1, y + h, x + w, y + h1);
        segment(path, x + w5, y + h, x, y + h1);
        segment(path, x + w1, y, x + w, y + h5);
        segment(path, x + w5, y, x, y + h5);
        break;
    }
    case 4:
    case 5:
        segment(path, x + w, y + h, x, y);
        goldenExtras(path, r, type);
        break;
    case 6:
    case 7:
        segment(path, x, y + h, x + w, y);
        goldenExtras(path, r, type);
        break;
    case 8:
        segment(path, x + w, y + h, x, y);
        segment(path, x, y + h, x + w, y);
        for (int t = 4; t <= 7; ++t)
            goldenExtras(path, r, t);
        break;
    case 9:
        spiralFrom(path, x, y + h, w, -h);
        break;
    case 10:
        spiralFrom(path, x, y, w, h);
        break;
    case 11:
        spiralFrom(path, x + w, y + h, -w, -h);
        break;
    case 12:
        spiralFrom(path, x + w, y, -w, h);
        break;
    case 13:
        spiralFrom(path, x, y, w, h);
        spiralFrom(path, x + w, y, -w, h);
        spiralFrom(path, x + w, y + h, -w, -h);
        spiralFrom(path, x, y + h, w, -h);
        break;
    case 18:
        harmonious(path, r, false);
        break;
    case 19:
        harmonious(path, r, true);
        break;
    case 20:
        harmonious(path, r, false);
        harmonious(path, r, true);
        break;
    case 21:
        segment(path, x + w / 2.0, y + h, x + w / 2.0, y);
        segment(path, x, y + h / 2.0, x + w, y + h / 2.0);
        break;
    case 22:
        segment(path, x, y, x + w, y + h);
        segment(path, x + w, y, x, y + h);
        break;
    default: // 0, negative, 14 to 17, above 22
        segment(path, x, y + h, x + w, y);
        segment(path, x, y, x + w, y + h);
        break;
    }
}

void drawSpiral(QPainterPath& path, float w, float h)
{
    static constexpr int kSigns[4][2] = { { -1, 1 }, { 1, 1 }, { 1, -1 }, { -1, -1 } }; // k mod 4
    for (int k = 1; k <= 8; ++k) {
        const double sx = kSigns[k % 4][0], sy = kSigns[k % 4][1];
        if (k % 2 == 1) {
            const double dx = sx * (w / kGolden), dy = sy * h;
            relativeCurve(path, 0.0, kArc * dy, dx - kArc * dx, dy, dx, dy);
            w = float(w - w / kGolden);
        } else {
            const double dx = sx * w, dy = sy * (h / kGolden);
            relativeCurve(path, kArc * dx, 0.0, dx, dy - kArc * dy, dx, dy);
            h = float(h - h / kGolden);
        }
    }
}

std::array<Rect, 4> cornerHandleRects(const Rect& s, float v)
{
    const double side = 2.0 * v;
    const auto at = [&](double cx, double cy) { return Rect { cx - v, cy - v, side, side }; };
    return { at(s.x, s.y), at(s.x, s.maxY()), at(s.maxX(), s.y), at(s.maxX(), s.maxY()) };
}

std::array<Rect, 2> rotationGripRects(const Rect& s, float v)
{
    const double side = 2.0 * v;
    return { Rect { s.maxX() + 2.0 * v, s.maxY() + 2.0 * v, side, side },
        Rect { s.maxX() - 4.0 * v, s.maxY() - 4.0 * v, side, side } };
}

QPainterPath frameOutlinePath(const Rect& s)
{
    QPainterPath path;
    path.moveTo(s.x, s.y);
    path.lineTo(s.x, s.maxY());
    path.lineTo(s.maxX(), s.maxY());
    path.lineTo(s.maxX(), s.y);
    path.lineTo(s.x, s.y);
    path.closeSubpath();
    return path;
}

QPainterPath veilPath(const Rect& dirty, const Rect& s)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(dirty.x, dirty.y, dirty.width, dirty.height);
    path.addRect(s.x, s.y, s.width, s.height);
    return path;
}

QPainterPath turnedFramePath(const Rect& s, int guideType, float radians)
{
    const double cx = s.x + s.width / 2.0, cy = s.y + s.height / 2.0;
    QPainterPath path;
    path.moveTo(s.x, s.y);
    path.lineTo(s.maxX(), s.y);
    path.lineTo(s.maxX(), s.maxY());
    path.lineTo(s.x, s.maxY());
    path.lineTo(s.x, s.y);

    segment(path, s.x - 100.0, cy, s.maxX() + 100.0, cy);
    segment(path, cx, s.y - 100.0, cx, s.maxY() + 100.0);

    for (double q : { double(float(s.width / 4.0)), double(float(3.0 * s.width / 4.0)) })
        segment(path, s.x + q, s.y, s.x + q, s.maxY());
    for (double q : { double(float(s.height / 4.0)), double(float(3.0 * s.height / 4.0)) })
        segment(path, s.x, s.y + q, s.maxX(), s.y + q);

    path.moveTo(cx - 10.0, s.maxY() - 10.0);
    path.lineTo(cx, s.maxY());
    path.lineTo(cx + 10.0, s.maxY() - 10.0);

    // Type 0 means "no guides" here too, although drawGudes maps it to the diagonals.
    if (guideType != 0)
        drawGudes(path, s, guideType);

    const double px = float(cx), py = float(cy);
    QTransform turn;
    turn.translate(px, py);
    turn.rotateRadians(radians);
    turn.translate(-px, -py);
    return turn.map(path);
}

FramePaintPlan planFrameDrawing(const ZentCropBorder& border, const Rect& dirty, float scale, bool selected)
{
    FramePaintPlan plan;
    if (!startPlan(plan, border, dirty, scale, selected))
        return plan;
    const Rect s = border.scaledFrameWithScale(scale);
    const float v = border.visibleHandleSize();

    switch (border.borderStyle()) {
    case 0:
    case 1:
        plan.outline = frameOutlinePath(s);
        plan.outlinePen = border.borderStyle() == 0 ? FramePen::Dashed : FramePen::SoftCustom;
        break;
    case 2:
        plan.hasVeil = true;
        plan.veil = veilPath(dirty, s);
        plan.veilColor = QColor(0, 0, 0, kVeilAlpha);
        plan.outline = frameOutlinePath(s);
        plan.outlinePen = FramePen::Haloed;
        break;
    default:
        break;
    }

    if (border.compositionGudes() != 0) {
        drawGudes(plan.guides, s, border.compositionGudes());
        plan.guidesPen = softPenFor(border.guidesStyle());
    }

    plan.hasHandles = true;
    plan.handles = cornerHandleRects(s, drawnHandleHalfSide(border));
    plan.rotationGrips = rotationGripRects(s, v);
    return plan;
}

FramePaintPlan planTurnedFrameDrawing(
    const ZentCropBorder& border, const Rect& dirty, float scale, float radians, bool selected)
{
    FramePaintPlan plan;
    if (!startPlan(plan, border, dirty, scale, selected))
        return plan;
    const Rect s = border.scaledFrameWithScale(scale);
    plan.outline = turnedFramePath(s, border.compositionGudes(), radians);
    const FramePen pen = softPenFor(border.borderStyle());
    plan.outlinePen = pen == FramePen::None ? FramePen::Pattern : pen;
    return plan;
}

} // namespace quillum
