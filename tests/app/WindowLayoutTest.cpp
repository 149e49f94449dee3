// The window on the common screens: sized to the screen, every control inside the window and
// unclipped, the strips wrapping instead of scrolling; the rotation buttons name their angle.

#include "WindowHarness.h"

#include "app/controls/BusyIndicator.h"
#include "app/controls/FlowLayout.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>

using namespace quillum;
using namespace quillum::test;

namespace {

bool isControlItself(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w)
        || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w)
        || (qobject_cast<const QAbstractSlider*>(w) && !qobject_cast<const QScrollBar*>(w))
        || (qobject_cast<const QLabel*>(w) && !static_cast<const QLabel*>(w)->text().isEmpty());
}

// The part of `w` its ancestors up to the window let through, in window coordinates.
QRect visibleRect(const QWidget* w, const QWidget* window)
{
    QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        r &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return r & window->rect();
}

// A control, not a part of one (a spin box's line edit, a combo box's).
bool isControl(const QWidget* w)
{
    if (!isControlItself(w))
        return false;
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (isControlItself(p))
            return false;
    return true;
}

} // namespace

// On each screen the first window fits, and at its size every control of the strips, the
// menus' bar and the status line is whole, with no two controls on top of each other.
TEST(WindowLayout, EveryControlIsWholeOnTheCommonScreens)
{
    WindowSession session;
    ASSERT_TRUE(session.open(session.picture("a.jpg")));
    // The rotation buttons' pictures arrive from a worker and widen the buttons.
    auto thumbnailsShown = [&] {
        for (const char* name : { "rotate0", "rotate90", "rotate180", "rotate270" })
            if (session.find<QToolButton>(name)->icon().isNull())
                return false;
        return true;
    };
    for (int i = 0; i < 200 && !thumbnailsShown(); ++i)
        QTest::qWait(10);
    ASSERT_TRUE(thumbnailsShown());
    ScriptedWindow& window = session.window;
    for (const QSize screen : { QSize(1280, 800), QSize(1920, 1080), QSize(2560, 1440) }) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height()).toStdString());
        // A desktop panel takes a strip of the screen.
        const QSize available = screen - QSize(0, 32);
        const QSize size = MainWindow::initialSize(available);
        EXPECT_LE(size.width(), available.width());
        EXPECT_LE(size.height(), available.height());
        EXPECT_LE(window.minimumSizeHint().width(), size.width());
        EXPECT_LE(window.minimumSizeHint().height(), size.height());
        window.resize(size);
        QTest::qWait(20);
        ASSERT_EQ(window.size(), size);

        QList<QRect> placed;
        int controls = 0;
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window) || w->window() != &window || !isControl(w))
                continue;
            // Controls inside the picture panels' scroll areas scroll with the picture.
            if (qobject_cast<QScrollArea*>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
                continue;
            ++controls;
            const QRect whole(w->mapTo(&window, QPoint(0, 0)), w->size());
            EXPECT_EQ(visibleRect(w, &window), whole) << w->metaObject()->className() << " "
                                                      << w->objectName().toStdString() << " is clipped";
            for (const QRect& other : placed)
                EXPECT_FALSE(other.intersects(whole)) << w->objectName().toStdString() << " overlaps a control";
            if (!qobject_cast<QLabel*>(w)) // a buddy label may sit on its field's row
                placed << whole;
        }
        EXPECT_GT(controls, 30);

        // The pictures keep most of the height.
        EXPECT_GT(window.leftScrollArea()->height(), size.height() / 2);
        EXPECT_GT(window.rightScrollArea()->height(), size.height() / 2);
    }
}

// A narrow panel wraps its strip into more lines rather than cutting controls off.
TEST(WindowLayout, StripsWrapWhenThePanelNarrows)
{
    WindowSession session;
    ScriptedWindow& window = session.window;
    window.resize(1280, 760);
    auto* flow = dynamic_cast<FlowLayout*>(session.find<QWidget>("CropControls")->layout());
    ASSERT_NE(flow, nullptr);
    int previousLines = 0;
    for (const int left : { 1000, 700, 450, 300 }) {
        window.splitter()->setSizes({ left, 1280 - left });
        QTest::qWait(10);
        QWidget* strip = session.find<QWidget>("CropControls");
        const int lines = flow->lineCount(strip->width());
        EXPECT_GE(lines, previousLines) << left;
        EXPECT_GE(strip->height(), flow->heightForWidth(strip->width())) << left;
        for (QWidget* w : strip->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window) || !isControl(w))
                continue;
            EXPECT_EQ(visibleRect(w, &window), QRect(w->mapTo(&window, QPoint(0, 0)), w->size()))
                << left << " " << w->objectName().toStdString();
        }
        previousLines = lines;
    }
    EXPECT_GT(previousLines, 1);
}

