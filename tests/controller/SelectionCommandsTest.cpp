// The selection and view commands: ratio tags, quarter turn, opening rules, guides, zoom.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillum;

namespace {

struct FakeScreen : UiServices {
    Size mainScreenSize() const override { return { 1440.9, 900.9 }; }
};

// No source bitmap: the commands act on the left panel's picture size alone.
struct Panel {
    NotificationCenter center;
    zent3controller c { center };
    int changes = 0;
    QStringList keys;
    Panel(double w, double h, Rect frame = {}, Rect manual = {})
    {
        c.leftPanel().setPictureSize({ w, h });
        c.leftPanel().setScrollViewFrameSize({ 1000, 800 });
        place(frame, manual);
        center.addObserver(QStringLiteral("SelRectDidChangeNotification"), nullptr, [this](auto&) { ++changes; });
        c.observeKey({}, [this](const QString& key) { keys << key; });
        c.leftPanel().setNeedsDisplayHandler([this] { keys << QStringLiteral("leftPanelNeedsDisplay"); });
    }
    void place(Rect frame, Rect manual)
    {
        c.leftPanel().selRect()->setFrame(frame);
        c.leftPanel().setLastManualRect(manual);
    }
    Rect frame() { return c.leftPanel().selRect()->frame(); }
    void expectFrame(const Rect& want)
    {
        EXPECT_NEAR(frame().x, want.x, 1e-3);
        EXPECT_NEAR(frame().y, want.y, 1e-3);
        EXPECT_NEAR(frame().width, want.width, 1e-3);
        EXPECT_NEAR(frame().height, want.height, 1e-3);
    }
};

Sender sent(int tag, int intValue = 0, bool state = false, double doubleValue = 0)
{
    Sender s;
    s.tag = tag, s.intValue = intValue, s.state = state, s.doubleValue = doubleValue;
    return s;
}

constexpr Rect kSquare { 0, 0, 1000, 1000 };

} // namespace

TEST(SelectionCommands, RatioTagsLockOrFree)
{
    struct Row {
        const char* name;
        bool locked43, screen;
        Sender sender;
        bool fixed;
        int x, y, changes;
        Rect frame;
    } rows[] = {
        { "43 in the manual square", false, false, sent(43), true, 4, 3, 1, { 0, 125, 1000, 750 } },
        { "1103 off frees, frame stays", true, false, sent(1103), false, 1000, 750, 0, { 0, 125, 1000, 750 } },
        { "1101 at 0 frees", true, false, sent(1101, 0), false, 1000, 750, 0, { 0, 125, 1000, 750 } },
        { "1102 at 0 frees", true, false, sent(1102, 0), false, 1000, 750, 0, { 0, 125, 1000, 750 } },
        { "1101 keeps the other field", true, false, sent(1101, 1), true, 1, 3, 1, { 333.333, 0, 333.333, 1000 } },
        { "1000 truncates the screen", false, true, sent(1000), true, 1440, 900, 1, { 0, 187.5, 1000, 625 } },
        { "1000 without a screen", false, false, sent(1000), false, 0, 0, 0, kSquare },
        { "1103 on takes the frame", false, false, sent(1103, 0, true), true, 1000, 1000, 1, kSquare },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Panel p(1000, 1000, kSquare, kSquare);
        FakeScreen screen;
        if (r.screen)
            p.c.setUiServices(&screen);
        if (r.locked43)
            p.c.cropAspectToXYWithNotification(4, 3, false);
        p.c.setCropAspect(r.sender);
        EXPECT_EQ(p.changes, r.changes);
        EXPECT_EQ(p.c.fixedAspectIsOn(), r.fixed);
        EXPECT_EQ(p.c.aspectFieldsEnabled(), r.fixed);
        EXPECT_EQ(p.c.aspectXValue(), r.x);
        EXPECT_EQ(p.c.aspectYValue(), r.y);
        EXPECT_EQ(p.c.leftPanel().selRect()->cropAspectRatio() > 0, r.fixed);
        p.expectFrame(r.frame);
    }
    Panel p(1000, 1000, kSquare, kSquare);
    p.c.setCropAspect(sent(43));
    EXPECT_GT(p.frame().width, 1000.0) << "single precision lands just above";
    EXPECT_LT(p.frame().width, 1000.0001);
}

