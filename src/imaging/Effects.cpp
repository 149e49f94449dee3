#include "Effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace quillum {

namespace {

Status checked(vImage_Error error, const char* effect)
{
    if (error == kvImageNoError)
        return {};
    return Error(QStringLiteral("%1 failed").arg(QLatin1String(effect)));
}

} // namespace

ChannelLevels levelsForHistogram(const vImagePixelCount counts[256])
{
    std::uint32_t total = 0; // the pixel count, as a 32-bit value
    for (int i = 0; i < 256; ++i)
        total += std::uint32_t(counts[i]);
    const int clip = int(std::roundf(float(total) * 0.01f));
    ChannelLevels levels;
    if (clip > 0) {
        vImagePixelCount sum = 0;
        int low = 0;
        while (low < 256 && sum < vImagePixelCount(clip))
            sum += counts[low++];
        sum = 0;
        int level = 256;
        while (level > 0 && sum < vImagePixelCount(clip))
            sum += counts[--level];
        levels.low = low;
        levels.high = level - 1;
    }
    levels.low = std::min(levels.low, 254);
    levels.high = std::max(levels.high, levels.low + 1);
    levels.scale = 255.0f / float(levels.high - levels.low);
    return levels;
}

LookupTable levelsTable(int low, float scale)
{
    LookupTable t;
    for (int i = 0; i < 256; ++i) {
        const float v = std::truncf(std::roundf(float(i - low) * scale));
        t[std::size_t(i)] = std::uint8_t(std::clamp(v, 0.0f, 255.0f));
    }
    return t;
}

void storeAutoLevels(HistoVals& record, const vImagePixelCount red[256], const vImagePixelCount green[256],
    const vImagePixelCount blue[256])
{
    const ChannelLevels b = levelsForHistogram(blue);
    const ChannelLevels g = levelsForHistogram(green);
    const ChannelLevels r = levelsForHistogram(red);
    record.redScale = r.scale, record.redLow = r.low, record.redHigh = r.high;
    record.greenScale = g.scale, record.greenLow = g.low, record.greenHigh = g.high;
    record.blueScale = b.scale, record.blueLow = b.low, record.blueHigh = b.high;
    record.stored = true;
}

std::array<LookupTable, 3> autoLevelsTables(const HistoVals& record)
{
    return { levelsTable(record.redLow, record.redScale), levelsTable(record.greenLow, record.greenScale),
        levelsTable(record.blueLow, record.blueScale) };
}

Status applyAutoLevels(BitmapImageRep& bitmap, HistoVals& record, bool locked)
{
    vImage_Buffer buffer = bufferFor(bitmap);
    if (autoLevelsNeedHistogram(record, locked)) {
        vImagePixelCount counts[4][256];
        vImagePixelCount* histogram[4] = { counts[0], counts[1], counts[2], counts[3] };
        // The record keeps the levels it had: a failed histogram must not become the lock.
        if (Status s = checked(vImageHistogramCalculation_ARGB8888(&buffer, histogram, kvImageNoFlags), "auto levels");
            !s)
            return s;
        storeAutoLevels(record, counts[1], counts[2], counts[3]);
    }
    const auto tables = autoLevelsTables(record);
    return checked(vImageTableLookUp_ARGB8888(
                       &buffer, &buffer, nullptr, tables[0].data(), tables[1].data(), tables[2].data(), kvImageNoFlags),
        "auto levels");
}

namespace {

// The curve value before it becomes a byte: v in single precision.
float correctionValue(int i, float gamma, float contrast)
{
    const float x = float(i) / 255.0f;
    const float d = float(std::min(i, 79)) * 0.00625f - 0.5f;
    const float p = float(std::pow(double(x), double(gamma + d)));
    return float((double(p) - 0.5) * (double(contrast) + 1.0) + 0.5);
}

std::uint8_t toByte(float v)
{
    if (!std::isfinite(v))
        return v > 0 ? 255 : 0;
    const float r = std::roundf(v * 255.0f);
    return std::uint8_t(std::clamp(r, 0.0f, 255.0f));
}

} // namespace

LookupTable correctionTable(float gamma, float contrast)
{
    LookupTable t;
    for (int i = 0; i < 256; ++i)
        t[std::size_t(i)] = toByte(correctionValue(i, gamma, contrast));
    return t;
}