// The rotation buttons say their angle; the one matching the picture is checked, and an
// angle between them is shown beside them.
TEST(WindowLayout, TheRotationButtonsShowTheCurrentAngle)
{
    WindowSession session;
    ASSERT_TRUE(session.open(session.picture("a.jpg")));
    auto checked = [&] {
        QStringList on;
        for (const char* name : { "rotate0", "rotate90", "rotate180", "rotate270" })
            if (session.find<QToolButton>(name)->isChecked())
                on << QString::fromLatin1(name);
        return on.join(QLatin1Char(','));
    };
    auto* label = session.find<QLabel>("pictureAngle");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(checked(), QStringLiteral("rotate0"));
    EXPECT_EQ(session.find<QToolButton>("rotate90")->text(), QStringLiteral("90°"));

    QTest::mouseClick(session.find<QToolButton>("rotate90"), Qt::LeftButton);
    EXPECT_EQ(checked(), QStringLiteral("rotate90"));
    EXPECT_EQ(label->text(), QString()) << "the checked button says it";
    QTest::mouseClick(session.find<QToolButton>("rotate270"), Qt::LeftButton);
    EXPECT_EQ(checked(), QStringLiteral("rotate270"));

    Sender angle;
    angle.doubleValue = 12.5;
    session.controller.inPicRotateBy(angle);
    QCoreApplication::processEvents();
    EXPECT_EQ(checked(), QString());
    EXPECT_TRUE(label->text().contains(QStringLiteral("12.5"))) << label->text().toStdString();
}

// A frame remembered from a larger screen comes back within this one, whole.
TEST(WindowLayout, AFrameFromALargerScreenIsBroughtWithinThisOne)
{
    WindowSession session;
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    session.window.setWindowFrame(WindowId::Main, Rect { 300, -200, 2400, 1400 });
    QTest::qWait(10);
    const QRect frame = session.window.geometry();
    EXPECT_LE(frame.width(), room.width());
    EXPECT_LE(frame.height(), room.height());
    EXPECT_TRUE(room.contains(frame)) << frame.x() << "," << frame.y();
}

// Quick work never flickers the indicator; a wait past the delay shows it; a wait known to
// be long shows it at once; nested waits end with the last.
TEST(BusyIndicatorTest, ShowsOnlyForWaitsThatLast)
{
    testApplication();
    QWidget host;
    auto* busy = new BusyIndicator(&host);
    host.show();
    busy->begin(false);
    EXPECT_FALSE(busy->isShowing());
    busy->end();
    QTest::qWait(BusyIndicator::kDelayMs + 60);
    EXPECT_FALSE(busy->isShowing()) << "a finished wait does not show late";

    busy->begin(false);
    QTest::qWait(BusyIndicator::kDelayMs + 60);
    EXPECT_TRUE(busy->isShowing());
    busy->begin(true);
    busy->end();
    EXPECT_TRUE(busy->isShowing()) << "the outer wait goes on";
    busy->end();
    EXPECT_FALSE(busy->isShowing());

    busy->begin(true);
    EXPECT_TRUE(busy->isShowing());
    busy->end();
    EXPECT_FALSE(busy->isShowing());
}

// Opening a large photo: the indicator is up while the window renders it, and gone after.
TEST(BusyIndicatorTest, OpeningALargePhotoShowsItWhileRendering)
{
    WindowSession session;
    const QString big = session.picture("big.jpg");
    QImage image(4000, 3000, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 150));
    ASSERT_TRUE(image.save(big, "JPEG", 80));
    auto* busy = session.find<BusyIndicator>("busyIndicator");
    ASSERT_NE(busy, nullptr);
    struct ShowCounter : QObject {
        int shown = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            shown += e->type() == QEvent::Show;
            return false;
        }
    } counter;
    busy->installEventFilter(&counter);
    ASSERT_TRUE(session.open(big));
    EXPECT_TRUE(session.window.windowTitle().startsWith(QStringLiteral("big.jpg")));
    EXPECT_GE(counter.shown, 1);
    EXPECT_FALSE(busy->isShowing());
    busy->removeEventFilter(&counter);
}

// Closing down with a name half typed: the field's finished edit must not reach a window
// that is being destroyed (the sanitizers' build catches the call).
TEST(WindowLayout, TheWindowGoesWithANameFieldInFocus)
{
    auto session = std::make_unique<WindowSession>();
    ASSERT_TRUE(session->open(session->picture("a.jpg")));
    QLineEdit* name = session->nameField();
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("-draft"));
    session.reset();
    SUCCEED();
}
