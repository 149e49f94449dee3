// The decorations as the user reaches them: the strip's switches, the four set-up panels
// opened from their menu items, the logo well taking dropped files, the quick-resize choices,
// and a saved file carrying its border. Each test checks what the user gets.

#include "WindowHarness.h"

#include "platform/BitmapImageRep.h"

#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QImage>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>

#include <memory>

using namespace quillum;
using namespace quillum::test;

namespace {

// The output as the user sees it, rows top first.
QImage outputImage(const zent3controller& c)
{
    if (!c.outPict())
        return {};
    const BitmapImageRep& out = *c.outPict();
    QImage image(out.pixelsWide(), out.pixelsHigh(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const std::uint8_t* p = out.bitmapData() + std::size_t(y) * out.bytesPerRow() + std::size_t(x) * 4;
            image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
        }
    return image;
}

int changedPixels(const QImage& before, const QImage& after, const QRect& region)
{
    int changed = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            changed += before.pixel(x, y) != after.pixel(x, y);
    return changed;
}

// Types into a field the way the keyboard does, replacing what it held, and commits.
void typeInto(QWidget* field, const QString& text)
{
    ASSERT_TRUE(field);
    field->setFocus();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Drops local files on `target` as the desktop does; answers whether the drop was taken.
bool dropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

QAction* menuItem(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// A session showing coffee.jpg (600 x 400) with nothing fixed.
struct PhotoSession : WindowSession {
    PhotoSession() { open(picture("a.jpg")); }
};

} // namespace

// Each switch on the strip turns its decoration on (and the output is drawn again with it)
// and follows the controller back.
TEST(DecorationGestures, TheStripSwitchesDrawEachDecorationWhereItBelongs)
{
    PhotoSession s;
    ASSERT_EQ(outputImage(s.controller).size(), QSize(600, 400));
    // The built-in logo in the well, as a fresh installation has it.
    s.find<QToolButton>("resetLogo")->click();
    struct Row {
        const char* check;
        bool (zent3controller::*on)() const;
        QRect region; // where the decoration lands with its default settings, rows top first
    };
    const Row rows[] = {
        { "bordersCheck", &zent3controller::border1Check, QRect(0, 0, 600, 1) },
        // 10 % of the longer side, 2 % in from the bottom-right corner.
        { "logoCheck", &zent3controller::drawLogo, QRect(528, 328, 60, 60) },
        // 25 % of the longer side wide, 9 pixels in from the bottom-left corner.
        { "captionsCheck", &zent3controller::textCaption1Check, QRect(9, 250, 150, 141) },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.check);
        auto* check = s.find<QCheckBox>(r.check);
        ASSERT_TRUE(check);
        EXPECT_FALSE(check->isChecked());
        const QImage before = outputImage(s.controller);
        const auto renderBefore = s.controller.outPict();
        check->click();
        EXPECT_TRUE((s.controller.*r.on)());
        EXPECT_NE(s.controller.outPict(), renderBefore) << "the output is drawn again";
        EXPECT_GT(changedPixels(before, outputImage(s.controller), r.region), 0) << "the decoration shows";
        check->click();
        EXPECT_FALSE((s.controller.*r.on)());
        EXPECT_EQ(changedPixels(before, outputImage(s.controller), QRect(0, 0, 600, 400)), 0) << "and goes again";
    }
    // A border line at the very edge is black.
    s.find<QCheckBox>("bordersCheck")->click();
    EXPECT_EQ(outputImage(s.controller).pixel(0, 0), qRgb(0, 0, 0));

    // Switched elsewhere (a preset, the panel's own switch), the strip follows.
    s.controller.setTextCaption1Check(true);
    s.controller.setDrawLogo(true);
    EXPECT_TRUE(s.find<QCheckBox>("captionsCheck")->isChecked());
    EXPECT_TRUE(s.find<QCheckBox>("logoCheck")->isChecked());
    s.find<QCheckBox>("bordersOn")->click();
    EXPECT_FALSE(s.find<QCheckBox>("bordersCheck")->isChecked());
}

// Every panel comes up from its menu item and from its strip button, fits a 1280 x 800
// screen and explains each of its controls.
TEST(DecorationGestures, EachPanelOpensFromItsMenuItemFitsTheScreenAndExplainsItsControls)
{
    WindowSession s;
    struct Row {
        const char* menuItem;
        const char* panel;
        const char* stripButton;
    };
    const Row rows[] = {
        { "Captions…", "CaptionsPanel", "showCaptions" },
        { "Borders…", "BordersPanel", "showBorders" },
        { "Logo…", "LogoPanel", "showLogo" },
        { "Quick Resize…", "QuickResizePanel", "showQuickResize" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.panel);
        auto* panel = s.find<QWidget>(r.panel);
        ASSERT_TRUE(panel);
        EXPECT_FALSE(panel->isVisible());
        ASSERT_TRUE(s.choose(QString::fromUtf8(r.menuItem)));
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(panel->isWindow());
        EXPECT_LE(panel->frameGeometry().width(), 1280);
        EXPECT_LE(panel->frameGeometry().height(), 800);
        EXPECT_LE(panel->minimumSizeHint().height(), 760);

        for (QWidget* control : panel->findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractSpinBox*>(control)
                || qobject_cast<QSlider*>(control) || qobject_cast<QLineEdit*>(control);
            // A spin box's own text field is explained by the spin box.
            if (!isControl || qobject_cast<QAbstractSpinBox*>(control->parentWidget()))
                continue;
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
            EXPECT_FALSE(control->objectName().isEmpty()) << control->toolTip().toStdString();
        }

        panel->hide();
        s.find<QToolButton>(r.stripButton)->click();
        EXPECT_TRUE(panel->isVisible()) << "the strip's button shows it too";
        panel->hide();
    }
}

TEST(DecorationGestures, TheCaptionPanelEditsTextTagsFontColourAndPlace)
{
    PhotoSession s;
    auto* text = s.find<QLineEdit>("caption1Text");
    ASSERT_TRUE(text);
    s.find<QCheckBox>("captionsOn")->click();
    EXPECT_TRUE(s.controller.textCaption1Check());

    const auto renderBefore = s.controller.outPict();
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Shot $f"));
    EXPECT_EQ(s.controller.caption1TextString(), QStringLiteral("Shot $f"));
    EXPECT_EQ(text->text(), QStringLiteral("Shot $f")) << "typing is not disturbed by the refresh";
    EXPECT_NE(s.controller.outPict(), renderBefore);

    // The tag menu appends to the text the user sees.
    auto* tags = s.find<QMenu>("caption1TagMenu");
    ASSERT_TRUE(tags);
    struct Tag {
        const char* item;
        const char* text;
    };
    const Tag steps[] = {
        { "Line Break", "Shot $f$P" },
        { "Date, Short", "Shot $f$P$d" },
        { "Size in Bytes", "Shot $f$P$d$S" },
        { "Clear Text", "" },
        { "Full Path", "$FX" },
    };
    for (const Tag& t : steps) {
        QAction* item = menuItem(tags, QString::fromUtf8(t.item));
        ASSERT_TRUE(item) << t.item;
        item->trigger();
        EXPECT_EQ(text->text(), QString::fromUtf8(t.text)) << t.item;
    }
    EXPECT_EQ(s.controller.caption1TextString(), QStringLiteral("$FX"));
    EXPECT_EQ(s.controller.caption2TextString(), s.find<QLineEdit>("caption2Text")->text()) << "caption 2 untouched";
    s.find<QToolButton>("caption2Reset")->click();
    EXPECT_EQ(s.find<QLineEdit>("caption2Text")->text(), QStringLiteral("$d - $t"));

    // Fields, switches and the anchor grid.
    typeInto(s.find<QDoubleSpinBox>("caption1Width"), QStringLiteral("40"));
    EXPECT_FLOAT_EQ(s.controller.caption1WidthValue(), 40.0f);
    typeInto(s.find<QDoubleSpinBox>("caption2OffsetY"), QStringLiteral("12"));
    EXPECT_FLOAT_EQ(s.controller.caption2OffsetYValue(), 12.0f);
    s.find<QCheckBox>("caption1Outlined")->click();
    EXPECT_FALSE(s.controller.caption1Outlined());
    EXPECT_FALSE(s.find<QToolButton>("caption1OutlineColor")->isEnabled()) << "no outline, no outline colour";
    s.find<QAbstractButton>("caption1Location2")->click();
    EXPECT_EQ(s.controller.caption1LocationValue(), 2);
    auto* opacity = s.find<QSlider>("caption2Opacity");
    opacity->setFocus();
    QTest::keyClick(opacity, Qt::Key_End);
    EXPECT_FLOAT_EQ(s.controller.caption2Opaque(), 1.0f);

    // The font panel starts at the caption's font and its choice shows on the button.
    const QString family = QFontDatabase::families().value(0);
    ASSERT_FALSE(family.isEmpty());
    QString offered;
    s.window.onFontPanel = [&](const QFont& current) {
        offered = current.family();
        return std::optional<QFont>(QFont(family, 20));
    };
    s.find<QToolButton>("caption1Font")->click();
    EXPECT_FALSE(offered.isEmpty());
    EXPECT_EQ(s.controller.caption1FontName(), family);
    EXPECT_EQ(s.find<QToolButton>("caption1Font")->text(), s.controller.caption1FontNameLabel());
    s.window.onFontPanel = nullptr; // cancelled: nothing changes
    s.find<QToolButton>("caption1Font")->click();
    EXPECT_EQ(s.controller.caption1FontName(), family);

    // The colour dialog offers transparency; the chosen colour is the caption's.
    const QColor halfRed(255, 0, 0, 128);
    s.whenModal<QColorDialog>([halfRed](QColorDialog* dialog) {
        EXPECT_TRUE(dialog->testOption(QColorDialog::ShowAlphaChannel));
        dialog->setCurrentColor(halfRed);
        dialog->accept();
    });
    s.find<QToolButton>("caption1TextColor")->click();
    EXPECT_EQ(s.controller.caption1TextColor(), halfRed);

    // Changed elsewhere, the panel follows.
    s.controller.setCaption2TextString(QStringLiteral("From a preset"));
    s.controller.setCaption2LocationValue(4);
    EXPECT_EQ(s.find<QLineEdit>("caption2Text")->text(), QStringLiteral("From a preset"));
    EXPECT_TRUE(s.find<QAbstractButton>("caption2Location4")->isChecked());
}

TEST(DecorationGestures, TheBorderPanelEditsEachBorderAndResetsOne)
{
    PhotoSession s;
    struct Row {
        const char* field;
        const char* typed;
        int border;
        float BorderSettings::*member;
        float expected;
    };
    const Row rows[] = {
        { "border1Top", "2.5", 0, &BorderSettings::offsetTop, 2.5f },
        { "border2Bottom", "0.3", 1, &BorderSettings::offsetBottom, 0.3f },
        { "border2Left", "1.25", 1, &BorderSettings::offsetLeft, 1.25f },
        { "border3Right", "4", 2, &BorderSettings::offsetRight, 4.0f },
        { "border3PenSize", "0.6", 2, &BorderSettings::penSize, 0.6f },
        { "border1PenSize", "0", 0, &BorderSettings::penSize, 0.0f }, // still a 1-pixel line
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.field);
        typeInto(s.find<QDoubleSpinBox>(r.field), QString::fromLatin1(r.typed));
        EXPECT_FLOAT_EQ(s.controller.border(r.border).*r.member, r.expected);
    }
    s.find<QCheckBox>("border3Show")->click();
    EXPECT_FALSE(s.controller.showBorder3());
    auto* opacity = s.find<QSlider>("border1PenOpacity");
    opacity->setFocus();
    QTest::keyClick(opacity, Qt::Key_PageDown);
    EXPECT_NEAR(s.controller.border1PenOpaque(), 0.9f, 1e-6);
    EXPECT_EQ(s.find<QLabel>("border1PenOpacityReadout")->text(), QStringLiteral("90 %"));

    // Reset brings border 2 back and leaves the others as they are.
    s.find<QToolButton>("border2Reset")->click();
    EXPECT_FLOAT_EQ(s.controller.border2OffsetTop(), 0.5f);
    EXPECT_FLOAT_EQ(s.controller.border2OffsetLeft(), 0.5f);
    EXPECT_DOUBLE_EQ(s.find<QDoubleSpinBox>("border2Top")->value(), 0.5) << "the field shows the reset";
    EXPECT_FLOAT_EQ(s.controller.border1OffsetTop(), 2.5f);
    EXPECT_FALSE(s.controller.showBorder3());
}

TEST(DecorationGestures, APictureDroppedOnTheWellIsTheLogoAndATextFileIsRefusedByName)
{
    PhotoSession s;
    auto* well = s.find<QWidget>("logoWell");
    ASSERT_TRUE(well);
    s.choose(QStringLiteral("Logo…"));
    const QString logoPath = s.picture("red-logo.png");
    QImage red(40, 20, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(logoPath));

    ASSERT_TRUE(dropFiles(well, { logoPath }));
    EXPECT_EQ(s.controller.logoImageView().image().size(), QSize(40, 20));
    EXPECT_EQ(s.controller.logoSetupWindow().logoImageFile(), logoPath);
    EXPECT_EQ(well->grab().toImage().pixelColor(well->rect().center()), QColor(Qt::red)) << "the well shows it";
    EXPECT_FLOAT_EQ(s.controller.logoWidthValue() / s.controller.logoHeightValue(), 2.0f) << "its proportions";

    s.find<QCheckBox>("logoCheck")->click();
    ASSERT_TRUE(s.controller.drawLogo());
    const QString notes = s.picture("notes.txt");
    {
        QFile file(notes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture\n");
    }
    const qsizetype alertsBefore = s.window.alerts.size();
    dropFiles(well, { notes });
    ASSERT_EQ(s.window.alerts.size(), alertsBefore + 1);
    EXPECT_TRUE(s.window.alerts.last().contains(QStringLiteral("notes.txt"))) << s.window.alerts.last().toStdString();
    EXPECT_FALSE(s.controller.drawLogo());
    EXPECT_FALSE(s.find<QCheckBox>("logoCheck")->isChecked());
    EXPECT_NE(well->grab().toImage().pixelColor(well->rect().center()), QColor(Qt::red)) << "the well is empty";

    // Choose… opens the picture the user picks; Clear empties the well; Reset brings the sample.
    s.window.onLogoOpenPanel = [&] { return logoPath; };
    s.find<QToolButton>("chooseLogo")->click();
    EXPECT_EQ(s.controller.logoImageView().image().size(), QSize(40, 20));
    s.find<QToolButton>("clearLogo")->click();
    EXPECT_TRUE(s.controller.logoImageView().image().isNull());
    s.find<QToolButton>("resetLogo")->click();
    EXPECT_FALSE(s.controller.logoImageView().image().isNull());
    EXPECT_EQ(s.controller.logoSetupWindow().logoImageFile(), QStringLiteral("SampleLogo500"));
    EXPECT_DOUBLE_EQ(s.find<QDoubleSpinBox>("logoHeight")->value(), 10.0);
    EXPECT_EQ(s.window.alerts.size(), 1) << "only the text file was refused";
}

// The window's own panels: the logo panel offers one existing picture file, the font panel's
// choice becomes the caption's font.
TEST(DecorationGestures, TheLogoAndFontPanelsOfTheWindow)
{
    WindowSession s;
    s.window.onLogoOpenPanel = [&s] { return s.window.MainWindow::runLogoOpenPanel(); };
    s.whenModal<QFileDialog>([](QFileDialog* panel) {
        EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(panel->nameFilters().value(0), QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.svg)"));
        panel->reject();
    });
    s.find<QToolButton>("chooseLogo")->click();
    EXPECT_TRUE(s.window.alerts.isEmpty()) << "cancelled: nothing opened, nothing said";

    const QString family = QFontDatabase::families().value(0);
    s.window.onFontPanel = [&s](const QFont& current) { return s.window.MainWindow::runFontPanel(current); };
    s.whenModal<QFontDialog>([family](QFontDialog* panel) {
        panel->setCurrentFont(QFont(family, 14));
        panel->accept();
    });
    s.find<QToolButton>("caption2Font")->click();
    EXPECT_EQ(s.controller.caption2FontName(), family);
    EXPECT_EQ(s.find<QToolButton>("caption2Font")->text(), s.controller.caption2FontNameLabel());
}

TEST(DecorationGestures, QuickResizeFixesTheOutputWidthAndAnEditOfTheChosenSizeAppliesAtOnce)
{
    PhotoSession s;
    auto outputWidth = [&s] { return outputImage(s.controller).width(); };
    ASSERT_EQ(outputWidth(), 600);
    s.choose(QStringLiteral("Quick Resize…"));
    s.find<QRadioButton>("widthChoice3")->click();
    EXPECT_EQ(outputWidth(), 150);
    EXPECT_TRUE(s.find<QCheckBox>("fixedWidth")->isChecked()) << "the strip shows the width fixed";
    EXPECT_FALSE(s.controller.outputHeightIsFixed());

    typeInto(s.find<QSpinBox>("widthSize3"), QStringLiteral("180"));
    EXPECT_EQ(outputWidth(), 180);
    typeInto(s.find<QSpinBox>("widthSize4"), QStringLiteral("90"));
    EXPECT_EQ(outputWidth(), 180) << "an entry not chosen changes nothing";

    // Asked first; Cancel keeps the sizes.
    s.window.alertAnswers = { AlertButton::Second };
    s.find<QToolButton>("resetQuickResize")->click();
    ASSERT_EQ(s.window.alerts.size(), 1);
    EXPECT_TRUE(s.window.alerts.first().startsWith(QStringLiteral("Reset values to defaults | ")));
    EXPECT_EQ(s.find<QSpinBox>("widthSize3")->value(), 180);
    EXPECT_EQ(outputWidth(), 180);
    s.find<QToolButton>("resetQuickResize")->click();
    EXPECT_EQ(s.find<QSpinBox>("widthSize3")->value(), 150);
    EXPECT_EQ(s.find<QSpinBox>("widthSize4")->value(), 200);
    EXPECT_EQ(outputWidth(), 150) << "the chosen entry re-applies";

    // Keeping the current height fixes it; Free lets the width go.
    s.find<QRadioButton>("heightChoice11")->click();
    EXPECT_TRUE(s.controller.outputHeightIsFixed());
    s.find<QRadioButton>("widthChoice0")->click();
    EXPECT_FALSE(s.controller.outputWidthIsFixed());
    // Unfixing on the strip shows the side free in the panel.
    s.find<QCheckBox>("fixedHeight")->click();
    EXPECT_TRUE(s.find<QRadioButton>("heightChoice0")->isChecked());
}

// The whole gesture: borders and a caption on, the save keystroke, and the saved file has
// the black edge line.
TEST(DecorationGestures, ASavedCropCarriesItsBorderAndCaption)
{
    PhotoSession s;
    s.find<QCheckBox>("bordersCheck")->click();
    s.find<QCheckBox>("captionsCheck")->click();
    typeInto(s.find<QLineEdit>("caption1Text"), QStringLiteral("$f"));
    s.find<QLineEdit>("caption1Text")->clearFocus();
    s.window.onSavePanel = [&s](UiServices::SavePanel& panel) {
        panel.path = s.output(QStringLiteral("framed.png"));
        panel.fileType = ImageFileType::Png;
        return true;
    };
    s.window.activateWindow();
    s.cropView().setFocus();
    s.press(QKeySequence::Save);
    const QImage saved(s.output(QStringLiteral("framed.png")));
    ASSERT_EQ(saved.size(), QSize(600, 400));
    for (const QPoint& edge : { QPoint(0, 0), QPoint(300, 0), QPoint(599, 399), QPoint(0, 200) })
        EXPECT_EQ(saved.pixel(edge) & 0xffffff, 0u) << edge.x() << "," << edge.y();
    const QImage withCaption = outputImage(s.controller);
    EXPECT_EQ(withCaption, saved.convertToFormat(QImage::Format_ARGB32)) << "the file is what the output showed";
    s.find<QCheckBox>("captionsCheck")->click();
    EXPECT_GT(changedPixels(outputImage(s.controller), withCaption, QRect(9, 250, 150, 141)), 0)
        << "the caption was there";
}
