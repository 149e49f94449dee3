#include "BitmapImageRep.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quillum {

const char* colorSpaceName(ColorSpace space)
{
    switch (space) {
    case ColorSpace::CalibratedRGB: return "Calibrated RGB";
    case ColorSpace::DeviceRGB: return "Device RGB";
    case ColorSpace::CalibratedWhite: return "Calibrated Gray";
    case ColorSpace::DeviceCMYK: return "Device CMYK";
    case ColorSpace::Other: break;
    }
    return "Other";
}

BitmapImageRep::BitmapImageRep(const Layout& layout) : m_layout(layout)
{
    if (layout.width <= 0 || layout.height <= 0 || layout.samplesPerPixel <= 0 || layout.bitsPerSample != 8)
        return;
    const std::size_t minRow = layout.planar
        ? std::size_t(layout.width)
        : std::size_t(layout.width) * std::size_t(std::max(layout.bitsPerPixel / 8, layout.samplesPerPixel));
    if (m_layout.bytesPerRow < minRow)
        m_layout.bytesPerRow = minRow;
    if (!layout.planar && m_layout.bitsPerPixel < layout.samplesPerPixel * 8)
        m_layout.bitsPerPixel = layout.samplesPerPixel * 8;
    if (layout.planar)
        m_layout.bitsPerPixel = 8;
    const std::size_t planes = std::size_t(numberOfPlanes());
    const std::size_t max = std::numeric_limits<std::size_t>::max();
    if (m_layout.bytesPerRow > max / std::size_t(layout.height) || planeBytes() > max / planes)
        return;
    m_data = std::make_unique_for_overwrite<std::uint8_t[]>(planeBytes() * planes);
}

BitmapImageRep BitmapImageRep::makeARGB(int width, int height)
{
    Layout layout;
    layout.width = width;
    layout.height = height;
    layout.bytesPerRow = std::size_t(width > 0 ? width : 0) * 4;
    return BitmapImageRep(layout);
}

BitmapImageRep BitmapImageRep::clone() const
{
    BitmapImageRep copy(m_layout);
    if (!isNull() && !copy.isNull())
        std::memcpy(copy.m_data.get(), m_data.get(), planeBytes() * std::size_t(numberOfPlanes()));
    copy.m_iccProfile = m_iccProfile;
    return copy;
}

bool BitmapImageRep::isWorkingFormat() const
{
    return !isNull() && m_layout.samplesPerPixel == 4 && !m_layout.planar && m_layout.bitsPerPixel == 32
        && m_layout.formatFlags == BitmapFormatAlphaFirst && m_layout.bytesPerRow == std::size_t(m_layout.width) * 4;
}

} // namespace quillum
