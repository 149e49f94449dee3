// Presets through the controller: capture, applying only the remembered groups, the menu's
// fixed commands, the naming sheet, the panel's commands, preset files and their failures,
// and the library across a restart.

#include "controller/zent3controller.h"
#include "platform/UiServices.h"
#include "platform/UserDefaults.h"
#include "presets/SettingsKeys.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>

using namespace quillum;

namespace {

Sender tagged(int tag)
{
    Sender s;
    s.tag = tag;
    return s;
}

struct ScriptedUi : UiServices {
    std::deque<AlertButton> answers;
    QStringList alerts;
    QString savePath; // empty: the save panel is cancelled
    QString openPath;
    QList<WindowId> shown, hidden;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        alerts << title + QStringLiteral(": ") + message;
        if (answers.empty())
            return AlertButton::Second;
        const AlertButton a = answers.front();
        answers.pop_front();
        return a;
    }
    Size mainScreenSize() const override { return { 1440, 900 }; }
    QString runPresetSavePanel(const QString&) override { return savePath; }
    QString runPresetOpenPanel(const QString&) override { return openPath; }
    void bringWindowForward(WindowId w, bool) override { shown << w; }
    void orderWindowOut(WindowId w) override { hidden << w; }
};

struct Presets : ::testing::Test {
    QTemporaryDir dir;
    NotificationCenter center;
    std::unique_ptr<UserDefaults> store;
    std::unique_ptr<zent3controller> c;
    ScriptedUi ui;

    Presets() { start(); }
    // One run over the same settings file.
    void start()
    {
        c.reset();
        store = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quillum.ini")));
        c = std::make_unique<zent3controller>(center);
        c->setUserDefaults(store.get());
        c->setUiServices(&ui);
        c->awakeFromNib();
        BitmapImageRep source = BitmapImageRep::makeARGB(400, 300);
        std::fill_n(source.bitmapData(), source.bytesPerRow() * 300, std::uint8_t(200));
        c->setSourcePicture(std::move(source));
        c->leftPanel().setPictureSize({ 400, 300 });
        c->leftPanel().setLastManualRect({ 0, 0, 400, 300 });
        c->leftPanel().selRect()->setFrame({ 0, 0, 400, 300 });
        c->redrawOutput();
    }
    int rowNamed(const QString& name) const
    {
        for (int i = 0; i < c->numberOfRowsInTableView(); ++i)
            if (c->tableViewObjectValueForRow(i) == name)
                return i;
        return -1;
    }
    QStringList names() const
    {
        QStringList n;
        for (int i = 0; i < c->numberOfRowsInTableView(); ++i)
            n << c->tableViewObjectValueForRow(i);
        return n;
    }
    QStringList menuTitles() const
    {
        QStringList t;
        for (const MenuItem& i : c->presetsMenu().items())
            t << (i.separator ? QStringLiteral("-") : i.title);
        return t;
    }
};

} // namespace

TEST_F(Presets, FirstStartHasTheDefaultSetInTheMenuAndTheStore)
{
    EXPECT_EQ(c->mySavedPresets().size(), 22);
    const QStringList menu = menuTitles();
    ASSERT_GE(menu.size(), 7);
    EXPECT_EQ(menu.mid(0, 7),
        (QStringList { QStringLiteral("Add Current State as Preset..."), QStringLiteral("Edit Presets Menu..."),
            QStringLiteral("Don't panic! Restore default settings"), QStringLiteral("-"),
            QStringLiteral("My Display - Aspect: 1440 : 900 Size: 1440 x 900"), QStringLiteral("-"),
            QStringLiteral("Email Small - Aspect: 4 : 3  Size: 320 x 240") }));
    EXPECT_NE(menu.back(), QStringLiteral("-"));
    // Written at once, not only at quit.
    UserDefaults reread(dir.filePath(QStringLiteral("Quillum.ini")));
    EXPECT_FALSE(reread.dataForKey(QString::fromLatin1(setting::ZentMySavedPresetsArray)).isEmpty());
}

TEST_F(Presets, ResizeForPCDisplayChangesOnlyTheSize)
{
    c->cropAspectToXYWithNotification(3, 2, true);
    c->setSharpenLevel(1);
    c->setBorder1Check(true);
    const int row = rowNamed(QStringLiteral("Resize for PC Display - Size: 1024 : 768"));
    ASSERT_GE(row, 0);
    c->onMyPresetMenuSelected(tagged(row));
    EXPECT_TRUE(c->outputWidthIsFixed() && c->outputHeightIsFixed());
    EXPECT_EQ(c->outputWidthVal(), 1024);
    EXPECT_EQ(c->outputHeighVal(), 768);
    EXPECT_FALSE(c->fixedAspectIsOn());
    EXPECT_EQ(c->sharpenLevel(), 1);
    EXPECT_TRUE(c->border1Check());
    ASSERT_TRUE(c->outPict());
    EXPECT_EQ(c->outPict()->pixelsWide(), 1024);
    EXPECT_EQ(c->outPict()->pixelsHigh(), 768);
}

