#pragma once
// The key observers a control panel holds on the controller. They go with the panel, so a
// controller that outlives its widgets never calls into freed ones.

#include "platform/NotificationCenter.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace quillum {

class ControllerObservers {
public:
    explicit ControllerObservers(KeyValueObservable& source);
    ~ControllerObservers();
    ControllerObservers(const ControllerObservers&) = delete;
    ControllerObservers& operator=(const ControllerObservers&) = delete;

    // Calls `update` whenever any of `keys` is announced.
    void observe(std::initializer_list<const char*> keys, const std::function<void()>& update);

private:
    KeyValueObservable& m_source;
    std::vector<std::uint64_t> m_ids;
};

} // namespace quillum
