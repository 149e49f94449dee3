#pragma once
// libvips start-up, once per process, from any thread. Only src/platform includes vips.

#include <QByteArray>

#include <mutex>

typedef struct _VipsImage VipsImage;

namespace quillum {

// Initialises libvips on first call, disables its operation cache (it returns stale
// results for wrapped buffers that change), keeps its own thread pool small, and blocks
// every loader libvips marks unsafe for untrusted files (document and vector renderers,
// ImageMagick, scientific formats, its own format, JPEG XL).
void ensureVipsStarted();

// Lets one thread stop another's evaluation of a vips image: cancel() sets the kill flag
// of the image being watched, so its next region fails. A cancel before the watch takes
// effect when the watch starts. Any thread; the token outlives both.
class CancelToken {
public:
    void cancel();
    bool isCancelled() const;

    // Watches `image` (borrowed, kept alive by the evaluating thread) until destroyed.
    class Watch {
    public:
        Watch(CancelToken* token, VipsImage* image);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        CancelToken* m_token;
    };

private:
    mutable std::mutex m_mutex;
    bool m_cancelled = false;
    VipsImage* m_watched = nullptr;
};

// Attaches a copy of `profile` as the image's ICC profile (nothing when it is empty).
// False when there is no memory for the copy.
bool attachIccProfile(VipsImage* image, const QByteArray& profile);

} // namespace quillum
