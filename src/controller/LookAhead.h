#pragma once
// Decoding the next picture of the list in the background. One request at a time is
// current; asking for the current path waits for its decode if it is still running (it is
// never decoded twice), and a result for another path is discarded. Owned and called by the
// main thread; the decodes run on threads of their own, joined before this object dies.

#include "platform/ImageDecoder.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillum {

class LookAhead {
public:
    LookAhead() = default;
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // Starts decoding `path`; a previous request becomes stale.
    void preLoadRepByName(const QString& path);
    // The decode of `path` if it is the current request (waiting for it if needed), else
    // nothing. Either way the current request is used up.
    std::optional<Result<DecodedBitmap>> take(const QString& path);
    // The path of the current request (empty when none).
    QString pendingPath() const;

private:
    struct Slot {
        QString path;
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<Result<DecodedBitmap>> result;
    };
    struct Worker {
        std::thread thread;
        std::shared_ptr<Slot> slot;
    };
    void reapFinished();

    std::shared_ptr<Slot> m_current;
    std::vector<Worker> m_workers;
};

} // namespace quillum
