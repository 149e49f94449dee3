#include "NotificationCenter.h"

#include <algorithm>

namespace quillum {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverId NotificationCenter::addObserver(const QString& name, const void* object, Handler handler)
{
    auto entry = std::make_shared<Entry>();
    entry->id = m_nextId++;
    entry->name = name;
    entry->object = object;
    entry->handler = std::make_shared<Handler>(std::move(handler));
    m_entries.push_back(entry);
    return entry->id;
}

void NotificationCenter::removeObserver(ObserverId id)
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& e) { return e->id == id; });
    if (it == m_entries.end())
        return;
    (*it)->removed = true;
    m_entries.erase(it);
}

void NotificationCenter::postNotificationName(const QString& name, void* object, const QVariantMap& userInfo)
{
    postNotification(Notification { name, object, userInfo });
}

void NotificationCenter::postNotification(const Notification& notification)
{
    // A snapshot, so observers may change the list while they are called.
    const auto snapshot = m_entries;
    for (const auto& entry : snapshot) {
        if (entry->removed)
            continue;
        if (!entry->name.isEmpty() && entry->name != notification.name)
            continue;
        if (entry->object && entry->object != notification.object)
            continue;
        const auto handler = entry->handler;
        (*handler)(notification);
    }
}

std::uint64_t KeyValueObservable::observeKey(const QString& key, Handler handler)
{
    m_observers.push_back(std::make_shared<Entry>(Entry { m_nextId, key, std::move(handler) }));
    return m_nextId++;
}

void KeyValueObservable::removeKeyObserver(std::uint64_t id)
{
    std::erase_if(m_observers, [id](const std::shared_ptr<Entry>& e) {
        if (e->id != id)
            return false;
        e->removed = true;
        return true;
    });
}

void KeyValueObservable::didChangeValueForKey(const QString& key) const
{
    // A snapshot keeps the entries alive while observers change the list.
    const auto snapshot = m_observers;
    for (const auto& e : snapshot)
        if (!e->removed && (e->key.isEmpty() || e->key == key))
            e->handler(key);
}

} // namespace quillum
