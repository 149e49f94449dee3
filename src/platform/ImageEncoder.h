#pragma once
// Writing a working bitmap to JPEG, PNG, TIFF or WebP; the caller names the type, the path's
// extension is not consulted. JPEG without metadata goes through libjpeg (JpegWriter.h);
// everything else through the libvips savers, which embed the ICC profile (an RGB one that
// LittleCMS accepts: the samples written are RGB), with Exiv2 copying the source file's
// EXIF. Every file is written through a StagedFile (StagedFile.h), so a failed write never
// leaves a partial file at the target path; the encoders write straight into it and Exiv2
// edits it in place, so no whole encoded file is held in memory. Running out of memory is
// a failed save like any other, said as such.

#include "BitmapImageRep.h"
#include "ImageFileType.h"
#include "Result.h"

#include <QString>

namespace quillum {

struct EncodeOptions {
    int jpegQuality = 90; // 0..100 for JPEG and (lossy) WebP; libvips takes 1 at the least
    bool keepAlpha = false; // PNG, TIFF and WebP only; JPEG never has alpha
    // On: the ICC profile and the EXIF of `metadataSourcePath` (with orientation 1, since
    // the pixels are already upright) go into the file. Off: a JPEG is a plain JFIF file;
    // PNG, TIFF and WebP still carry the ICC profile.
    bool withMetadata = true;
    QString metadataSourcePath; // the original file; empty: no EXIF
    bool landscape = false; // a portrait bitmap is turned a quarter counter-clockwise
};

// `bitmap` is a working bitmap (A,R,G,B) whose colour is premultiplied by alpha, as the
// render leaves it; it is un-premultiplied for formats that keep alpha.
[[nodiscard]] Status writeWorkingBitmap(
    const BitmapImageRep& bitmap, const QString& path, ImageFileType type, const EncodeOptions& options = {});

// The working bitmap turned a quarter counter-clockwise into height × width: the top row
// becomes the left column, read bottom to top. Keeps the ICC profile; null when out of memory.
BitmapImageRep turnedCounterClockwise(const BitmapImageRep& bitmap);

} // namespace quillum
