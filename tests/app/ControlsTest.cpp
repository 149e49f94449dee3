// The control strips against a real controller: a widget change arrives as a command, and an
// announcement comes back into the widget without echoing into another command.

#include "app/controls/CropControls.h"
#include "app/controls/OutputControls.h"
#include "app/controls/PictureCorrectionPanel.h"
#include "app/controls/StatusStrip.h"
#include "controller/zent3controller.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <stdexcept>

#include "AppTestSupport.h"

using namespace quillum;

namespace {

// The binary's one QApplication, shared with the other widget tests.
void ensureApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    test::testApplication();
}

BitmapImageRep gradient(int w, int h)
{
    BitmapImageRep::Layout l;
    l.width = w;
    l.height = h;
    l.samplesPerPixel = 3;
    l.bitsPerPixel = 24;
    l.hasAlpha = false;
    l.formatFlags = 0;
    BitmapImageRep rep(l);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = rep.bitmapData() + std::size_t(y) * rep.bytesPerRow() + std::size_t(x) * 3;
            p[0] = std::uint8_t(x * 4), p[1] = std::uint8_t(y * 4), p[2] = 128;
        }
    return rep;
}

// A controller showing a 64 x 48 picture cropped to 40 x 30, with its renders counted.
struct Scene {
    NotificationCenter center;
    zent3controller c { center };
    int renders = 0;
    explicit Scene(bool withPicture = true)
    {
        ensureApplication();
        c.observeKey(QStringLiteral("operationTimeLabel"), [this](const QString&) { ++renders; });
        c.leftPanel().setScrollViewFrameSize({ 100, 80 });
        if (withPicture) {
            c.setSourcePicture(gradient(64, 48));
            // As if drawn by hand, so the frame commands keep it rather than re-placing it.
            c.leftPanel().selRect()->setFrame({ 8, 6, 40, 30 });
            c.leftPanel().setLastManualRect({ 8, 6, 40, 30 });
            c.redrawOutput();
        }
        renders = 0;
    }
    int outW() const { return c.outPict() ? c.outPict()->pixelsWide() : 0; }
    int outH() const { return c.outPict() ? c.outPict()->pixelsHigh() : 0; }
};

template <typename T> T& child(QWidget& parent, const char* name)
{
    if (T* found = parent.findChild<T*>(QString::fromLatin1(name)))
        return *found;
    throw std::logic_error(std::string("no child named ") + name);
}

using Action = std::function<void(zent3controller&, QWidget&)>;
using Check = std::function<bool(zent3controller&, QWidget&)>;

struct Row {
    const char* name;
    Action before; // not counted
    Action act;
    Check holds;
    int renders; // -1: not counted
};

void click(QWidget& w, const char* name)
{
    child<QAbstractButton>(w, name).click();
}

// Each row on a fresh controller with one panel of each kind (the correction panel made).
void runRows(const std::vector<Row>& rows)
{
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Scene s;
        QWidget root;
        new CropControls(s.c, &root);
        auto* output = new OutputControls(s.c, &root);
        output->correctionPanel();
        new StatusStrip(s.c, &root);
        if (r.before)
            r.before(s.c, root);
        s.renders = 0;
        r.act(s.c, root);
        EXPECT_TRUE(r.holds(s.c, root));
        if (r.renders >= 0) {
            EXPECT_EQ(s.renders, r.renders);
        }
    }
}

} // namespace

