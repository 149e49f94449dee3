#pragma once
// Bitmaps to QImages for painting, and the display copy of the source.

#include "platform/BitmapImageRep.h"

#include <QImage>
#include <QSize>

namespace quillum {

// A working bitmap (A,R,G,B bytes) as a QImage. `premultiplied` says what the bytes are.
QImage imageFromWorkingBitmap(const BitmapImageRep& bitmap, bool premultiplied);
// Any decoded bitmap (any layout) as a QImage of its whole picture.
QImage imageFromBitmap(const BitmapImageRep& bitmap);

// A copy of a large picture kept at the size it is shown at, so a repaint never resamples
// the full picture. Rebuilt only when the shown size changes by more than a pixel.
class DisplayCopy {
public:
    void setSource(QImage full);
    bool isNull() const { return m_full.isNull(); }
    QSize fullSize() const { return m_full.size(); }
    const QImage& forSize(QSize shown);

private:
    QImage m_full;
    QImage m_scaled;
};

} // namespace quillum
