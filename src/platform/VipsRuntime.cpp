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
        // A file's name says nothing about its content: one SVG named .jpg once reached a
        // renderer that follows links to local files. Loaders a photo never needs stay off.
        // JPEG XL stays off with them: libvips itself does not trust its loader yet.
        vips_block_untrusted_set(TRUE);
    });
}

void CancelToken::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_watched)
        vips_image_set_kill(m_watched, TRUE);
}

bool CancelToken::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

CancelToken::Watch::Watch(CancelToken* token, VipsImage* image)
    : m_token(token)
{
    if (!m_token)
        return;
    std::lock_guard lock(m_token->m_mutex);
    m_token->m_watched = image;
    if (m_token->m_cancelled)
        vips_image_set_kill(image, TRUE);
}

CancelToken::Watch::~Watch()
{
    if (!m_token)
        return;
    std::lock_guard lock(m_token->m_mutex);
    m_token->m_watched = nullptr;
}

namespace {

int freeBlob(void* mem, void*)
{
    g_free(mem);
    return 0;
}

} // namespace

bool attachIccProfile(VipsImage* image, const QByteArray& profile)
{
    if (profile.isEmpty())
        return true;
    // g_malloc would end the process when memory is short.
    void* blob = g_try_malloc(std::size_t(profile.size()));
    if (!blob)
        return false;
    std::memcpy(blob, profile.constData(), std::size_t(profile.size()));
    vips_image_set_blob(image, VIPS_META_ICC_NAME, freeBlob, blob, std::size_t(profile.size()));
    return true;
}

} // namespace quillum
