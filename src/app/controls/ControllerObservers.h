#pragma once
// The observers a widget holds on the controller: announced keys and menus changed at run
// time. They go with the widget, so a controller that outlives its widgets never calls into
// freed ones. One per widget that observes.

#include "platform/NotificationCenter.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace quillum {

class MenuModel;

class ControllerObservers {
public:
    explicit ControllerObservers(KeyValueObservable& source);
    ~ControllerObservers();
    ControllerObservers(const ControllerObservers&) = delete;
    ControllerObservers& operator=(const ControllerObservers&) = delete;

    // Calls `update` whenever any of `keys` is announced.
    void observe(std::initializer_list<const char*> keys, const std::function<void()>& update);
    // Calls `update` whenever `menu` changes; the menu must outlive this object.
    void observeMenu(MenuModel& menu, std::function<void()> update);

private:
    KeyValueObservable& m_source;
    std::vector<std::uint64_t> m_ids;
    std::vector<MenuModel*> m_menus; // borrowed
};

} // namespace quillum
