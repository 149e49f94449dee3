#include "ControllerObservers.h"

#include "controller/MenuModel.h"

#include <QString>

namespace quillum {

ControllerObservers::ControllerObservers(KeyValueObservable& source)
    : m_source(source)
{ }

ControllerObservers::~ControllerObservers()
{
    for (std::uint64_t id : m_ids)
        m_source.removeKeyObserver(id);
    for (MenuModel* menu : m_menus)
        menu->setChangedHandler({});
}

void ControllerObservers::observe(std::initializer_list<const char*> keys, const std::function<void()>& update)
{
    for (const char* key : keys)
        m_ids.push_back(m_source.observeKey(QString::fromLatin1(key), [update](const QString&) { update(); }));
}

void ControllerObservers::observeMenu(MenuModel& menu, std::function<void()> update)
{
    menu.setChangedHandler(std::move(update));
    m_menus.push_back(&menu);
}

} // namespace quillum
