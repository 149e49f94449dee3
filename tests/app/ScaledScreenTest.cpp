// The real window on whatever screen ratio the test runs at; ctest runs these once more with
// QT_SCALE_FACTOR=2. A known region of the picture must come through pixel for pixel.

#include "WindowHarness.h"

#include <QPixmap>

using namespace quillum;
using namespace quillum::test;

// One-pixel stripes shown one source pixel per device pixel: the window's own grab of the
// crop view resolves every stripe, and the output panel shows the crop crisp too.
TEST(ScaledScreen, TheCropViewShowsAKnownRegionPixelForPixel)
{
    WindowSession session;
    QImage stripes(600, 300, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QString path = session.picture("stripes.png");
    ASSERT_TRUE(stripes.save(path, "PNG"));
    ASSERT_TRUE(session.open(path));

    const qreal ratio = session.window.devicePixelRatioF();
    Sender zoom;
    zoom.doubleValue = 100.0 / ratio;
    session.controller.inPicSetZoomBy(zoom);
    QCoreApplication::processEvents();
    const QImage shown = session.cropView().grab().toImage();
    ASSERT_NEAR(shown.devicePixelRatio(), ratio, 1e-6);
    // The frame's lines cross the picture's edges; the middle rows are picture only.
    const int width = std::min(shown.width(), 600);
    ASSERT_GE(width, 400);
    int wrong = 0, checked = 0;
    for (int y : { shown.height() * 2 / 5, shown.height() / 2 + 1 })
        for (int x = 40; x < width - 40; ++x) {
            const int want = x % 2 ? 255 : 0;
            ++checked;
            wrong += std::abs(qGreen(shown.pixel(x, y)) - want) > 8;
        }
    EXPECT_GT(checked, 600);
    // The composition guides cross these rows in a few places.
    EXPECT_LT(wrong, 12) << "at a ratio of " << ratio;
    RecordProperty("ratio", QString::number(ratio).toStdString());
}
