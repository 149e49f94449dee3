// The Presets menu and its two sheets as the user reaches them: the menu at first start, a
// preset chosen from it, a new preset named and kept across a restart, the presets panel's
// drag, rename and Use, and the library saved to a file, deleted and loaded back.

#include "WindowHarness.h"

#include "app/presets/PresetsPanel.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyleOptionButton>

using namespace quillum;
using namespace quillum::test;

namespace {

const QString kSeparatorRow = QStringLiteral("------- Separator line --------");

QMenu* presetsMenu(const WindowSession& s)
{
    for (QMenu* m : s.window.findChildren<QMenu*>())
        if (m->title() == QStringLiteral("&Presets"))
            return m;
    return nullptr;
}

// The menu as the user reads it, a separator as "-".
QStringList titles(const QMenu* menu)
{
    QStringList t;
    for (const QAction* a : menu->actions())
        t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

QAction* menuItem(const QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QStringList rows(const PresetTable* table)
{
    QStringList r;
    for (int i = 0; i < table->model()->rowCount(); ++i)
        r << table->model()->index(i, 0).data().toString();
    return r;
}

QPoint rowCenter(const PresetTable* table, int row)
{
    return table->visualRect(table->model()->index(row, 0)).center();
}

void click(QWidget* w)
{
    ASSERT_TRUE(w && w->isVisible());
    QPoint at = w->rect().center();
    // A check box takes clicks on its box and label only, not on the rest of its row.
    if (qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(w);
        at = w->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, w).center();
    }
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

// As the platform delivers one: press, release, press, the double-click, release.
void doubleClick(QWidget* w, QPoint at)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

QPushButton* button(const QWidget* panel, const char* name)
{
    return panel->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Drops `mime` on the table's rows at `at`, as the desktop delivers a drag: enter, move, drop.
bool dropOnRows(PresetTable* table, const QMimeData* mime, QPoint at)
{
    QWidget* viewport = table->viewport();
    QDragEnterEvent enter(at, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

// The debug lines printed while it lives; other messages go on as before.
struct DebugLines {
    QStringList lines;
    static DebugLines*& current()
    {
        static DebugLines* c = nullptr;
        return c;
    }
    QtMessageHandler previous = nullptr;
    DebugLines()
    {
        current() = this;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtDebugMsg)
                current()->lines << text;
            else if (current()->previous)
                current()->previous(type, context, text);
        });
    }
    ~DebugLines()
    {
        qInstallMessageHandler(previous);
        current() = nullptr;
    }
};

// The window's session over one settings file, as the program starts.
struct Launch {
    UserDefaults store;
    WindowSession s;
    explicit Launch(const QString& settingsFile)
        : store(settingsFile)
        , s({ "a.jpg" }, "coffee.jpg", [this](WindowSession& session) { session.controller.setUserDefaults(&store); })
    {
        s.center.postNotificationName(notification::ApplicationDidFinishLaunching);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(PresetGestures, TheMenuAtFirstStartHoldsTheCommandsThenTheDefaultSet)
{
    WindowSession s;
    QMenu* menu = presetsMenu(s);
    ASSERT_TRUE(menu);
    QStringList order;
    for (const QAction* a : s.window.menuBar()->actions())
        order << a->text();
    EXPECT_EQ(order.indexOf(QStringLiteral("&Presets")), order.indexOf(QStringLiteral("&Output")) + 1);
    EXPECT_EQ(order.indexOf(QStringLiteral("&Help")), order.indexOf(QStringLiteral("&Presets")) + 1);

    const QStringList t = titles(menu);
    ASSERT_GE(t.size(), 8);
    EXPECT_EQ(t.mid(0, 4),
        (QStringList { QStringLiteral("Add Current State as Preset..."), QStringLiteral("Edit Presets Menu..."),
            QStringLiteral("Don't panic! Restore default settings"), QStringLiteral("-") }));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_TRUE(
        t[4].startsWith(QStringLiteral("My Display - Aspect: %1 : %2").arg(screen.width()).arg(screen.height())))
        << t[4].toStdString();
    EXPECT_EQ(t[5], QStringLiteral("-"));
    EXPECT_EQ(t[6], QStringLiteral("Email Small - Aspect: 4 : 3  Size: 320 x 240"));
    EXPECT_NE(t.last(), QStringLiteral("-")) << "the set's own last separator is left out";

    const QList<QAction*> items = menu->actions();
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_Period));
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Period));
    EXPECT_TRUE(menu->toolTipsVisible());
    EXPECT_TRUE(items[6]->toolTip().contains(QStringLiteral("Size: Width 320 Height 240")))
        << items[6]->toolTip().toStdString();
    EXPECT_TRUE(s.window.alerts.isEmpty()) << s.window.alerts.join(QLatin1Char('\n')).toStdString();
}

TEST(PresetGestures, ChoosingASizePresetFixesTheOutputFieldsAndTheRenderedSize)
{
    WindowSession s;
    ASSERT_TRUE(s.open(s.picture("a.jpg")));
    QAction* pc = menuItem(presetsMenu(s), QStringLiteral("Resize for PC Display - Size: 1024 : 768"));
    ASSERT_TRUE(pc);
    pc->trigger();
    QCoreApplication::processEvents();

    EXPECT_TRUE(s.find<QCheckBox>("fixedWidth")->isChecked());
    EXPECT_TRUE(s.find<QCheckBox>("fixedHeight")->isChecked());
    EXPECT_EQ(s.find<QSpinBox>("outputWidth")->value(), 1024);
    EXPECT_EQ(s.find<QSpinBox>("outputHeight")->value(), 768);
    // The 3:2 crop fits inside 1024 x 768 (stretching is off).
    ASSERT_TRUE(s.controller.outPict());
    EXPECT_EQ(s.controller.outPict()->pixelsWide(), 1024);
    EXPECT_EQ(s.controller.outPict()->pixelsHigh(), 682);
}

TEST(PresetGestures, ANamedPresetJoinsTheMenuAndIsThereAfterARestart)
{
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("Quillum/Quillum.ini"));
    const QKeySequence addKeys(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_Period);
    {
        Launch first(file);
        WindowSession& s = first.s;
        // A state worth keeping: a fixed ratio and size.
        ASSERT_TRUE(s.choose(QStringLiteral("Email Medium - Aspect: 4 : 3  Size: 640 x 480")));
        const QStringList before = titles(presetsMenu(s));

        auto* sheet = s.find<QDialog>("newPresetSheet");
        ASSERT_TRUE(sheet);
        s.press(addKeys);
        ASSERT_TRUE(sheet->isVisible());
        s.press(QKeySequence(Qt::Key_Escape));
        EXPECT_FALSE(sheet->isVisible()) << "Escape cancels";
        EXPECT_EQ(titles(presetsMenu(s)), before);

        s.press(addKeys);
        ASSERT_TRUE(sheet->isVisible());
        auto* name = sheet->findChild<QLineEdit*>(QStringLiteral("newPresetName"));
        auto* size = sheet->findChild<QCheckBox*>(QStringLiteral("rememberSize"));
        auto* borders = sheet->findChild<QCheckBox*>(QStringLiteral("rememberBorders"));
        auto* details = sheet->findChild<QPlainTextEdit*>(QStringLiteral("newPresetDetails"));
        ASSERT_TRUE(name && size && borders && details);
        EXPECT_TRUE(size->isChecked()) << "a fixed size is remembered from the start";
        EXPECT_FALSE(borders->isChecked());
        EXPECT_TRUE(name->text().contains(QStringLiteral("Ratio: 4 : 3"))) << name->text().toStdString();
        EXPECT_TRUE(details->toPlainText().contains(QStringLiteral("Size: Width 640 Height 480")));

        // Each box the user clicks is a new suggestion.
        click(size);
        EXPECT_FALSE(size->isChecked());
        EXPECT_FALSE(name->text().contains(QStringLiteral("Ratio"))) << name->text().toStdString();
        EXPECT_FALSE(details->toPlainText().contains(QStringLiteral("640")));
        click(size);
        EXPECT_TRUE(name->text().contains(QStringLiteral("Ratio: 4 : 3")));
        click(borders);
        EXPECT_TRUE(borders->isChecked());
        click(borders);

        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, QStringLiteral("Holiday prints"));
        click(sheet->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
        EXPECT_FALSE(sheet->isVisible());
        const QStringList after = titles(presetsMenu(s));
        // The default set's closing separator now has something to separate.
        EXPECT_EQ(after.mid(0, before.size()), before);
        EXPECT_EQ(after.mid(before.size()), (QStringList { QStringLiteral("-"), QStringLiteral("Holiday prints") }));
        EXPECT_TRUE(menuItem(presetsMenu(s), QStringLiteral("Holiday prints"))
                        ->toolTip()
                        .contains(QStringLiteral("Width 640")));
        // No quit: the library is written when it changes.
    }
    Launch second(file);
    EXPECT_EQ(titles(presetsMenu(second.s)).last(), QStringLiteral("Holiday prints"));
    ASSERT_TRUE(second.s.choose(QStringLiteral("Holiday prints")));
    EXPECT_EQ(second.s.find<QSpinBox>("outputWidth")->value(), 640);
    EXPECT_EQ(second.s.find<QSpinBox>("outputHeight")->value(), 480);
}

