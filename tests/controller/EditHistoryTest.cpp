// Undo and redo: every kind of change goes back to the state and the very pixels it came
// from, continuous input makes one step, and another picture starts a new history.

#include "controller/EditHistory.h"
#include "controller/zent3controller.h"
#include "presets/PresetLibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

#include "TestSupport.h"

using namespace quillum;
using namespace std::chrono_literals;

namespace {

// No event loop: the tests settle by hand where it would.
struct NoTimer final : OneShotTimer {
    void fireAfter(double, std::function<void()>) override { }
    void stop() override { }
    bool isActive() const override { return false; }
};

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const Pixels&) const = default;
};

// coffee.jpg shown through the loader, with the frame a little inside the picture so that
// it can move every way.
struct Session {
    bool applicationReady = (guiApplication(), true); // captions need fonts
    NotificationCenter center;
    zent3controller c { center };
    std::unique_ptr<EditHistory> history;
    std::chrono::steady_clock::time_point now {};

    Session()
    {
        c.setLookAheadEnabled(false);
        c.setRotationThumbnailsEnabled(false);
        c.leftPanel().setScrollViewFrameSize({ 800, 600 });
        c.awakeFromNib();
        history = std::make_unique<EditHistory>(c, std::make_unique<NoTimer>());
        history->setClock([this] { return now; });
        EXPECT_TRUE(c.openPicture(test::samplePath("coffee.jpg")));
        c.leftPanel().selRect()->setFrame({ 40, 30, 300, 200 });
        c.leftPanel().setLastManualRect({ 40, 30, 300, 200 });
        c.redrawOutput();
        settle();
    }

    // One for the rest of the run, unless a test before made one; deleted after the last test.
    static void guiApplication()
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = { name, nullptr };
        if (!QCoreApplication::instance())
            ownApplication() = new QGuiApplication(argc, argv);
    }
    static QGuiApplication*& ownApplication()
    {
        static QGuiApplication* app = nullptr;
        return app;
    }

    void settle() { history->settle(); }
    void later(std::chrono::milliseconds gap) { now += gap; }
    int steps() const { return history->stack().count(); }
    Pixels output() const
    {
        const auto out = c.outPict();
        if (!out)
            return {};
        return { out->pixelsWide(), out->pixelsHigh(), { out->bitmapData(), out->bitmapData() + out->planeBytes() } };
    }
    // An arrow key pressed and released on the left panel.
    void tap(char16_t arrow, unsigned modifiers = 0)
    {
        const KeyEvent key { NumericPadKeyMask | modifiers, QString(QChar(arrow)) };
        c.leftPanel().keyDown(key);
        c.leftPanel().keyUp(key);
    }
};

// The fonts it holds would be reported as leaked if it outlived the tests.
struct GuiApplicationEnvironment : ::testing::Environment {
    void TearDown() override { delete std::exchange(Session::ownApplication(), nullptr); }
};
const bool environmentRegistered = (::testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment), true);

Sender withTag(int tag)
{
    Sender s;
    s.tag = tag;
    return s;
}

Sender withValue(double value)
{
    Sender s;
    s.doubleValue = value;
    return s;
}

} // namespace

