#pragma once
// Named notifications, delivered synchronously on the posting thread to the observers in
// the order they registered. Main thread only. An observer may add or remove observers
// (itself included) while a notification is being delivered; removed observers are not
// called afterwards, added ones only from the next post.

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quillum {

struct Notification {
    QString name;
    void* object = nullptr; // borrowed; what it points to is named by the notification
    QVariantMap userInfo;
};

class NotificationCenter {
public:
    using ObserverId = std::uint64_t;
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // An empty name observes every name; a null object observes every object.
    ObserverId addObserver(const QString& name, const void* object, Handler handler);
    void removeObserver(ObserverId id);
    void postNotificationName(const QString& name, void* object = nullptr, const QVariantMap& userInfo = {});
    void postNotification(const Notification& notification);

private:
    struct Entry {
        ObserverId id;
        QString name;
        const void* object;
        std::shared_ptr<Handler> handler;
        bool removed = false;
    };
    std::vector<std::shared_ptr<Entry>> m_entries;
    ObserverId m_nextId = 1;
};

// Key-value announcements: an object says a property changed; observers of that key
// re-read it. Synchronous, in registration order, main thread only. As with notifications,
// an observer removed during a delivery is not called afterwards in it, and one added
// during it only from the next announcement.
class KeyValueObservable {
public:
    using Handler = std::function<void(const QString& key)>;
    std::uint64_t observeKey(const QString& key, Handler handler);
    void removeKeyObserver(std::uint64_t id);
    void didChangeValueForKey(const QString& key) const;

private:
    struct Entry {
        std::uint64_t id;
        QString key;
        Handler handler;
        bool removed = false;
    };
    std::vector<std::shared_ptr<Entry>> m_observers;
    std::uint64_t m_nextId = 1;
};

} // namespace quillum
