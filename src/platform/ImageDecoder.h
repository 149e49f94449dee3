#pragma once
// Decoding image files into bitmaps, through libvips (pixels, ICC profile) and Exiv2
// (the property dictionary). Any thread may call these; they share no state.

#include "BitmapImageRep.h"
#include "Result.h"

#include <QString>
#include <QVariantMap>

namespace quillum {

// A decoded file: the bitmap in the layout the decoder produced (interleaved, 8 bits per
// sample: grey, grey+alpha, RGB, RGBA or CMYK), its embedded ICC profile, and the file's
// property dictionary: top-level "Orientation" (int 1..8, absent when the file has none),
// "PixelWidth", "PixelHeight", and the sub-dictionaries "{TIFF}" and "{Exif}" holding
// the EXIF tags by their tag names ("Make", "Model", "DateTime", "DateTimeOriginal", ...).
struct DecodedBitmap {
    BitmapImageRep bitmap;
    QVariantMap properties;
};

struct DecodeOptions {
    // Files whose header claims more pixels than this are refused before decoding.
    qint64 maxPixels = qint64(200) * 1000 * 1000;
};

Result<DecodedBitmap> decodeImageFile(const QString& path, const DecodeOptions& options = {});
Result<DecodedBitmap> decodeImageData(const QByteArray& data, const DecodeOptions& options = {});

// Reads only the property dictionary (no pixels); empty map when there is none.
QVariantMap readImageProperties(const QString& path);

} // namespace quillum
