#include "VipsRuntime.h"

#include <vips/vips.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace quillum {

void ensureVipsStarted()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (VIPS_INIT("quillum") != 0)
            std::fprintf(stderr, "libvips failed to start: %s\n", vips_error_buffer());
        vips_cache_set_max(0);
        vips_leak_set(FALSE);
    });
}

namespace {

int freeBlob(void* mem, void*)
{
    g_free(mem);
    return 0;
}

} // namespace

void attachIccProfile(VipsImage* image, const QByteArray& profile)
{
    if (profile.isEmpty())
        return;
    void* blob = g_malloc(std::size_t(profile.size()));
    std::memcpy(blob, profile.constData(), std::size_t(profile.size()));
    vips_image_set_blob(image, VIPS_META_ICC_NAME, freeBlob, blob, std::size_t(profile.size()));
}

} // namespace quillum
