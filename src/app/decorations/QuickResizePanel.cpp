#include "QuickResizePanel.h"

#include "controller/zent3controller.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillum {

QuickResizePanel::QuickResizePanel(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("QuickResizePanel"));
    setWindowTitle(tr("Quick Resize"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnMinimumWidth(2, 18); // the gap between the columns
    buildColumn(Side::Width, grid, 0);
    buildColumn(Side::Height, grid, 3);
    column->addLayout(grid);

    auto* reset = new QToolButton(this);
    reset->setObjectName(QStringLiteral("resetQuickResize"));
    reset->setText(tr("Reset to Defaults"));
    reset->setToolTip(tr("All twenty sizes back to 50 … 700 (asks first)"));
    connect(reset, &QToolButton::clicked, this, [this] {
        m_c.resetQuickResizeSizes();
        sync();
    });
    auto* help = new QToolButton(this);
    help->setObjectName(QStringLiteral("quickResizeHelp"));
    help->setText(tr("Help"));
    help->setToolTip(tr("How quick resize works"));
    connect(help, &QToolButton::clicked, this, [this] { m_c.helpResizeTool(); });
    auto* footer = new QHBoxLayout;
    footer->addWidget(reset);
    footer->addStretch(1);
    footer->addWidget(help);
    column->addLayout(footer);

    m_observers.observe(
        { key::quickResizeSizes, key::quickResizeWidthCase, key::quickResizeHeightCase }, [this] { sync(); });
    sync();
}

QuickResizePanel::~QuickResizePanel() = default;

void QuickResizePanel::buildColumn(Side side, QGridLayout* grid, int column)
{
    const bool width = side == Side::Width;
    const QString prefix = width ? QStringLiteral("width") : QStringLiteral("height");
    auto* choices = new QButtonGroup(this);
    m_choices[width ? 0 : 1] = choices;

    auto* title = new QLabel(width ? tr("Width") : tr("Height"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, column, 1, 2);

    // The two extra choices span the column, so the sizes sit right beside their buttons.
    auto addChoice = [&](int choice, int row, const QString& text, const QString& toolTip) {
        auto* radio = new QRadioButton(text, this);
        radio->setObjectName(prefix + QStringLiteral("Choice%1").arg(choice));
        radio->setToolTip(toolTip);
        choices->addButton(radio, choice);
        grid->addWidget(radio, row, column, 1, text.isEmpty() ? 1 : 2);
        return radio;
    };
    addChoice(kFree, 1, tr("Free"), width ? tr("Leave the output width free") : tr("Leave the output height free"));
    for (int i = 1; i <= 10; ++i) {
        addChoice(
            i, i + 1, {}, width ? tr("Fix the output width at this size") : tr("Fix the output height at this size"));
        auto* field = new QSpinBox(this);
        field->setObjectName(prefix + QStringLiteral("Size%1").arg(i));
        field->setToolTip(width ? tr("Width choice %1 in pixels").arg(i) : tr("Height choice %1 in pixels").arg(i));
        field->setRange(kMinimumSize, kMaximumSize);
        field->setSuffix(QStringLiteral(" px"));
        field->setAlignment(Qt::AlignRight);
        // A chosen size re-applies on each commit; a keystroke is not one.
        field->setKeyboardTracking(false);
        connect(field, &QSpinBox::valueChanged, this, [this, width, i](int pixels) {
            if (m_syncing)
                return;
            width ? m_c.resizerController().setW(i, pixels) : m_c.resizerController().setH(i, pixels);
            sync();
        });
        m_sizes[width ? 0 : 1][i - 1] = field;
        grid->addWidget(field, i + 1, column + 1);
    }
    addChoice(kKeepCurrent, 12, tr("Keep current"),
        width ? tr("Fix the output width at its current value") : tr("Fix the output height at its current value"));
    // idClicked is the user's; checks made while refreshing never come back.
    connect(choices, &QButtonGroup::idClicked, this, [this, width](int choice) {
        width ? m_c.chooseQuickResizeWidth(choice) : m_c.chooseQuickResizeHeight(choice);
        sync();
    });
}

void QuickResizePanel::sync()
{
    m_syncing = true;
    const PkResizerScreen& r = m_c.resizerController();
    for (int i = 1; i <= 10; ++i) {
        m_sizes[0][i - 1]->setValue(r.w(i));
        m_sizes[1][i - 1]->setValue(r.h(i));
    }
    const int cases[2] = { r.wCase(), r.hCase() };
    for (int side = 0; side < 2; ++side) {
        QButtonGroup* group = m_choices[side];
        // Any value outside 1–11 leaves the side free.
        const int choice = cases[side] >= 1 && cases[side] <= kKeepCurrent ? cases[side] : kFree;
        group->button(choice)->setChecked(true);
    }
    m_syncing = false;
}

} // namespace quillum
