#include "CenteringClipView.h"

#include <algorithm>
#include <cmath>

namespace quillum {

void CenteringClipView::setFrameSize(Size size)
{
    m_frameSize = size;
    m_origin = constrainScrollPoint(m_origin);
}

Point CenteringClipView::centerPoint() const
{
    auto axis = [](double doc, double origin, double bounds) {
        return double(std::roundf(float(doc > bounds ? origin + bounds / 2 : doc / 2)));
    };
    return { axis(m_documentSize.width, m_origin.x, m_frameSize.width),
        axis(m_documentSize.height, m_origin.y, m_frameSize.height) };
}

void CenteringClipView::setCenterPoint(Point p)
{
    Point origin = m_origin;
    if (m_documentSize.width > m_frameSize.width)
        origin.x = std::roundf(float(p.x - m_frameSize.width / 2));
    if (m_documentSize.height > m_frameSize.height)
        origin.y = std::roundf(float(p.y - m_frameSize.height / 2));
    scrollToPoint(origin);
}

Point CenteringClipView::constrainScrollPoint(Point p) const
{
    auto axis = [](double point, double doc, double frame) {
        const float v
            = doc > frame ? std::max(std::min(float(point), float(doc - frame)), 0.0f) : float(doc - frame) / 2.0f;
        return double(std::roundf(v));
    };
    return { axis(p.x, m_documentSize.width, m_frameSize.width), axis(p.y, m_documentSize.height, m_frameSize.height) };
}

} // namespace quillum
