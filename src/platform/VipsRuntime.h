#pragma once
// libvips start-up, once per process, from any thread. Only src/platform includes vips.

#include <QByteArray>

typedef struct _VipsImage VipsImage;

namespace quillum {

// Initialises libvips on first call, disables its operation cache (it returns stale
// results for wrapped buffers that change) and keeps its own thread pool small.
void ensureVipsStarted();

// Attaches a copy of `profile` as the image's ICC profile (nothing when it is empty).
void attachIccProfile(VipsImage* image, const QByteArray& profile);

} // namespace quillum