TEST(EditHistory, EveryKindOfChangeUndoesToTheSamePixelsAndRedoes)
{
    struct Row {
        const char* name; // what the step is called
        std::function<void(Session&)> change;
    } rows[] = {
        { "Move Frame", [](Session& s) { s.tap(RightArrowFunctionKey, ControlKeyMask); } },
        { "Resize Frame", [](Session& s) { s.tap(LeftArrowFunctionKey, ShiftKeyMask | ControlKeyMask); } },
        { "Resize Frame",
            [](Session& s) {
                s.c.leftPanel().scrollWheel({ ShiftKeyMask, 1, 0, -3 });
                s.c.leftPanel().onTimer(); // the wheel has rested
            } },
        { "Aspect Ratio", [](Session& s) { s.c.setCropAspect(withTag(169)); } },
        { "Turn Frame", [](Session& s) { s.c.rotateSelectioFrame(); } },
        { "Rotate Picture", [](Session& s) { s.c.inPicRotate90(); } },
        { "Rotate Picture", [](Session& s) { s.c.inPicRotateBy(withValue(12.5)); } },
        { "Auto Levels", [](Session& s) { s.c.setAutoLevelsIsOn(true); } },
        { "Picture Correction",
            [](Session& s) {
                s.c.setPictureCorrectionIsOn(true);
                s.c.setGammaValue(1.8f);
            } },
        { "Mirror", [](Session& s) { s.c.setFlipHorizontal(true); } },
        { "Colour Mode", [](Session& s) { s.c.setOutputModeTag(OutputModeSepia); } },
        { "Output Size",
            [](Session& s) {
                s.c.setOutputWidthIsFixed(true);
                s.c.setOutputWidthVal(120);
            } },
        { "Borders", [](Session& s) { s.c.setBorder1Check(true); } },
        { "Captions", [](Session& s) { s.c.setTextCaption1Check(true); } },
        { "Logo",
            [](Session& s) {
                s.c.resetLogo();
                s.c.setDrawLogo(true);
            } },
        { "Apply Preset",
            [](Session& s) {
                ZentFullPresetRec p = s.c.makePresetWithCurrentStateNamed(QStringLiteral("Square negative"));
                p.setFixedAspect(true);
                p.setAspectX(1);
                p.setAspectY(1);
                p.setPictureOutputInvert(true);
                p.setSharpenLevel(2);
                setRememberFlags(p, { true, false, false, false, true });
                s.c.loadPresetToController(p);
            } },
    };
    Session::guiApplication();
    const bool drawsText = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Session s;
        const EditSnapshot before = s.c.editSnapshot();
        const Pixels outBefore = s.output();
        ASSERT_FALSE(outBefore.bytes.empty());
        ASSERT_EQ(s.steps(), 0) << "opening a picture is no step";

        r.change(s);
        s.settle();
        ASSERT_EQ(s.steps(), 1);
        EXPECT_EQ(s.history->undoActionText(), QStringLiteral("Undo ") + QLatin1String(r.name));
        const EditSnapshot after = s.c.editSnapshot();
        const Pixels outAfter = s.output();
        EXPECT_FALSE(after == before);
        if (drawsText || QLatin1String(r.name) != QLatin1String("Captions")) {
            EXPECT_NE(outAfter, outBefore) << "the change shows in the output";
        }

        s.history->undo();
        EXPECT_TRUE(s.c.editSnapshot() == before);
        EXPECT_EQ(s.output(), outBefore);
        EXPECT_EQ(s.history->undoActionText(), QStringLiteral("Undo"));
        EXPECT_EQ(s.history->redoActionText(), QStringLiteral("Redo ") + QLatin1String(r.name));

        s.history->redo();
        EXPECT_TRUE(s.c.editSnapshot() == after);
        EXPECT_EQ(s.output(), outAfter);
        s.settle();
        EXPECT_EQ(s.steps(), 1) << "undo and redo record nothing";
        EXPECT_TRUE(s.history->stack().canUndo());
        EXPECT_FALSE(s.history->stack().canRedo());
    }
}

