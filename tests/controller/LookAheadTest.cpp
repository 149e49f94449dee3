#include "controller/LookAhead.h"
#include "TestSupport.h"
#include "controller/zent3controller.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace quillum;
using namespace std::chrono_literals;

namespace {

// Stands for a slow file: each decode holds until released. One that heeds its cancel
// token ends as soon as it is cancelled; one that does not is stuck inside a long library
// call. The state is shared with the decoding threads, which may outlive the test's scope.
struct Held {
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false;
    int started = 0;
    int finished = 0;
    QStringList cancelled;

    static LookAhead::Decoder decoder(const std::shared_ptr<Held>& held, bool heedsCancel)
    {
        return [held, heedsCancel](const QString& path, const DecodeOptions& options) -> Result<DecodedBitmap> {
            std::unique_lock lock(held->mutex);
            ++held->started;
            held->changed.notify_all();
            bool cancelled = false;
            while (!held->released && !cancelled) {
                held->changed.wait_for(lock, 1ms);
                cancelled = heedsCancel && options.cancel->isCancelled();
            }
            ++held->finished;
            held->changed.notify_all();
            if (cancelled) {
                held->cancelled << path;
                return Error(path + QStringLiteral(" cancelled"));
            }
            return DecodedBitmap { BitmapImageRep(), {}, nullptr };
        };
    }

    template <typename Predicate> bool waitFor(Predicate predicate)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return predicate(*this); });
    }

    void release()
    {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
};

double millisecondsSince(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

TEST(LookAhead, DestroyingItNeverWaitsForADecode)
{
    auto held = std::make_shared<Held>();
    for (bool heedsCancel : { true, false }) {
        SCOPED_TRACE(heedsCancel ? "a decode that heeds its cancel" : "a decode stuck in a library call");
        const int before = held->finished;
        QElapsedTimer clock;
        {
            LookAhead ahead(Held::decoder(held, heedsCancel));
            ahead.preLoadRepByName(QStringLiteral("slow.jpg"));
            ASSERT_TRUE(held->waitFor([&](const Held& h) { return h.started == before + 1; }));
            clock.start();
        }
        EXPECT_LT(millisecondsSince(clock), 100.0);
        if (heedsCancel) {
            EXPECT_TRUE(held->waitFor([&](const Held& h) { return h.finished == before + 1; }))
                << "cancelled when its owner went";
        }
    }
    held->release();
    EXPECT_TRUE(held->waitFor([](const Held& h) { return h.finished == 2; }));
}

TEST(LookAhead, MovingOnCancelsTheStaleDecode)
{
    auto held = std::make_shared<Held>();
    LookAhead ahead(Held::decoder(held, true));
    ahead.preLoadRepByName(QStringLiteral("a.jpg"));
    ahead.preLoadRepByName(QStringLiteral("b.jpg")); // the user moved on: a is stale
    EXPECT_TRUE(held->waitFor([](const Held& h) { return h.cancelled.contains(QStringLiteral("a.jpg")); }));
    EXPECT_FALSE(ahead.take(QStringLiteral("c.jpg"))) << "the user jumped elsewhere: b is stale";
    EXPECT_TRUE(held->waitFor([](const Held& h) { return h.cancelled.contains(QStringLiteral("b.jpg")); }));

    ahead.preLoadRepByName(QStringLiteral("d.jpg"));
    ahead.cancel();
    EXPECT_TRUE(ahead.pendingPath().isEmpty());
    EXPECT_FALSE(ahead.take(QStringLiteral("d.jpg"))) << "a cancelled request is decoded afresh";
    EXPECT_TRUE(held->waitFor([](const Held& h) { return h.finished == 3; }));
}

TEST(LookAhead, TakingWaitsNoLongerThanTheTimeLimit)
{
    auto held = std::make_shared<Held>();
    LookAhead ahead(Held::decoder(held, false), 150ms);
    ahead.preLoadRepByName(QStringLiteral("/photos/slow.jpg"));
    QElapsedTimer clock;
    clock.start();
    const std::optional<Result<DecodedBitmap>> taken = ahead.take(QStringLiteral("/photos/slow.jpg"));
    EXPECT_LT(millisecondsSince(clock), 1000.0);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->ok() ? QString() : taken->error(),
        QStringLiteral("“slow.jpg” took too long to decode (the limit is 0.15 seconds)."));
    held->release();
    EXPECT_TRUE(held->waitFor([](const Held& h) { return h.finished == 1; }));
}

// A real file whose decode is one long libjpeg call that no cancel interrupts: a
// 64-megapixel progressive JPEG of 100 scans, within every limit, about a second to decode.
TEST(LookAhead, ClosingTheControllerDoesNotWaitForTheNextPicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("a.jpg"));
    ASSERT_TRUE(QFile::copy(test::samplePath("coffee.jpg"), first));
    QFile slow(dir.filePath(QStringLiteral("b.jpg")));
    ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
    slow.write(test::progressiveGreyJpeg(8192, 8192, 100));
    slow.close();

    for (bool quitFirst : { true, false }) {
        SCOPED_TRACE(quitFirst ? "quit, then destroyed" : "destroyed");
        NotificationCenter center;
        auto controller = std::make_unique<zent3controller>(center);
        ASSERT_TRUE(controller->applicationOpenFile(first));
        ASSERT_EQ(controller->lookAheadPath(), slow.fileName());
        std::this_thread::sleep_for(20ms); // let the decode get under way
        QElapsedTimer clock;
        clock.start();
        if (quitFirst)
            controller->onQuit();
        controller.reset();
        EXPECT_LT(millisecondsSince(clock), 250.0);
    }
}

} // namespace
