// The crop view on screen: real Qt events reach the model, and the frame is painted where
// the model says, in each style.

#include "AppTestSupport.h"

#include "app/cropframe/PkCroppingImageViewWidget.h"
#include "cropframe/PkCroppingImageView.h"
#include "platform/BitmapImageRep.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cstring>

using namespace quillum;

namespace {

// A mid-grey picture: outlines in black or white and colour stand out against it.
BitmapImageRep greyPicture(int w, int h)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(w, h);
    for (int i = 0; i < w * h; ++i) {
        std::uint8_t* p = rep.bitmapData() + 4 * i;
        p[0] = 255, p[1] = p[2] = p[3] = 128;
    }
    return rep;
}

struct Fixture : ::testing::Test {
    NotificationCenter center;
    PkCroppingImageView model { center };
    BitmapImageRep picture = greyPicture(400, 300);
    std::unique_ptr<PkCroppingImageViewWidget> widget;
    int changes = 0;
    Fixture()
    {
        test::testApplication();
        model.setPictureSize({ 400, 300 });
        model.setScale(1.0f);
        model.setScrollViewFrameSize({ 400, 300 });
        model.applyScale();
        model.selRect()->setFrame({ 100, 50, 200, 150 });
        widget = std::make_unique<PkCroppingImageViewWidget>(model);
        widget->setPicture(&picture);
        widget->resize(400, 300);
        center.addObserver(QStringLiteral("SelRectDidChangeNotification"), nullptr, [this](auto&) { ++changes; });
    }
    // The widget as a screen of this pixel ratio shows it, in device pixels.
    QImage paint(qreal ratio = 1.0)
    {
        QImage image((QSizeF(widget->size()) * ratio).toSize(), QImage::Format_ARGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        widget->render(&image);
        return image;
    }
    // Widget pixel for a point in view units (origin bottom-left).
    QPoint at(double x, double y) const { return widget->toWidget(Point { x, y }).toPoint(); }
};

bool isGrey(QRgb c)
{
    return qRed(c) == 128 && qGreen(c) == 128 && qBlue(c) == 128;
}

// One-pixel columns, black and white by turns: any resampling blurs them into grey.
BitmapImageRep stripedPicture(int w, int h)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = rep.bitmapData() + std::size_t(y) * rep.bytesPerRow() + 4 * x;
            p[0] = 255, p[1] = p[2] = p[3] = x % 2 ? 255 : 0;
        }
    return rep;
}

// Length of the run of pixels in row y from x on, stepping by dx, that `pred` accepts.
template <typename Pred> int run(const QImage& image, int x, int y, int dx, Pred pred)
{
    int n = 0;
    for (; x >= 0 && x < image.width() && pred(image.pixel(x, y)); x += dx)
        ++n;
    return n;
}

} // namespace

TEST_F(Fixture, DraggingAHandleMovesThatEdgeAndReportsOnce)
{
    widget->show();
    // The top-left corner of (100, 50, 200, 150) is at view (100, 200): widget (100, 100).
    const QPoint corner = at(100, 200);
    QTest::mousePress(widget.get(), Qt::LeftButton, {}, corner);
    for (int i = 1; i <= 10; ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(corner + QPoint(-2 * i, -3 * i)),
            widget->mapToGlobal(QPointF(corner + QPoint(-2 * i, -3 * i))), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QCoreApplication::sendEvent(widget.get(), &move);
    }
    QTest::mouseRelease(widget.get(), Qt::LeftButton, {}, corner + QPoint(-20, -30));
    EXPECT_EQ(model.selRect()->frame(), (Rect { 80, 50, 220, 180 }));
    EXPECT_EQ(changes, 1);
}