TEST_F(Presets, CaptureRecordsAHiddenCaptionOnlyAsHidden)
{
    c->setShowCaption1(false);
    c->setCaption1TextString(QStringLiteral("one"));
    c->setShowCaption2(true);
    c->setCaption2TextString(QStringLiteral("two"));
    c->setCaption2Opaque(0.25f);
    c->setCaption2LocationValue(2);
    c->setBorder3PenSize(0.7f);
    c->setShowBorder3(false);
    const ZentFullPresetRec p = c->makePresetWithCurrentStateNamed(QStringLiteral("mine"));
    EXPECT_EQ(p.name(), QStringLiteral("mine"));
    EXPECT_FALSE(p.showCaption1());
    EXPECT_TRUE(p.caption1TextString().isEmpty());
    EXPECT_FALSE(p.caption1TextColor().isValid());
    EXPECT_EQ(p.caption1LocationValue(), 0);
    EXPECT_TRUE(p.showCaption2());
    EXPECT_EQ(p.caption2TextString(), QStringLiteral("two"));
    EXPECT_EQ(p.caption2FontName(), c->caption2FontName());
    EXPECT_EQ(p.caption2TransparencyValue(), 0.25f);
    EXPECT_EQ(p.caption2LocationValue(), 2);
    EXPECT_EQ(p.caption2TextColor(), c->caption2TextColor());
    // Borders are captured whether shown or not.
    EXPECT_EQ(p.border3PenSize(), 0.7f);
    EXPECT_FALSE(p.changeSizeControls() || p.changeOtherControls());
}

TEST_F(Presets, ApplyingTouchesOnlyTheRememberedGroups)
{
    // Captured with everything changed, then the controller put back, then applied by group.
    c->cropAspectToXYWithNotification(16, 9, true);
    c->setOutputWidthIsFixed(true);
    c->setOutputWidthVal(800);
    c->setAutoLevelsIsOn(true);
    c->setOutputModeTag(3);
    c->setFlipHorizontal(true);
    c->setSharpenLevel(2);
    c->setTextCaption1Check(true);
    c->setCaption1TextString(QStringLiteral("caught"));
    c->setBorder1Check(true);
    c->setBorder2Color(QColor(10, 20, 30));
    c->setBorder2PenSize(0.9f);
    const ZentFullPresetRec all = c->makePresetWithCurrentStateNamed(QStringLiteral("all"));

    struct Group {
        const char* name;
        void (ZentFullPresetRec::*flag)(const bool&);
        std::function<bool(zent3controller&)> applied;
    } groups[] = {
        { "size", &ZentFullPresetRec::setChangeSizeControls,
            [](zent3controller& c) { return c.fixedAspectIsOn() && c.outputWidthVal() == 800; } },
        { "other", &ZentFullPresetRec::setChangeOtherControls,
            [](zent3controller& c) { return c.autoLevelsIsOn() && c.outputModeTag() == 3 && c.sharpenLevel() == 2; } },
        { "captions", &ZentFullPresetRec::setChangeTextControls,
            [](zent3controller& c) {
                return c.textCaption1Check() && c.caption1TextString() == QStringLiteral("caught");
            } },
        { "borders", &ZentFullPresetRec::setChangeBorderControls,
            [](zent3controller& c) { return c.border1Check() && c.border2PenSize() == 0.9f; } },
    };
    for (const Group& g : groups) {
        SCOPED_TRACE(g.name);
        c->onMyPresetMenuSelected(tagged(kRestoreDefaultsTag));
        c->cropAspectToXYWithNotification(0, 0, true);
        c->setCaption1TextString(QStringLiteral("other"));
        c->setBorder2PenSize(0.1f);
        for (const Group& other : groups)
            EXPECT_FALSE(other.applied(*c)) << other.name;
        ZentFullPresetRec p = all;
        (p.*g.flag)(true);
        c->loadPresetToController(p);
        for (const Group& other : groups)
            EXPECT_EQ(other.applied(*c), &other == &g) << other.name;
    }
}

