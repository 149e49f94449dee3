// Pointer, key and wheel rules, and how often a gesture is reported.

#include "cropframe/FrameDrawing.h"
#include "cropframe/PkCroppingImageView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

using namespace quillum;

namespace {

// A timer driven by hand: advance() plays the clock forward.
class ManualTimer final : public OneShotTimer {
public:
    explicit ManualTimer(double* clock)
        : m_clock(clock)
    { }
    void fireAfter(double seconds, std::function<void()> action) override
    {
        m_due = *m_clock + seconds;
        m_action = std::move(action);
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    void poll()
    {
        if (m_active && *m_clock >= m_due - 1e-9) {
            m_active = false;
            m_action();
        }
    }

private:
    double* m_clock;
    double m_due = 0;
    bool m_active = false;
    std::function<void()> m_action;
};

struct Panel {
    NotificationCenter center;
    double clock = 0;
    ManualTimer* timer;
    std::unique_ptr<PkCroppingImageView> view;
    std::map<QString, int> posted;
    Panel(double w = 1000, double h = 800)
    {
        auto t = std::make_unique<ManualTimer>(&clock);
        timer = t.get();
        view = std::make_unique<PkCroppingImageView>(center, std::move(t));
        view->setPictureSize({ w, h });
        view->setScrollViewFrameSize({ 100000, 100000 });
        view->selRect()->setFrame({ 100, 100, 300, 200 });
        center.addObserver(QString(), nullptr, [this](const Notification& n) { ++posted[n.name]; });
    }
    void advance(double seconds)
    {
        clock += seconds;
        timer->poll();
    }
    Rect frame() const { return view->selRect()->frame(); }
    void drag(Point from, Point to, int steps = 1)
    {
        view->mouseDown({ from });
        for (int i = 1; i <= steps; ++i)
            view->mouseDragged({ { from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps } });
        view->mouseUp({ to });
    }
};

void expectRect(const Rect& got, const Rect& want, double tolerance = 0.01)
{
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.width, want.width, tolerance);
    EXPECT_NEAR(got.height, want.height, tolerance);
}

} // namespace

TEST(Interaction, HitTestingOrderAndTheEdgesOfActiveAreas)
{
    // Frame (100, 50, 400, 300), s = 8, v = 4. Areas are closed at their low edges and open
    // at their high edges: corner 1 is [92, 108) x [342, 358), top edge [108, 500) x [342,
    // 358), left edge [92, 108) x [58, 350), right edge [492, 508) x [58, 350), corner 7
    // [92, 108) x [42, 58), rotation grip [504, 520) x [354, 370), inner grip [480, 496) x
    // [330, 346); inside is the frame [100, 500) x [50, 350).
    Panel p;
    p.view->selRect()->setFrame({ 100, 50, 400, 300 });
    struct Row {
        const char* name;
        Point at;
        int location;
    } rows[] = {
        { "corner 1", { 100, 350 }, 1 },
        { "top edge", { 300, 350 }, 2 },
        { "corner 3", { 500, 350 }, 3 },
        { "left edge", { 100, 200 }, 4 },
        { "inside", { 300, 200 }, 5 },
        { "right edge", { 500, 200 }, 6 },
        { "corner 7", { 100, 50 }, 7 },
        { "corner 9", { 500, 50 }, 9 },
        { "rotation grip", { 512, 362 }, 10 },
        { "inner grip", { 488, 338 }, 10 },
        { "far outside", { 700, 700 }, 0 },
        { "corners win over edges where they overlap", { 107.9, 342 }, 1 },
        { "corner's low x edge is in", { 92, 350 }, 1 },
        { "corner's high x edge belongs to the top edge", { 108, 350 }, 2 },
        { "corner's low y edge is in (over the left edge)", { 100, 342 }, 1 },
        { "corner's high y edge is outside", { 100, 358 }, 0 },
        { "top edge's low y edge is in", { 300, 342 }, 2 },
        { "just below the top edge is inside", { 300, 341.99 }, 5 },
        { "top edge's high y edge is outside", { 300, 358 }, 0 },
        { "right edge's low x edge is in", { 492, 200 }, 6 },
        { "just left of the right edge is inside", { 491.99, 200 }, 5 },
        { "right edge's high x edge is outside", { 508, 200 }, 0 },
        { "bottom edge at the frame's own edge", { 300, 50 }, 8 },
        { "bottom edge's high y edge is inside", { 300, 58 }, 5 },
        { "corner 7's high y edge belongs to the left edge", { 100, 58 }, 4 },
        { "just below it is corner 7", { 100, 57.99 }, 7 },
        { "rotation grip's low corner under corner 3", { 504, 354 }, 3 },
        { "corner 3's open corner is the rotation grip", { 508, 358 }, 10 },
        { "rotation grip's high x edge is outside", { 520, 362 }, 0 },
        { "inner grip's low corner", { 480, 330 }, 10 },
        { "inner grip under the right edge", { 492, 338 }, 6 },
        { "inner grip under the top edge", { 480, 342 }, 2 },
        { "just left of the inner grip is inside", { 479.99, 335 }, 5 },
    };
    for (const Row& r : rows)
        EXPECT_EQ(p.view->gripPoint(r.at), r.location) << r.name;
    p.view->setScale(2.0f); // the frame is now (200, 100, 800, 600) in view units
    EXPECT_EQ(p.view->gripPoint({ 1000, 700 }), 3);
}

