#include "LookAhead.h"

namespace quillum {

LookAhead::~LookAhead()
{
    for (Worker& w : m_workers)
        w.thread.join();
}

void LookAhead::reapFinished()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        bool finished;
        {
            std::lock_guard lock(it->slot->mutex);
            finished = it->slot->finished;
        }
        if (finished) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void LookAhead::preLoadRepByName(const QString& path)
{
    reapFinished();
    auto slot = std::make_shared<Slot>();
    slot->path = path;
    m_current = slot;
    // The thread gets its own copy of the path; the slot is shared, its fields guarded.
    m_workers.push_back({ std::thread([slot, path] {
                             Result<DecodedBitmap> decoded = decodeImageFile(path);
                             std::lock_guard lock(slot->mutex);
                             slot->result.emplace(std::move(decoded));
                             slot->finished = true;
                             slot->done.notify_all();
                         }),
        slot });
}

std::optional<Result<DecodedBitmap>> LookAhead::take(const QString& path)
{
    std::shared_ptr<Slot> slot = std::move(m_current);
    m_current.reset();
    if (!slot || slot->path != path)
        return std::nullopt;
    std::unique_lock lock(slot->mutex);
    slot->done.wait(lock, [&] { return slot->finished; });
    std::optional<Result<DecodedBitmap>> result = std::move(slot->result);
    slot->result.reset();
    return result;
}

QString LookAhead::pendingPath() const
{
    return m_current ? m_current->path : QString();
}

} // namespace quillum