TEST(Controls, WidgetChangesReachTheController)
{
    auto onlyMode = [](int tag) {
        return [tag](const zent3controller& c, QWidget& w) {
            return c.outputModeTag() == tag && child<QAbstractButton>(w, "modeColor").isChecked() == (tag == 1)
                && child<QAbstractButton>(w, "modeBlackAndWhite").isChecked() == (tag == 2)
                && child<QAbstractButton>(w, "modeSepia").isChecked() == (tag == 3);
        };
    };
    const std::vector<Row> rows = {
        { "sepia", {}, [](auto&, QWidget& w) { click(w, "modeSepia"); }, onlyMode(3), 1 },
        { "black and white", {}, [](auto&, QWidget& w) { click(w, "modeBlackAndWhite"); }, onlyMode(2), 1 },
        { "back to colour", [](auto&, QWidget& w) { click(w, "modeSepia"); },
            [](auto&, QWidget& w) { click(w, "modeColor"); }, onlyMode(1), 1 },
        { "invert", {}, [](auto&, QWidget& w) { click(w, "invert"); },
            [](const zent3controller& c, QWidget&) { return c.invertIsOn(); }, 1 },
        { "flip vertical", {}, [](auto&, QWidget& w) { click(w, "flipVertical"); },
            [](const zent3controller& c, QWidget&) { return c.flipVertical() && !c.flipHorizontal(); }, 1 },
        { "flip horizontal", {}, [](auto&, QWidget& w) { click(w, "flipHorizontal"); },
            [](const zent3controller& c, QWidget&) { return c.flipHorizontal() && !c.flipVertical(); }, 1 },
        { "auto levels", {}, [](auto&, QWidget& w) { click(w, "autoLevels"); },
            [](const zent3controller& c, QWidget&) { return c.autoLevelsIsOn() && !c.autoLevelsIsLocked(); }, 1 },
        { "lock levels", {}, [](auto&, QWidget& w) { click(w, "autoLevelsLock"); },
            [](const zent3controller& c, QWidget&) { return c.autoLevelsIsLocked(); }, 1 },
        { "stretch", {}, [](auto&, QWidget& w) { click(w, "stretch"); },
            [](const zent3controller& c, QWidget&) { return c.outputSizeUnproportionalStretch(); }, 1 },
        { "sharpen", {}, [](auto&, QWidget& w) { child<QComboBox>(w, "sharpen").setCurrentIndex(4); },
            [](const zent3controller& c, QWidget&) { return c.sharpenLevel() == 4; }, 1 },
        { "fixed width enables its field and waits for a width", {}, [](auto&, QWidget& w) { click(w, "fixedWidth"); },
            [](const zent3controller& c, QWidget& w) {
                return c.outputWidthIsFixed() && c.outputWidthFieldEnabled()
                    && child<QSpinBox>(w, "outputWidth").isEnabled() && !child<QSpinBox>(w, "outputHeight").isEnabled();
            },
            0 },
        { "fixed height off again renders", [](auto&, QWidget& w) { click(w, "fixedHeight"); },
            [](auto&, QWidget& w) { click(w, "fixedHeight"); },
            [](const zent3controller& c, QWidget& w) {
                return !c.outputHeightIsFixed() && !child<QSpinBox>(w, "outputHeight").isEnabled();
            },
            1 },
        { "fixed width field", [](auto&, QWidget& w) { click(w, "fixedWidth"); },
            [](auto&, QWidget& w) { child<QSpinBox>(w, "outputWidth").setValue(120); },
            [](const zent3controller& c, QWidget&) {
                return c.outputWidthVal() == 120 && c.outPict()->pixelsWide() == 120 && c.outPict()->pixelsHigh() == 90;
            },
            1 },
        { "fixed height field", [](auto&, QWidget& w) { click(w, "fixedHeight"); },
            [](auto&, QWidget& w) { child<QSpinBox>(w, "outputHeight").setValue(15); },
            [](const zent3controller& c, QWidget& w) {
                return c.outPict()->pixelsHigh() == 15 && c.outPict()->pixelsWide() == 20
                    && child<QSpinBox>(w, "outputWidth").value() == 20;
            },
            1 },
        { "select all", {}, [](auto&, QWidget& w) { click(w, "selectAll"); },
            [](zent3controller& c, QWidget&) {
                const Rect f = c.leftPanel().selRect()->frame();
                return f.x == 0 && f.y == 0 && f.width == 64 && f.height == 48;
            },
            -1 },
        { "rotate frame", {}, [](auto&, QWidget& w) { click(w, "rotateFrame"); },
            [](zent3controller& c, QWidget&) {
                const Rect f = c.leftPanel().selRect()->frame();
                return f.width == 30 && f.height == 40;
            },
            1 },
    };
    runRows(rows);
}