TEST(Interaction, DrawnHandlesLieInsideTheirActiveAreas)
{
    // Whatever is drawn bigger than visibleHandleSize must still be hit as that handle, up
    // to the outside of its outline, at every zoom.
    Panel p;
    p.view->selRect()->setFrame({ 100, 50, 400, 300 });
    const double outline = handleOutlinePen().widthF() / 2.0 - 0.01;
    for (float scale : { 0.25f, 1.0f, 2.0f }) {
        p.view->setScale(scale);
        const FramePaintPlan plan = planFrameDrawing(*p.view->selRect(), { -100, -100, 2000, 2000 }, scale);
        // cornerHandleRects order: bottom-left, top-left, bottom-right, top-right.
        const int locations[] = { HandleBottomLeft, HandleTopLeft, HandleBottomRight, HandleTopRight };
        for (int i = 0; i < 4; ++i) {
            const Rect& h = plan.handles[i];
            EXPECT_GE(h.width, 9.0) << "seen on a 2x screen too";
            for (double x : { h.x - outline, h.maxX() + outline })
                for (double y : { h.y - outline, h.maxY() + outline })
                    EXPECT_EQ(p.view->gripPoint({ x, y }), locations[i]) << scale << " at " << x << "," << y;
        }
    }
}

TEST(Interaction, DragResults)
{
    struct Row {
        const char* name;
        float ratio;
        Point from, to;
        Rect expected;
    } rows[] = {
        { "top-left, free", 0, { 100, 300 }, { 80, 330 }, { 80, 100, 320, 230 } },
        { "top-left, 3:2", 1.5f, { 100, 300 }, { 80, 330 }, { 80, 100, 320, 213.33 } },
        { "top edge, 3:2: centred widening", 1.5f, { 250, 300 }, { 250, 330 }, { 77.5, 100, 345, 230 } },
        { "bottom-right far away, 3:2", 1.5f, { 400, 100 }, { 2400, 2100 }, { 100, 0, 450, 300 } },
        { "move far away", 0, { 250, 200 }, { 2250, 2200 }, { 700, 600, 300, 200 } },
        { "move past the left and bottom", 0, { 250, 200 }, { -500, -500 }, { 0, 0, 300, 200 } },
        { "bottom-left, free", 0, { 100, 100 }, { 50, 20 }, { 50, 20, 350, 280 } },
        { "right edge past the picture", 0, { 400, 200 }, { 1500, 200 }, { 100, 100, 900, 200 } },
        { "left edge, 3:2, clamped at 0", 1.5f, { 100, 200 }, { -2000, 200 }, { 0, 66.67, 400, 266.67 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Panel p;
        p.view->selRect()->setCropAspectRatioXY(r.ratio, 1);
        p.drag(r.from, r.to);
        expectRect(p.frame(), r.expected);
        EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 1);
        EXPECT_EQ(p.view->lastManualRect(), p.frame());
    }
}

TEST(Interaction, LockedEdgeTallerThanThePictureFillsIt)
{
    Panel p(1000, 200);
    p.view->selRect()->setFrame({ 100, 20, 300, 150 });
    p.view->selRect()->setCropAspectRatioXY(3, 2);
    p.drag({ 100, 100 }, { -50, 100 }); // left edge to 0: 400 wide would need 266.67 of 200
    expectRect(p.frame(), { 100, 0, 300, 200 });
}

TEST(Interaction, AGestureIsReportedOnce)
{
    Panel p;
    p.view->mouseDown({ { 250, 200 } });
    for (int i = 0; i < 50; ++i)
        p.view->mouseDragged({ { 250.0 + i, 200.0 + i / 2.0 } });
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 0) << "nothing during the drag";
    p.view->mouseUp({});
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 1);

    // Key repeats: one report, at the release.
    const KeyEvent right { NumericPadKeyMask, QString(QChar(RightArrowFunctionKey)) };
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(p.view->keyDown(right));
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 1);
    p.view->keyUp(right);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 2);
    p.view->keyUp(right);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 2);

    // Two wheel steps 0.1 s apart: one report, 0.3 s after the second.
    const ScrollWheelEvent wheel { ShiftKeyMask, 1, 0, 4 };
    p.view->scrollWheel(wheel);
    p.advance(0.1);
    p.view->scrollWheel(wheel);
    p.advance(0.29);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 2);
    p.advance(0.02);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 3);
    p.advance(1);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 3);

    // A double click saves; the frame stays.
    const Rect before = p.frame();
    p.view->mouseDown({ { 250, 200 }, 0, 2 });
    EXPECT_EQ(p.posted["CropperWasDoubleClicked"], 1);
    EXPECT_EQ(p.frame(), before);
    EXPECT_FALSE(p.view->selectionMoving());
}

