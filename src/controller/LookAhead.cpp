#include "LookAhead.h"

#include "controller/RotationThumbnails.h"

#include <QFileInfo>

#include <algorithm>
#include <thread>
#include <utility>

namespace quillum {

namespace {

Error decodeWasStopped(const QString& path)
{
    return Error(QStringLiteral("Opening \u201c%1\u201d was stopped.").arg(QFileInfo(path).fileName()));
}

} // namespace

LookAhead::LookAhead(Decoder decoder, std::chrono::milliseconds timeLimit)
    : m_decoder(std::move(decoder))
    , m_timeLimit(timeLimit)
{ }

LookAhead::~LookAhead()
{
    cancel();
}

void LookAhead::preLoadRepByName(const QString& path)
{
    if (m_current)
        m_current->cancel.cancel();
    std::erase_if(m_running, [](const std::weak_ptr<Slot>& slot) { return slot.expired(); });

    auto slot = std::make_shared<Slot>();
    slot->path = path;
    slot->deadline = std::chrono::steady_clock::now() + m_timeLimit;
    m_current = slot;
    m_running.push_back(slot);
    DecodeOptions options;
    options.timeLimit = m_timeLimit;
    options.cancel = &slot->cancel;
    // The thread owns a share of its slot and copies of everything else: nothing it touches
    // dies with this object.
    std::thread([slot, path, options, decoder = m_decoder, longSide = m_reducedLongSide] {
        Result<DecodedBitmap> decoded = decoder(path, options);
        if (decoded && longSide > 0 && !slot->cancel.isCancelled()) {
            BitmapImageRep reduced = RotationThumbnails::reducedCopy(decoded->bitmap, longSide);
            if (!reduced.isNull())
                decoded->reduced = std::make_shared<const BitmapImageRep>(std::move(reduced));
        }
        std::lock_guard lock(slot->mutex);
        slot->result.emplace(std::move(decoded));
        slot->finished = true;
        slot->done.notify_all();
    }).detach();
}

std::optional<Result<DecodedBitmap>> LookAhead::take(const QString& path, const std::function<bool()>& stopRequested)
{
    std::shared_ptr<Slot> slot = std::exchange(m_current, nullptr);
    if (!slot)
        return std::nullopt;
    if (slot->path != path) {
        slot->cancel.cancel();
        return std::nullopt;
    }
    std::unique_lock lock(slot->mutex);
    // Waits in short slices, so whoever waits can be asked in between whether to go on.
    constexpr auto kSlice = std::chrono::milliseconds(20);
    while (!slot->finished && std::chrono::steady_clock::now() < slot->deadline) {
        slot->done.wait_until(lock, std::min(slot->deadline, std::chrono::steady_clock::now() + kSlice),
            [&] { return slot->finished; });
        if (slot->finished || !stopRequested)
            continue;
        lock.unlock();
        const bool stop = stopRequested();
        lock.lock();
        if (stop && !slot->finished) {
            lock.unlock();
            slot->cancel.cancel();
            return Result<DecodedBitmap>(decodeWasStopped(path));
        }
    }
    if (!slot->finished) {
        // Stuck inside one long library call: stop waiting and let it end by itself.
        lock.unlock();
        slot->cancel.cancel();
        return Result<DecodedBitmap>(decodeTookTooLong(path, m_timeLimit));
    }
    std::optional<Result<DecodedBitmap>> result = std::move(slot->result);
    slot->result.reset();
    return result;
}

void LookAhead::cancel()
{
    for (const std::weak_ptr<Slot>& running : m_running)
        if (const std::shared_ptr<Slot> slot = running.lock())
            slot->cancel.cancel();
    m_running.clear();
    m_current.reset();
}

QString LookAhead::pendingPath() const
{
    return m_current ? m_current->path : QString();
}

} // namespace quillum
