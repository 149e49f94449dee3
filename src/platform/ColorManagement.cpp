#include "ColorManagement.h"

#include "VipsRuntime.h"

#include <lcms2.h>
#include <vips/vips.h>

#include <cstring>
#include <memory>
#include <type_traits>
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
    if (!attachIccProfile(in, profile)) {
        g_object_unref(in);
        return Error(QStringLiteral("Not enough memory to convert the CMYK picture."));
    }
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

namespace {

// A context of our own: libvips installs its own error handler in the global one, and a
// profile we only test must not leave messages in its error buffer.
extern "C" void ignoreCmsError(cmsContext, cmsUInt32Number, const char*)
{ }

struct ContextCloser {
    void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};

} // namespace

QString rgbProfileProblem(const QByteArray& profile)
{
    if (profile.isEmpty())
        return QStringLiteral("it is empty");
    const std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextCloser> context(cmsCreateContext(nullptr, nullptr));
    if (!context)
        return QStringLiteral("there is not enough memory to check it");
    cmsSetLogErrorHandlerTHR(context.get(), ignoreCmsError);
    const std::unique_ptr<void, ProfileCloser> parsed(
        cmsOpenProfileFromMemTHR(context.get(), profile.constData(), cmsUInt32Number(profile.size())));
    if (!parsed)
        return QStringLiteral("it is not an ICC profile LittleCMS can read");
    if (cmsGetColorSpace(parsed.get()) != cmsSigRgbData)
        return QStringLiteral("it does not describe RGB colours");
    const cmsProfileClassSignature kind = cmsGetDeviceClass(parsed.get());
    if (kind == cmsSigLinkClass || kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass)
        return QStringLiteral("it is not a profile of a picture's colours");
    const std::unique_ptr<void, ProfileCloser> srgb(cmsCreate_sRGBProfileTHR(context.get()));
    if (!srgb)
        return QStringLiteral("there is not enough memory to check it");
    cmsHTRANSFORM transform = cmsCreateTransformTHR(context.get(), parsed.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8,
        INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
    if (!transform)
        return QStringLiteral("its colours cannot be converted to sRGB");
    cmsDeleteTransform(transform);
    return {};
}

} // namespace quillum
