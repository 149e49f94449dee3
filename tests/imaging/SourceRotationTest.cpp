// The sense of the source turns: positive angles turn counter-clockwise on screen, on the
// quarter-turn path and on the free-angle path alike.

#include "imaging/SourceRotation.h"
#include "imaging/Effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

using namespace quillum;

namespace {

// Opaque black with one green marker pixel.
BitmapImageRep withMarker(int w, int h, int mx, int my)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(w, h);
    for (int i = 0; i < w * h; ++i) {
        std::uint8_t* p = rep.bitmapData() + 4 * i;
        p[0] = 255, p[1] = p[3] = 0, p[2] = (i == my * w + mx) ? 255 : 0;
    }
    return rep;
}

// The position of the greenest pixel (green over red, so the white corners do not count),
// rows top first.
std::pair<int, int> brightest(const BitmapImageRep& rep)
{
    int best = -256, at = 0;
    for (int i = 0; i < rep.pixelsWide() * rep.pixelsHigh(); ++i) {
        const std::uint8_t* p = rep.bitmapData() + 4 * i;
        if (p[2] - p[1] > best)
            best = p[2] - p[1], at = i;
    }
    return { at % rep.pixelsWide(), at / rep.pixelsWide() };
}

} // namespace

TEST(SourceRotationSense, QuarterTurnsMoveTheTopRightCorner)
{
    struct Row {
        float degrees;
        std::pair<int, int> marker; // where the top-right pixel of a 4 x 2 picture lands
    } rows[] = {
        { 0, { 3, 0 } },
        { 90, { 0, 0 } }, // counter-clockwise: top right goes to top left
        { 180, { 0, 1 } },
        { 270, { 1, 3 } }, // clockwise: top right goes to bottom right
        { -90, { 1, 3 } },
    };
    for (const Row& r : rows) {
        const BitmapImageRep turned = rotateBackup(withMarker(4, 2, 3, 0), r.degrees);
        ASSERT_FALSE(turned.isNull()) << r.degrees;
        EXPECT_EQ(brightest(turned), r.marker) << r.degrees;
    }
}

TEST(SourceRotationSense, FreeAngleTurnsCounterClockwiseLikeQuarterTurnOne)
{
    // 21 x 11 turned by +30 degrees is 23 x 19 (|trunc(21 cos)| + |trunc(11 sin)| by
    // |trunc(21 sin)| + |trunc(11 cos)|); the centres are (10, 5) and (11, 9). A marker 8 to
    // the right of the centre, turned counter-clockwise with y down, lands at offset
    // (8 cos 30, -8 sin 30) = (6.93, -4): pixel (18, 5). Clockwise it would be (18, 13).
    const BitmapImageRep turned = rotateBackup(withMarker(21, 11, 18, 5), 30);
    ASSERT_EQ(turned.pixelsWide(), 23);
    ASSERT_EQ(turned.pixelsHigh(), 19);
    EXPECT_EQ(brightest(turned), (std::pair { 18, 5 }));
    EXPECT_GT(turned.bitmapData()[4 * (5 * 23 + 18) + 2], 200) << "reads the marker almost alone";

    // The free routine at pi/2 gives exactly what rotation constant 1 gives.
    BitmapImageRep source = withMarker(4, 2, 3, 0);
    BitmapImageRep free = BitmapImageRep::makeARGB(2, 4), quarter = BitmapImageRep::makeARGB(2, 4);
    const vImage_Buffer in = bufferFor(source), a = bufferFor(free), b = bufferFor(quarter);
    const Pixel_8888 background = { 0, 255, 255, 255 };
    ASSERT_EQ(
        vImageRotate_ARGB8888(&in, &a, nullptr, float(std::numbers::pi / 2), background, kvImageBackgroundColorFill),
        kvImageNoError);
    ASSERT_EQ(vImageRotate90_ARGB8888(&in, &b, 1, nullptr, kvImageNoFlags), kvImageNoError);
    EXPECT_EQ(std::vector<std::uint8_t>(free.bitmapData(), free.bitmapData() + free.planeBytes()),
        std::vector<std::uint8_t>(quarter.bitmapData(), quarter.bitmapData() + quarter.planeBytes()));
}
