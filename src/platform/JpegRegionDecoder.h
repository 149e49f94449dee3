#pragma once
// Decodes a JPEG's pixels with libjpeg-turbo straight into a bitmap of the picture's full
// size, decoding only the rows and columns one region needs (jpeg_skip_scanlines,
// jpeg_crop_scanline). Inside the region the pixels are those of a whole decode; outside
// it the bitmap is zero, its untouched pages never faulted in. Any thread; no shared state.
//
// Used behind decodeImageFile (ImageDecoder.h), which keeps the checks that come before
// pixels (loader allow-list, size and scan limits) and decodes whole through libvips
// whatever this declines.

#include "BitmapImageRep.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillum {

// Rows and columns of the stored picture, top row first (the decoder's own convention;
// callers convert from Geometry.h's bottom-left one).
struct PixelSpan {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class JpegRegionOutcome {
    Decoded,
    // Not a file whose partial decode is known to equal the whole one (progressive,
    // arithmetic-coded, CMYK, unusual sampling, a layout other than `bitmap`'s), or one on
    // which libjpeg warned or failed. The bitmap holds nothing useful.
    Declined,
    // keepGoing answered false between two strips.
    Stopped,
};

// Decodes `region` (clipped to the picture) of the complete JPEG `data` into `bitmap`,
// 8-bit grey or RGB, tightly packed, the picture's size. Every row after the region is
// still entropy-decoded, so damage anywhere in the file declines as a whole decode would
// report it.
JpegRegionOutcome decodeJpegRegion(const std::uint8_t* data, std::size_t size, PixelSpan region, BitmapImageRep& bitmap,
    const std::function<bool()>& keepGoing);

} // namespace quillum
