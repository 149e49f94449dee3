#pragma once
// One thread that renders outputs, newest request first: a request that arrives while
// another runs replaces any request still waiting and abandons the running one at its next
// step boundary, so a burst of changes costs one render. Previews are the exception: a
// running preview finishes when the next preview arrives, so a moving frame still gets
// its pictures at the pace they can be made. Owned and called by the main
// thread; results are collected there. Destroying it abandons the running render and
// waits for it to stop.

#include "controller/RenderJob.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace quillum {

class RenderWorker {
public:
    RenderWorker() = default;
    ~RenderWorker();
    RenderWorker(const RenderWorker&) = delete;
    RenderWorker& operator=(const RenderWorker&) = delete;

    // Queues `request` as number `generation` (increasing); `ready` runs on the worker when
    // its result can be taken (it should only schedule work on the main thread).
    void submit(std::uint64_t generation, RenderRequest request, std::function<void()> ready);
    // The result of `generation` once it is finished, else nothing (still running, it was
    // superseded, or a newer result replaced it).
    std::optional<RenderResult> take(std::uint64_t generation);
    // Waits for `generation` to finish and takes its result; nothing when it is not queued,
    // running or finished.
    std::optional<RenderResult> waitFor(std::uint64_t generation);

private:
    struct Job {
        std::uint64_t generation = 0;
        RenderRequest request;
        std::function<void()> ready;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Job> m_pending;
    std::uint64_t m_running = 0; // 0: none
    bool m_runningIsPreview = false;
    std::shared_ptr<RenderCancel> m_runningCancel;
    std::uint64_t m_doneGeneration = 0;
    std::optional<RenderResult> m_done;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace quillum
