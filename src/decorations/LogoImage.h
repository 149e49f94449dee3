#pragma once
// Where a logo image comes from: a picture file, or the built-in sample mark.

#include "platform/Result.h"

#include <QImage>
#include <QString>

namespace quillum {

// The built-in "SampleLogo500": a simple mark with transparency, bundled as a resource.
QImage sampleLogoImage();

// Reads a logo file (turned by its EXIF orientation), premultiplied ARGB. Refuses files
// that are not pictures, are broken or too large; the error names the file and why.
[[nodiscard]] Result<QImage> readLogoImage(const QString& path);

} // namespace quillum
