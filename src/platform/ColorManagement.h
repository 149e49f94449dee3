#pragma once
// Colour-managed conversions and profile checks through LittleCMS (also inside libvips).

#include "BitmapImageRep.h"
#include "Result.h"

namespace quillum {

// A CMYK bitmap (4 interleaved 8-bit samples, no alpha) drawn into RGBA: a same-size bitmap,
// 4 samples with alpha last (A = 255), calibrated RGB, row bytes width*4. The transform uses
// the bitmap's embedded profile, or libvips' built-in CMYK profile when it has none, into
// sRGB. The result carries no profile (it is sRGB now): the CMYK profile would describe
// the new RGB pixels wrongly wherever it went next, for example into a saved file.
Result<BitmapImageRep> convertCMYKBitmapToRGBA(const BitmapImageRep& cmyk);

// Whether `profile` may be embedded in a file of RGB samples: LittleCMS parses it, it
// describes RGB data, it is not a link, abstract or named-colour profile, and a transform
// from it to sRGB can be built. Empty when it may; otherwise why not, in a few words.
// Any thread.
QString rgbProfileProblem(const QByteArray& profile);

} // namespace quillum
