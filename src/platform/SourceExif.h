#pragma once
// Carrying a source file's EXIF into a file just encoded from it, by the one rule every
// saved file follows: the main image's tags only (no thumbnail, sub-images or maker notes,
// which describe the uncropped source), none that describe the source's own pixel layout,
// orientation 1 (the pixels written are upright) and the written picture's pixel size.
// Any thread.

#include <QByteArray>
#include <QString>

namespace quillum {

// Merges the EXIF of `sourcePath` into the encoded file `file` (a path encoded for the file
// system), in place. A source without readable EXIF changes nothing. Empty on success, else
// the reason. Running out of memory throws std::bad_alloc.
QString addSourceExif(const QByteArray& file, const QString& sourcePath, int width, int height);

} // namespace quillum
