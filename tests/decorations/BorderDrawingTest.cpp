#include "DecorationTestSupport.h"

#include "decorations/DecorationDrawing.h"

#include <QColor>

#include <limits>
#include <vector>

using namespace quillum;
using namespace quillum::test;

namespace {

// One framed rectangle as the user sees it: (x, y) bottom-left, and the line width.
struct Frame {
    int x, y, width, height, pen;
    Argb color;
};

// An independent model of what a frame covers: inside the rectangle, outside its inner
// rectangle shrunk by the pen on every side.
bool onFrame(const Frame& f, int px, int py)
{
    const bool inside = px >= f.x && px < f.x + f.width && py >= f.y && py < f.y + f.height;
    const bool inner
        = px >= f.x + f.pen && px < f.x + f.width - f.pen && py >= f.y + f.pen && py < f.y + f.height - f.pen;
    return inside && !inner;
}

BorderSettings border(float offset, float pen, QColor color)
{
    BorderSettings b;
    b.offsetLeft = b.offsetRight = b.offsetTop = b.offsetBottom = offset;
    b.penSize = pen;
    b.color = color;
    return b;
}

struct BorderCase {
    const char* name;
    int width, height;
    std::vector<BorderSettings> borders; // shown, in order
    std::vector<Frame> expected; // opaque frames, later ones on top
};

std::vector<BorderCase> borderCases()
{
    BorderSettings uneven = border(0, 0.2f, Qt::red);
    uneven.offsetLeft = 1;
    uneven.offsetRight = 2;
    uneven.offsetTop = 3;
    uneven.offsetBottom = 4;
    BorderSettings translucent = border(2, 0.5f, QColor(0, 0, 255, 77)); // its own 30 % alpha is ignored
    return {
        { "defaults_1000x600", 1000, 600, { defaultBorder(0), defaultBorder(1), defaultBorder(2) },
            { { 0, 0, 1000, 600, 1, { 255, 0, 0, 0 } }, { 5, 5, 990, 590, 1, { 255, 128, 128, 128 } },
                { 10, 10, 980, 580, 1, { 255, 255, 255, 255 } } } },
        { "pen_0_draws_1_pixel", 500, 400, { border(2, 0, Qt::white) },
            { { 10, 10, 480, 380, 1, { 255, 255, 255, 255 } } } },
        { "pen_0.1_of_5000_is_5_pixels", 5000, 120, { border(0, 0.1f, Qt::white) },
            { { 0, 0, 5000, 120, 5, { 255, 255, 255, 255 } } } },
        { "sides_left_right_top_bottom", 1000, 500, { uneven }, { { 10, 40, 970, 430, 2, { 255, 255, 0, 0 } } } },
        { "pen_wider_than_rectangle_fills_it", 100, 100, { border(40, 30, Qt::white) },
            { { 40, 40, 20, 20, 30, { 255, 255, 255, 255 } } } },
        { "colour_alpha_30_percent_is_opaque", 300, 200, { translucent },
            { { 6, 6, 288, 188, 1, { 255, 0, 0, 255 } } } },
        { "offsets_past_the_middle_draw_nothing", 300, 200, { border(60, 1, Qt::white) }, {} },
        { "negative_offsets_frame_outside", 200, 100, { border(-1, 1, Qt::white) },
            { { -2, -2, 204, 104, 2, { 255, 255, 255, 255 } } } },
    };
}

} // namespace

TEST(BorderDrawing, FramesMatchTheModelPixelForPixel)
{
    const Argb background { 255, 10, 20, 30 };
    for (const BorderCase& c : borderCases()) {
        SCOPED_TRACE(c.name);
        DecorationSettings settings;
        settings.bordersOn = true;
        for (std::size_t i = 0; i < 3; ++i) {
            settings.borders[i] = i < c.borders.size() ? c.borders[i] : defaultBorder(int(i));
            settings.borders[i].show = i < c.borders.size();
        }
        BitmapImageRep out = filledOutput(c.width, c.height, background, 12);
        drawBorders(out, settings);

        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                Argb want = background;
                for (const Frame& f : c.expected)
                    if (onFrame(f, x, y))
                        want = f.color;
                if (pixelAt(out, x, y) != want && ++wrong <= 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") from the bottom left";
            }
        EXPECT_EQ(wrong, 0);
        // The row padding is not the picture's.
        for (int y = 0; y < c.height; ++y)
            for (int i = 0; i < 12; ++i)
                ASSERT_EQ(out.bitmapData()[std::size_t(y) * out.bytesPerRow() + std::size_t(c.width) * 4 + i], 0xEE);
    }
}

TEST(BorderDrawing, NothingWhenOffOrAllHidden)
{
    for (bool master : { false, true }) {
        DecorationSettings settings;
        settings.bordersOn = master;
        if (master)
            for (BorderSettings& b : settings.borders)
                b.show = false;
        BitmapImageRep out = filledOutput(64, 48, { 255, 1, 2, 3 });
        BitmapImageRep before = filledOutput(64, 48, { 255, 1, 2, 3 });
        drawBorders(out, settings);
        EXPECT_TRUE(samePixels(out, before)) << "master " << master;
    }
}

TEST(BorderDrawing, OpacityBlendsOnceEvenAtCorners)
{
    struct Row {
        const char* name;
        Argb background;
        float opacity;
        Argb edge; // what every frame pixel, corners included, becomes
    };
    const Row rows[] = {
        { "half_white_over_black", { 255, 0, 0, 0 }, 0.5f, { 255, 128, 128, 128 } },
        { "half_white_over_transparent", { 0, 0, 0, 0 }, 0.5f, { 128, 128, 128, 128 } },
        { "quarter_white_over_opaque_blue", { 255, 0, 0, 200 }, 0.25f, { 255, 64, 64, 214 } },
        { "zero_opacity", { 255, 9, 9, 9 }, 0.0f, { 255, 9, 9, 9 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DecorationSettings settings;
        settings.bordersOn = true;
        settings.borders[0] = border(0, 0.5f, Qt::white); // 2-pixel line on 400 x 300
        settings.borders[0].penOpaque = r.opacity;
        settings.borders[1].show = settings.borders[2].show = false;
        BitmapImageRep out = filledOutput(400, 300, r.background);
        drawBorders(out, settings);
        for (auto [x, y] :
            { std::pair { 0, 0 }, { 1, 1 }, { 399, 299 }, { 398, 0 }, { 0, 298 }, { 200, 1 }, { 1, 150 } })
            EXPECT_EQ(pixelAt(out, x, y), r.edge) << x << ", " << y;
        EXPECT_EQ(pixelAt(out, 2, 2), r.background);
    }
}

TEST(BorderDrawing, GeometryTruncatesInSinglePrecision)
{
    // 0.79 % of 1000 is 7.9: truncated, not rounded.
    BorderSettings b = border(0.79f, 0.79f, Qt::black);
    const BorderGeometry g = borderGeometry(b, 1000, 10);
    EXPECT_EQ(g.x, 7);
    EXPECT_EQ(g.pen, 7);
    EXPECT_EQ(g.width, 1000 - 14);
    EXPECT_LE(g.height, 0) << "the offsets overlap";

    b.penSize = std::numeric_limits<float>::quiet_NaN();
    b.offsetLeft = std::numeric_limits<float>::infinity();
    const BorderGeometry bad = borderGeometry(b, 1000, 10);
    EXPECT_EQ(bad.pen, 1);
    EXPECT_LE(bad.width, 0);
}
