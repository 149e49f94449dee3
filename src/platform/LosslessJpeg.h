#pragma once
// The lossless JPEG crop: the source's compressed blocks are copied, not decoded and
// encoded again (TurboJPEG's transform), so the crop loses nothing. Rectangles here are in
// the JPEG's own pixels with the origin at the top-left, rows down (unlike model code). Its
// left and top edges must lie on the MCU grid (8 or 16 pixels, by the chroma subsampling);
// the right and bottom edges may be anywhere inside the picture. Any thread.

#include "Result.h"

#include <QByteArray>
#include <QString>

namespace quillum {

struct JpegRect {
    int x = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const JpegRect&, const JpegRect&) = default;
};

struct JpegLayout {
    int width = 0;
    int height = 0;
    int mcuWidth = 8; // the grid a crop's left edge must lie on
    int mcuHeight = 8; // and its top edge
    bool cmyk = false; // CMYK or YCCK: the normal save turns these into RGB
};

// The size and MCU grid of the JPEG file at `path`, read from its header.
[[nodiscard]] Result<JpegLayout> readJpegLayout(const QString& path);

// The smallest rectangle on the grid that still covers `rect`: the left and top edges move
// left and up to the grid, the right and bottom edges stay. Snapping to the nearest line
// instead could cut off up to half an MCU the user framed.
JpegRect snapToMcuGrid(const JpegRect& rect, int mcuWidth, int mcuHeight);

struct LosslessJpegOptions {
    // On: the ICC profile (when it is an RGB one the colour engine accepts) and the source
    // file's EXIF, with orientation 1, as the normal JPEG save writes them. Off: a plain file.
    bool withMetadata = true;
    QByteArray iccProfile; // the decoded source's profile; may be empty
};

// The crop of the JPEG file `sourcePath` as a complete JPEG file in memory, with the ICC
// profile added when `options` asks for it (no EXIF yet). `rect` must lie inside the picture
// with its left and top edges on the grid. The message describes what is wrong with the source.
[[nodiscard]] Result<QByteArray> cropJpegLosslessly(
    const QString& sourcePath, const JpegRect& rect, const LosslessJpegOptions& options);

// Writes a JPEG made by cropJpegLosslessly to `target` through a StagedFile, adding the EXIF
// of `exifSourcePath` (orientation 1, the pixel size `width` × `height`) when that is not
// empty. A failure leaves no file at `target` and names it.
[[nodiscard]] Status writeCroppedJpeg(
    const QByteArray& jpeg, const QString& target, const QString& exifSourcePath, int width, int height);

// Both steps: the lossless crop of `sourcePath` written to `target`.
[[nodiscard]] Status writeLosslessJpegCrop(
    const QString& sourcePath, const JpegRect& rect, const QString& target, const LosslessJpegOptions& options);

} // namespace quillum
