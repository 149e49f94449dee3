#pragma once
// Decoding image files into bitmaps, through libvips (pixels, ICC profile) and Exiv2
// (the property dictionary); a JPEG region straight through libjpeg (JpegRegionDecoder.h).
// Any thread may call these; they share no state.

#include "BitmapImageRep.h"
#include "Geometry.h"
#include "Result.h"
#include "VipsRuntime.h"

#include <QString>
#include <QVariantMap>

#include <chrono>
#include <memory>
#include <optional>

namespace quillum {

// A decoded file: the bitmap in the layout the decoder produced (interleaved, 8 bits per
// sample: grey, grey+alpha, RGB, RGBA or CMYK), its embedded ICC profile, and the file's
// property dictionary: top-level "Orientation" (int 1..8, absent when the file has none),
// "PixelWidth", "PixelHeight", and the sub-dictionaries "{TIFF}" and "{Exif}" holding
// the EXIF tags by their tag names ("Make", "Model", "DateTime", "DateTimeOriginal", ...).
struct DecodedBitmap {
    BitmapImageRep bitmap;
    QVariantMap properties;
    // A reduced working copy made alongside, when the decoder's caller asks for one.
    std::shared_ptr<const BitmapImageRep> reduced;
};

// Only photo formats are decoded: JPEG, PNG, TIFF, WebP, HEIF/AVIF and GIF, told
// by their content, never by the file's name. A JPEG whose data is complete but lacks its
// final end-of-image marker is decoded; one cut short is refused.
struct DecodeOptions {
    // Files whose header claims more pixels than this are refused before decoding.
    qint64 maxPixels = qint64(200) * 1000 * 1000;
    // Each progressive scan is a pass over the whole picture, so a small file of thousands
    // of empty scans costs minutes; real files have about ten. Refused before decoding.
    int maxProgressiveScans = 100;
    // A decode still running after this is stopped at its next strip and reported.
    std::chrono::milliseconds timeLimit { 20000 };
    // Borrowed, may be null: lets another thread stop the decode.
    CancelToken* cancel = nullptr;
    // Set when only this part of the picture will be read (source pixels, Geometry.h's
    // convention, clipped to the picture; stored pixels, before any turn by the EXIF
    // orientation): a baseline grey or colour JPEG file then decodes only the rows and
    // columns it covers, into a bitmap of the full size that is zero elsewhere; inside the
    // part its pixels are those of a whole decode. Any other file, and any JPEG where that
    // cannot be sure, is decoded whole.
    std::optional<Rect> region {};
};

Result<DecodedBitmap> decodeImageFile(const QString& path, const DecodeOptions& options = {});
Result<DecodedBitmap> decodeImageData(const QByteArray& data, const DecodeOptions& options = {});

// What a decode of `path` stopped by its time limit reports, for a caller that stops
// waiting for it first.
Error decodeTookTooLong(const QString& path, std::chrono::milliseconds limit);

// Reads only the property dictionary (no pixels); empty map when there is none.
QVariantMap readImageProperties(const QString& path);

} // namespace quillum