TEST(EditHistory, ContinuousInputJoinsIntoOneStepSwitchesDoNot)
{
    struct Row {
        const char* name;
        std::function<void(Session&)> input;
        int steps;
    } rows[] = {
        { "five arrow taps 200 ms apart",
            [](Session& s) {
                for (int i = 0; i < 5; ++i) {
                    s.tap(RightArrowFunctionKey);
                    s.settle();
                    s.later(200ms);
                }
            },
            1 },
        { "two taps a second and a half apart",
            [](Session& s) {
                s.tap(RightArrowFunctionKey);
                s.settle();
                s.later(1500ms);
                s.tap(RightArrowFunctionKey);
                s.settle();
            },
            2 },
        { "taps that come back where they started",
            [](Session& s) {
                s.tap(RightArrowFunctionKey);
                s.settle();
                s.later(100ms);
                s.tap(LeftArrowFunctionKey);
                s.settle();
            },
            0 },
        { "a move, then a resize",
            [](Session& s) {
                s.tap(RightArrowFunctionKey);
                s.settle();
                s.tap(RightArrowFunctionKey, ShiftKeyMask);
                s.settle();
            },
            2 },
        { "correction switched on, then a slider's values",
            [](Session& s) {
                s.c.setPictureCorrectionIsOn(true);
                s.settle();
                for (int i = 1; i <= 10; ++i) {
                    s.later(50ms);
                    s.c.setGammaValue(1.0f + 0.1f * float(i));
                    s.settle();
                }
            },
            2 },
        { "auto levels on and off at once",
            [](Session& s) {
                s.c.setAutoLevelsIsOn(true);
                s.settle();
                s.later(100ms);
                s.c.setAutoLevelsIsOn(false);
                s.settle();
            },
            2 },
        { "a move after an undo, within the time and of the name of the move before",
            [](Session& s) {
                s.tap(RightArrowFunctionKey);
                s.settle();
                s.later(100ms);
                s.tap(RightArrowFunctionKey, ShiftKeyMask);
                s.settle();
                s.history->undo();
                s.later(100ms);
                s.tap(UpArrowFunctionKey);
                s.settle();
            },
            2 },
        { "a change and its reverse before the state settles",
            [](Session& s) {
                s.c.setInvertIsOn(true);
                s.c.setInvertIsOn(false);
                s.settle();
            },
            0 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Session s;
        const EditSnapshot before = s.c.editSnapshot();
        r.input(s);
        EXPECT_EQ(s.steps(), r.steps);
        while (s.history->stack().canUndo())
            s.history->undo();
        EXPECT_TRUE(s.c.editSnapshot() == before);
    }
}

TEST(EditHistory, UndoTakesAChangeThatHasNotSettledYet)
{
    Session s;
    const EditSnapshot before = s.c.editSnapshot();
    s.tap(RightArrowFunctionKey, ControlKeyMask);
    s.history->undo();
    EXPECT_TRUE(s.c.editSnapshot() == before);
    EXPECT_EQ(s.history->redoActionText(), QStringLiteral("Redo Move Frame"));
}

// Nothing here is an edit: the history keeps its steps, and the redo step stays too.
TEST(EditHistory, SavingZoomAndNamingAreNoSteps)
{
    QTemporaryDir out;
    struct Row {
        const char* name;
        std::function<void(Session&)> act;
    } rows[] = {
        { "saving the crop",
            [&](Session& s) { EXPECT_TRUE(s.c.saveCropToPath(out.filePath(QStringLiteral("a.jpg")))); } },
        { "zooming the left panel", [](Session& s) { s.c.inPicZoomIn(); } },
        { "the output name", [](Session& s) { s.c.setCurrentOutputFileName(QStringLiteral("holiday")); } },
        { "the output type", [](Session& s) { s.c.setCurrentOutputFileType(ImageFileType::Png); } },
        { "the composition guides", [](Session& s) { s.c.nextCompositionGuide(); } },
        { "the remembered manual frame alone",
            [](Session& s) {
                s.c.leftPanel().setLastManualRect({ 0, 0, 10, 10 });
                s.c.redrawOutput();
            } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Session s;
        s.c.setInvertIsOn(true);
        s.settle();
        s.history->undo();
        r.act(s);
        s.settle();
        EXPECT_EQ(s.steps(), 1);
        EXPECT_EQ(s.history->redoActionText(), QStringLiteral("Redo Invert"));
    }
}

TEST(EditHistory, AnotherPictureStartsANewHistory)
{
    QTemporaryDir folder;
    for (const char* name : { "a.jpg", "b.jpg" })
        ASSERT_TRUE(QFile::copy(test::samplePath("rocket.jpg"), folder.filePath(QString::fromLatin1(name))));
    Session s;
    ASSERT_TRUE(s.c.createListForFolder(folder.path()));
    s.settle();
    EXPECT_EQ(s.steps(), 0) << "the list's first picture";

    s.c.setInvertIsOn(true);
    s.settle();
    ASSERT_EQ(s.steps(), 1);
    s.c.goNextPic();
    s.settle();
    EXPECT_EQ(s.steps(), 0) << "the next picture";
    EXPECT_EQ(s.history->undoActionText(), QStringLiteral("Undo"));

    // Its first change undoes to the picture as it opened, not to the one before.
    const EditSnapshot opened = s.c.editSnapshot();
    s.tap(DownArrowFunctionKey, ShiftKeyMask);
    s.settle();
    s.history->undo();
    EXPECT_TRUE(s.c.editSnapshot() == opened);

    s.tap(DownArrowFunctionKey, ShiftKeyMask);
    s.settle();
    s.c.closeImage();
    s.settle();
    EXPECT_EQ(s.steps(), 0) << "closing the picture";
}
