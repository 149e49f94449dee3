#include "cropframe/FrameDrawing.h"
#include "cropframe/ZentCropBorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace quillum;

namespace {

QString num(double v)
{
    return QString::number(std::round(v * 1000.0) / 1000.0 + 0.0, 'g', 10);
}

// Every line-to as "x1,y1-x2,y2" from the point before it, to a thousandth.
std::string lines(const QPainterPath& p)
{
    QStringList out;
    for (int i = 1; i < p.elementCount(); ++i)
        if (p.elementAt(i).isLineTo())
            out << num(p.elementAt(i - 1).x) + ',' + num(p.elementAt(i - 1).y) + '-' + num(p.elementAt(i).x) + ','
                    + num(p.elementAt(i).y);
    return out.join(' ').toStdString();
}

} // namespace

TEST(FrameDrawing, GuideTypesDrawTheirSegments)
{
    const Rect small { 10, 20, 40, 30 }, golden { 10, 20, 1618, 809 }, wide { 0, 0, 4, 3 }, tall { 0, 0, 3, 4 };
    struct {
        const char* boundary;
        int type;
        Rect r;
        const char* want;
    } cases[] = {
        { "negativeType", -1, small, "10,50-50,20 10,20-50,50" },
        { "typeZero", 0, small, "10,50-50,20 10,20-50,50" },
        { "unusedTypes14To17", 14, small, "10,50-50,20 10,20-50,50" },
        { "typeAboveLast", 23, small, "10,50-50,20 10,20-50,50" },
        { "thirds", 1, { 0, 0, 300, 150 }, "100,0-100,150 200,0-200,150 0,50-300,50 0,100-300,100" },
        { "goldenSection", 2, { 0, 0, 1000, 500 },
            "618.047,0-618.047,500 381.953,0-381.953,500 0,309.023-1000,309.023 0,190.977-1000,190.977" },
        { "sixths", 3, { 10, 20, 60, 120 }, "20,140-70,40 60,140-10,40 20,20-70,120 60,20-10,120" },
        { "goldenDiagonal4", 4, golden, "1628,829-10,20 10,829-1628,520 1628,20-10,329" },
        { "goldenDiagonal5", 5, golden, "1628,829-10,20 10,829-628,20 1628,20-1010,829" },
        { "goldenDiagonal6", 6, golden, "10,829-1628,20 1628,829-10,520 10,20-1628,329" },
        { "goldenDiagonal7", 7, golden, "10,829-1628,20 10,20-628,829 1628,829-1010,20" },
        { "allGoldenDiagonals", 8, golden,
            "1628,829-10,20 10,829-1628,20 10,829-1628,520 1628,20-10,329 "
            "10,829-628,20 1628,20-1010,829 1628,829-10,520 10,20-1628,329 10,20-628,829 1628,829-1010,20" },
        { "harmoniousWide", 18, wide, "4,3-0,0 4,0-1.75,3 0,3-2.25,0" },
        { "harmoniousTall", 18, tall, "3,4-0,0 3,0-0,2.25 0,4-3,1.75" },
        { "harmoniousSquareMeetsCorners", 18, { 0, 0, 2, 2 }, "2,2-0,0 2,0-0,2 0,2-2,0" },
        { "harmoniousMirroredWide", 19, wide, "4,0-0,3 4,3-1.75,0 0,0-2.25,3" },
        { "harmoniousMirroredTall", 19, tall, "3,0-0,4 0,0-3,2.25 3,4-0,1.75" },
        { "harmoniousBoth", 20, wide, "4,3-0,0 4,0-1.75,3 0,3-2.25,0 4,0-0,3 4,3-1.75,0 0,0-2.25,3" },
        { "centreCross", 21, small, "30,50-30,20 10,35-50,35" },
        { "diagonals", 22, small, "10,20-50,50 50,20-10,50" },
    };
    for (const auto& c : cases) {
        QPainterPath p;
        drawGudes(p, c.r, c.type);
        EXPECT_EQ(lines(p), c.want) << c.boundary;
        for (int i = 0; i < p.elementCount(); ++i) // every segment is its own subpath
            EXPECT_EQ(p.elementAt(i).isMoveTo(), i % 2 == 0) << c.boundary;
    }
}