TEST_F(Presets, RestoreDefaultsSwitchesTheDecorationsOffButKeepsTheirDetails)
{
    c->cropAspectToXYWithNotification(4, 3, true);
    c->setAutoLevelsIsOn(true);
    c->setAutoLevelsIsLocked(true);
    c->setInvertIsOn(true);
    c->setBorder1Check(true);
    c->setTextCaption1Check(true);
    c->setBorder2Color(QColor(1, 2, 3));
    c->onMyPresetMenuSelected(tagged(kRestoreDefaultsTag));
    EXPECT_FALSE(c->fixedAspectIsOn());
    EXPECT_FALSE(c->outputWidthIsFixed() || c->outputHeightIsFixed());
    EXPECT_FALSE(c->autoLevelsIsOn() || c->autoLevelsIsLocked() || c->invertIsOn());
    EXPECT_EQ(c->outputModeTag(), 1);
    EXPECT_FALSE(c->border1Check() || c->textCaption1Check() || c->drawLogo());
    EXPECT_EQ(c->border2Color(), QColor(1, 2, 3));

    // Borders remembered with the master off: switched off, details kept.
    ZentFullPresetRec off;
    off.setChangeBorderControls(true);
    off.setShowBorder2(true);
    off.setBorder2Color(QColor(Qt::red));
    c->setBorder1Check(true);
    c->loadPresetToController(off);
    EXPECT_FALSE(c->border1Check());
    EXPECT_EQ(c->border2Color(), QColor(1, 2, 3));

    c->onMyPresetMenuSelected(tagged(kMyDisplayTag));
    EXPECT_TRUE(c->fixedAspectIsOn());
    EXPECT_EQ(c->aspectXValue(), 1440);
    EXPECT_EQ(c->outputHeighVal(), 900);
}

TEST_F(Presets, TheNamingSheetSuggestsFromTheStateAndAddsThePreset)
{
    c->onMyPresetMenuSelected(tagged(kRestoreDefaultsTag));
    c->addThisPreset();
    EXPECT_TRUE(ui.shown.contains(WindowId::NewPresetName));
    EXPECT_EQ(c->newPresetSheet().remember, (std::array<bool, 5> {}));
    EXPECT_EQ(c->newPresetSheet().name, QStringLiteral("New preset"));
    c->theNewPresetNameCancel();
    EXPECT_EQ(c->mySavedPresets().size(), 22);

    c->setOutputModeTag(2);
    c->setFlipHorizontal(true);
    c->addThisPreset();
    EXPECT_EQ(c->newPresetSheet().remember, (std::array<bool, 5> { false, false, false, false, true }));
    EXPECT_EQ(c->newPresetSheet().name, QStringLiteral("B/W | Misc: HR"));
    EXPECT_EQ(c->newPresetSheet().details, QStringLiteral("Color mode: B/W\nMisc: HR"));
    c->rememberAll();
    EXPECT_EQ(c->newPresetSheet().details,
        QStringLiteral("Free size\nNo captions\nNo borders\nNo logo\nColor mode: B/W\nMisc: HR"));
    c->setRememberBox(RememberGroup::Size, false);
    c->setNewPresetName(QStringLiteral("Mono mirror"));
    c->theNewPresetNameOK();
    ASSERT_EQ(c->mySavedPresets().size(), 23);
    const ZentFullPresetRec& added = c->mySavedPresets().preset(22);
    EXPECT_EQ(added.name(), QStringLiteral("Mono mirror"));
    EXPECT_FALSE(added.changeSizeControls());
    EXPECT_TRUE(added.changeTextControls() && added.changeOtherControls());
    EXPECT_EQ(menuTitles().back(), QStringLiteral("Mono mirror"));

    // Written at once: a run that ends without saving settings still has it.
    start();
    EXPECT_EQ(c->mySavedPresets().size(), 23);
    EXPECT_EQ(menuTitles().back(), QStringLiteral("Mono mirror"));
}

TEST_F(Presets, ThePanelUsesRenamesMovesAndRemoves)
{
    c->tableViewSelectionDidChange(3); // a separator
    EXPECT_EQ(c->myPresetsPanel().selectedPresetDetails, QString());
    c->theMyPresetsUseThisPreset();
    EXPECT_FALSE(ui.hidden.contains(WindowId::MyPresetsPanel));

    c->tableViewSelectionDidChange(0);
    EXPECT_EQ(
        c->myPresetsPanel().selectedPresetDetails, QStringLiteral("Aspect Ratio: 4 : 3\nSize: Width 320 Height 240 "));
    c->theMyPresetsUseThisPreset();
    EXPECT_TRUE(ui.hidden.contains(WindowId::MyPresetsPanel));
    EXPECT_EQ(c->outputWidthVal(), 320);
    EXPECT_EQ(c->aspectXValue(), 4);

    EXPECT_FALSE(c->tableViewShouldEditRow(3));
    c->tableViewSetObjectValueForRow(QStringLiteral("Tiny"), 0);
    EXPECT_EQ(menuTitles()[6], QStringLiteral("Tiny"));

    const QStringList before = names();
    ASSERT_TRUE(c->tableViewAcceptDrop(5, 1));
    EXPECT_EQ(names()[1], before[5]);
    EXPECT_EQ(names()[2], before[1]);

    c->tableViewSelectionDidChange(21);
    c->removeSelectedPreset();
    EXPECT_EQ(c->myPresetsPanel().selectedRow, -1);
    EXPECT_EQ(c->myPresetsPanel().selectedPresetDetails, QStringLiteral("No preset is selected"));
    EXPECT_EQ(c->numberOfRowsInTableView(), 21);
    c->addSeparatorLine(); // nothing selected: at the end
    EXPECT_EQ(names().back(), QStringLiteral("------- Separator line --------"));
    EXPECT_NE(menuTitles().back(), QStringLiteral("-"));
}

