// The full-screen viewer: which picture it shows, its zoom steps, the zoom menu it borrows,
// and the panel calls on opening and closing.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

using namespace quillum;

namespace {

BitmapImageRep grey(int w, int h)
{
    BitmapImageRep::Layout l;
    l.width = w;
    l.height = h;
    l.samplesPerPixel = 1;
    l.bitsPerPixel = 8;
    l.hasAlpha = false;
    l.formatFlags = 0;
    l.colorSpace = ColorSpace::CalibratedWhite;
    BitmapImageRep rep(l);
    std::fill_n(rep.bitmapData(), rep.planeBytes(), std::uint8_t(90));
    return rep;
}

std::shared_ptr<const BitmapImageRep> argb(int w, int h)
{
    auto rep = std::make_shared<BitmapImageRep>(BitmapImageRep::makeARGB(w, h));
    std::fill_n(rep->bitmapData(), rep->planeBytes(), std::uint8_t(255));
    return rep;
}

struct FakeUi : UiServices {
    QStringList calls;
    Rect screenFrameOfMainWindow() const override { return { 0, 0, 100, 80 }; }
    void setWindowFrame(WindowId w, const Rect& f) override
    {
        calls << QStringLiteral("frame %1 %2x%3").arg(int(w)).arg(f.width).arg(f.height);
    }
    void bringWindowForward(WindowId w, bool floating) override
    {
        calls << QStringLiteral("forward %1 %2").arg(int(w)).arg(int(floating));
    }
    void orderWindowOut(WindowId w) override { calls << QStringLiteral("out %1").arg(int(w)); }
    void setPresentationMode(bool on) override { calls << QStringLiteral("presentation %1").arg(int(on)); }
};

const int kPanel = int(WindowId::FullScreenPanel);
const int kMain = int(WindowId::Main);

// A 200 x 160 source whose output, rendered from the whole picture, is 200 x 160 too; the
// 100 x 80 screen fits either at 0.5.
struct Viewer {
    NotificationCenter center;
    zent3controller c { center };
    FakeUi ui;
    QStringList keys;
    Viewer()
    {
        c.setUiServices(&ui);
        c.setSourcePicture(grey(200, 160));
        c.leftPanel().selRect()->setFrame({ 0, 0, 200, 160 });
        c.redrawOutput();
        c.observeKey({}, [this](const QString& key) {
            if (key.startsWith(QStringLiteral("fullScreen")))
                keys << key;
        });
    }
    void open(int tag)
    {
        Sender s;
        s.tag = tag;
        c.fullScreen(s);
    }
    Size shownSize() const { return c.zentFullScreenView().pictureSize(); }
};

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
    struct Row {
        int tag;
        bool showCrop;
    } rows[] = { { 1, false }, { 0, true }, { 2, true }, { -1, true } };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tag);
        Viewer v;
        v.open(r.tag);
        const BitmapImageRep* first = r.showCrop ? v.c.outPict().get() : v.c.srcImageRep();
        const BitmapImageRep* other = r.showCrop ? v.c.srcImageRep() : v.c.outPict().get();
        ASSERT_NE(first, other);
        EXPECT_EQ(v.c.fullScreenShowCrop(), r.showCrop);
        EXPECT_EQ(v.c.fullScreenImage(), first);
        v.c.scaleFullScreenDown();
        v.c.fullScreenInOutToggle();
        EXPECT_EQ(v.c.fullScreenShowCrop(), !r.showCrop);
        EXPECT_EQ(v.c.fullScreenImage(), other);
        v.c.fullScreenInOutToggle();
        EXPECT_EQ(v.c.fullScreenShowCrop(), r.showCrop);
        EXPECT_EQ(v.c.fullScreenImage(), first);
        EXPECT_EQ(v.c.zentFullScreenView().scale(), 0.6f) << "toggling keeps the scale";
    }
}