TEST(FrameDrawing, SpiralTypesStartAtTheirCornerAndTurnInward)
{
    struct {
        int type;
        std::vector<QPointF> starts;
        QPointF firstEnd;
    } cases[] = {
        { 9, { { 10, 50 } }, { 10 + 40 / 1.618, 20 } },
        { 10, { { 10, 20 } }, { 10 + 40 / 1.618, 50 } },
        { 11, { { 50, 50 } }, { 50 - 40 / 1.618, 20 } },
        { 12, { { 50, 20 } }, { 50 - 40 / 1.618, 50 } },
        { 13, { { 10, 20 }, { 50, 20 }, { 50, 50 }, { 10, 50 } }, { 10 + 40 / 1.618, 50 } },
    };
    for (const auto& c : cases) {
        QPainterPath p;
        drawGudes(p, { 10, 20, 40, 30 }, c.type);
        ASSERT_EQ(p.elementCount(), int(c.starts.size()) * 25) << c.type; // move-to, 8 curves
        for (size_t s = 0; s < c.starts.size(); ++s)
            EXPECT_EQ(QPointF(p.elementAt(int(s) * 25)), c.starts[s]) << c.type;
        EXPECT_NEAR(p.elementAt(3).x, c.firstEnd.x(), 1e-4) << c.type;
        EXPECT_NEAR(p.elementAt(3).y, c.firstEnd.y(), 1e-4) << c.type;
    }
}

TEST(FrameDrawing, SpiralArcEndsAreRelativeToTheCurrentPoint)
{
    const QPointF ends[]
        = { { 0.618047, 1 }, { 0.381953, -0.618047 }, { -0.236065, -0.381953 }, { -0.145888, 0.236065 },
              { 0.090166, 0.145888 }, { 0.055722, -0.090166 }, { -0.034439, -0.055722 }, { -0.021283, 0.034439 } };
    QPainterPath p;
    p.moveTo(5, 7);
    drawSpiral(p, 1.0f, 1.0f);
    ASSERT_EQ(p.elementCount(), 25);
    for (int k = 0; k < 8; ++k) {
        const QPointF d = QPointF(p.elementAt(3 * k + 3)) - QPointF(p.elementAt(3 * k));
        EXPECT_TRUE(p.elementAt(3 * k + 1).isCurveTo()) << k;
        EXPECT_NEAR(d.x(), ends[k].x(), 1e-6) << k;
        EXPECT_NEAR(d.y(), ends[k].y(), 1e-6) << k;
    }
}

TEST(FrameDrawing, TurnedFrameReachesPastTheFrameAndTurnsAboutItsCentre)
{
    const Rect s { 0, 0, 200, 100 };
    // Outline, centre lines, quarter lines, chevron; type 0 adds no guides.
    EXPECT_EQ(lines(turnedFramePath(s, 0, 0.0f)),
        "0,0-200,0 200,0-200,100 200,100-0,100 0,100-0,0 -100,50-300,50 100,-100-100,200 "
        "50,0-50,100 150,0-150,100 0,25-200,25 0,75-200,75 90,90-100,100 100,100-110,90");
    EXPECT_TRUE(lines(turnedFramePath(s, 22, 0.0f)).ends_with("110,90 0,0-200,100 200,0-0,100"));
    // A quarter turn counter-clockwise about (100, 50).
    EXPECT_EQ(lines(turnedFramePath(s, 0, float(std::numbers::pi / 2))),
        "150,-50-150,150 150,150-50,150 50,150-50,-50 50,-50-150,-50 100,-150-100,250 "
        "250,50--50,50 150,0-50,0 150,100-50,100 125,-50-125,150 75,-50-75,150 60,40-50,50 50,50-60,60");
}

TEST(FrameDrawing, HandlesAndGripsSitOnTheCorners)
{
    const Rect s { 100, 50, 400, 300 };
    const std::array<Rect, 2> grips { Rect { 508, 358, 8, 8 }, Rect { 484, 334, 8, 8 } };
    const std::array<Rect, 4> handles { Rect { 96, 46, 8, 8 }, Rect { 96, 346, 8, 8 }, Rect { 496, 46, 8, 8 },
        Rect { 496, 346, 8, 8 } };
    EXPECT_EQ(rotationGripRects(s, 4.0f), grips);
    EXPECT_EQ(cornerHandleRects(s, 4.0f), handles);
}

