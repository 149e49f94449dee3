// Notification delivery rules and the size and time texts.

#include "platform/NotificationCenter.h"
#include "platform/TextFormats.h"

#include <gtest/gtest.h>

using namespace quillum;

TEST(NotificationCenter, DeliversInRegistrationOrderByNameAndObject)
{
    NotificationCenter center;
    QStringList log;
    int frame = 0, other = 0;
    center.addObserver(QStringLiteral("A"), nullptr, [&](const Notification&) { log << QStringLiteral("a-any"); });
    center.addObserver(QStringLiteral("A"), &frame, [&](const Notification&) { log << QStringLiteral("a-frame"); });
    center.addObserver(QString(), nullptr, [&](const Notification& n) { log << QStringLiteral("all-") + n.name; });
    center.postNotificationName(QStringLiteral("A"), &other);
    center.postNotificationName(QStringLiteral("A"), &frame);
    center.postNotificationName(QStringLiteral("B"));
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("a-any"), QStringLiteral("all-A"), QStringLiteral("a-any"),
            QStringLiteral("a-frame"), QStringLiteral("all-A"), QStringLiteral("all-B") }));
}

TEST(NotificationCenter, ObserversMayChangeTheListWhileBeingCalled)
{
    NotificationCenter center;
    int first = 0, second = 0, late = 0;
    NotificationCenter::ObserverId secondId = 0;
    center.addObserver(QStringLiteral("N"), nullptr, [&](const Notification&) {
        ++first;
        center.removeObserver(secondId); // removed before its turn: not called
        center.addObserver(QStringLiteral("N"), nullptr, [&](const Notification&) { ++late; });
    });
    secondId = center.addObserver(QStringLiteral("N"), nullptr, [&](const Notification&) { ++second; });
    center.postNotificationName(QStringLiteral("N"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(late, 0) << "added during a post: called from the next post on";
    center.postNotificationName(QStringLiteral("N"));
    EXPECT_EQ(late, 1);
}

// The same rule for key observers: a widget that goes away during an announcement (its
// observer removed by an earlier one) must not be called.
TEST(KeyValueObservable, ObserversRemovedDuringAnAnnouncementAreNotCalled)
{
    KeyValueObservable object;
    int first = 0, second = 0, late = 0;
    std::uint64_t secondId = 0;
    object.observeKey(QStringLiteral("k"), [&](const QString&) {
        ++first;
        object.removeKeyObserver(secondId);
        object.observeKey(QStringLiteral("k"), [&](const QString&) { ++late; });
    });
    secondId = object.observeKey(QStringLiteral("k"), [&](const QString&) { ++second; });
    object.didChangeValueForKey(QStringLiteral("k"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(late, 0);
    object.didChangeValueForKey(QStringLiteral("k"));
    EXPECT_EQ(late, 1);
}

TEST(TextFormats, TimeIntervalPatterns)
{
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale de(QLocale::German, QLocale::Germany);
    struct Row {
        float seconds;
        const char* english;
    } rows[] = {
        { 0.0f, "0 ms" },
        { 0.0124f, "12 ms" },
        { 0.9996f, "1,000 ms" },
        { 1.0f, "1.0 s" },
        { 99.94f, "99.9 s" },
        { 100.0f, "100 s" },
        { 299.4f, "299 s" },
        { 300.0f, "5 min" },
        { 3599.0f, "60 min" },
        { 3600.0f, "1 hours" },
        { 36000.0f, "10 hours" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(stringForTimeInterval(r.seconds, en), QString::fromUtf8(r.english)) << r.seconds;
    EXPECT_EQ(stringForTimeInterval(12.34f, de), QStringLiteral("12,3 s"));
}

TEST(TextFormats, ByteSizes)
{
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    struct Row {
        std::int32_t bytes;
        const char* compact;
        const char* full;
    } rows[] = {
        { 0, "0 B", "0 B" }, { 1022, "1,022 B", "1,022 B" },
        { 1023, "1.0 KB", "1,023 B" }, // the step is 1023, not 1024
        { 1047552, "1.0 MB", "1,047,552 B" }, // 1023 KB reaches the next step
        { 16777217, "16.0 MB", "16,777,216 B" }, // the full count passes through a float
    };
    for (const Row& r : rows) {
        EXPECT_EQ(stringForFullByteSize(r.bytes, en), QString::fromUtf8(r.full)) << r.bytes;
        EXPECT_EQ(stringForByteSize(r.bytes, en), QString::fromUtf8(r.compact)) << r.bytes;
    }
}
