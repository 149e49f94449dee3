// The full-screen viewer: which picture it shows, its zoom steps, the zoom menu it borrows,
// and the panel calls on opening and closing.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

using namespace quillum;

namespace {

BitmapImageRep grey(int w, int h)
{
    BitmapImageRep::Layout l;
    l.width = w, l.height = h, l.samplesPerPixel = 1, l.bitsPerPixel = 8, l.hasAlpha = false, l.formatFlags = 0;
    BitmapImageRep rep(l);
    std::fill_n(rep.bitmapData(), rep.planeBytes(), std::uint8_t(90));
    return rep;
}

struct FakeUi : UiServices {
    QStringList calls;
    Rect screenFrameOfMainWindow() const override { return { 0, 0, 100, 80 }; }
    void setWindowFrame(WindowId w, const Rect& f) override
    {
        calls << QStringLiteral("frame %1 %2x%3").arg(int(w)).arg(f.width).arg(f.height);
    }
    void bringWindowForward(WindowId w, bool top) override
    {
        calls << QStringLiteral("forward %1 %2").arg(int(w)).arg(int(top));
    }
    void orderWindowOut(WindowId w) override { calls << QStringLiteral("out %1").arg(int(w)); }
    void setPresentationMode(bool on) override { calls << QStringLiteral("presentation %1").arg(int(on)); }
};

Sender tagged(int tag)
{
    Sender s;
    s.tag = tag;
    return s;
}

// A 200 x 160 source rendered whole into a 200 x 160 output; the 100 x 80 screen fits either at 0.5.
struct Viewer {
    NotificationCenter center;
    zent3controller c { center };
    FakeUi ui;
    QStringList keys;
    explicit Viewer(std::optional<int> openTag = {})
    {
        c.setUiServices(&ui);
        c.setSourcePicture(grey(200, 160));
        c.leftPanel().selRect()->setFrame({ 0, 0, 200, 160 });
        c.redrawOutput();
        c.observeKey({}, [this](const QString& key) {
            if (key.startsWith(QStringLiteral("fullScreen")))
                keys << key;
        });
        if (openTag)
            c.fullScreen(tagged(*openTag));
    }
    float scale() const { return c.zentFullScreenView().scale(); }
};

// Offers a picture to the viewer; answers it.
template <typename P> const BitmapImageRep* show(zent3controller& c, P picture, bool asCrop)
{
    c.showImageInFullScreenAsCrop(picture, asCrop);
    return &*picture;
}

using MenuRow = std::tuple<int, QString, QString, bool, bool>;
std::vector<MenuRow> menuRows(const MenuModel& menu)
{
    std::vector<MenuRow> rows;
    for (const MenuItem& i : menu.items())
        rows.emplace_back(i.tag, i.title, i.keyEquivalent, i.enabled, i.separator);
    return rows;
}

} // namespace

TEST(FullScreen, OpeningTagPicksSourceOnlyForOneAndToggleAlternates)
{
    for (int tag : { 1, 0, 2, -1 }) {
        SCOPED_TRACE(tag);
        Viewer v(tag);
        const bool showCrop = tag != 1;
        const BitmapImageRep* first = showCrop ? v.c.outPict().get() : v.c.srcImageRep();
        const BitmapImageRep* other = showCrop ? v.c.srcImageRep() : v.c.outPict().get();
        v.c.scaleFullScreenDown();
        for (bool toggled : { false, true, false }) {
            EXPECT_EQ(v.c.fullScreenShowCrop(), showCrop != toggled);
            EXPECT_EQ(v.c.fullScreenImage(), toggled ? other : first);
            v.c.fullScreenInOutToggle();
        }
        EXPECT_EQ(v.scale(), 0.6f) << "toggling keeps the scale";
    }
}

