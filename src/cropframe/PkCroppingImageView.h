#pragma once
// The left panel's model: the source picture's size and zoom (PkCenterImageView), the crop
// frame it owns, the constraint operations that place the frame, and the pointer, key,
// wheel, swipe and drop rules that edit it. Events arrive as plain structs in view units
// (origin bottom-left); finished gestures are reported through the notification centre.
// The widget translates Qt events into these calls and paints what drawing says.
// Main thread only.

#include "cropframe/CropEvents.h"
#include "cropframe/PkCenterImageView.h"
#include "cropframe/ZentCropBorder.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <functional>
#include <memory>
#include <vector>

namespace quillum {

// Handle locations: a numeric keypad laid on the frame (top row first).
enum HandleLocation : int {
    HandleNone = 0,
    HandleTopLeft = 1,
    HandleTop = 2,
    HandleTopRight = 3,
    HandleLeft = 4,
    HandleInside = 5,
    HandleRight = 6,
    HandleBottomLeft = 7,
    HandleBottom = 8,
    HandleBottomRight = 9,
    HandleRotation = 10, // the grip beyond the top-right corner
    HandleRotationInner = 11, // the grip inside it; hit-testing reports 10
};

enum class CursorKind { Move, NorthWestSouthEast, SouthWestNorthEast, LeftRight, UpDown, Rotation };

struct CursorArea {
    Rect rect; // view units
    CursorKind cursor;
};

class PkCroppingImageView : public PkCenterImageView {
public:
    explicit PkCroppingImageView(NotificationCenter& center = NotificationCenter::defaultCenter(),
        std::unique_ptr<OneShotTimer> wheelTimer = nullptr);
    ~PkCroppingImageView() override;

    ZentCropBorder* selRect() { return m_selRect.get(); }
    const ZentCropBorder* selRect() const { return m_selRect.get(); }

    Rect lastManualRect() const { return m_lastManualRect; }
    void setLastManualRect(const Rect& r) { m_lastManualRect = r; }

    // Called whenever the panel should be redrawn (the widget calls update()).
    void setNeedsDisplayHandler(std::function<void()> handler) { m_needsDisplay = std::move(handler); }
    void setNeedsDisplay() const;

    // --- Constraint operations ----------------------------------------------------------
    // With no picture shown (area below one pixel) they change nothing and post nothing.
    void selectMaxAtLocationWithAspect(const Rect& r, float aspect);
    void selectMaxAtLocationWithNotification(const Rect& r, bool notify);
    void selectMaxWithNotification(bool notify);
    void selectMaxWithMarginWithNotification(float margin, bool notify);
    void adjustSelectionAspectWithNotification(bool notify);
    void validateSelectionLocationWithNotification(bool notify);
    void rotateCropperBy90();
    void rotateCropperFor(float targetDegrees);
    void moveCropperByRotationOldSize(float previousDegrees, Size oldSize);
    // The active area of one handle for a frame in view units, cut to the visible part.
    Rect makeActiveRectForRectAtHandleLocationWithHandleSize(const Rect& r, int location, float s) const;
    // The visible part of the panel in view units (empty while it has no scroll view).
    Rect visibleRect() const;

    // --- Pointer, keys, wheel, swipe, drop ------------------------------------------------
    int gripPoint(Point viewPoint) const;
    void mouseDown(const MouseEvent& event);
    void mouseDragged(const MouseEvent& event);
    void mouseUp(const MouseEvent& event);
    // False when the event is not the panel's: the widget passes it on.
    bool keyDown(const KeyEvent& event);
    void keyUp(const KeyEvent& event);
    // False when the event is not the panel's (no Shift): the widget scrolls as usual.
    bool scrollWheel(const ScrollWheelEvent& event);
    void swipeWithEvent(const SwipeEvent& event);
    void onTimer();
    bool performDragOperation(void* pasteboard);
    void onDroppedInputFileCallback(const Notification& notification);
    void viewDidEndLiveResize();

    // The cursor areas, in the order the widget installs them.
    std::vector<CursorArea> cursorAreas() const;

    // Drag state, read by the drawing.
    bool selectionMoving() const { return m_selectionMoving; }
    int selectionMoveType() const { return m_selectionMoveType; }
    float angleOfRotation() const { return m_angleOfRotation; }
    bool movingSelWithByKyes() const { return m_movingSelWithByKyes; }
    bool droppingResult() const { return m_droppingResult; }

private:
    void postChange(const QString& name);
    void dragResize(int location, Point p);
    void dragLockedCorner(int location, Point p, Rect& f) const;
    void dragLockedEdge(int location, Point p, Rect& f) const;

    NotificationCenter& m_center;
    std::unique_ptr<ZentCropBorder> m_selRect;
    std::unique_ptr<OneShotTimer> m_timer;
    Rect m_lastManualRect;
    std::function<void()> m_needsDisplay;

    bool m_selectionMoving = false;
    int m_selectionMoveType = HandleNone;
    Point m_dragOffsetPoint;
    Rect m_originalDragRect;
    Point m_centerOfRotation;
    float m_offsetAngleOfRotation = 0.0f;
    float m_angleOfRotation = 0.0f;
    bool m_movingSelWithByKyes = false;
    bool m_droppingResult = false;
};

} // namespace quillum
