#include "controller/RenderWorker.h"

namespace quillum {

RenderWorker::~RenderWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_pending.reset();
        if (m_runningCancel)
            m_runningCancel->store(true);
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void RenderWorker::submit(std::uint64_t generation, RenderRequest request, std::function<void()> ready)
{
    {
        std::lock_guard lock(m_mutex);
        const bool preview = request.isPreview();
        m_pending = Job { generation, std::move(request), std::move(ready) };
        if (m_runningCancel && !(preview && m_runningIsPreview))
            m_runningCancel->store(true);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_changed.notify_all();
}

std::optional<RenderResult> RenderWorker::take(std::uint64_t generation)
{
    std::lock_guard lock(m_mutex);
    if (!m_done || m_doneGeneration != generation)
        return std::nullopt;
    std::optional<RenderResult> result = std::move(m_done);
    m_done.reset();
    return result;
}

std::optional<RenderResult> RenderWorker::waitFor(std::uint64_t generation)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        const bool queued = m_pending && m_pending->generation == generation;
        return !queued && m_running != generation;
    });
    if (!m_done || m_doneGeneration != generation)
        return std::nullopt;
    std::optional<RenderResult> result = std::move(m_done);
    m_done.reset();
    return result;
}

void RenderWorker::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || m_pending; });
        if (m_stop)
            return;
        Job job = std::move(*m_pending);
        m_pending.reset();
        m_running = job.generation;
        m_runningIsPreview = job.request.isPreview();
        auto cancel = std::make_shared<RenderCancel>(false);
        m_runningCancel = cancel;
        lock.unlock();
        RenderResult result = runRender(job.request, cancel.get());
        // The request's share of the source goes here, not when the next job replaces it.
        job.request = {};
        lock.lock();
        m_running = 0;
        m_runningCancel.reset();
        const bool publish = result.kind != RenderResult::Kind::Abandoned && !cancel->load() && !m_stop;
        if (publish) {
            m_done = std::move(result);
            m_doneGeneration = job.generation;
        }
        m_changed.notify_all();
        if (publish && job.ready) {
            lock.unlock();
            job.ready();
            lock.lock();
        }
    }
}

} // namespace quillum
