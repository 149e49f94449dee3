#pragma once
// The working bitmap (8-bit A,R,G,B, interleaved, row bytes width*4, rows top first) and the
// one conversion that brings any decoded bitmap, or a rectangle of it, into that format.
// Rectangles are in source pixels, origin bottom-left (platform/Geometry.h).

#include "imaging/Effects.h"
#include "platform/BitmapImageRep.h"
#include "platform/Geometry.h"
#include "platform/Result.h"

#include <QString>

#include <array>

namespace quillum {

// The rows and columns a source rectangle covers: x, width and height truncated toward
// zero; the top row is trunc(sourceHeight - y - height), computed in floating point.
struct PixelRect {
    long x = 0;
    long top = 0;
    long width = 0;
    long height = 0;
};
PixelRect pixelRectFor(const Rect& rect, int sourceHeight);

// Converts `rect` of `source` into a new working bitmap carrying the source's colour
// profile. CMYK sources must be converted first (convertCMYKToRGB). Samples other than
// 8-bit integers, and rectangles not inside the source once truncated, give a null bitmap.
[[nodiscard]] BitmapImageRep convertToWorkingBitmap(const BitmapImageRep& source, const Rect& rect);

// True when the conversion gives every pixel of `source` alpha 255 (no alpha sample and
// no padding byte to take it from). The effects keep such a bitmap opaque.
bool convertsOpaque(const BitmapImageRep& source);

// The crop of an opaque packed-RGB or grey source, each colour channel through its table
// (null: none), scaled to exactly width x height as a working bitmap: the same pixels as
// converting, looking up and scaling one after the other, in one pass without the
// full-size intermediate. Null when the layout has no such path.
[[nodiscard]] BitmapImageRep convertLookUpAndScale(
    const BitmapImageRep& source, const Rect& rect, const std::array<LookupTable, 3>* tables, int width, int height);
// The histograms of R, G and B of what convertToWorkingBitmap(source, rect) would give,
// taken from the source directly; false when the layout has no such path.
[[nodiscard]] bool sourceHistograms(const BitmapImageRep& source, const Rect& rect, vImagePixelCount* red,
    vImagePixelCount* green, vImagePixelCount* blue);

// A same-size RGBA bitmap for a CMYK one, colour-managed (platform/ColorManagement.h).
[[nodiscard]] Result<BitmapImageRep> convertCMYKToRGB(const BitmapImageRep& cmyk);

// True unless the format carries the floating-point-samples flag.
bool isInteger(const BitmapImageRep& bitmap);

// "%i x %i (%i channels, %s, %s, %s)": height, width, samples per pixel, layout word,
// sample kind word, colour space name (at most 255 bytes).
QString imageInfoFor(const BitmapImageRep& bitmap);

} // namespace quillum
