#include "BordersPanel.h"

#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <functional>

namespace quillum {

namespace {
// Insets and line widths are percent of the output's longer side; half the side is the most
// that can still frame anything.
constexpr double kMaxPercent = 50.0;
} // namespace

BordersPanel::BordersPanel(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_c(controller)
    , m_binder(controller, { key::decorations })
{
    setObjectName(QStringLiteral("BordersPanel"));
    setWindowTitle(tr("Borders"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);

    auto* master = panelkit::checkBox(this, "bordersOn", tr("Draw borders on the output"),
        tr("The master switch for all three borders (also on the output strip)"));
    m_binder.check(
        master, [this] { return m_c.border1Check(); }, [this](bool on) { m_c.setBorder1Check(on); });
    column->addWidget(master);

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    for (int i = 0; i < 3; ++i)
        row->addWidget(buildBorder(i));
    column->addLayout(row);

    auto* help = panelkit::pushButton(this, "bordersHelp", tr("Help"), tr("How borders are drawn"));
    connect(help, &QToolButton::clicked, this, [this] { m_c.helpBorders(); });
    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(help);
    column->addLayout(footer);

    m_binder.sync();
}

BordersPanel::~BordersPanel() = default;

QWidget* BordersPanel::buildBorder(int index)
{
    const int number = index + 1;
    auto name
        = [number](const char* base) { return QStringLiteral("border%1%2").arg(number).arg(QLatin1String(base)); };
    auto* box = new QGroupBox(tr("Border %1").arg(number), this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->setColumnStretch(1, 1);
    int row = 0;

    auto* shown = panelkit::checkBox(box, "", tr("Show"), tr("Draw this border"));
    shown->setObjectName(name("Show"));
    m_binder.check(
        shown, [this, index] { return m_c.border(index).show; },
        [this, index](bool on) { m_c.setBorderShown(index, on); });
    auto* color = new ColorButton(name("Color"), tr("Colour of the line"), false, box);
    m_binder.color(
        color, [this, index] { return m_c.border(index).color; },
        [this, index](const QColor& c) { m_c.setBorderColor(index, c); });
    grid->addWidget(shown, row, 0);
    grid->addWidget(color, row++, 1, Qt::AlignRight);

    struct Field {
        const char* objectName;
        const char* title;
        const char* toolTip;
        float BorderSettings::*member;
        void (zent3controller::*set)(int, float);
    };
    const Field fields[] = {
        { "Top", "Top", "Inset from the top edge, percent of the longer side", &BorderSettings::offsetTop,
            &zent3controller::setBorderOffsetTop },
        { "Bottom", "Bottom", "Inset from the bottom edge, percent of the longer side", &BorderSettings::offsetBottom,
            &zent3controller::setBorderOffsetBottom },
        { "Left", "Left", "Inset from the left edge, percent of the longer side", &BorderSettings::offsetLeft,
            &zent3controller::setBorderOffsetLeft },
        { "Right", "Right", "Inset from the right edge, percent of the longer side", &BorderSettings::offsetRight,
            &zent3controller::setBorderOffsetRight },
        { "PenSize", "Line", "Width of the line, percent of the longer side (never under one pixel)",
            &BorderSettings::penSize, &zent3controller::setBorderPenSize },
    };
    for (const Field& f : fields) {
        auto* field = panelkit::valueField(box, "", tr(f.toolTip), 0.0, kMaxPercent, 0.1, QStringLiteral(" %"));
        field->setDecimals(2);
        field->setObjectName(name(f.objectName));
        const zent3controller& c = m_c;
        m_binder.value(
            field, [&c, index, member = f.member] { return c.border(index).*member; },
            std::bind_front(f.set, &m_c, index));
        auto* label = new QLabel(tr(f.title), box);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }

    auto* opacity = panelkit::opacitySlider(box, "", tr("How strongly the line covers the picture"));
    opacity->setObjectName(name("PenOpacity"));
    QLabel* readout = nullptr;
    QWidget* opacityRow = panelkit::sliderWithReadout(box, opacity, readout);
    m_binder.opacity(
        opacity, readout, [this, index] { return m_c.border(index).penOpaque; },
        [this, index](float v) { m_c.setBorderPenOpaque(index, v); });
    auto* opacityLabel = new QLabel(tr("Opacity"), box);
    opacityLabel->setBuddy(opacity);
    grid->addWidget(opacityLabel, row, 0);
    grid->addWidget(opacityRow, row++, 1);

    auto* reset = panelkit::pushButton(box, "", tr("Reset"), tr("Back to this border's original look"));
    reset->setObjectName(name("Reset"));
    connect(reset, &QToolButton::clicked, this, [this, index] { m_c.resetBorder(index); });
    grid->addWidget(reset, row++, 1, Qt::AlignRight);
    return box;
}

} // namespace quillum
