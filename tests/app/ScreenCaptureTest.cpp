// The area a drag selects on the capture overlay.

#include "app/capture/ScreenCapture.h"

#include <gtest/gtest.h>

using namespace quillum;

TEST(ScreenCapture, SelectionFromADragInAnyDirection)
{
    const QRect screen(0, 0, 1440, 900);
    struct Row {
        const char* name;
        QPoint press, release;
        QRect expected;
    } rows[] = {
        { "down and right", { 10, 20 }, { 110, 70 }, QRect(QPoint(10, 20), QPoint(110, 70)) },
        { "up and left", { 110, 70 }, { 10, 20 }, QRect(QPoint(10, 20), QPoint(110, 70)) },
        { "past the screen edge", { 1400, 880 }, { 1600, 1000 }, QRect(QPoint(1400, 880), QPoint(1439, 899)) },
        { "a click is no area", { 50, 50 }, { 50, 51 }, QRect() },
    };
    for (const Row& r : rows)
        EXPECT_EQ(selectionRect(r.press, r.release, screen), r.expected) << r.name;
}
