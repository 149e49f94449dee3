#pragma once
// JPEG without metadata through libjpeg, written through a StagedFile.

#include "BitmapImageRep.h"
#include "Result.h"

#include <QString>

namespace quillum {

// Writes an 8-bit interleaved bitmap (RGB, RGBA or the A,R,G,B working format) as a baseline
// JFIF JPEG with libjpeg's defaults: no EXIF, no ICC profile, no other markers. Alpha is
// dropped as stored, without compositing. `quality` is libjpeg's 0..100 scale (clamped).
// The folder must exist; every failure (folder, open, libjpeg, disk full) is returned and
// leaves nothing at `path`.
[[nodiscard]] Status saveNSBitmapImageRepWithLibJpeg(const BitmapImageRep& bitmap, const QString& path, int quality);

} // namespace quillum
