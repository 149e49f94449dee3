#include "ControllerObservers.h"

#include <QString>

namespace quillum {

ControllerObservers::ControllerObservers(KeyValueObservable& source)
    : m_source(source)
{ }

ControllerObservers::~ControllerObservers()
{
    for (std::uint64_t id : m_ids)
        m_source.removeKeyObserver(id);
}

void ControllerObservers::observe(std::initializer_list<const char*> keys, const std::function<void()>& update)
{
    for (const char* key : keys)
        m_ids.push_back(m_source.observeKey(QString::fromLatin1(key), [update](const QString&) { update(); }));
}

} // namespace quillum
