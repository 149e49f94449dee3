#pragma once
// The crop frame: its rectangle in picture pixels (origin bottom-left, platform/Geometry.h),
// its locked aspect ratio, the angles of the last rotation drag and of the source, and the
// styles it is drawn with. One instance, owned by the left panel, for the program's life.
// Main thread only.

#include "platform/Geometry.h"

#include <QBrush>
#include <QColor>

namespace quillum {

class ZentCropBorder {
public:
    ZentCropBorder();
    // The frame a new panel starts with, until a picture's opening rule replaces it.
    static constexpr Rect kInitialFrame { 30, 45, 557, 518 };

    Rect frame() const { return m_frame; }
    void setFrame(const Rect& frame) { m_frame = frame; }

    float xPosition() const { return float(m_frame.x); }
    float yPosition() const { return float(m_frame.y); }
    float width() const { return float(m_frame.width); }
    float height() const { return float(m_frame.height); }
    void setXPosition(float x) { m_frame.x = x; }
    void setYPosition(float y) { m_frame.y = y; }
    void setWidth(float w) { m_frame.width = w; }
    void setHeight(float h) { m_frame.height = h; }

    // The frame in view units: all four components times s.
    Rect scaledFrameWithScale(float s) const;

    // a = X / Y, 0 for free. A Y of 0 (or a ratio that is not finite) also means free:
    // nothing downstream may divide by a zero or infinite ratio.
    void setCropAspectRatioXY(float x, float y);
    float cropAspectRatio() const { return m_cropAspectRatio; }

    // Radians, counter-clockwise positive: the last rotation drag.
    float cropAngle() const { return m_cropAngle; }
    void setCropAngle(float radians) { m_cropAngle = radians; }
    // Degrees, counter-clockwise positive: the source's absolute rotation.
    float preRotatedAngleDegs() const { return m_preRotatedAngleDegs; }
    void setPreRotatedAngleDegs(float degrees) { m_preRotatedAngleDegs = degrees; }

    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    float handleSize() const { return m_handleSize; }
    float visibleHandleSize() const { return m_visibleHandleSize; }
    // Half the side of a handle's active area in view units; what is drawn must fit inside.
    float activeHalfSize() const { return 2.0f * m_handleSize; }

    int compositionGudes() const { return m_compositionGudes; }
    void setCompositionGudes(int type) { m_compositionGudes = type; }
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style) { m_borderStyle = style; }
    int guidesStyle() const { return m_guidesStyle; }
    void setGuidesStyle(int style) { m_guidesStyle = style; }

    QColor customLineColor() const { return m_customLineColor; }
    void setCustomLineColor(const QColor& color) { m_customLineColor = color; }
    // The texture pattern the turned frame is drawn with.
    const QBrush& color() const { return m_color; }
    void setColor(const QBrush& pattern) { m_color = pattern; }

private:
    Rect m_frame = kInitialFrame;
    QBrush m_color;
    QColor m_customLineColor = Qt::black;
    bool m_visible = true;
    float m_handleSize = 4.0f;
    float m_visibleHandleSize = 4.0f;
    float m_cropAspectRatio = 0.0f;
    float m_cropAngle = 0.0f;
    float m_preRotatedAngleDegs = 0.0f;
    int m_compositionGudes = 1;
    int m_borderStyle = 0;
    int m_guidesStyle = 0;
};

} // namespace quillum