TEST_F(Presets, SaveThenResetOrDeleteOnlyAfterTheFileIsWritten)
{
    const QString good = dir.filePath(QStringLiteral("mine.zentpres"));
    c->tableViewSetObjectValueForRow(QStringLiteral("Mine"), 0);
    struct Case {
        const char* name;
        QString savePath;
        bool reset; // or delete
        bool libraryKept;
    } cases[] = {
        { "cancelled save, reset", QString(), true, true },
        { "failed save, reset", dir.filePath(QStringLiteral("no/such/folder/x.zentpres")), true, true },
        { "failed save, delete", dir.filePath(QStringLiteral("no/such/folder/x.zentpres")), false, true },
        { "saved, delete", good, false, false },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ui.savePath = k.savePath;
        ui.answers = { AlertButton::Third, AlertButton::First };
        ui.alerts.clear();
        if (k.reset)
            c->resetPresetsToDefault();
        else
            c->deleteAllPresets();
        EXPECT_EQ(c->tableViewObjectValueForRow(0) == QStringLiteral("Mine"), k.libraryKept);
        if (!k.savePath.isEmpty() && k.libraryKept) {
            EXPECT_TRUE(ui.alerts.size() == 2 && ui.alerts[1].startsWith(QStringLiteral("The presets were not saved")))
                << ui.alerts.join(QLatin1Char('|')).toStdString();
        }
    }
    EXPECT_EQ(c->numberOfRowsInTableView(), 0);
    EXPECT_TRUE(QFile::exists(good));

    // Deleting nothing says so; a bad file leaves the library as it was and names the file.
    ui.alerts.clear();
    c->deleteAllPresets();
    ASSERT_EQ(ui.alerts.size(), 1);
    EXPECT_TRUE(ui.alerts[0].startsWith(QStringLiteral("There are no presets to delete")));
    c->resetPresetsToDefault(); // empty: no question
    EXPECT_EQ(c->numberOfRowsInTableView(), 22);

    QFile bad(dir.filePath(QStringLiteral("bad.zentpres")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray::fromHex("8aa1"));
    bad.close();
    for (bool append : { false, true }) {
        ui.openPath = bad.fileName();
        ui.alerts.clear();
        append ? c->appendPresetsFromFile() : c->loadPresetsFromFile();
        EXPECT_EQ(c->numberOfRowsInTableView(), 22);
        ASSERT_EQ(ui.alerts.size(), 1);
        EXPECT_TRUE(ui.alerts[0].contains(QStringLiteral("bad.zentpres")));
    }

    // The saved file brings the library back, whole, and appends to it.
    ui.openPath = good;
    c->loadPresetsFromFile();
    EXPECT_EQ(c->numberOfRowsInTableView(), 22);
    EXPECT_EQ(c->tableViewObjectValueForRow(0), QStringLiteral("Mine"));
    c->appendPresetsFromFile();
    EXPECT_EQ(c->numberOfRowsInTableView(), 44);
    EXPECT_EQ(c->tableViewObjectValueForRow(22), QStringLiteral("Mine"));
}

TEST_F(Presets, AppliedPresetsComeBackAfterARestartAndADamagedStoreFallsBack)
{
    c->tableViewSetObjectValueForRow(QStringLiteral("Renamed"), 1);
    center.postNotificationName(notification::ApplicationWillTerminate);
    start();
    EXPECT_EQ(c->tableViewObjectValueForRow(1), QStringLiteral("Renamed"));

    store->setData(QString::fromLatin1(setting::ZentMySavedPresetsArray), QByteArray("\x9f\x01", 2));
    ASSERT_TRUE(store->synchronize());
    start();
    EXPECT_EQ(c->numberOfRowsInTableView(), 22);
    EXPECT_EQ(c->tableViewObjectValueForRow(1), QStringLiteral("Email Medium - Aspect: 4 : 3  Size: 640 x 480"));
}