TEST(FullScreen, ZoomStepsMultiplyInDoubleAndStoreSingle)
{
    using Step = void (zent3controller::*)(const Sender&);
    struct Row {
        const char* name;
        Step step;
        std::vector<float> scales;
    } rows[] = {
        // A float product would give 0.864000082 and 0.320000023.
        { "zoom in (Down) from fit", &zent3controller::scaleFullScreenDown, { 0.6f, 0.72f, 0.864f } },
        { "zoom out (Up) from fit", &zent3controller::scaleFullScreenUp, { 0.4f, 0.32f } },
        { "actual size", &zent3controller::scaleFullScreenTo100, { 1.0f, 1.0f } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Viewer v;
        v.open(1);
        ASSERT_EQ(v.c.zentFullScreenView().scale(), 0.5f);
        for (float want : r.scales) {
            (v.c.*r.step)({});
            EXPECT_EQ(v.c.zentFullScreenView().scale(), want);
            EXPECT_EQ(v.c.zentFullScreenView().frameSize(), (Size { 200.0 * want, 160.0 * want }));
        }
    }
}

TEST(FullScreen, EmptyPictureStoresOnlyTheScale)
{
    NotificationCenter center;
    zent3controller c { center };
    FakeUi ui;
    c.setUiServices(&ui);
    c.zentFullScreenView().setScale(0.25f);
    Sender source;
    source.tag = 1;
    c.fullScreen(source);
    EXPECT_EQ(c.fullScreenImage(), nullptr);
    EXPECT_EQ(c.zentFullScreenView().scale(), 0.25f) << "fit does nothing without a picture";
    c.scaleFullScreenDown();
    EXPECT_EQ(c.zentFullScreenView().scale(), 0.3f);
    EXPECT_EQ(c.zentFullScreenView().frameSize(), (Size {}));
}

TEST(FullScreen, OpenAndCloseLeaveTheZoomMenuAsBefore)
{
    Viewer v;
    MenuModel& menu = v.c.mainZoomMenu();
    const auto before = menuRows(menu);
    v.open(0);
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
    EXPECT_EQ(v.c.zentFullScreenView().scale(), 0.6f);
    menu.itemWithTag(9993)->action();
    EXPECT_FLOAT_EQ(v.c.zentFullScreenView().scale(), 0.48f);
    menu.itemWithTag(9996)->action();
    EXPECT_FALSE(v.c.fullScreenShowCrop());

    v.c.fullScreen();
    EXPECT_EQ(menuRows(menu), before);
    EXPECT_FALSE(menu.autoenablesItems());
}

TEST(FullScreen, CloseRemovesOnlyTheViewerItemsStillPresent)
{
    Viewer v;
    MenuModel& menu = v.c.mainZoomMenu();
    const auto before = menuRows(menu);
    v.open(0);
    menu.removeItemWithTag(9995);
    menu.addItem({ 9997, QStringLiteral("Other"), {}, true, false, false, {} });
    v.c.fullScreen();
    auto want = before;
    want.emplace_back(9997, "Other", QString(), true, false);
    EXPECT_EQ(menuRows(menu), want);
}

TEST(FullScreen, PanelCallsOnOpenAndOnEscape)
{
    Viewer v;
    v.open(1);
    EXPECT_EQ(v.ui.calls,
        QStringList({ QStringLiteral("frame %1 100x80").arg(kPanel), QStringLiteral("presentation 1"),
            QStringLiteral("forward %1 1").arg(kPanel) }));
    EXPECT_TRUE(v.c.fullScreenIsOpen());
    EXPECT_EQ(v.c.zentFullScreenView().scrollViewFrameSize(), (Size { 100, 80 }));

    // Escape in the panel is fullScreen() with no sender.
    v.ui.calls.clear();
    v.c.fullScreen();
    EXPECT_FALSE(v.c.fullScreenIsOpen());
    EXPECT_EQ(v.c.fullScreenImage(), nullptr);
    EXPECT_EQ(v.ui.calls,
        QStringList({ QStringLiteral("out %1").arg(kPanel), QStringLiteral("presentation 0"),
            QStringLiteral("forward %1 0").arg(kMain) }));
}

TEST(FullScreen, ClosedViewerIgnoresToggleAndKeepingCurrent)
{
    for (bool wasOpened : { false, true }) {
        SCOPED_TRACE(wasOpened);
        Viewer v;
        if (wasOpened) {
            v.open(0);
            v.c.fullScreen();
        }
        const auto menu = menuRows(v.c.mainZoomMenu());
        v.keys.clear();
        v.ui.calls.clear();
        v.c.fullScreenInOutToggle();
        v.c.showImageInFullScreenAsCrop(argb(3, 3), true);
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
    enum Offer { NewOutput, NewSource, SameOutput, ForeignAsOutput, ForeignAsSource, Rendered };
    struct Row {
        const char* name;
        int tag;
        Offer offer;
        bool replaced;
    } rows[] = {
        { "output replaces output", 0, NewOutput, true },
        { "source leaves output", 0, NewSource, false },
        { "output leaves source", 1, NewOutput, false },
        { "source replaces source", 1, NewSource, true },
        { "the shown output again", 0, SameOutput, false },
        { "a borrowed stranger as output", 0, ForeignAsOutput, false },
        { "a borrowed stranger as source", 1, ForeignAsSource, false },
        { "a render replaces output", 0, Rendered, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Viewer v;
        v.open(r.tag);
        const BitmapImageRep* before = v.c.fullScreenImage();
        const auto stranger = argb(4, 4);
        v.keys.clear();
        const BitmapImageRep* offered = nullptr;
        switch (r.offer) {
        case NewOutput: {
            auto out = argb(30, 20);
            offered = out.get();
            v.c.showImageInFullScreenAsCrop(std::move(out), true);
            break;
        }
        case NewSource:
            v.c.setSourcePicture(grey(30, 20));
            offered = v.c.srcImageRep();
            v.c.showImageInFullScreenAsCrop(offered, false);
            break;
        case SameOutput:
            v.c.showImageInFullScreenAsCrop(v.c.outPict(), true);
            break;
        case ForeignAsOutput:
            v.c.showImageInFullScreenAsCrop(stranger.get(), true);
            break;
        case ForeignAsSource:
            v.c.showImageInFullScreenAsCrop(stranger.get(), false);
            break;
        case Rendered:
            v.c.leftPanel().selRect()->setFrame({ 0, 0, 30, 20 });
            v.c.redrawOutput();
            offered = v.c.outPict().get();
            break;
        }
        if (r.replaced) {
            EXPECT_EQ(v.c.fullScreenImage(), offered);
            EXPECT_EQ(v.shownSize(), (Size { 30, 20 }));
            EXPECT_EQ(v.c.zentFullScreenView().frameSize(), (Size { 15, 10 })) << "the scale stays";
            EXPECT_TRUE(v.keys.contains(QStringLiteral("fullScreenImage")));
        } else {
            EXPECT_EQ(v.shownSize(), (Size { 200, 160 }));
            EXPECT_FALSE(v.keys.contains(QStringLiteral("fullScreenImage")));
            EXPECT_EQ(v.c.fullScreenImage(), before);
        }
    }
}