TEST(Interaction, RotationDragReportsTheAngle)
{
    Panel p;
    p.view->selRect()->setFrame({ 100, 100, 200, 200 }); // centre (200, 200), grip at (312, 312)
    p.view->mouseDown({ { 312, 312 } });
    EXPECT_EQ(p.view->selectionMoveType(), HandleRotation);
    p.view->mouseDragged({ { 200 - 112 * std::sqrt(2.0), 200 } }); // from 45 to 180 degrees
    EXPECT_NEAR(p.view->angleOfRotation(), 3 * std::numbers::pi / 4, 1e-6) << "135, not -225";
    p.view->mouseDragged({ { 312, 88 } }); // to -45 degrees: a quarter clockwise
    EXPECT_NEAR(p.view->angleOfRotation(), -std::numbers::pi / 2, 1e-6);
    const float angle = p.view->angleOfRotation();
    p.view->mouseUp({});
    EXPECT_EQ(p.posted["SelRectDidRotationNotification"], 1);
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 0);
    EXPECT_FLOAT_EQ(p.view->selRect()->cropAngle(), angle);
    EXPECT_EQ(p.frame(), (Rect { 100, 100, 200, 200 }));
}

TEST(Interaction, ArrowKeys)
{
    struct Row {
        const char* name;
        Rect frame;
        float ratio;
        char16_t key;
        unsigned flags;
        Rect expected;
    } rows[] = {
        { "Control+Right at the right edge", { 600, 700, 400, 300 }, 0, RightArrowFunctionKey, ControlKeyMask,
            { 600, 700, 400, 300 } },
        { "Shift+Left with 3:2", { 100, 50, 400, 300 }, 1.5f, LeftArrowFunctionKey, ShiftKeyMask,
            { 100, 67, 399, 266 } },
        { "Shift+Up on height 1", { 10, 10, 50, 1 }, 0, UpArrowFunctionKey, ShiftKeyMask, { 10, 11, 50, 1 } },
        { "Shift+Down grows down", { 10, 10, 50, 20 }, 0, DownArrowFunctionKey, ShiftKeyMask | ControlKeyMask,
            { 10, 0, 50, 30 } },
        { "Down stops at 0", { 10, 3, 50, 20 }, 0, DownArrowFunctionKey, ControlKeyMask, { 10, 0, 50, 20 } },
        { "Shift+Up with 2:1 keeps the top", { 100, 100, 200, 100 }, 2.0f, UpArrowFunctionKey, ShiftKeyMask,
            { 101, 101, 198, 99 } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Panel p(1000, 1000);
        p.view->selRect()->setFrame(r.frame);
        p.view->selRect()->setCropAspectRatioXY(r.ratio, 1);
        EXPECT_TRUE(p.view->keyDown({ r.flags | NumericPadKeyMask, QString(QChar(r.key)) }));
        expectRect(p.frame(), r.expected);
    }
    Panel p;
    EXPECT_FALSE(p.view->keyDown({ 0, QStringLiteral("a") })) << "other keys go on";
    EXPECT_FALSE(p.view->keyDown({ NumericPadKeyMask, QStringLiteral("5") }));
    EXPECT_TRUE(p.view->keyDown({ NumericPadKeyMask, QString() })) << "no characters: dropped";
    EXPECT_FALSE(p.view->movingSelWithByKyes());
}

TEST(Interaction, WheelGrowsAndShrinksAboutTheCentre)
{
    Panel p;
    EXPECT_FALSE(p.view->scrollWheel({ 0, 1, 0, 5 })) << "without Shift the panel scrolls";
    EXPECT_TRUE(p.view->scrollWheel({ ShiftKeyMask, 1, 0, 3 }));
    expectRect(p.frame(), { 97, 98, 306, 204 });
    p.view->selRect()->setFrame({ 100, 100, 300, 200 });
    p.view->scrollWheel({ ShiftKeyMask | ControlKeyMask, 0, 2, -1 }); // d = -1 + 2 * 3 = 5
    expectRect(p.frame(), { 95, 96.67, 310, 206.67 });
    p.view->selRect()->setFrame({ 0, 0, 1000, 800 });
    p.view->scrollWheel({ ShiftKeyMask, 1, 0, 5 });
    expectRect(p.frame(), { 0, 0, 1000, 800 }); // no room: the frame stays
    p.view->selRect()->setFrame({ 10, 10, 4, 2 });
    p.view->scrollWheel({ ShiftKeyMask, 1, 0, -100 });
    EXPECT_GE(p.frame().width, 1.0);
    EXPECT_GE(p.frame().height, 1.0);
    p.view->selRect()->setFrame({ 10, 10, 0, 0 });
    p.view->scrollWheel({ ShiftKeyMask, 1, 0, 2 });
    EXPECT_TRUE(std::isfinite(p.frame().x)) << "a frame without area has no proportion to divide by";
}

TEST(Interaction, DraggingAnEdgePastItsOppositeIsTurnedRightWayRoundOnRelease)
{
    Panel p;
    p.view->mouseDown({ { 400, 200 } }); // the right edge
    p.view->mouseDragged({ { 50, 200 } }); // 50 left of the left edge
    EXPECT_LT(p.frame().width, 0) << "during the drag the rule stands as it is";
    p.view->mouseUp({});
    expectRect(p.frame(), { 50, 100, 50, 200 });
    p.view->mouseDown({ { 100, 200 } }); // now the right edge again
    p.view->mouseDragged({ { 50, 200 } });
    p.view->mouseUp({});
    EXPECT_EQ(p.frame().width, 1.0) << "a zero width becomes one pixel";
}

TEST(Interaction, SwipesDropsAndInvisibleFrames)
{
    Panel p;
    p.view->swipeWithEvent({ 1 });
    p.view->swipeWithEvent({ -1 });
    p.view->swipeWithEvent({ 0 });
    EXPECT_EQ(p.posted["GoToNextImageCommand"], 1);
    EXPECT_EQ(p.posted["GoToPrevImageCommand"], 1);

    int pasteboard = 0;
    EXPECT_FALSE(p.view->performDragOperation(&pasteboard));
    p.center.addObserver(QStringLiteral("InputFileWasDoppedIntoWell"), nullptr, [&](const Notification& n) {
        EXPECT_EQ(n.object, &pasteboard);
        p.view->onDroppedInputFileCallback({});
    });
    EXPECT_TRUE(p.view->performDragOperation(&pasteboard));

    p.view->selRect()->setVisible(false);
    p.drag({ 250, 200 }, { 300, 300 });
    EXPECT_EQ(p.frame(), (Rect { 100, 100, 300, 200 }));
    EXPECT_EQ(p.posted["SelRectDidChangeNotification"], 0);
}
