#include "SourceRotation.h"

#include "imaging/Effects.h"
#include "platform/vimage.h"

#include <cmath>
#include <numbers>

namespace quillum {

namespace {

// -90, 360, 450 ... are quarter turns too: through the general rule they came out a pixel
// short (sin of -pi/2 in single precision is just above -1) and resampled.
float quarterTurnOf(float a)
{
    if (!std::isfinite(a) || std::fmod(double(a), 90.0) != 0.0)
        return -1.0f;
    double q = std::fmod(double(a), 360.0);
    if (q < 0)
        q += 360.0;
    return float(q);
}

} // namespace

PixelSize rotatedSourceSize(int w, int h, float a)
{
    const float q = quarterTurnOf(a);
    if (q == 0.0f || q == 180.0f)
        return { w, h };
    if (q == 90.0f || q == 270.0f)
        return { h, w };
    const float theta = float(double(a) * std::numbers::pi / 180.0);
    const double c = std::cos(double(theta)), s = std::sin(double(theta));
    auto part = [](double v) { return std::abs(std::trunc(v)); };
    const double width = part(w * c) + part(h * s);
    const double height = part(w * s) + part(h * c);
    return { std::max(1, int(std::min(width, 1e9))), std::max(1, int(std::min(height, 1e9))) };
}

BitmapImageRep rotateBackup(const BitmapImageRep& backup, float a)
{
    if (!backup.isWorkingFormat() || !std::isfinite(a))
        return {};
    const PixelSize size = rotatedSourceSize(backup.pixelsWide(), backup.pixelsHigh(), a);
    BitmapImageRep out = BitmapImageRep::makeARGB(size.width, size.height);
    if (out.isNull())
        return {};
    BitmapImageRep& source = const_cast<BitmapImageRep&>(backup); // read only
    const vImage_Buffer in = bufferFor(source);
    const vImage_Buffer dest = bufferFor(out);
    vImage_Error error = kvImageNoError;
    if (const float q = quarterTurnOf(a); q >= 0.0f) {
        error = vImageRotate90_ARGB8888(&in, &dest, std::uint8_t(int(q) / 90), nullptr, kvImageNoFlags);
    } else {
        const Pixel_8888 transparentWhite = { 0, 255, 255, 255 };
        const float theta = float(double(a) * std::numbers::pi / 180.0);
        error = vImageRotate_ARGB8888(&in, &dest, nullptr, theta, transparentWhite, kvImageBackgroundColorFill);
    }
    if (error != kvImageNoError)
        return {};
    return out;
}

} // namespace quillum