namespace {

std::array<LookupTable, 3> correctionTables(float gamma, float contrast, float red, float green, float blue)
{
    std::array<LookupTable, 3> channel;
    const float gains[3] = { 1.0f + red, 1.0f + green, 1.0f + blue };
    for (std::size_t c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            channel[c][std::size_t(i)] = toByte(correctionValue(i, gamma, contrast) * std::max(gains[c], 0.0f));
    return channel;
}

} // namespace

Status applyPictureCorrection(BitmapImageRep& bitmap, float gamma, float contrast, float red, float green, float blue)
{
    const std::array<LookupTable, 3> channel = correctionTables(gamma, contrast, red, green, blue);
    vImage_Buffer buffer = bufferFor(bitmap);
    return checked(vImageTableLookUp_ARGB8888(&buffer, &buffer, nullptr, channel[0].data(), channel[1].data(),
                       channel[2].data(), kvImageNoFlags),
        "the picture correction");
}

Status applyPixelEffects(BitmapImageRep& bitmap, const PixelEffects& effects)
{
    if (effects.correction || effects.invert) {
        std::array<LookupTable, 3> tables;
        if (effects.correction)
            tables = correctionTables(effects.gamma, effects.contrast, effects.red, effects.green, effects.blue);
        else
            for (LookupTable& t : tables)
                for (int i = 0; i < 256; ++i)
                    t[std::size_t(i)] = std::uint8_t(i);
        if (effects.invert)
            for (LookupTable& t : tables)
                for (std::uint8_t& v : t)
                    v = std::uint8_t(255 - v);
        vImage_Buffer buffer = bufferFor(bitmap);
        if (Status s = checked(vImageTableLookUp_ARGB8888(&buffer, &buffer, nullptr, tables[0].data(), tables[1].data(),
                                   tables[2].data(), kvImageNoFlags),
                effects.correction ? "the picture correction" : "invert");
            !s)
            return s;
    }
    return applyOutputMode(bitmap, effects.modeTag);
}

Status applyMirror(BitmapImageRep& bitmap, bool vertical, bool horizontal)
{
    vImage_Buffer buffer = bufferFor(bitmap);
    if (vertical)
        if (Status s = checked(vImageVerticalReflect_ARGB8888(&buffer, &buffer, kvImageNoFlags), "mirroring"); !s)
            return s;
    if (horizontal)
        return checked(vImageHorizontalReflect_ARGB8888(&buffer, &buffer, kvImageNoFlags), "mirroring");
    return {};
}

Status applyInvert(BitmapImageRep& bitmap)
{
    LookupTable t;
    for (int i = 0; i < 256; ++i)
        t[std::size_t(i)] = std::uint8_t(255 - i);
    vImage_Buffer buffer = bufferFor(bitmap);
    return checked(
        vImageTableLookUp_ARGB8888(&buffer, &buffer, nullptr, t.data(), t.data(), t.data(), kvImageNoFlags), "invert");
}

Status applyOutputMode(BitmapImageRep& bitmap, int modeTag)
{
    if (modeTag != OutputModeBlackAndWhite && modeTag != OutputModeSepia)
        return {};
    static const std::int16_t matrix[16] = {
        256,
        0,
        0,
        0, //
        0,
        61,
        61,
        61, //
        0,
        174,
        174,
        174, //
        0,
        21,
        21,
        21,
    };
    static const std::int32_t sepiaBias[4] = { 256, 5120, 0, -5120 };
    vImage_Buffer buffer = bufferFor(bitmap);
    return checked(vImageMatrixMultiply_ARGB8888(&buffer, &buffer, matrix, 256, nullptr,
                       modeTag == OutputModeSepia ? sepiaBias : nullptr, kvImageNoFlags),
        "the colour mode");
}

Status applySharpen(BitmapImageRep& bitmap, int level)
{
    if (level <= 0)
        return {};
    if (bitmap.isNull())
        return Error(QStringLiteral("sharpening failed"));
    static const std::int16_t kernel[9] = { -1, -1, -1, -1, 16, -1, -1, -1, -1 };
    const Pixel_8888 background = { 255, 0, 0, 0 };
    // Each pass writes a new bitmap that then takes the old one's place: no copy back, and
    // large blocks come from the recycler, already touched by an earlier render.
    for (int pass = 1; pass < std::max(level, 2); ++pass) {
        BitmapImageRep next(bitmap.layout());
        if (next.isNull())
            return Error(QStringLiteral("there is not enough memory to sharpen"));
        next.setColorProfile(bitmap.colorProfile());
        const vImage_Buffer in = bufferFor(bitmap);
        const vImage_Buffer out = bufferFor(next);
        // Level 1: the sharpened picture under the original at half opacity.
        const vImage_Error error = level == 1
            ? vImageConvolveThenBlendOver_ARGB8888(&in, &out, kernel, 8, 127, kvImageNoFlags)
            : vImageConvolve_ARGB8888(&in, &out, nullptr, 0, 0, kernel, 3, 3, 8, background, kvImageCopyInPlace);
        if (Status s = checked(error, "sharpening"); !s)
            return s;
        bitmap = std::move(next);
    }
    return {};
}

Status premultiply(BitmapImageRep& bitmap)
{
    vImage_Buffer buffer = bufferFor(bitmap);
    return checked(vImagePremultiplyData_ARGB8888(&buffer, &buffer, kvImageNoFlags), "premultiplying");
}

} // namespace quillum