TEST(FullScreen, ZoomStepsMultiplyInDoubleAndStoreSingle)
{
    struct Row {
        const char* name;
        void (zent3controller::*step)(const Sender&);
        std::vector<float> scales;
    } rows[] = {
        // A float product would give 0.864000082 and 0.320000023.
        { "zoom in (Down) from fit", &zent3controller::scaleFullScreenDown, { 0.6f, 0.72f, 0.864f } },
        { "zoom out (Up) from fit", &zent3controller::scaleFullScreenUp, { 0.4f, 0.32f } },
        { "actual size", &zent3controller::scaleFullScreenTo100, { 1.0f } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Viewer v(1);
        ASSERT_EQ(v.scale(), 0.5f);
        for (float want : r.scales) {
            (v.c.*r.step)({});
            EXPECT_EQ(v.scale(), want);
            EXPECT_EQ(v.c.zentFullScreenView().frameSize(), (Size { 200.0 * want, 160.0 * want }));
        }
    }
    // No source: the fit leaves the scale, a step stores it and sizes nothing.
    NotificationCenter center;
    zent3controller empty { center };
    empty.zentFullScreenView().setScale(0.25f);
    empty.fullScreen(tagged(1));
    EXPECT_EQ(empty.zentFullScreenView().scale(), 0.25f);
    empty.scaleFullScreenDown();
    EXPECT_EQ(empty.zentFullScreenView().scale(), 0.3f);
    EXPECT_EQ(empty.zentFullScreenView().frameSize(), (Size {}));
}

TEST(FullScreen, OpenAndEscapeLeaveTheZoomMenuAsBefore)
{
    const int panel = int(WindowId::FullScreenPanel), main = int(WindowId::Main);
    Viewer v;
    MenuModel& menu = v.c.mainZoomMenu();
    const auto before = menuRows(menu);
    v.c.fullScreen();
    EXPECT_EQ(v.ui.calls.join(','), QStringLiteral("frame %1 100x80,presentation 1,forward %1 1").arg(panel));
    EXPECT_EQ(v.c.zentFullScreenView().scrollViewFrameSize(), (Size { 100, 80 }));
    const QString none;
    auto rows = menuRows(menu);
    ASSERT_EQ(rows.size(), before.size() + 7);
    EXPECT_EQ(rows[0], MenuRow(101, "Zoom In", none, false, false));
    EXPECT_EQ(rows[1], MenuRow(102, "Zoom Out", none, false, false));
    const std::vector<MenuRow> added = {
        { 9990, none, none, true, true },
        { 9991, "Full Screen: Fit to Screen", "9", true, false },
        { 9992, "Full Screen: Zoom In", "+", true, false },
        { 9993, "Full Screen: Zoom Out", "-", true, false },
        { 9994, "Full Screen: Actual Size", "0", true, false },
        { 9995, none, none, true, true },
        { 9996, "Toggle Input and Output Images", "1", true, false },
    };
    EXPECT_EQ(std::vector<MenuRow>(rows.end() - 7, rows.end()), added);
    EXPECT_FALSE(menu.autoenablesItems());

    // The titles say what the swapped names do.
    menu.itemWithTag(9992)->action();
    EXPECT_EQ(v.scale(), 0.6f);
    menu.itemWithTag(9993)->action();
    EXPECT_FLOAT_EQ(v.scale(), 0.48f);
    menu.itemWithTag(9996)->action();
    EXPECT_FALSE(v.c.fullScreenShowCrop());

    // Escape in the panel is fullScreen() with no sender. Closing removes the viewer's items
    // that are still there and nothing else.
    menu.removeItemWithTag(9995);
    menu.addItem({ 9997, QStringLiteral("Other"), {}, true, false, false, {}, {}, {} });
    v.ui.calls.clear();
    v.c.fullScreen();
    EXPECT_EQ(v.ui.calls.join(','), QStringLiteral("out %1,presentation 0,forward %2 0").arg(panel).arg(main));
    EXPECT_EQ(v.c.fullScreenImage(), nullptr);
    auto want = before;
    want.emplace_back(9997, "Other", none, true, false);
    EXPECT_EQ(menuRows(menu), want);
    EXPECT_FALSE(menu.autoenablesItems());
}

TEST(FullScreen, ClosedViewerIgnoresToggleKeepingCurrentAndRenders)
{
    for (bool wasOpened : { false, true }) {
        SCOPED_TRACE(wasOpened);
        Viewer v;
        if (wasOpened) {
            v.c.fullScreen();
            v.c.fullScreen();
        }
        const auto menu = menuRows(v.c.mainZoomMenu());
        v.keys.clear();
        v.ui.calls.clear();
        v.c.fullScreenInOutToggle();
        v.c.showImageInFullScreenAsCrop(std::make_shared<const BitmapImageRep>(grey(3, 3)), true);
        v.c.showImageInFullScreenAsCrop(v.c.srcImageRep(), false);
        v.c.setOutputWidthIsFixed(true);
        v.c.setOutputWidthVal(50);
        EXPECT_TRUE(v.keys.isEmpty()) << v.keys.join(' ').toStdString();
        EXPECT_TRUE(v.ui.calls.isEmpty());
        EXPECT_EQ(menuRows(v.c.mainZoomMenu()), menu);
        EXPECT_EQ(v.c.fullScreenImage(), nullptr);
    }
}

TEST(FullScreen, KeepingCurrentReplacesOnlyTheSameKind)
{
    const auto stranger = std::make_shared<const BitmapImageRep>(grey(4, 4));
    using Offer = std::function<const BitmapImageRep*(zent3controller&)>;
    const Offer newOutput
        = [](zent3controller& c) { return show(c, std::make_shared<const BitmapImageRep>(grey(30, 20)), true); };
    const Offer newSource = [](zent3controller& c) {
        c.setSourcePicture(grey(30, 20));
        return show(c, c.srcImageRep(), false);
    };
    struct Row {
        const char* name;
        int tag;
        Offer offer;
        bool replaced;
    } rows[] = {
        { "output replaces output", 0, newOutput, true },
        { "source leaves output", 0, newSource, false },
        { "output leaves source", 1, newOutput, false },
        { "source replaces source", 1, newSource, true },
        { "the shown output again", 0, [](zent3controller& c) { return show(c, c.outPict(), true); }, false },
        { "a borrowed stranger", 0, [&](zent3controller& c) { return show(c, stranger.get(), true); }, false },
        { "a render replaces output", 0,
            [](zent3controller& c) {
                c.leftPanel().selRect()->setFrame({ 0, 0, 30, 20 });
                c.redrawOutput();
                return c.outPict().get();
            },
            true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Viewer v(r.tag);
        const BitmapImageRep* before = v.c.fullScreenImage();
        v.keys.clear();
        const BitmapImageRep* offered = r.offer(v.c);
        EXPECT_EQ(v.c.fullScreenImage(), r.replaced ? offered : before);
        EXPECT_EQ(v.keys.contains(QStringLiteral("fullScreenImage")), r.replaced);
        const double w = r.replaced ? 30 : 200, h = r.replaced ? 20 : 160;
        EXPECT_EQ(v.c.zentFullScreenView().pictureSize(), (Size { w, h }));
        EXPECT_EQ(v.c.zentFullScreenView().frameSize(), (Size { w / 2, h / 2 })) << "the scale stays";
    }
}
