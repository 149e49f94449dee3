// Undo and redo from the keyboard in the real window: the Edit menu names the step, the
// frame and the output come back pixel for pixel, and a text field keeps its own Ctrl+Z.

#include "WindowHarness.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenu>
#include <QSpinBox>

using namespace quillum;
using namespace quillum::test;

namespace {

std::vector<std::uint8_t> outputBytes(const zent3controller& c)
{
    const auto out = c.outPict();
    return out ? std::vector<std::uint8_t>(out->bitmapData(), out->bitmapData() + out->planeBytes())
               : std::vector<std::uint8_t> {};
}

// The Edit menu's items, top first.
QStringList editMenuTexts(const MainWindow& window)
{
    QStringList texts;
    for (QAction* menu : window.menuBar()->actions())
        if (menu->text() == QStringLiteral("&Edit"))
            for (QAction* item : menu->menu()->actions())
                texts << item->text();
    return texts;
}

// The recorded step's name reaches the menu once the event loop has run.
void letSettle()
{
    QTest::qWait(20);
}

} // namespace

TEST(UndoGestures, CtrlZUndoesFrameAndSettingsCtrlShiftZAndCtrlYRedo)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    letSettle();
    EXPECT_EQ(editMenuTexts(s.window).mid(0, 2), (QStringList { QStringLiteral("Undo"), QStringLiteral("Redo") }));
    EXPECT_FALSE(s.action(QStringLiteral("Undo"))->isEnabled());
    const Rect opened = s.frame();
    const auto outOpened = outputBytes(s.controller);

    s.press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
    letSettle();
    const Rect shrunk = s.frame();
    ASSERT_EQ(shrunk.width, opened.width - 10);
    const auto outShrunk = outputBytes(s.controller);
    ASSERT_TRUE(s.action(QStringLiteral("Undo Resize Frame")));
    EXPECT_TRUE(s.action(QStringLiteral("Undo Resize Frame"))->isEnabled());

    s.find<QCheckBox>("autoLevels")->click();
    letSettle();
    ASSERT_TRUE(s.controller.autoLevelsIsOn());
    const auto outLevelled = outputBytes(s.controller);
    EXPECT_NE(outLevelled, outShrunk);
    EXPECT_TRUE(s.action(QStringLiteral("Undo Auto Levels")));

    s.cropView().setFocus();
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_FALSE(s.controller.autoLevelsIsOn());
    EXPECT_FALSE(s.find<QCheckBox>("autoLevels")->isChecked()) << "the control follows";
    EXPECT_EQ(outputBytes(s.controller), outShrunk);
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(s.frame(), opened);
    EXPECT_EQ(outputBytes(s.controller), outOpened);
    EXPECT_FALSE(s.action(QStringLiteral("Undo"))->isEnabled());
    EXPECT_TRUE(s.action(QStringLiteral("Redo Resize Frame")));

    s.press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(s.frame(), shrunk);
    EXPECT_EQ(outputBytes(s.controller), outShrunk);
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_TRUE(s.controller.autoLevelsIsOn());
    EXPECT_EQ(outputBytes(s.controller), outLevelled);
    EXPECT_FALSE(s.action(QStringLiteral("Redo"))->isEnabled());

    // Another picture: nothing to undo.
    s.press(QKeySequence(Qt::ALT | Qt::Key_Right));
    letSettle();
    EXPECT_FALSE(s.action(QStringLiteral("Undo"))->isEnabled());
}

TEST(UndoGestures, ATextFieldWithTheFocusKeepsItsOwnUndo)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    s.press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
    letSettle();
    const Rect shrunk = s.frame();

    QLineEdit* name = s.nameField();
    const QString before = name->text();
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, QStringLiteral("-x"));
    ASSERT_EQ(name->text(), before + QStringLiteral("-x"));
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(name->text(), before) << "the field's own undo";
    EXPECT_EQ(s.frame(), shrunk) << "not the frame's";
    s.press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(name->text(), before + QStringLiteral("-x"));
    EXPECT_TRUE(s.action(QStringLiteral("Undo Resize Frame"))) << "the history is untouched";

    // A size field likewise, while its digits are being typed.
    s.find<QCheckBox>("fixedWidth")->click();
    letSettle();
    auto* width = s.find<QSpinBox>("outputWidth");
    const QString shown = width->text();
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("123"));
    ASSERT_NE(width->text(), shown);
    s.press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(width->text(), shown);
    EXPECT_TRUE(s.controller.outputWidthIsFixed()) << "the check box's step is not undone";
    // The field reports a finished edit when it loses the focus; the window going must not
    // be what takes it.
    s.cropView().setFocus();
}
