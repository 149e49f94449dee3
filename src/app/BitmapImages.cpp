#include "BitmapImages.h"

#include "imaging/WorkingBitmap.h"

#include <QPainter>

#include <cmath>
#include <cstring>

namespace quillum {

QImage imageFromWorkingBitmap(const BitmapImageRep& bitmap, bool premultiplied)
{
    if (!bitmap.isWorkingFormat())
        return {};
    const int w = bitmap.pixelsWide(), h = bitmap.pixelsHigh();
    QImage image(w, h, premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = bitmap.bitmapData() + std::size_t(y) * bitmap.bytesPerRow();
        auto* d = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x, s += 4)
            d[x] = (QRgb(s[0]) << 24) | (QRgb(s[1]) << 16) | (QRgb(s[2]) << 8) | QRgb(s[3]);
    }
    return image;
}

QImage imageFromBitmap(const BitmapImageRep& bitmap)
{
    if (bitmap.isWorkingFormat())
        return imageFromWorkingBitmap(bitmap, false);
    if (bitmap.colorSpace() == ColorSpace::DeviceCMYK) {
        Result<BitmapImageRep> rgb = convertCMYKToRGB(bitmap);
        return rgb ? imageFromBitmap(*rgb) : QImage();
    }
    const BitmapImageRep argb
        = convertToWorkingBitmap(bitmap, Rect { 0, 0, double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) });
    return argb.isNull() ? QImage() : imageFromWorkingBitmap(argb, false);
}

void DisplayCopy::setSource(QImage full)
{
    m_fullSize = full.size();
    m_full = std::move(full);
    m_reduced = QImage();
    m_makeFull = nullptr;
    m_scaled = QImage();
}

void DisplayCopy::setSource(QSize fullSize, QImage reduced, std::function<QImage()> makeFull)
{
    m_fullSize = fullSize;
    m_full = QImage();
    m_reduced = std::move(reduced);
    m_makeFull = std::move(makeFull);
    m_scaled = QImage();
}

void DisplayCopy::setReduced(QImage reduced)
{
    if (m_fullSize.isEmpty() || reduced.isNull())
        return;
    m_reduced = std::move(reduced);
    m_scaled = QImage(); // the next paint scales the reduced copy when it is enough
}

const QImage& DisplayCopy::full()
{
    if (m_full.isNull() && m_makeFull)
        m_full = m_makeFull();
    return m_full;
}

qreal paintRatio(const QPainter& painter)
{
    const QTransform t = painter.deviceTransform();
    const qreal ratio = std::hypot(t.m11(), t.m12());
    return ratio > 0 && std::isfinite(ratio) ? ratio : 1.0;
}

const QImage& DisplayCopy::forSize(QSize shown, qreal ratio)
{
    if (m_fullSize.isEmpty() || shown.isEmpty())
        return full();
    if (shown.width() >= m_fullSize.width() || shown.height() >= m_fullSize.height())
        return full(); // at or above 100 %: the painter samples the full picture
    const bool fromReduced
        = !m_reduced.isNull() && shown.width() <= m_reduced.width() && shown.height() <= m_reduced.height();
    if (m_scaled.isNull() || fromReduced != m_scaledFromReduced || std::abs(m_scaled.width() - shown.width()) > 1
        || std::abs(m_scaled.height() - shown.height()) > 1) {
        const QImage& base = fromReduced ? m_reduced : full();
        m_scaled = base.isNull() ? QImage() : base.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaledFromReduced = fromReduced;
        // Shown from the reduced copy, the full one is not kept (it can be made again).
        if (fromReduced && m_makeFull)
            m_full = QImage();
    }
    m_scaled.setDevicePixelRatio(ratio);
    return m_scaled;
}

} // namespace quillum