TEST(SelectionCommands, QuarterTurnSwapsRatioAndFixedOutput)
{
    struct Row {
        const char* name;
        Rect manual;
        bool heightFixed;
        Rect frame;
        int outW, outH;
    } rows[] = {
        { "validated in place", { 0, 0, 10, 10 }, true, { 150, 50, 200, 300 }, 600, 800 },
        { "no manual rect: opening margin", {}, true, { 100, 133.333, 800, 533.333 }, 600, 800 },
        { "one side fixed keeps the size", { 0, 0, 10, 10 }, false, { 150, 50, 200, 300 }, 800, 600 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Panel p(1000, 800);
        p.c.cropAspectToXYWithNotification(3, 2, false);
        p.place({ 100, 100, 300, 200 }, r.manual);
        p.c.setOutputWidthIsFixed(true);
        p.c.setOutputHeightIsFixed(r.heightFixed);
        p.c.setOutputWidthVal(800);
        p.c.setOutputHeighVal(600);
        p.c.rotateSelectioFrame();
        p.expectFrame(r.frame);
        EXPECT_EQ(p.c.aspectXValue() * 10 + p.c.aspectYValue(), 23);
        EXPECT_FLOAT_EQ(p.c.leftPanel().selRect()->cropAspectRatio(), 2.0f / 3.0f);
        EXPECT_EQ(p.c.outputWidthVal(), r.outW);
        EXPECT_EQ(p.c.outputHeighVal(), r.outH);
        EXPECT_EQ(p.c.leftPanel().lastManualRect(), r.manual);
    }
}

TEST(SelectionCommands, OpeningRulesAndSelectAll)
{
    struct Row {
        int rule;
        Rect manual, frame;
    } rows[] = {
        { 0, { 0, 0, 10, 10 }, { 0, 0, 1000, 800 } },
        { 1, { 0, 0, 10, 10 }, { 100, 80, 800, 640 } },
        { 2, { 0, 0, 10, 10 }, { 500, 0, 500, 400 } },
        { 2, {}, { 100, 80, 800, 640 } },
    };
    for (const Row& r : rows) {
        Panel p(1000, 800, { 700, -20, 500, 400 }, r.manual);
        p.c.setOnOpeningMaximizeSelection(r.rule);
        p.c.adjustCroppingFrameLocation();
        p.expectFrame(r.frame);
        EXPECT_EQ(p.changes, 0);
    }
    Panel p(1000, 800);
    p.c.selectAll();
    EXPECT_EQ(p.changes, 1);
    EXPECT_EQ(p.c.leftPanel().lastManualRect(), (Rect { 0, 0, 1000, 800 }));
    EXPECT_TRUE(p.keys.contains(QStringLiteral("leftPanelNeedsDisplay")));
}

TEST(SelectionCommands, GuideSuccessorsAndTheMarkedItem)
{
    const int next[][2] = { { 0, 1 }, { 1, 2 }, { 2, 3 }, { 3, 22 }, { 4, 5 }, { 5, 6 }, { 6, 7 }, { 7, 8 }, { 8, 5 },
        { 9, 10 }, { 10, 11 }, { 11, 12 }, { 12, 13 }, { 13, 9 }, { 14, 0 }, { 15, 0 }, { 16, 0 }, { 17, 0 },
        { 18, 19 }, { 19, 20 }, { 20, 18 }, { 21, 0 }, { 22, 21 }, { 23, 0 }, { -1, 0 } };
    Panel p(100, 100);
    for (const auto& [from, to] : next) {
        p.c.setCompositionGuides(sent(from));
        p.c.nextCompositionGuide();
        EXPECT_EQ(p.c.leftPanel().selRect()->compositionGudes(), to) << from;
        EXPECT_EQ(p.c.compositionGuidesMenuMarkedTag(), to) << from;
    }
}

TEST(SelectionCommands, ZoomStepsFitAndBoundaries)
{
    Panel p(400, 300);
    p.c.fitImageTo100();
    EXPECT_EQ(p.c.leftPanel().clipView().boundsOrigin(), (Point { -300, -250 }));
    // Double-precision steps stored single; a float product drifts by the second step out
    // and the seventh in.
    p.c.inPicZoomOut();
    p.c.inPicZoomOut();
    EXPECT_EQ(p.c.leftPanel().scale(), 0.81f);
    p.c.fitImageTo100();
    for (float want : { 1.1f, 1.21f, 1.3310001f, 1.4641001f, 1.6105101f, 1.7715611f, 1.94871724f }) {
        p.c.inPicZoomIn();
        EXPECT_EQ(p.c.leftPanel().scale(), want);
    }
    EXPECT_DOUBLE_EQ(p.c.scaleSlider(), double(1.94871724f) * 100);
    p.c.fitImageToView();
    EXPECT_EQ(p.c.leftPanel().scale(), 2.5f);
    EXPECT_EQ(p.c.xSliderMoverMax(), 1000);

    // Scale 0 shows no picture point: the previous centre stays.
    p.c.inPicSetZoomBy(sent(0));
    EXPECT_EQ(p.c.leftPanel().scale(), 0.0f);
    const Point centre = p.c.leftPanel().viewCenterPoint();
    p.c.inPicZoomIn();
    EXPECT_EQ(p.c.leftPanel().viewCenterPoint(), centre);

    Panel empty(0, 0);
    empty.c.fitImageToView();
    empty.c.inPicZoomOut();
    EXPECT_EQ(empty.c.leftPanel().scale(), 1.0f);
    EXPECT_TRUE(empty.keys.isEmpty());
}
