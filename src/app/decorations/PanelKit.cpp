#include "PanelKit.h"

#include "controller/zent3controller.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace quillum {

namespace panelkit {

QCheckBox* checkBox(QWidget* parent, const char* objectName, const QString& text, const QString& toolTip)
{
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(QString::fromLatin1(objectName));
    check->setToolTip(toolTip);
    return check;
}

QDoubleSpinBox* valueField(QWidget* parent, const char* objectName, const QString& toolTip, double minimum,
    double maximum, double step, const QString& suffix)
{
    auto* field = new QDoubleSpinBox(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setToolTip(toolTip);
    field->setRange(minimum, maximum);
    field->setSingleStep(step);
    field->setDecimals(step < 0.1 ? 2 : 1);
    field->setSuffix(suffix);
    field->setAlignment(Qt::AlignRight);
    field->setAccelerated(true);
    // A render per keystroke would draw sizes nobody asked for.
    field->setKeyboardTracking(false);
    return field;
}

QSlider* opacitySlider(QWidget* parent, const char* objectName, const QString& toolTip)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::fromLatin1(objectName));
    slider->setToolTip(toolTip);
    slider->setRange(0, kOpacityScale);
    slider->setPageStep(kOpacityScale / 10);
    return slider;
}

QWidget* sliderWithReadout(QWidget* parent, QSlider* slider, QLabel*& readout)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    readout = new QLabel(row);
    readout->setObjectName(slider->objectName() + QStringLiteral("Readout"));
    slider->setParent(row);
    slider->setMinimumWidth(90);
    layout->addWidget(slider, 1);
    layout->addWidget(readout);
    return row;
}

