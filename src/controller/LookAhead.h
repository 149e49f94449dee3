#pragma once
// Decoding the next picture of the list in the background. One request at a time is
// current; asking for the current path waits for its decode if it is still running (it is
// never decoded twice), but no longer than the decode's time limit, and a result for
// another path is discarded. Owned and called by the main thread. Each decode runs on a
// detached thread that shares only its slot, so a stale or cancelled decode is abandoned
// and finishes on its own: neither moving on nor destroying this object waits for one.

#include "platform/ImageDecoder.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace quillum {

class LookAhead {
public:
    using Decoder = std::function<Result<DecodedBitmap>(const QString& path, const DecodeOptions& options)>;

    explicit LookAhead(
        Decoder decoder = decodeImageFile, std::chrono::milliseconds timeLimit = DecodeOptions {}.timeLimit);
    // Cancels the decodes still running; never waits for them.
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // Starts decoding `path`; a previous request becomes stale and is cancelled.
    void preLoadRepByName(const QString& path);
    // The decode of `path` if it is the current request (waiting for it at most until its
    // time limit has passed, then saying it took too long), else nothing. Either way the
    // current request is used up, and a stale one is cancelled.
    // While it waits, `stopRequested` is asked every few milliseconds; when it answers
    // true the decode is cancelled and the result says the opening was stopped.
    std::optional<Result<DecodedBitmap>> take(const QString& path, const std::function<bool()>& stopRequested = {});
    // Cancels every running decode and forgets the current request, so asking for its
    // path later decodes it afresh.
    void cancel();
    // The path of the current request (empty when none).
    QString pendingPath() const;
    // Decodes started from now on also make the picture's reduced copy (DecodedBitmap::reduced),
    // with the longer side at most `longSide` (0: none).
    void setReducedCopyLongSide(int longSide) { m_reducedLongSide = longSide; }

private:
    struct Slot {
        QString path;
        std::chrono::steady_clock::time_point deadline;
        CancelToken cancel;
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<Result<DecodedBitmap>> result;
    };

    Decoder m_decoder;
    std::chrono::milliseconds m_timeLimit;
    int m_reducedLongSide = 0;
    std::shared_ptr<Slot> m_current;
    // Decodes that may still run, to cancel them; a finished one frees its slot.
    std::vector<std::weak_ptr<Slot>> m_running;
};

} // namespace quillum
