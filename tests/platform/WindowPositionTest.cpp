// Panels pulled back onto the main screen, and the bottom-left ↔ Qt top-left conversion.

#include "platform/WindowPosition.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace quillum;

TEST(WindowPosition, ValidatePositionAtEachEdge)
{
    const Size s { 1440, 900 };
    struct Row {
        const char* name;
        Rect frame;
        Size screen;
        Rect want;
        bool changed;
    } rows[] = {
        { "20 points showing on the left", { -280, 100, 300, 200 }, s, { 0, 100, 300, 200 }, true },
        { "64 showing on the left stay", { -236, 100, 300, 200 }, s, { -236, 100, 300, 200 }, false },
        { "63 showing on the left move", { -237, 100, 300, 200 }, s, { 0, 100, 300, 200 }, true },
        { "40 inside the right edge", { 1400, 100, 300, 200 }, s, { 1140, 100, 300, 200 }, true },
        { "40 inside the top edge", { 100, 860, 300, 200 }, s, { 100, 700, 300, 200 }, true },
        { "fully on screen", { 100, 100, 300, 200 }, s, { 100, 100, 300, 200 }, false },
        { "x rewritten with its own value", { 0, 100, 40, 40 }, s, { 0, 100, 40, 40 }, false },
        // Step 3 tests the x step 1 made: on a 50-point screen 0 is too far right.
        { "step 3 sees step 1's x", { -500, 100, 40, 40 }, { 50, 900 }, { 10, 100, 40, 40 }, true },
        { "no screen pulls to (-w, -h)", { 100, 100, 300, 200 }, {}, { -300, -200, 300, 200 }, true },
        // 1440.1 is 1440.09998 in single precision: 64 points in double, just under in float.
        { "screen size rounded to float", { 1440.1 - 64, 100, 300, 200 }, { 1440.1, 900 },
            { double(1440.1f) - 300, 100, 300, 200 }, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PositionCheck got = validatePosition(r.frame, r.screen);
        EXPECT_EQ(got.changed, r.changed);
        EXPECT_EQ(got.frame, r.want);
    }
    EXPECT_FALSE(validatePosition({ NAN, 100, 300, 200 }, s).changed);
}

TEST(WindowPosition, TopLeftConversionFlipsAboutTheScreenHeight)
{
    struct Row {
        const char* name;
        QRect qt;
        Rect bottomLeft;
        bool roundTrips;
    } rows[] = {
        { "top-left corner", { 0, 0, 300, 200 }, { 0, 700, 300, 200 }, true },
        { "touching the bottom", { 50, 700, 300, 200 }, { 50, 0, 300, 200 }, true },
        { "above the screen", { -1920, -250, 300, 200 }, { -1920, 950, 300, 200 }, true },
        { "empty", { 5, 5, 0, 0 }, { 5, 895, 0, 0 }, true },
        // Bottom edge at INT_MAX: top + height is one past int's range.
        { "bottom at INT_MAX", { QPoint(0, INT_MAX - 99), QPoint(99, INT_MAX) }, { 0, 900.0 - INT_MAX - 1, 100, 100 },
            false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(toBottomLeft(r.qt, 900), r.bottomLeft);
        if (r.roundTrips) {
            EXPECT_EQ(toTopLeft(r.bottomLeft, 900), r.qt);
        }
    }
    // Whole points, halves away from zero; Qt adds left and width in int, so both clamp.
    EXPECT_EQ(toTopLeft({ 0.5, 10.4, 99.5, 20.2 }, 900), QRect(1, 869, 100, 20));
    EXPECT_EQ(toTopLeft({ 1e12, -1e12, 1e12, 10 }, 900), QRect(1 << 29, 1 << 29, 1 << 29, 10));
    EXPECT_EQ(toTopLeft({ NAN, 0, 10, 10 }, 900), QRect(0, 890, 10, 10));
}