TEST(Controls, ControllerChangesUpdateWidgetsWithoutEchoing)
{
    auto spin = [](QWidget& w, const char* name) { return child<QSpinBox>(w, name).value(); };
    auto slider = [](QWidget& w, const char* name) { return child<QSlider>(w, name).value(); };
    auto text = [](QWidget& w, const char* name) { return child<QLabel>(w, name).text(); };
    auto checked = [](QWidget& w, const char* name) { return child<QAbstractButton>(w, name).isChecked(); };
    const std::vector<Row> rows = {
        { "output width", [](zent3controller& c, QWidget&) { c.setOutputWidthIsFixed(true); },
            [](zent3controller& c, QWidget&) { c.setOutputWidthVal(250); },
            [=](const zent3controller& c, QWidget& w) {
                return spin(w, "outputWidth") == 250 && c.outputWidthVal() == 250;
            },
            1 },
        // The field shows its maximum; echoing it back would change the controller's value.
        { "width beyond the field",
            [](zent3controller& c, QWidget&) {
                // A box 10 high keeps the output small.
                c.setOutputWidthIsFixed(true);
                c.setOutputHeightIsFixed(true);
                c.setOutputHeighVal(10);
            },
            [](zent3controller& c, QWidget&) { c.setOutputWidthVal(150000); },
            [=](const zent3controller& c, QWidget& w) {
                return spin(w, "outputWidth") == 99999 && c.outputWidthVal() == 150000;
            },
            1 },
        { "output height", [](zent3controller& c, QWidget&) { c.setOutputHeightIsFixed(true); },
            [](zent3controller& c, QWidget&) { c.setOutputHeighVal(77); },
            [=](const zent3controller&, QWidget& w) { return spin(w, "outputHeight") == 77; }, 1 },
        { "a render writes the free size back", {},
            [](zent3controller& c, QWidget&) {
                c.leftPanel().selRect()->setFrame({ 0, 0, 50, 20 });
                c.redrawOutput();
            },
            [=](const zent3controller&, QWidget& w) {
                return spin(w, "outputWidth") == 50 && spin(w, "outputHeight") == 20 && spin(w, "aspectX") == 50
                    && spin(w, "aspectY") == 20;
            },
            1 },
        { "fixed width check", {}, [](zent3controller& c, QWidget&) { c.setOutputWidthIsFixed(true); },
            [=](const zent3controller&, QWidget& w) { return checked(w, "fixedWidth"); }, 0 },
        { "sepia", {}, [](zent3controller& c, QWidget&) { c.setOutputModeTag(3); },
            [=](const zent3controller&, QWidget& w) {
                return checked(w, "modeSepia") && !checked(w, "modeColor") && !checked(w, "modeBlackAndWhite");
            },
            1 },
        { "a mode without a button", {}, [](zent3controller& c, QWidget&) { c.setOutputModeTag(9); },
            [=](const zent3controller& c, QWidget& w) {
                return c.outputModeTag() == 9 && !checked(w, "modeSepia") && !checked(w, "modeColor")
                    && !checked(w, "modeBlackAndWhite");
            },
            1 },
        { "sharpen", {}, [](zent3controller& c, QWidget&) { c.setSharpenLevel(2); },
            [](const zent3controller&, QWidget& w) { return child<QComboBox>(w, "sharpen").currentIndex() == 2; }, 1 },
        { "sharpen beyond the menu", {}, [](zent3controller& c, QWidget&) { c.setSharpenLevel(9); },
            [](const zent3controller& c, QWidget& w) {
                return c.sharpenLevel() == 9 && child<QComboBox>(w, "sharpen").currentIndex() == -1;
            },
            1 },
        { "flip", {}, [](zent3controller& c, QWidget&) { c.setFlipHorizontal(true); },
            [=](const zent3controller&, QWidget& w) {
                return checked(w, "flipHorizontal") && !checked(w, "flipVertical");
            },
            1 },
        { "auto levels", {}, [](zent3controller& c, QWidget&) { c.setAutoLevelsIsOn(true); },
            [=](const zent3controller&, QWidget& w) { return checked(w, "autoLevels"); }, 1 },
        { "stretch", {}, [](zent3controller& c, QWidget&) { c.setOutputSizeUnproportionalStretch(true); },
            [=](const zent3controller&, QWidget& w) { return checked(w, "stretch"); }, 1 },
        { "correction on", {}, [](zent3controller& c, QWidget&) { c.setPictureCorrectionIsOn(true); },
            [=](const zent3controller&, QWidget& w) { return checked(w, "correctionEnabled"); }, 1 },
        { "gamma beyond the slider", {}, [](zent3controller& c, QWidget&) { c.setGammaValue(5.0f); },
            [=](const zent3controller& c, QWidget& w) {
                return slider(w, "gamma") == 300 && text(w, "gammaValue") == "5.00" && c.gammaValue() == 5.0f;
            },
            1 },
        { "contrast between slider steps", {}, [](zent3controller& c, QWidget&) { c.setContrastValue(0.123f); },
            [=](const zent3controller& c, QWidget& w) {
                return slider(w, "contrast") == 12 && text(w, "contrastValue") == "+0.12"
                    && c.contrastValue() == 0.123f;
            },
            1 },
        { "red below the slider", {}, [](zent3controller& c, QWidget&) { c.setRedValue(-2.5f); },
            [=](const zent3controller& c, QWidget& w) {
                return slider(w, "red") == -100 && text(w, "redValue") == "-2.50" && c.redValue() == -2.5f;
            },
            1 },
        { "blue not a number", {},
            [](zent3controller& c, QWidget&) { c.setBlueValue(std::numeric_limits<float>::quiet_NaN()); },
            [=](const zent3controller& c, QWidget& w) { return slider(w, "blue") == 0 && std::isnan(c.blueValue()); },
            1 },
    };
    runRows(rows);
}

