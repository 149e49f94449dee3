#include "PkCenterImageView.h"

#include <algorithm>
#include <cmath>

namespace quillum {

void PkCenterImageView::setFrameSize(Size size)
{
    m_frameSize = size;
    m_clipView.setDocumentSize(size);
}

void PkCenterImageView::setScrollViewFrameSize(Size size)
{
    m_scrollViewFrameSize = size;
    m_clipView.setFrameSize(size);
}

Point PkCenterImageView::findCenterPoint() const
{
    const Point m = m_clipView.centerPoint();
    return { double(std::roundf(float(m.x / m_scale))), double(std::roundf(float(m.y / m_scale))) };
}

void PkCenterImageView::applyScale()
{
    setFrameSize({ m_pictureSize.width * m_scale, m_pictureSize.height * m_scale });
    m_clipView.setCenterPoint({ m_viewCenterPoint.x * m_scale, m_viewCenterPoint.y * m_scale });
}

float PkCenterImageView::fitScale() const
{
    return std::min(float(m_scrollViewFrameSize.width) / float(m_pictureSize.width),
        float(m_scrollViewFrameSize.height) / float(m_pictureSize.height));
}

} // namespace quillum
