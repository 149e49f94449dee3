// The constraint operations that place the frame, at the numbers they must reproduce.

#include "cropframe/PkCroppingImageView.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillum;

namespace {

struct Panel {
    NotificationCenter center;
    PkCroppingImageView view { center };
    int changes = 0;
    Panel(double w, double h)
    {
        view.setPictureSize({ w, h });
        view.setScrollViewFrameSize({ 100000, 100000 }); // everything visible
        center.addObserver(QStringLiteral("SelRectDidChangeNotification"), nullptr, [this](const Notification& n) {
            EXPECT_EQ(n.object, view.selRect());
            ++changes;
        });
    }
    Rect frame() const { return view.selRect()->frame(); }
    void setFrame(Rect r) { view.selRect()->setFrame(r); }
};

void expectRect(const Rect& got, const Rect& want, double tolerance = 1e-3)
{
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.width, want.width, tolerance);
    EXPECT_NEAR(got.height, want.height, tolerance);
}

} // namespace

TEST(CropFrameModel, LargestFrameOfARatio)
{
    struct Row {
        const char* name;
        float x, y;
        Rect expected;
    } rows[] = {
        { "free", 0, 1, { 0, 0, 4000, 3000 } },
        { "1:1", 1, 1, { 500, 0, 3000, 3000 } },
        { "2:1", 2, 1, { 0, 500, 4000, 2000 } },
        { "16:9", 16, 9, { 0, 375, 4000, 2250 } },
        { "Y of 0 is free", 3, 0, { 0, 0, 4000, 3000 } },
    };
    for (const Row& r : rows) {
        Panel p(4000, 3000);
        p.view.selRect()->setCropAspectRatioXY(r.x, r.y);
        p.view.selectMaxWithNotification(true);
        SCOPED_TRACE(r.name);
        expectRect(p.frame(), r.expected);
        EXPECT_EQ(p.changes, 1);
    }
    Panel p(4000, 3000);
    p.view.selRect()->setCropAspectRatioXY(16, 9);
    p.view.selectMaxWithNotification(false);
    EXPECT_LT(p.frame().width, 4000.0) << "16/9 is not exact in single precision";
    EXPECT_GT(p.frame().width, 3999.99);
    EXPECT_EQ(p.changes, 0);
}

TEST(CropFrameModel, MarginAndManualRectangle)
{
    Panel p(1000, 800);
    p.view.selectMaxWithMarginWithNotification(0.1f, false);
    expectRect(p.frame(), { 100, 80, 800, 640 });
    p.view.selRect()->setCropAspectRatioXY(1, 1);
    p.view.selectMaxWithMarginWithNotification(0.1f, false);
    expectRect(p.frame(), { 180, 80, 640, 640 });

    p.view.setLastManualRect({ 0, 0, 1000, 1000 });
    p.view.selRect()->setCropAspectRatioXY(4, 3);
    p.view.adjustSelectionAspectWithNotification(true);
    expectRect(p.frame(), { 0, 125, 1000, 750 });
    EXPECT_GT(p.frame().width, 1000.0) << "a few hundred-thousandths above";
    EXPECT_LT(p.frame().width, 1000.0001);
    EXPECT_EQ(p.changes, 1);
}

TEST(CropFrameModel, ValidationBringsTheFrameInside)
{
    struct Row {
        const char* name;
        Rect frame, expected;
    } rows[] = {
        { "past the right and the bottom", { 700, -20, 500, 400 }, { 500, 0, 500, 400 } },
        { "wider than the picture: largest of its own 4:1", { 0, 0, 1200, 300 }, { 0, 275, 1000, 250 } },
        { "past the top", { 10, 700, 100, 200 }, { 10, 600, 100, 200 } },
        { "inside stays", { 1, 2, 3, 4 }, { 1, 2, 3, 4 } },
        { "too wide with no height: the whole picture", { 0, 0, 1200, 0 }, { 0, 0, 1000, 800 } },
    };
    for (const Row& r : rows) {
        Panel p(1000, 800);
        p.setFrame(r.frame);
        p.view.validateSelectionLocationWithNotification(true);
        SCOPED_TRACE(r.name);
        expectRect(p.frame(), r.expected);
        EXPECT_TRUE(std::isfinite(p.frame().width));
        EXPECT_EQ(p.changes, 1);
    }
}