TEST(FrameDrawing, VeilCoversOnlyTheDirtyAreaOutsideTheFrame)
{
    const QPainterPath veil = veilPath({ 0, 0, 300, 200 }, { 200, 100, 400, 300 }); // overlapping
    struct {
        QPointF at;
        bool veiled;
    } cases[] = { { { 50, 50 }, true }, { { 250, 150 }, false }, { { 250, 50 }, true }, { { 450, 350 }, true },
        { { 650, 50 }, false } };
    for (const auto& c : cases)
        EXPECT_EQ(veil.contains(c.at), c.veiled) << c.at.x() << "," << c.at.y();
}

TEST(FrameDrawing, PlanHonoursVisibilityScaleAndStyles)
{
    ZentCropBorder b;
    b.setFrame({ 10, 20, 30, 40 });
    b.setCompositionGudes(0);
    const Rect dirty { 0, 0, 500, 500 };
    EXPECT_FALSE(planFrameDrawing(b, dirty, 0.0f).drawn);
    EXPECT_FALSE(planFrameDrawing(b, dirty, 1.0f, false).drawn);
    EXPECT_TRUE(planFrameDrawing(b, dirty, 2.0f).guides.isEmpty());
    EXPECT_EQ(planFrameDrawing(b, dirty, 2.0f).outline.boundingRect(), QRectF(20, 40, 60, 80));
    b.setVisible(false);
    EXPECT_FALSE(planTurnedFrameDrawing(b, dirty, 1.0f, 0.1f).drawn);
    b.setVisible(true);

    b.setCompositionGudes(1);
    struct {
        int style;
        FramePen outline, guides, turned;
        bool veil;
    } cases[] = {
        { 0, FramePen::Dashed, FramePen::Dashed, FramePen::Dashed, false },
        { 1, FramePen::SoftCustom, FramePen::SoftCustom, FramePen::SoftCustom, false },
        { 2, FramePen::Haloed, FramePen::SoftBlack, FramePen::SoftBlack, true },
        { 3, FramePen::None, FramePen::None, FramePen::Pattern, false },
    };
    for (const auto& c : cases) {
        b.setBorderStyle(c.style);
        b.setGuidesStyle(c.style);
        const FramePaintPlan plan = planFrameDrawing(b, dirty, 1.0f);
        EXPECT_EQ(plan.outlinePen, c.outline) << c.style;
        EXPECT_EQ(plan.guidesPen, c.guides) << c.style;
        EXPECT_EQ(plan.hasVeil, c.veil) << c.style;
        EXPECT_EQ(planTurnedFrameDrawing(b, dirty, 1.0f, 0.0f).outlinePen, c.turned) << c.style;
    }
}

TEST(FrameDrawing, StrokesKeepTheirWeightAtAnyPixelRatio)
{
    // Widths in view units grow with the screen's pixel ratio; a cosmetic pen would stay one
    // device pixel. A halo is wider than its line and of the opposite lightness.
    struct Row {
        FramePen pen;
        bool haloed;
    } rows[] = { { FramePen::Dashed, false }, { FramePen::SoftCustom, true }, { FramePen::SoftBlack, true },
        { FramePen::Haloed, true }, { FramePen::Pattern, false } };
    const QColor custom(0, 0, 255);
    for (const Row& r : rows) {
        const QList<QPen> strokes = frameStrokes(r.pen, custom, QBrush(Qt::red, Qt::Dense4Pattern));
        ASSERT_FALSE(strokes.isEmpty()) << int(r.pen);
        for (const QPen& p : strokes) {
            EXPECT_FALSE(p.isCosmetic()) << int(r.pen);
            EXPECT_GE(p.widthF(), 1.0) << int(r.pen);
        }
        if (r.haloed) {
            const QPen &halo = strokes.first(), &line = strokes.last();
            EXPECT_GE(halo.widthF(), line.widthF() + 2.0) << "a pixel each side, " << int(r.pen);
            EXPECT_GE(std::abs(halo.color().lightness() - line.color().lightness()), 100) << int(r.pen);
        }
    }
    EXPECT_TRUE(frameStrokes(FramePen::None, custom, {}).isEmpty());
}

TEST(FrameDrawing, TheVeilDarkensWhatIsCutAway)
{
    ZentCropBorder b;
    b.setBorderStyle(2);
    const FramePaintPlan plan = planFrameDrawing(b, { 0, 0, 1000, 1000 }, 1.0f);
    ASSERT_TRUE(plan.hasVeil);
    EXPECT_LE(plan.veilColor.lightness(), 30);
    EXPECT_GE(plan.veilColor.alphaF(), 0.4) << "clearly darker";
    EXPECT_LE(plan.veilColor.alphaF(), 0.7) << "what is cut away stays readable";
}
