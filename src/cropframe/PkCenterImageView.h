#pragma once
// The state of a zoomable picture panel: the picture's size, the zoom `scale`, the
// `viewCenterPoint` that zooming keeps in the middle, and its centring clip view.
// The widget paints the picture stretched to frameSize().

#include "cropframe/CenteringClipView.h"
#include "platform/Geometry.h"

namespace quillum {

class PkCenterImageView {
public:
    virtual ~PkCenterImageView() = default;

    Size pictureSize() const { return m_pictureSize; }
    void setPictureSize(Size size) { m_pictureSize = size; }
    bool hasPicture() const { return m_pictureSize.width * m_pictureSize.height >= 1.0; }

    float scale() const { return m_scale; }
    void setScale(float scale) { m_scale = scale; }
    Point viewCenterPoint() const { return m_viewCenterPoint; }
    void setViewCenterPoint(Point p) { m_viewCenterPoint = p; }

    // View units to picture pixels (double precision).
    Point scaledPoint(Point viewPoint) const { return { viewPoint.x / m_scale, viewPoint.y / m_scale }; }

    // The panel's own frame: the picture size times the scale, after a zoom.
    Size frameSize() const { return m_frameSize; }
    void setFrameSize(Size size);

    // The enclosing scroll view's frame (scroll bars included).
    Size scrollViewFrameSize() const { return m_scrollViewFrameSize; }
    void setScrollViewFrameSize(Size size);

    CenteringClipView& clipView() { return m_clipView; }
    const CenteringClipView& clipView() const { return m_clipView; }

    // The visible centre in picture pixels: (roundf(m.x / scale), roundf(m.y / scale))
    // with m the clip view's centre point.
    Point findCenterPoint() const;
    // Frame = picture size * scale; the clip view centres on viewCenterPoint * scale.
    void applyScale();
    // min(scroll view width / picture width, scroll view height / picture height).
    float fitScale() const;

private:
    Size m_pictureSize;
    float m_scale = 1.0f;
    Point m_viewCenterPoint;
    Size m_frameSize;
    Size m_scrollViewFrameSize;
    CenteringClipView m_clipView;
};

} // namespace quillum
