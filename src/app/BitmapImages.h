#pragma once
// Bitmaps to QImages for painting, and the display copy of the source.

#include "platform/BitmapImageRep.h"

#include <QImage>
#include <QSize>

#include <functional>

class QPainter;

namespace quillum {

// A working bitmap (A,R,G,B bytes) as a QImage. `premultiplied` says what the bytes are.
QImage imageFromWorkingBitmap(const BitmapImageRep& bitmap, bool premultiplied);
// Any decoded bitmap (any layout) as a QImage of its whole picture.
QImage imageFromBitmap(const BitmapImageRep& bitmap);

// Device pixels per logical pixel of what a freshly begun painter draws on: the screen's
// ratio on screen, the target image's in QWidget::render() (QPainter::device() answers the
// widget there, not the target).
qreal paintRatio(const QPainter& painter);

// A copy of a large picture kept at the size it is shown at, so a repaint never resamples
// the full picture. Rebuilt only when the shown size changes by more than a pixel. A
// reduced copy, when there is one, stands in for the full picture wherever the picture is
// shown no larger than it; the full one is then converted only on zooming in past it.
class DisplayCopy {
public:
    void setSource(QImage full);
    // `fullSize`: the picture's size; `makeFull` converts the full picture when needed.
    void setSource(QSize fullSize, QImage reduced, std::function<QImage()> makeFull);
    // A reduced copy made later for the same picture: the full copy goes unless it is shown.
    void setReduced(QImage reduced);
    bool isNull() const { return m_fullSize.isEmpty(); }
    QSize fullSize() const { return m_fullSize; }
    bool holdsFullCopy() const { return !m_full.isNull(); }
    // `shown` is in device pixels: a copy at the logical size would be enlarged again on a
    // HiDPI screen and come out blurred. The copy carries `ratio` as its pixel ratio.
    const QImage& forSize(QSize shown, qreal ratio = 1.0);

private:
    const QImage& full();
    QSize m_fullSize;
    QImage m_full;
    QImage m_reduced;
    std::function<QImage()> m_makeFull;
    QImage m_scaled;
    bool m_scaledFromReduced = false;
};

} // namespace quillum