TEST_F(Fixture, ArrowKeysAndTheirReleaseReachTheModel)
{
    widget->show();
    widget->setFocus();
    QTest::keyPress(widget.get(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyRelease(widget.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(model.selRect()->frame(), (Rect { 110, 50, 200, 150 }));
    EXPECT_EQ(changes, 1);
}

TEST_F(Fixture, FrameHandlesAndGuidesArePaintedInEachStyle)
{
    struct Row {
        const char* name;
        int borderStyle, guidesStyle;
        QRgb onOutline; // a pixel on the left edge, away from the handles
    } rows[] = {
        { "dashed", 0, 0, 0 },
        { "soft in the user's colour", 1, 1, qRgb(0, 0, 255) },
        { "veil with a thin outline", 2, 2, 0 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        model.selRect()->setBorderStyle(r.borderStyle);
        model.selRect()->setGuidesStyle(r.guidesStyle);
        model.selRect()->setCustomLineColor(Qt::blue);
        model.selRect()->setCompositionGudes(1); // thirds: a vertical line at x = 100 + 200/3
        const QImage image = paint();
        // The left edge, midway up, is not mid-grey any more (outline or its dashes).
        bool outlineSeen = false;
        for (int dy = 0; dy < 8; ++dy)
            outlineSeen |= !isGrey(image.pixel(at(100, 120 + dy)));
        EXPECT_TRUE(outlineSeen);
        if (r.borderStyle == 1) {
            EXPECT_EQ(image.pixel(at(100, 125)) & 0xffffff, r.onOutline & 0xffffff);
        }
        // The corner handle is white inside with a black frame.
        EXPECT_EQ(image.pixel(at(100, 50) + QPoint(1, -1)) & 0xffffff, 0xffffffu);
        // A third line crosses the middle of the frame.
        bool guideSeen = false;
        for (int dy = 0; dy < 8; ++dy)
            for (int dx = -1; dx <= 0; ++dx)
                guideSeen |= !isGrey(image.pixel(at(166.67, 110 + dy) + QPoint(dx, 0)));
        EXPECT_TRUE(guideSeen);
        // Outside the frame: untouched unless veiled (style 2 darkens it).
        const QRgb outside = image.pixel(at(20, 20));
        if (r.borderStyle == 2) {
            EXPECT_LT(qRed(outside), 80);
        } else {
            EXPECT_TRUE(isGrey(outside)) << std::hex << outside;
        }
    }
}

TEST_F(Fixture, NoPictureShowsThePlaceholder)
{
    widget->setPicture(nullptr);
    model.setPictureSize({});
    const QImage image = paint();
    EXPECT_NE(image.pixel(200, 150), qRgb(0, 0, 0)) << "something is drawn in the middle";
}

TEST_F(Fixture, TheSourceIsPaintedAtTheScreensFullResolution)
{
    // 600 source pixels shown on 600 device pixels, whatever the ratio: every stripe must
    // come through as it is. A copy made at the logical size would blur them into grey.
    const BitmapImageRep stripes = stripedPicture(600, 300);
    model.selRect()->setVisible(false);
    for (qreal ratio : { 1.0, 1.5, 2.0 }) {
        SCOPED_TRACE(ratio);
        model.setPictureSize({ 600, 300 });
        model.setScale(float(1.0 / ratio));
        model.applyScale();
        widget->setPicture(&stripes, std::uint64_t(ratio * 10));
        widget->syncGeometry();
        ASSERT_EQ(widget->size(), (QSizeF(600, 300) / ratio).toSize());
        const QImage image = paint(ratio);
        ASSERT_EQ(image.size(), QSize(600, 300));
        int wrong = 0;
        for (int y : { 0, 150, 299 })
            for (int x = 0; x < 600; ++x) {
                const int want = x % 2 ? 255 : 0;
                wrong += std::abs(qGreen(image.pixel(x, y)) - want) > 8;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(Fixture, TheVeiledFrameReadsAtEveryPixelRatio)
{
    // The default look: the outside darkened, a white line with a dark halo, large handles;
    // every line is as many device pixels wide as the screen's ratio, not a hairline.
    model.selRect()->setBorderStyle(2);
    model.selRect()->setCompositionGudes(0);
    for (qreal ratio : { 1.0, 1.5, 2.0 }) {
        SCOPED_TRACE(ratio);
        const QImage image = paint(ratio);
        const auto device = [&](double x, double y) { return (QPointF(at(x, y)) * ratio).toPoint(); };
        const auto lineWidth = std::max(1, int(std::floor(ratio)));

        // Inside untouched; outside darkened by about half.
        EXPECT_TRUE(isGrey(image.pixel(device(200, 125))));
        const QRgb outside = image.pixel(device(20, 20));
        EXPECT_NEAR(qRed(outside), 64, 4);

        // Across the left edge midway up: dark halo, white line, dark halo.
        const QPoint edge = device(100, 125);
        const auto white = [](QRgb c) { return qRed(c) > 240; };
        const auto darkerThanVeil = [](QRgb c) { return qRed(c) < 40; };
        const auto darkerThanGrey = [](QRgb c) { return qRed(c) < 70; };
        int x = edge.x() - 3 * int(std::ceil(ratio));
        while (x < image.width() && !white(image.pixel(x, edge.y())))
            ++x;
        const int line = run(image, x, edge.y(), 1, white);
        EXPECT_GE(line, lineWidth);
        EXPECT_LE(line, int(std::ceil(ratio)) + 1);
        EXPECT_GE(run(image, x - 1, edge.y(), -1, darkerThanVeil), lineWidth) << "halo outside";
        EXPECT_GE(run(image, x + line, edge.y(), 1, darkerThanGrey), lineWidth) << "halo inside";

        // The bottom-left handle: at least 8 logical pixels of white, framed in black.
        const QPoint corner = device(100, 50);
        const int left = corner.x() - run(image, corner.x(), corner.y(), -1, white);
        const int handle = run(image, left + 1, corner.y(), 1, white);
        EXPECT_GE(handle, int(8 * ratio));
        EXPECT_GE(run(image, left, corner.y(), -1, [](QRgb c) { return qRed(c) < 30; }), lineWidth);
    }
}