// QTest cannot run a platform drag offscreen (the drag ends at once); the drag starts from
// real mouse events and the test's hands carry it to row 1 as the desktop would.
TEST(PresetGestures, ThePanelMovesADraggedRowRenamesInPlaceAndUsesOnlyPresets)
{
    WindowSession s;
    s.press(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Period));
    auto* panel = s.find<PresetsPanel>("presetsPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Edit Presets Menu"));
    PresetTable* table = panel->table();
    const QStringList start = rows(table);
    ASSERT_GE(start.size(), 8);
    EXPECT_EQ(start[3], kSeparatorRow);

    // Row 5 pressed and dragged; the drop lands at the top edge of row 1.
    bool dropped = false;
    table->setDragRunner([&](QDrag& drag) {
        const QRect target = table->visualRect(table->model()->index(1, 0));
        dropped = dropOnRows(table, drag.mimeData(), QPoint(target.center().x(), target.top() + 2));
        return dropped ? Qt::MoveAction : Qt::IgnoreAction;
    });
    QStringList debugLines;
    {
        DebugLines debug;
        s.drag(table->viewport(), rowCenter(table, 5), rowCenter(table, 1));
        debugLines = debug.lines;
    }
    table->setDragRunner({});
    EXPECT_TRUE(debugLines.contains(QStringLiteral("tableView: writeRowsWithIndexes: toPasteboard:")));
    EXPECT_TRUE(dropped);
    QStringList moved = start;
    moved.move(5, 1);
    EXPECT_EQ(rows(table), moved);
    EXPECT_EQ(titles(presetsMenu(s)).mid(6, 3), moved.mid(0, 3)) << "the menu follows at once";
    EXPECT_EQ(s.controller.myPresetsPanel().selectedRow, 1) << "the dragged row stays selected";

    // Double-click renames a preset in place; Return ends the edit, not the panel.
    doubleClick(table->viewport(), rowCenter(table, 0));
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor && editor->isVisible());
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, QStringLiteral("Mail tiny"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(rows(table).value(0), QStringLiteral("Mail tiny"));
    EXPECT_EQ(titles(presetsMenu(s)).value(6), QStringLiteral("Mail tiny"));

    // A separator takes no name and Use does nothing with it.
    const int separator = int(rows(table).indexOf(kSeparatorRow));
    ASSERT_GE(separator, 0);
    doubleClick(table->viewport(), rowCenter(table, separator));
    const QLineEdit* open = table->viewport()->findChild<QLineEdit*>();
    EXPECT_FALSE(open && open->isVisible()) << "no editor on a separator";
    EXPECT_EQ(s.controller.myPresetsPanel().selectedRow, separator);
    click(button(panel, "presetUse"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(s.find<QCheckBox>("fixedWidth")->isChecked());

    // Use on a preset applies it and closes the panel.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowCenter(table, 0));
    EXPECT_TRUE(panel->findChild<QPlainTextEdit*>(QStringLiteral("presetsDetails"))
                    ->toPlainText()
                    .contains(QStringLiteral("Size: Width 320 Height 240")));
    click(button(panel, "presetUse"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(s.find<QSpinBox>("outputWidth")->value(), 320);
    EXPECT_EQ(s.find<QSpinBox>("outputHeight")->value(), 240);
}

// Through the real file panels: a typed name gets the extension, the open panel offers
// preset files only.
TEST(PresetGestures, ThePresetsSavedToAFileComeBackAfterDeleteAll)
{
    WindowSession s;
    ASSERT_TRUE(s.choose(QStringLiteral("Edit Presets Menu...")));
    auto* panel = s.find<PresetsPanel>("presetsPanel");
    ASSERT_TRUE(panel && panel->isVisible());
    const QStringList start = rows(panel->table());
    const QStringList menuAtStart = titles(presetsMenu(s));
    s.window.onPresetSavePanel = [&s](const QString& title) { return s.window.MainWindow::runPresetSavePanel(title); };
    s.window.onPresetOpenPanel = [&s](const QString& title) { return s.window.MainWindow::runPresetOpenPanel(title); };
    auto typeName = [](QFileDialog* dialog, const QString& name) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(field);
        field->setFocus();
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    };

    s.whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList { QStringLiteral("Quillum presets (*.zentpres)") });
        EXPECT_EQ(dialog->directory().absolutePath(), QDir(s.privateHome.home()).absolutePath());
        typeName(dialog, QStringLiteral("trip.2024"));
    });
    click(button(panel, "presetSaveToFile"));
    const QString saved = QDir(s.privateHome.home()).filePath(QStringLiteral("trip.2024.zentpres"));
    ASSERT_TRUE(QFileInfo::exists(saved));

    s.window.alertAnswers = { AlertButton::First }; // "Delete All"
    click(button(panel, "presetDeleteAll"));
    ASSERT_EQ(s.window.alerts.size(), 1);
    EXPECT_TRUE(s.window.alerts[0].startsWith(QStringLiteral("Delete all presets?")));
    EXPECT_TRUE(rows(panel->table()).isEmpty());
    EXPECT_FALSE(menuItem(presetsMenu(s), start[0]));
    EXPECT_TRUE(panel->isVisible());

    s.whenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), QStringList { QStringLiteral("Quillum presets (*.zentpres)") });
        typeName(dialog, QStringLiteral("trip.2024.zentpres"));
    });
    click(button(panel, "presetLoadFromFile"));
    EXPECT_EQ(rows(panel->table()), start);
    EXPECT_EQ(titles(presetsMenu(s)), menuAtStart);
    EXPECT_EQ(s.window.alerts.size(), 1) << s.window.alerts.join(QLatin1Char('\n')).toStdString();
}
