// Panels pulled back onto the main screen, and the bottom-left ↔ Qt top-left conversion.

#include "platform/WindowPosition.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace quillum;

TEST(WindowPosition, ValidatePositionAtEachEdge)
{
    const Size screen { 1440, 900 };
    struct Row {
        const char* name;
        Rect frame;
        Size screen;
        Rect want;
        bool changed;
    } rows[] = {
        { "20 points left of the left edge come back to x 0", { -280, 100, 300, 200 }, screen, { 0, 100, 300, 200 },
            true },
        { "64 points visible on the left stay", { -236, 100, 300, 200 }, screen, { -236, 100, 300, 200 }, false },
        { "63 points visible on the left move", { -237, 100, 300, 200 }, screen, { 0, 100, 300, 200 }, true },
        { "below the bottom edge comes back to y 0", { 100, -150, 300, 200 }, screen, { 100, 0, 300, 200 }, true },
        { "40 points inside the right edge: far edge meets it", { 1400, 100, 300, 200 }, screen,
            { 1140, 100, 300, 200 }, true },
        { "exactly 64 inside the right edge stays", { 1376, 100, 300, 200 }, screen, { 1376, 100, 300, 200 }, false },
        { "40 points inside the top edge: far edge meets it", { 100, 860, 300, 200 }, screen, { 100, 700, 300, 200 },
            true },
        { "fully on screen is untouched", { 100, 100, 300, 200 }, screen, { 100, 100, 300, 200 }, false },
        { "both axes at once", { -290, 880, 300, 200 }, screen, { 0, 700, 300, 200 }, true },
        // Step 3 tests the x step 1 made: on a 50-point screen 0 is too far right.
        { "tiny screen: step 3 sees step 1's x", { -500, 100, 40, 40 }, { 50, 900 }, { 10, 100, 40, 40 }, true },
        { "a step rewriting x with its own value is no change", { 0, 100, 40, 40 }, screen, { 0, 100, 40, 40 },
            false },
        { "no screen: the far-edge rules pull to (-w, -h)", { 100, 100, 300, 200 }, {}, { -300, -200, 300, 200 },
            true },
        // 1440.1 is 1440.09998 in single precision: 64 points in double, just under in float.
        { "screen size rounded to float", { 1440.1 - 64, 100, 300, 200 }, { 1440.1, 900 },
            { double(1440.1f) - 300, 100, 300, 200 }, true },
        { "non-finite frame is left alone", { NAN, 100, 300, 200 }, screen, { NAN, 100, 300, 200 }, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const PositionCheck got = validatePosition(r.frame, r.screen);
        EXPECT_EQ(got.changed, r.changed);
        if (std::isnan(r.want.x)) {
            EXPECT_TRUE(std::isnan(got.frame.x));
            continue;
        }
        EXPECT_EQ(got.frame, r.want);
    }
}

TEST(WindowPosition, BottomLeftAndTopLeftFlipAboutTheScreenHeight)
{
    struct Row {
        const char* name;
        QRect qt;
        int screenHeight;
        Rect bottomLeft;
    } rows[] = {
        { "top-left corner of the screen", { 0, 0, 300, 200 }, 900, { 0, 700, 300, 200 } },
        { "bottom edge touching the screen's bottom", { 50, 700, 300, 200 }, 900, { 50, 0, 300, 200 } },
        { "above the screen (negative Qt y)", { 10, -250, 300, 200 }, 900, { 10, 950, 300, 200 } },
        { "second screen to the left", { -1920, 100, 300, 200 }, 1080, { -1920, 780, 300, 200 } },
        { "empty rect", { 5, 5, 0, 0 }, 900, { 5, 895, 0, 0 } },
        { "top plus height one past int", { 0, INT_MAX - 99, 100, 100 }, 0, { 0, double(INT_MIN), 100, 100 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(toBottomLeft(r.qt, r.screenHeight), r.bottomLeft);
        EXPECT_EQ(toTopLeft(r.bottomLeft, r.screenHeight), r.qt);
    }
}

TEST(WindowPosition, TopLeftRoundsAndClampsToWholePoints)
{
    struct Row {
        const char* name;
        Rect frame;
        QRect want;
    } rows[] = {
        // Top = 900 - (10.4 + 20.2) = 869.4 → 869.
        { "fractions round to the nearest point", { 0.5, 10.4, 99.5, 20.2 }, { 1, 869, 100, 20 } },
        { "beyond int clamps", { 1e12, 0, 10, 10 }, { INT_MAX, 890, 10, 10 } },
        { "NaN becomes 0", { NAN, 0, 10, 10 }, { 0, 890, 10, 10 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(toTopLeft(r.frame, 900), r.want);
    }
}
