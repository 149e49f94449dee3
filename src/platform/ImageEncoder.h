#pragma once
// Writing a working bitmap to JPEG, PNG or TIFF (chosen by the file's extension) through
// libvips. The file is written under a temporary name in the target folder and renamed
// into place, so a failed write never leaves a partial file at the target path.

#include "BitmapImageRep.h"
#include "Result.h"

#include <QString>

namespace quillum {

struct EncodeOptions {
    int jpegQuality = 90; // 1..100
    bool keepAlpha = false; // PNG and TIFF only; JPEG never has alpha
};

// `bitmap` is a working bitmap (A,R,G,B) whose colour is premultiplied by alpha, as the
// render leaves it; it is un-premultiplied for formats that keep alpha.
Status writeWorkingBitmap(const BitmapImageRep& bitmap, const QString& path, const EncodeOptions& options = {});

} // namespace quillum
