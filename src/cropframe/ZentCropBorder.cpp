#include "ZentCropBorder.h"

#include <cmath>

namespace quillum {

ZentCropBorder::ZentCropBorder()
    : m_color(QColor(128, 128, 128), Qt::Dense4Pattern)
{ }

Rect ZentCropBorder::scaledFrameWithScale(float s) const
{
    return { m_frame.x * s, m_frame.y * s, m_frame.width * s, m_frame.height * s };
}

void ZentCropBorder::setCropAspectRatioXY(float x, float y)
{
    const float a = y != 0.0f ? x / y : 0.0f;
    m_cropAspectRatio = std::isfinite(a) && a > 0.0f ? a : 0.0f;
}

} // namespace quillum
