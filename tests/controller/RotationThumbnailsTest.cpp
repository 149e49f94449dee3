// The thumbnail workers' hand-over: only the newest picture's set is ever taken.

#include "controller/RotationThumbnails.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>
#include <utility>

using namespace quillum;

namespace {

std::shared_ptr<const BitmapImageRep> picture(int w, int h)
{
    auto rep = std::make_shared<BitmapImageRep>(BitmapImageRep::makeARGB(w, h));
    std::fill(rep->bitmapData(), rep->bitmapData() + rep->planeBytes(), std::uint8_t(255));
    return rep;
}

std::pair<int, int> shownSize(const RotationThumbnails::Set& set)
{
    return set[0] ? std::pair { set[0]->pixelsWide(), set[0]->pixelsHigh() } : std::pair { 0, 0 };
}

} // namespace

TEST(RotationThumbnails, AnOlderWorkerFinishingLastKeepsTheNewerSet)
{
    RotationThumbnails thumbnails;
    std::promise<void> release, olderDone, newerDone;
    std::shared_future<void> released = release.get_future().share();
    std::future<void> older = olderDone.get_future(), newer = newerDone.get_future();

    thumbnails.setBeforePublishForTesting([released] { released.wait(); });
    thumbnails.start(picture(72, 36), [&] { olderDone.set_value(); });
    thumbnails.setBeforePublishForTesting({});
    thumbnails.start(picture(36, 72), [&] { newerDone.set_value(); });

    newer.wait();
    EXPECT_EQ(shownSize(thumbnails.take()), (std::pair { 18, 36 })) << "the newer picture's set";
    release.set_value();
    older.wait();
    EXPECT_EQ(shownSize(thumbnails.take()), (std::pair { 18, 36 })) << "still the newer set";
}

// 36 points on the longer side at the screen's ratio; ratios outside 1 to 4 are held to it.
TEST(RotationThumbnails, SizeFollowsTheScreensPixelRatio)
{
    struct Row {
        double ratio;
        std::pair<int, int> size;
    } rows[] = { { 1.0, { 36, 18 } }, { 1.5, { 54, 27 } }, { 2.0, { 72, 36 } }, { 0.0, { 36, 18 } }, { 9.0, { 144, 72 } } };
    for (const Row& r : rows) {
        RotationThumbnails thumbnails;
        thumbnails.setPixelRatio(r.ratio);
        std::promise<void> done;
        std::future<void> finished = done.get_future();
        thumbnails.start(picture(400, 200), [&] { done.set_value(); });
        finished.wait();
        EXPECT_EQ(shownSize(thumbnails.take()), r.size) << r.ratio;
    }
}
