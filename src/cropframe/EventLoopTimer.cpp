#include "CropEvents.h"

#include <QTimer>

#include <memory>

namespace quillum {
namespace {

class EventLoopTimer final : public OneShotTimer {
public:
    EventLoopTimer()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_action)
                m_action();
        });
    }
    void fireAfter(double seconds, std::function<void()> action) override
    {
        m_action = std::move(action);
        m_timer.start(int(seconds * 1000.0));
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_action;
};

} // namespace

std::unique_ptr<OneShotTimer> makeEventLoopTimer()
{
    return std::make_unique<EventLoopTimer>();
}

} // namespace quillum
