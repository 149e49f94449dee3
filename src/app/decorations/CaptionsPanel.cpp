#include "CaptionsPanel.h"

#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QVBoxLayout>

namespace quillum {

const std::vector<CaptionsPanel::TagItem>& CaptionsPanel::tagItems()
{
    static const std::vector<TagItem> items {
        { "File Name", 100 },
        { "Folder", 101 },
        { "Full Path", 102 },
        { nullptr, 0 },
        { "Size (KB, MB…)", 600 },
        { "Size in Bytes", 601 },
        { nullptr, 0 },
        { "Date, Short", 200 },
        { "Date, Medium", 201 },
        { "Date, Full", 202 },
        { nullptr, 0 },
        { "Time, Short", 300 },
        { "Time, Medium", 301 },
        { "Time, Full", 302 },
        { nullptr, 0 },
        { "Line Break", 20 },
        { nullptr, 0 },
        { "Clear Text", 10 },
    };
    return items;
}

CaptionsPanel::CaptionsPanel(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_c(controller)
    , m_binder(controller, { key::decorations })
{
    setObjectName(QStringLiteral("CaptionsPanel"));
    setWindowTitle(tr("Captions"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);

    auto* master = panelkit::checkBox(this, "captionsOn", tr("Stamp captions on the output"),
        tr("The master switch for both captions (also on the output strip)"));
    m_binder.check(
        master, [this] { return m_c.textCaption1Check(); }, [this](bool on) { m_c.setTextCaption1Check(on); });
    column->addWidget(master);

    auto* pair = new QHBoxLayout;
    pair->setSpacing(10);
    pair->addWidget(buildCaption(0));
    pair->addWidget(buildCaption(1));
    column->addLayout(pair);

    auto* help = panelkit::pushButton(this, "captionsHelp", tr("Help"), tr("How captions and their tags work"));
    connect(help, &QToolButton::clicked, this, [this] { m_c.helpCaptions(); });
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(help);
    column->addLayout(footer);

    m_binder.sync();
}

CaptionsPanel::~CaptionsPanel() = default;

QWidget* CaptionsPanel::buildCaption(int index)
{
    const int number = index + 1;
    auto name
        = [number](const char* base) { return QStringLiteral("caption%1%2").arg(number).arg(QLatin1String(base)); };
    auto* box = new QGroupBox(tr("Caption %1").arg(number), this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->setColumnStretch(1, 1);
    int row = 0;
    auto addRow = [&](const QString& title, QWidget* control) {
        auto* label = new QLabel(title, box);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row++, 1);
    };

    auto* shown = panelkit::checkBox(box, "", tr("Show"), tr("Stamp this caption"));
    shown->setObjectName(name("Show"));
    m_binder.check(
        shown, [this, index] { return m_c.caption(index).show; },
        [this, index](bool on) { m_c.setCaptionShown(index, on); });
    grid->addWidget(shown, row++, 0, 1, 2);

    // The text, the tag menu that appends to it and the reset of the text.
    auto* text = new QLineEdit(box);
    text->setObjectName(name("Text"));
    text->setToolTip(tr("The caption's text; tags such as $f (file name) are replaced for each picture"));
    text->setMinimumWidth(220);
    m_binder.text(
        text, [this, index] { return m_c.caption(index).text; },
        [this, index](const QString& t) { m_c.setCaptionTextString(index, t); });
    auto* tags = panelkit::pushButton(box, "", tr("Tags"), tr("Add a tag to the text"));
    tags->setObjectName(name("Tags"));
    tags->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(tags);
    menu->setObjectName(name("TagMenu"));
    for (const TagItem& item : tagItems()) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        menu->addAction(tr(item.title), this, [this, number, tag = item.tag] {
            Sender sender;
            sender.tag = number;
            sender.intValue = tag;
            m_c.addTagToCaption(sender);
        });
    }
    tags->setMenu(menu);
    auto* reset = panelkit::pushButton(
        box, "", tr("Reset"), number == 1 ? tr("Back to the file name and size") : tr("Back to the date and time"));
    reset->setObjectName(name("Reset"));
    connect(reset, &QToolButton::clicked, this, [this, number] {
        Sender sender;
        sender.tag = number;
        m_c.resetCaption(sender);
    });
    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(4);
    textRow->addWidget(text, 1);
    textRow->addWidget(tags);
    textRow->addWidget(reset);
    auto* textLabel = new QLabel(tr("Text"), box);
    textLabel->setBuddy(text);
    grid->addWidget(textLabel, row, 0);
    grid->addLayout(textRow, row++, 1);

    auto* font = panelkit::pushButton(box, "", {}, tr("Choose the caption's font"));
    font->setObjectName(name("Font"));
    connect(font, &QToolButton::clicked, this,
        [this, number] { number == 1 ? m_c.changeCaption1Font() : m_c.changeCaption2Font(); });
    m_binder.show([this, font, index] { font->setText(m_c.captionFontNameLabel(index)); });
    addRow(tr("Font"), font);

    auto* textColor = new ColorButton(name("TextColor"), tr("Colour of the letters"), true, box);
    m_binder.color(
        textColor, [this, index] { return m_c.caption(index).textColor; },
        [this, index](const QColor& c) { m_c.setCaptionTextColor(index, c); });
    auto* outlined = panelkit::checkBox(box, "", tr("Outline"), tr("Draw an outline around the letters"));
    outlined->setObjectName(name("Outlined"));
    m_binder.check(
        outlined, [this, index] { return m_c.caption(index).outlined; },
        [this, index](bool on) { m_c.setCaptionOutlined(index, on); });
    auto* outlineColor = new ColorButton(name("OutlineColor"), tr("Colour of the outline"), true, box);
    m_binder.color(
        outlineColor, [this, index] { return m_c.caption(index).outlineColor; },
        [this, index](const QColor& c) { m_c.setCaptionOutlineColor(index, c); });
    m_binder.show([this, outlineColor, index] { outlineColor->setEnabled(m_c.caption(index).outlined); });
    auto* colors = new QHBoxLayout;
    colors->setSpacing(6);
    colors->addWidget(textColor);
    colors->addSpacing(8);
    colors->addWidget(outlined);
    colors->addWidget(outlineColor);
    colors->addStretch(1);
    auto* colorLabel = new QLabel(tr("Colour"), box);
    colorLabel->setBuddy(textColor);
    grid->addWidget(colorLabel, row, 0);
    grid->addLayout(colors, row++, 1);

    auto* opacity = panelkit::opacitySlider(box, "", tr("How strongly the caption covers the picture"));
    opacity->setObjectName(name("Opacity"));
    QLabel* readout = nullptr;
    QWidget* opacityRow = panelkit::sliderWithReadout(box, opacity, readout);
    m_binder.opacity(
        opacity, readout, [this, index] { return m_c.caption(index).opaque; },
        [this, index](float v) { m_c.setCaptionOpaque(index, v); });
    addRow(tr("Opacity"), opacityRow);

    auto* width = panelkit::valueField(
        box, "", tr("Width of the text in percent of the output's longer side"), 0.0, 100.0, 1.0, QStringLiteral(" %"));
    width->setObjectName(name("Width"));
    m_binder.value(
        width, [this, index] { return m_c.caption(index).widthValue; },
        [this, index](float v) { m_c.setCaptionWidthValue(index, v); });
    addRow(tr("Size"), width);

    const QString offsetTip = tr("Distance from the edge in half-percent steps of the output's longer side");
    auto* offsetX = panelkit::valueField(box, "", tr("Horizontal: ") + offsetTip, -200.0, 200.0, 1.0);
    offsetX->setObjectName(name("OffsetX"));
    m_binder.value(
        offsetX, [this, index] { return m_c.caption(index).offsetXValue; },
        [this, index](float v) { m_c.setCaptionOffsetXValue(index, v); });
    auto* offsetY = panelkit::valueField(box, "", tr("Vertical: ") + offsetTip, -200.0, 200.0, 1.0);
    offsetY->setObjectName(name("OffsetY"));
    m_binder.value(
        offsetY, [this, index] { return m_c.caption(index).offsetYValue; },
        [this, index](float v) { m_c.setCaptionOffsetYValue(index, v); });
    auto* offsets = new QHBoxLayout;
    offsets->setSpacing(4);
    offsets->addWidget(new QLabel(QStringLiteral("X"), box));
    offsets->addWidget(offsetX, 1);
    offsets->addSpacing(6);
    offsets->addWidget(new QLabel(QStringLiteral("Y"), box));
    offsets->addWidget(offsetY, 1);
    auto* offsetLabel = new QLabel(tr("Offset"), box);
    offsetLabel->setBuddy(offsetX);
    grid->addWidget(offsetLabel, row, 0);
    grid->addLayout(offsets, row++, 1);

    auto* location = new LocationGrid(name("Location"), tr("Where the caption sits on the output"), box);
    m_binder.location(
        location, [this, index] { return m_c.caption(index).locationValue; },
        [this, index](int v) { m_c.setCaptionLocationValue(index, v); });
    auto* placeLabel = new QLabel(tr("Place"), box);
    grid->addWidget(placeLabel, row, 0, Qt::AlignTop);
    grid->addWidget(location, row++, 1, Qt::AlignLeft);
    return box;
}

} // namespace quillum
