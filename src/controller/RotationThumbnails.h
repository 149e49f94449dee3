#pragma once
// The four rotation-button thumbnails, drawn on a worker thread per shown picture. The
// worker holds its own reference to the picture (the source may be replaced meanwhile) and
// its results are collected on the main thread; workers are joined before this object dies.

#include "platform/BitmapImageRep.h"

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quillum {

class RotationThumbnails {
public:
    using Set = std::array<std::shared_ptr<const BitmapImageRep>, 4>; // as shown, -90, 180, +90
    RotationThumbnails() = default;
    ~RotationThumbnails();
    RotationThumbnails(const RotationThumbnails&) = delete;
    RotationThumbnails& operator=(const RotationThumbnails&) = delete;

    // Starts a worker for `picture`; `ready` runs on the worker when it is done (it should
    // only schedule work on the main thread). A newer start makes older results stale.
    // `reduced`, when given, is the picture's reduced copy (made already, not again).
    void start(std::shared_ptr<const BitmapImageRep> picture, std::shared_ptr<const BitmapImageRep> reduced,
        std::function<void()> ready);
    void start(std::shared_ptr<const BitmapImageRep> picture, std::function<void()> ready)
    {
        start(std::move(picture), nullptr, std::move(ready));
    }
    // The newest finished set, taken on the main thread (empty entries until one is ready).
    Set take();
    // The reduced copy the newest set was drawn from, with the picture it was made of.
    struct Reduced {
        std::shared_ptr<const BitmapImageRep> picture;
        std::weak_ptr<const BitmapImageRep> of;
        bool isOf(const std::shared_ptr<const BitmapImageRep>& source) const
        {
            return source && !of.expired() && !of.owner_before(source) && !source.owner_before(of);
        }
    };
    Reduced takeReduced();
    // A working-bitmap copy of `picture` whose longer side is at most `longSide` (the
    // picture itself converted when it is no longer); null when it cannot be made.
    [[nodiscard]] static BitmapImageRep reducedCopy(const BitmapImageRep& picture, int longSide);
    static constexpr int kReducedLongSide = 1600;

    // The thumbnail of a picture: longer side 36 points, the other in proportion, at least 1;
    // `pixelRatio` device pixels to the point. Null when the picture cannot be converted or
    // scaled.
    [[nodiscard]] static BitmapImageRep thumbnailOf(const BitmapImageRep& picture, double pixelRatio = 1.0);
    // The four thumbnails of a picture; all empty when any of them cannot be made.
    [[nodiscard]] static Set setFor(const BitmapImageRep& picture, double pixelRatio = 1.0);
    // The screen's device pixels to the point for the sets started from now on (1 to 4).
    void setPixelRatio(double ratio);
    double pixelRatio() const { return m_pixelRatio; }

    // Test seam: each worker started after this runs `hook` on its own thread just before
    // it publishes, so a test can hold an older worker until a newer one has finished.
    void setBeforePublishForTesting(std::function<void()> hook) { m_beforePublish = std::move(hook); }

private:
    void reap();
    std::function<void()> m_beforePublish; // main thread only; each worker gets a copy
    double m_pixelRatio = 1.0; // main thread only; each worker gets a copy
    std::mutex m_mutex;
    Set m_ready;
    Reduced m_reduced;
    std::uint64_t m_generation = 0;
    struct Worker {
        std::thread thread;
        std::shared_ptr<bool> finished;
    };
    std::vector<Worker> m_workers;
};

} // namespace quillum