TEST(CropFrameModel, QuarterTurnsOfTheFrame)
{
    struct Row {
        float from, to;
        Rect expected;
    } rows[] = {
        { 0, 0, { 100, 100, 300, 200 } }, { 0, 90, { 500, 100, 200, 300 } }, { 0, 180, { 600, 500, 300, 200 } },
        { 0, 270, { 100, 600, 200, 300 } }, { 90, 180, { 500, 100, 200, 300 } }, { 270, 0, { 500, 100, 200, 300 } },
        { -90, 0, { 500, 100, 200, 300 } }, { 45, 90, { 100, 600, 200, 300 } }, // not a right angle: the 270 mapping
    };
    for (const Row& r : rows) {
        Panel p(1000, 800);
        p.setFrame({ 100, 100, 300, 200 });
        p.view.selRect()->setPreRotatedAngleDegs(r.from);
        p.view.rotateCropperFor(r.to);
        SCOPED_TRACE(::testing::Message() << r.from << " -> " << r.to);
        expectRect(p.frame(), r.expected);
    }
    Panel p(1000, 800);
    p.setFrame({ 100, 100, 300, 200 });
    p.view.rotateCropperBy90();
    expectRect(p.frame(), { 150, 50, 200, 300 });
}

TEST(CropFrameModel, FreeRotationMovesTheFrameWithThePicture)
{
    // A 90-degree turn through the general rule matches the exact mapping.
    Panel p(800, 1000);
    p.setFrame({ 100, 100, 300, 200 });
    p.view.selRect()->setPreRotatedAngleDegs(90);
    p.view.moveCropperByRotationOldSize(0, { 1000, 800 });
    // Centre (250, 200) relative to (500, 400) is (-250, -200); turned a quarter
    // counter-clockwise it is (200, -250); in the 800 x 1000 picture: (600, 250).
    expectRect(p.frame(), { 600 - 150, 250 - 100, 300, 200 });
    // No turn: the frame only follows the change of size.
    Panel q(1100, 900);
    q.setFrame({ 10, 20, 30, 40 });
    q.view.moveCropperByRotationOldSize(0, { 1000, 800 });
    expectRect(q.frame(), { 60, 70, 30, 40 });
}

TEST(CropFrameModel, HandleAreas)
{
    Panel p(1000, 800);
    const Rect frame { 100, 50, 400, 300 };
    struct Row {
        int location;
        Rect area;
    } rows[] = {
        { 1, { 92, 342, 16, 16 } },
        { 2, { 108, 342, 392, 16 } },
        { 3, { 492, 342, 16, 16 } },
        { 4, { 92, 58, 16, 292 } },
        { 5, { 108, 58, 392, 292 } },
        { 6, { 492, 58, 16, 292 } },
        { 7, { 92, 42, 16, 16 } },
        { 8, { 108, 42, 392, 16 } },
        { 9, { 492, 42, 16, 16 } },
        { 10, { 504, 354, 16, 16 } },
        { 11, { 480, 330, 16, 16 } },
        { 0, { 100, 50, 400, 300 } },
    };
    for (const Row& r : rows)
        expectRect(p.view.makeActiveRectForRectAtHandleLocationWithHandleSize(frame, r.location, 8), r.area);

    // Only the visible part counts; no scroll view, no area.
    p.view.setFrameSize({ 1000, 800 });
    p.view.setScrollViewFrameSize({ 300, 200 });
    p.view.clipView().scrollToPoint({ 0, 0 });
    // Both scroll bars show (15 units each): 285 x 185 of the panel is visible.
    expectRect(p.view.makeActiveRectForRectAtHandleLocationWithHandleSize(frame, 5, 8), { 108, 58, 177, 127 });
    EXPECT_TRUE(p.view.makeActiveRectForRectAtHandleLocationWithHandleSize(frame, 3, 8).isEmpty());
    p.view.setScrollViewFrameSize({ 0, 0 });
    EXPECT_TRUE(p.view.makeActiveRectForRectAtHandleLocationWithHandleSize(frame, 5, 8).isEmpty());
}

TEST(CropFrameModel, NoPictureChangesNothing)
{
    Panel p(0, 0);
    p.view.selRect()->setCropAspectRatioXY(3, 2);
    const Rect before = p.frame();
    p.view.selectMaxWithNotification(true);
    p.view.selectMaxWithMarginWithNotification(0.1f, true);
    p.view.validateSelectionLocationWithNotification(true);
    EXPECT_EQ(p.frame(), before);
    EXPECT_EQ(p.changes, 0);
}
