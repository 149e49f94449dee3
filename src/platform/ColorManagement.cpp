#include "ColorManagement.h"

#include "VipsRuntime.h"

#include <vips/vips.h>

#include <cstring>
#include <vector>

namespace quillum {

Result<BitmapImageRep> convertCMYKBitmapToRGBA(const BitmapImageRep& cmyk)
{
    if (cmyk.isNull() || cmyk.isPlanar() || cmyk.samplesPerPixel() != 4)
        return Error(QStringLiteral("The CMYK picture has a layout Quillum cannot convert."));
    ensureVipsStarted();
    const int w = cmyk.pixelsWide(), h = cmyk.pixelsHigh();
    // vips wants packed rows.
    std::vector<std::uint8_t> packed;
    const void* data = cmyk.bitmapData();
    if (cmyk.bytesPerRow() != std::size_t(w) * 4) {
        packed.resize(std::size_t(w) * h * 4);
        for (int y = 0; y < h; ++y)
            std::memcpy(
                packed.data() + std::size_t(y) * w * 4, cmyk.bitmapData() + y * cmyk.bytesPerRow(), std::size_t(w) * 4);
        data = packed.data();
    }
    VipsImage* in = vips_image_new_from_memory(data, std::size_t(w) * h * 4, w, h, 4, VIPS_FORMAT_UCHAR);
    if (!in)
        return Error(QStringLiteral("Not enough memory to convert the CMYK picture."));
    in->Type = VIPS_INTERPRETATION_CMYK;
    const QByteArray& profile = cmyk.colorProfile();
    attachIccProfile(in, profile);
    VipsImage* rgb = nullptr;
    int failed = vips_icc_transform(
        in, &rgb, "srgb", "embedded", TRUE, "input_profile", "cmyk", "intent", VIPS_INTENT_RELATIVE, nullptr);
    if (failed && !profile.isEmpty()) {
        // A broken embedded profile: fall back on the built-in CMYK profile.
        vips_error_clear();
        vips_image_remove(in, VIPS_META_ICC_NAME);
        failed = vips_icc_transform(in, &rgb, "srgb", "input_profile", "cmyk", "intent", VIPS_INTENT_RELATIVE, nullptr);
    }
    VipsImage* u8 = nullptr;
    if (!failed)
        failed = vips_cast(rgb, &u8, VIPS_FORMAT_UCHAR, nullptr);
    std::size_t size = 0;
    void* mem = failed ? nullptr : vips_image_write_to_memory(u8, &size);
    if (u8)
        g_object_unref(u8);
    if (rgb)
        g_object_unref(rgb);
    g_object_unref(in);
    if (!mem || size != std::size_t(w) * h * 3) {
        g_free(mem);
        vips_error_clear();
        return Error(QStringLiteral("The CMYK colours could not be converted to RGB."));
    }
    BitmapImageRep::Layout layout;
    layout.width = w;
    layout.height = h;
    layout.samplesPerPixel = 4;
    layout.bitsPerPixel = 32;
    layout.bytesPerRow = std::size_t(w) * 4;
    layout.hasAlpha = true;
    layout.formatFlags = 0; // alpha last
    layout.colorSpace = ColorSpace::CalibratedRGB;
    BitmapImageRep out(layout);
    if (out.isNull()) {
        g_free(mem);
        return Error(QStringLiteral("Not enough memory to convert the CMYK picture."));
    }
    const auto* s = static_cast<const std::uint8_t*>(mem);
    std::uint8_t* d = out.bitmapData();
    for (std::size_t i = 0, n = std::size_t(w) * h; i < n; ++i) {
        d[4 * i] = s[3 * i];
        d[4 * i + 1] = s[3 * i + 1];
        d[4 * i + 2] = s[3 * i + 2];
        d[4 * i + 3] = 255;
    }
    g_free(mem);
    return out;
}

} // namespace quillum