TEST(Controls, FixedAspectCheckEnablesTheFields)
{
    Scene s;
    CropControls controls(s.c);
    auto& fixed = child<QCheckBox>(controls, "fixedAspect");
    auto& x = child<QSpinBox>(controls, "aspectX");
    auto& y = child<QSpinBox>(controls, "aspectY");
    auto ratio = [&](int tag) {
        for (QAction* a : child<QMenu>(controls, "ratioMenu").actions())
            if (!a->isSeparator() && a->data().toInt() == tag)
                return a->trigger();
        FAIL() << "no ratio " << tag;
    };
    EXPECT_EQ(fixed.toolTip(), QStringLiteral("Check for fixed cropped aspect ratio"));

    struct Step {
        const char* name;
        std::function<void()> act;
        bool on;
        int x, y;
    } steps[] = {
        { "free: the fields show the frame", [] {}, false, 40, 30 },
        { "check", [&] { fixed.click(); }, true, 40, 30 },
        { "edit X", [&] { x.setValue(16); }, true, 16, 30 },
        { "edit Y", [&] { y.setValue(9); }, true, 16, 9 },
        { "ratio 2:3", [&] { ratio(23); }, true, 2, 3 },
        { "rotate swaps the ratio", [&] { click(controls, "rotateFrame"); }, true, 3, 2 },
        { "uncheck", [&] { fixed.click(); }, false, -1, -1 },
        { "ratio 16:9 checks", [&] { ratio(169); }, true, 16, 9 },
        { "X of 0 frees", [&] { x.setValue(0); }, false, -1, -1 },
        { "current frame", [&] { ratio(1004); }, true, -1, -1 },
        { "free", [&] { ratio(0); }, false, -1, -1 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        const Rect f = s.c.leftPanel().selRect()->frame();
        // -1: the frame's own size, which the step does not fix.
        const int wantX = step.x < 0 ? int(f.width) : step.x, wantY = step.y < 0 ? int(f.height) : step.y;
        EXPECT_EQ(fixed.isChecked(), step.on);
        EXPECT_EQ(s.c.fixedAspectIsOn(), step.on);
        EXPECT_EQ(x.isEnabled(), step.on);
        EXPECT_EQ(y.isEnabled(), step.on);
        EXPECT_EQ(x.value(), wantX);
        EXPECT_EQ(y.value(), wantY);
        EXPECT_EQ(s.c.aspectXValue(), wantX);
        EXPECT_EQ(s.c.aspectYValue(), wantY);
    }
}

TEST(Controls, ZoomSliderFollowsAndDrivesTheScale)
{
    Scene s;
    CropControls controls(s.c);
    auto& slider = child<QSlider>(controls, "zoom");
    auto& label = child<QLabel>(controls, "zoomPercent");
    EXPECT_EQ(label.text(), QStringLiteral("100%"));
    EXPECT_EQ(slider.value(), 590);

    slider.setValue(CropControls::zoomPositionForPercent(200));
    EXPECT_NEAR(s.c.scaleSlider(), 200, 0.5);
    EXPECT_EQ(label.text(), QStringLiteral("200%"));

    struct Command {
        const char* button;
        double percent; // NaN: whatever fits the view
    } commands[] = { { "actualSizeImage", 100 }, { "fitImage", std::numeric_limits<double>::quiet_NaN() } };
    for (const Command& command : commands) {
        SCOPED_TRACE(command.button);
        click(controls, command.button);
        if (!std::isnan(command.percent)) {
            EXPECT_NEAR(s.c.scaleSlider(), command.percent, 1e-3);
        }
        EXPECT_EQ(slider.value(), CropControls::zoomPositionForPercent(s.c.scaleSlider()));
        EXPECT_EQ(label.text(), QStringLiteral("%1%").arg(std::lround(s.c.scaleSlider())));
    }

    Scene empty(false);
    CropControls idle(empty.c);
    auto& idleSlider = child<QSlider>(idle, "zoom");
    idleSlider.setValue(900);
    EXPECT_EQ(empty.c.scaleSlider(), 100.0);
    EXPECT_EQ(idleSlider.value(), 590) << "without a picture the slider returns to the controller's zoom";
}

TEST(Controls, StatusStripMirrorsTheStatusKeys)
{
    Scene s(false);
    StatusStrip strip(s.c);
    auto& info = child<QLabel>(strip, "imageInfo");
    auto& time = child<QLabel>(strip, "operationTime");
    auto& saved = child<QLabel>(strip, "outputSaved");
    EXPECT_TRUE(info.text().isEmpty());
    EXPECT_EQ(child<QLabel>(strip, "fileCounter").text(), QStringLiteral("0/0"));

    s.c.setSourcePicture(gradient(64, 48));
    s.c.leftPanel().selRect()->setFrame({ 0, 0, 32, 16 });
    s.c.redrawOutput();
    EXPECT_EQ(info.text(), s.c.imageInfo());
    EXPECT_FALSE(info.text().isEmpty());
    EXPECT_EQ(time.text(), s.c.operationTimeLabel().trimmed());
    EXPECT_TRUE(time.text().startsWith(QStringLiteral("[0 : 0]-[32 x 16]")));

    const struct {
        bool hidden;
    } savedRows[] = { { false }, { true }, { false } };
    for (const auto& row : savedRows) {
        s.c.outputFileSavedLabelHidden(row.hidden);
        EXPECT_EQ(saved.isHidden(), row.hidden);
    }
    s.c.redrawOutput();
    EXPECT_TRUE(saved.isHidden()) << "a new render hides the note";

    strip.setFileCounter(3, 12);
    EXPECT_EQ(child<QLabel>(strip, "fileCounter").text(), QStringLiteral("3/12"));
}

// Under ASan, an observer left behind by a destroyed panel is a use after free here.
TEST(Controls, DestroyedPanelsStopListening)
{
    Scene s;
    {
        QWidget root;
        new CropControls(s.c, &root);
        auto* output = new OutputControls(s.c, &root);
        output->showCorrectionPanel();
        new StatusStrip(s.c, &root);
    }
    s.c.nextCompositionGuide();
    s.c.setOutputModeTag(3);
    s.c.setGammaValue(2.0f);
    s.c.setOutputWidthVal(120);
    s.c.fitImageTo100();
    s.c.outputFileSavedLabelHidden(false);
    s.c.setSourcePicture(gradient(8, 8));
    s.c.leftPanel().selRect()->setFrame({ 0, 0, 8, 8 });
    s.c.redrawOutput();
    EXPECT_EQ(s.outW(), 8);
}
