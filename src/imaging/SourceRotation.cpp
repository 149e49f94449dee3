#include "SourceRotation.h"

#include "imaging/Effects.h"
#include "platform/vimage.h"

#include <cmath>
#include <numbers>

namespace quillum {

PixelSize rotatedSourceSize(int w, int h, float a)
{
    if (a == 0.0f || a == 180.0f)
        return {w, h};
    if (a == 90.0f || a == 270.0f)
        return {h, w};
    const float theta = float(double(a) * std::numbers::pi / 180.0);
    const double c = std::cos(double(theta)), s = std::sin(double(theta));
    auto part = [](double v) { return std::abs(std::trunc(v)); };
    const double width = part(w * c) + part(h * s);
    const double height = part(w * s) + part(h * c);
    return {std::max(1, int(std::min(width, 1e9))), std::max(1, int(std::min(height, 1e9)))};
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
    if (a == 0.0f || a == 90.0f || a == 180.0f || a == 270.0f) {
        error = vImageRotate90_ARGB8888(&in, &dest, std::uint8_t(int(a) / 90), nullptr, kvImageNoFlags);
    } else {
        const Pixel_8888 transparentWhite = {0, 255, 255, 255};
        const float theta = float(double(a) * std::numbers::pi / 180.0);
        error = vImageRotate_ARGB8888(&in, &dest, nullptr, theta, transparentWhite, kvImageBackgroundColorFill);
    }
    if (error != kvImageNoError)
        return {};
    return out;
}

} // namespace quillum
