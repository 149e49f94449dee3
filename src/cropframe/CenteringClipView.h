#pragma once
// The scroll arithmetic of a clip view that keeps a smaller document centred. Document
// units; the widget applies the scroll origin this class computes.

#include "platform/Geometry.h"

namespace quillum {

class CenteringClipView {
public:
    void setDocumentSize(Size size) { m_documentSize = size; }
    Size documentSize() const { return m_documentSize; }
    // The clip view's own frame (its bounds' size: the visible area).
    void setFrameSize(Size size);
    Size frameSize() const { return m_frameSize; }
    Point boundsOrigin() const { return m_origin; }

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
    Size m_frameSize;
    Point m_origin;
};

} // namespace quillum