QToolButton* pushButton(QWidget* parent, const char* objectName, const QString& text, const QString& toolTip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(text);
    button->setToolTip(toolTip);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace panelkit

// --- LocationGrid --------------------------------------------------------------------------

namespace {
// Row by row from the top, as the grid shows them.
const char* const kLocationNames[9] = { "top left", "top centre", "top right", "middle left", "centre", "middle right",
    "bottom left", "bottom centre", "bottom right" };
} // namespace

LocationGrid::LocationGrid(const QString& objectName, const QString& toolTip, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    setToolTip(toolTip);
    m_group = new QButtonGroup(this);
    // A plain tool button looks the same checked or not on the dark theme; the chosen cell
    // must stand out.
    setStyleSheet(QStringLiteral("QToolButton { background: palette(base); border: 1px solid palette(mid);"
                                 " border-radius: 2px; }"
                                 "QToolButton:hover { border-color: palette(highlight); }"
                                 "QToolButton:checked { background: palette(highlight);"
                                 " border-color: palette(highlight); }"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    for (int i = 0; i < 9; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(objectName + QString::number(i));
        b->setToolTip(tr("Place it %1").arg(QString::fromLatin1(kLocationNames[i])));
        b->setCheckable(true);
        b->setFixedSize(22, 16);
        m_group->addButton(b, i);
        grid->addWidget(b, i / 3, i % 3);
    }
    // idClicked is the user's; checks made while refreshing never come back.
    connect(m_group, &QButtonGroup::idClicked, this, &LocationGrid::chosen);
}

void LocationGrid::setLocation(int location)
{
    QAbstractButton* current = m_group->button(location);
    // An exclusive group cannot show "none"; lift it for a value without a button.
    m_group->setExclusive(false);
    for (QAbstractButton* b : m_group->buttons())
        b->setChecked(b == current);
    m_group->setExclusive(true);
}

int LocationGrid::location() const
{
    return m_group->checkedId();
}

QAbstractButton* LocationGrid::button(int location) const
{
    return m_group->button(location);
}

// --- ColorButton ---------------------------------------------------------------------------

ColorButton::ColorButton(const QString& objectName, const QString& toolTip, bool withAlpha, QWidget* parent)
    : QToolButton(parent)
    , m_withAlpha(withAlpha)
{
    setObjectName(objectName);
    setToolTip(toolTip);
    setIconSize(QSize(28, 14));
    connect(this, &QToolButton::clicked, this, &ColorButton::choose);
}

void ColorButton::setColor(const QColor& color)
{
    m_color = color;
    // Drawn for 1x and 2x screens, so the outline and the checker stay sharp on both.
    const QSize size = iconSize();
    QIcon icon;
    for (qreal ratio : { 1.0, 2.0 }) {
        QPixmap swatch(size * ratio);
        swatch.setDevicePixelRatio(ratio);
        swatch.fill(Qt::transparent);
        QPainter p(&swatch);
        // A checker under the colour shows its transparency.
        p.fillRect(QRect(QPoint(), size), QColor(200, 200, 200));
        for (int x = 0; x < size.width(); x += 7)
            for (int y = (x / 7) % 2 * 7; y < size.height(); y += 14)
                p.fillRect(x, y, 7, 7, QColor(130, 130, 130));
        p.fillRect(QRect(QPoint(), size), color);
        p.setPen(QColor(0, 0, 0, 140));
        p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
        p.end();
        icon.addPixmap(swatch);
    }
    setIcon(icon);
}

void ColorButton::choose()
{
    QColorDialog::ColorDialogOptions options = QColorDialog::DontUseNativeDialog;
    if (m_withAlpha)
        options |= QColorDialog::ShowAlphaChannel;
    const QColor picked = QColorDialog::getColor(m_color, this, toolTip(), options);
    if (picked.isValid())
        Q_EMIT chosen(picked);
}

// --- PanelBinder ---------------------------------------------------------------------------

PanelBinder::PanelBinder(zent3controller& controller, std::initializer_list<const char*> keys)
    : m_observers(controller)
{
    m_observers.observe(keys, [this] { sync(); });
}

void PanelBinder::sync()
{
    m_syncing = true;
    for (const auto& refresh : m_refreshers)
        refresh();
    m_syncing = false;
}

void PanelBinder::check(QAbstractButton* button, std::function<bool()> get, std::function<void(bool)> set)
{
    button->setCheckable(true);
    QObject::connect(button, &QAbstractButton::toggled, button, [this, set](bool on) { apply([&] { set(on); }); });
    m_refreshers.push_back([button, get] { button->setChecked(get()); });
}

void PanelBinder::value(QDoubleSpinBox* field, std::function<float()> get, std::function<void(float)> set)
{
    QObject::connect(
        field, &QDoubleSpinBox::valueChanged, field, [this, set](double v) { apply([&] { set(float(v)); }); });
    m_refreshers.push_back([field, get] {
        // A value out of the field's range stays in the controller; the field shows the nearest end.
        const float v = get();
        field->setValue(std::isfinite(v) ? double(v) : 0.0);
    });
}

void PanelBinder::opacity(QSlider* slider, QLabel* readout, std::function<float()> get, std::function<void(float)> set)
{
    readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout->setMinimumWidth(readout->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 4);
    QObject::connect(slider, &QSlider::valueChanged, readout,
        [readout](int position) { readout->setText(QStringLiteral("%1 %").arg(position)); });
    readout->setText(QStringLiteral("%1 %").arg(slider->value()));
    QObject::connect(slider, &QSlider::valueChanged, slider,
        [this, set](int position) { apply([&] { set(float(position) / panelkit::kOpacityScale); }); });
    m_refreshers.push_back([slider, get] {
        const float v = get();
        slider->setValue(std::isfinite(v) ? int(std::lround(std::clamp(v, 0.0f, 1.0f) * panelkit::kOpacityScale)) : 0);
    });
}

void PanelBinder::location(LocationGrid* grid, std::function<int()> get, std::function<void(int)> set)
{
    QObject::connect(grid, &LocationGrid::chosen, grid, [this, set](int location) { apply([&] { set(location); }); });
    m_refreshers.push_back([grid, get] { grid->setLocation(get()); });
}

void PanelBinder::color(ColorButton* button, std::function<QColor()> get, std::function<void(const QColor&)> set)
{
    QObject::connect(button, &ColorButton::chosen, button, [this, set](const QColor& c) { apply([&] { set(c); }); });
    m_refreshers.push_back([button, get] { button->setColor(get()); });
}

void PanelBinder::text(QLineEdit* field, std::function<QString()> get, std::function<void(const QString&)> set)
{
    QObject::connect(field, &QLineEdit::textEdited, field, [this, set](const QString& t) { apply([&] { set(t); }); });
    m_refreshers.push_back([field, get] {
        // Setting the same text would move the cursor to the end while the user types.
        const QString t = get();
        if (field->text() != t)
            field->setText(t);
    });
}

void PanelBinder::show(std::function<void()> refresh)
{
    m_refreshers.push_back(std::move(refresh));
}

} // namespace quillum
