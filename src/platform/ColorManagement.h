#pragma once
// Colour-managed conversions through LittleCMS (inside libvips).

#include "BitmapImageRep.h"
#include "Result.h"

namespace quillum {

// A CMYK bitmap (4 interleaved 8-bit samples, no alpha) drawn into RGBA: a same-size bitmap,
// 4 samples with alpha last (A = 255), calibrated RGB, row bytes width*4. The transform uses
// the bitmap's embedded profile, or libvips' built-in CMYK profile when it has none, into
// sRGB. The result carries no profile (it is sRGB now): the CMYK profile would describe
// the new RGB pixels wrongly wherever it went next, for example into a saved file.
Result<BitmapImageRep> convertCMYKBitmapToRGBA(const BitmapImageRep& cmyk);

} // namespace quillum
