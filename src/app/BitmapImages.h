#pragma once
// Bitmaps to QImages for painting, and the display copy of the source.

#include "platform/BitmapImageRep.h"

#include <QImage>
#include <QSize>

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
// the full picture. Rebuilt only when the shown size changes by more than a pixel.
class DisplayCopy {
public:
    void setSource(QImage full);
    bool isNull() const { return m_full.isNull(); }
    QSize fullSize() const { return m_full.size(); }
    // `shown` is in device pixels: a copy at the logical size would be enlarged again on a
    // HiDPI screen and come out blurred. The copy carries `ratio` as its pixel ratio.
    const QImage& forSize(QSize shown, qreal ratio = 1.0);

private:
    QImage m_full;
    QImage m_scaled;
};

} // namespace quillum
