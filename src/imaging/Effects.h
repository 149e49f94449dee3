#pragma once
// The pixel effects of the output render. Each works in place on a working bitmap
// (WorkingBitmap.h) and leaves alpha as it is unless it says otherwise. An effect fails only
// when its routine refuses the bitmap or memory runs out; the bitmap is then partly
// processed and must not be shown.

#include "platform/BitmapImageRep.h"
#include "platform/Result.h"
#include "platform/vimage.h"

#include <array>

namespace quillum {

using LookupTable = std::array<std::uint8_t, 256>;

// The auto-levels lock record: the levels last computed, reused while the lock is on.
struct HistoVals {
    float redScale = 1.0f, greenScale = 1.0f, blueScale = 1.0f;
    int redLow = 0, greenLow = 0, blueLow = 0;
    int redHigh = 255, greenHigh = 255, blueHigh = 255;
    bool stored = false;
    bool operator==(const HistoVals&) const = default;
};

struct ChannelLevels {
    int low = 0;
    int high = 255;
    float scale = 1.0f;
};

// 1 % of the channel's pixels clip at each end; see applyAutoLevels.
ChannelLevels levelsForHistogram(const vImagePixelCount counts[256]);
// table[i] = clamp(trunc(roundf((i - low) * scale)), 0, 255)
LookupTable levelsTable(int low, float scale);

// Stretches each colour channel. With `locked` and a stored record, reuses the record;
// otherwise computes the levels from this bitmap's histogram and stores them.
[[nodiscard]] Status applyAutoLevels(BitmapImageRep& bitmap, HistoVals& record, bool locked);

// The same in parts, for callers that take the histogram elsewhere (from the source).
inline bool autoLevelsNeedHistogram(const HistoVals& record, bool locked)
{
    return !(locked && record.stored);
}
void storeAutoLevels(HistoVals& record, const vImagePixelCount red[256], const vImagePixelCount green[256],
    const vImagePixelCount blue[256]);
std::array<LookupTable, 3> autoLevelsTables(const HistoVals& record);

// The gamma/contrast curve with lifted shadows, for i = 0..255.
LookupTable correctionTable(float gamma, float contrast);
// The curve, then a per-channel gain of (1 + red/green/blue) on R, G and B: the colour
// sliders sit at 0 for no change.
[[nodiscard]] Status applyPictureCorrection(
    BitmapImageRep& bitmap, float gamma, float contrast, float red, float green, float blue);

enum OutputModeTag { OutputModeColor = 1, OutputModeBlackAndWhite = 2, OutputModeSepia = 3 };

// The per-pixel effects of the render in one go: the picture correction (when on), invert
// (when on) and the colour mode, in this order, with the bytes of applyPictureCorrection,
// applyInvert and applyOutputMode called one after the other. Correction and invert become
// one table lookup; a colour mode other than colour adds one pass. Mirroring commutes with
// all of them.
struct PixelEffects {
    bool correction = false;
    float gamma = 1.0f, contrast = 0.0f, red = 0.0f, green = 0.0f, blue = 0.0f;
    bool invert = false;
    int modeTag = OutputModeColor;
};
[[nodiscard]] Status applyPixelEffects(BitmapImageRep& bitmap, const PixelEffects& effects);

[[nodiscard]] Status applyMirror(BitmapImageRep& bitmap, bool vertical, bool horizontal);
[[nodiscard]] Status applyInvert(BitmapImageRep& bitmap);

// Tag 2 black and white, 3 sepia, anything else leaves the colours unchanged.
[[nodiscard]] Status applyOutputMode(BitmapImageRep& bitmap, int modeTag);

// Level 0 none, 1 half strength (blend), k >= 2 is k - 1 full passes. The sharpened pixels
// replace the bitmap's pixel block (its data pointer changes).
[[nodiscard]] Status applySharpen(BitmapImageRep& bitmap, int level);

// Colour multiplied by alpha, once, after all effects.
[[nodiscard]] Status premultiply(BitmapImageRep& bitmap);

inline vImage_Buffer bufferFor(BitmapImageRep& bitmap)
{
    return { bitmap.bitmapData(), std::size_t(bitmap.pixelsHigh()), std::size_t(bitmap.pixelsWide()),
        bitmap.bytesPerRow() };
}

} // namespace quillum
