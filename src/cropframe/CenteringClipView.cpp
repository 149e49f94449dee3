#include "CenteringClipView.h"

#include <algorithm>
#include <cmath>

namespace quillum {

namespace {

// The scroll origin moves in whole units, so an overhang below half a unit could not be
// scrolled to anyway: it needs no scroll bar. NaN sizes never need one.
bool overhangs(double document, double room)
{
    return float(document) - float(room) >= 0.5f;
}

} // namespace

void CenteringClipView::setDocumentSize(Size size)
{
    m_documentSize = size;
    updateScrollbars();
}

void CenteringClipView::setFrameSize(Size size)
{
    m_scrollViewSize = size;
    updateScrollbars();
}

void CenteringClipView::updateScrollbars()
{
    // Zero first: std::max then turns a NaN size into 0.
    const double w = std::max(0.0, m_scrollViewSize.width), h = std::max(0.0, m_scrollViewSize.height);
    bool horizontal = overhangs(m_documentSize.width, w);
    bool vertical = overhangs(m_documentSize.height, h);
    // One scroll bar narrows the other axis, which may then need its own.
    if (horizontal && !vertical)
        vertical = overhangs(m_documentSize.height, h - kScrollbarRoom);
    if (vertical && !horizontal)
        horizontal = overhangs(m_documentSize.width, w - kScrollbarRoom);
    m_hasHorizontalScrollbar = horizontal;
    m_hasVerticalScrollbar = vertical;
    m_frameSize = { std::max(0.0, w - (vertical ? kScrollbarRoom : 0.0)),
        std::max(0.0, h - (horizontal ? kScrollbarRoom : 0.0)) };
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
