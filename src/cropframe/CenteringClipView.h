#pragma once
// The scroll arithmetic of a clip view that keeps a smaller document centred, and the
// decision which scroll bars the enclosing scroll view shows. Document units; the widget
// applies the scroll origin and the scroll bars this class computes.

#include "platform/Geometry.h"

namespace quillum {

class CenteringClipView {
public:
    // The room one scroll bar takes from the clip view while it shows.
    static constexpr double kScrollbarRoom = 15.0;

    // The document's size (the panel's frame); the scroll bars are decided again.
    void setDocumentSize(Size size);
    Size documentSize() const { return m_documentSize; }
    // The enclosing scroll view's frame (scroll bars included); the scroll bars are decided
    // again and the clip view gets what they leave.
    void setFrameSize(Size size);
    Size scrollViewSize() const { return m_scrollViewSize; }
    // The clip view's own frame: its bounds' size, the visible area.
    Size frameSize() const { return m_frameSize; }
    Point boundsOrigin() const { return m_origin; }

    // A scroll bar shows only along an axis the document does not fit, counting the room
    // the other scroll bar takes; an axis the document does not fill is centred.
    void updateScrollbars();
    bool hasHorizontalScrollbar() const { return m_hasHorizontalScrollbar; }
    bool hasVerticalScrollbar() const { return m_hasVerticalScrollbar; }

    // The visible centre: per axis, origin + half the bounds when the document is larger,
    // else half the document; rounded with roundf.
    Point centerPoint() const;
    // Scrolls so that p is in the middle where the document is larger than the bounds.
    void setCenterPoint(Point p);
    // The allowed scroll origin for p: within the document when it is larger than the
    // frame, else (d - f) / 2, so the document sits in the middle; single precision.
    Point constrainScrollPoint(Point p) const;
    void scrollToPoint(Point p) { m_origin = constrainScrollPoint(p); }

private:
    Size m_documentSize;
    Size m_scrollViewSize;
    Size m_frameSize;
    Point m_origin;
    bool m_hasHorizontalScrollbar = false;
    bool m_hasVerticalScrollbar = false;
};

} // namespace quillum
