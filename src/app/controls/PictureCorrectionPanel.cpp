#include "PictureCorrectionPanel.h"

#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillum {

namespace {

int sliderPosition(float value)
{
    // Out-of-range values stay in the controller; the slider only shows the nearest end.
    if (!std::isfinite(value))
        return 0;
    const double scaled = std::clamp(double(value) * PictureCorrectionPanel::kSliderScale, -1.0e6, 1.0e6);
    return int(std::lround(scaled));
}

QString valueText(float value, bool signedValue)
{
    return signedValue && value > 0 ? QStringLiteral("+%1").arg(double(value), 0, 'f', 2)
                                    : QStringLiteral("%1").arg(double(value), 0, 'f', 2);
}

} // namespace

PictureCorrectionPanel::PictureCorrectionPanel(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("PictureCorrectionPanel"));
    setWindowTitle(tr("Picture Correction"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(8);

    m_enabled = new QCheckBox(tr("Correct the output"), this);
    m_enabled->setObjectName(QStringLiteral("correctionEnabled"));
    m_enabled->setToolTip(tr("Apply gamma, contrast and colour balance"));
    connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) {
        m_c.setPictureCorrectionIsOn(on);
        syncEnabled();
    });
    m_observers.observe({ key::pictureCorrectionIsOn }, [this] { syncEnabled(); });
    syncEnabled();
    column->addWidget(m_enabled);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(1, 1);
    struct ChannelRow {
        const char* objectName;
        const char* key;
        QString title;
        float minimum, maximum;
        float (zent3controller::*get)() const;
        void (zent3controller::*set)(float);
    };
    const ChannelRow channels[] = {
        { "gamma", key::gammaValue, tr("Gamma"), kMinGamma, kMaxGamma, &zent3controller::gammaValue,
            &zent3controller::setGammaValue },
        { "contrast", key::contrastValue, tr("Contrast"), kMinShift, kMaxShift, &zent3controller::contrastValue,
            &zent3controller::setContrastValue },
        { "red", key::redValue, tr("Red"), kMinShift, kMaxShift, &zent3controller::redValue,
            &zent3controller::setRedValue },
        { "green", key::greenValue, tr("Green"), kMinShift, kMaxShift, &zent3controller::greenValue,
            &zent3controller::setGreenValue },
        { "blue", key::blueValue, tr("Blue"), kMinShift, kMaxShift, &zent3controller::blueValue,
            &zent3controller::setBlueValue },
    };
    int row = 0;
    for (const ChannelRow& c : channels)
        addChannel(grid, row++, c.objectName, c.key, c.title, c.minimum, c.maximum, c.get, c.set);
    column->addLayout(grid);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* resetButton = buttons->addButton(QDialogButtonBox::Reset);
    resetButton->setObjectName(QStringLiteral("reset"));
    resetButton->setToolTip(tr("Gamma 1, contrast and colours 0"));
    connect(resetButton, &QPushButton::clicked, this, &PictureCorrectionPanel::reset);
    column->addWidget(buttons);

    setMinimumWidth(300);
}

PictureCorrectionPanel::~PictureCorrectionPanel() = default;

void PictureCorrectionPanel::addChannel(QGridLayout* grid, int row, const char* objectName, const char* key,
    const QString& title, float minimum, float maximum, float (zent3controller::*get)() const,
    void (zent3controller::*set)(float))
{
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QString::fromLatin1(objectName));
    slider->setRange(sliderPosition(minimum), sliderPosition(maximum));
    slider->setPageStep(kSliderScale / 10);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Value"));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("+0.00")) + 4);
    auto* label = new QLabel(title, this);
    label->setBuddy(slider);

    const bool signedValue = minimum < 0;
    auto getValue = std::bind_front(get, &m_c);
    auto setValue = std::bind_front(set, &m_c);
    auto sync = [slider, value, getValue, signedValue] {
        const float v = getValue();
        const QSignalBlocker blocker(slider);
        slider->setValue(sliderPosition(v));
        value->setText(valueText(v, signedValue));
    };
    connect(slider, &QSlider::valueChanged, this, [setValue, sync](int position) {
        setValue(float(position) / kSliderScale);
        sync();
    });
    m_observers.observe({ key }, sync);
    sync();

    grid->addWidget(label, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(value, row, 2);
}

void PictureCorrectionPanel::syncEnabled()
{
    const QSignalBlocker blocker(m_enabled);
    m_enabled->setChecked(m_c.pictureCorrectionIsOn());
}

void PictureCorrectionPanel::reset()
{
    const zent3controller::RenderBatch batch(m_c);
    m_c.setGammaValue(kDefaultGamma);
    m_c.setContrastValue(0.0f);
    m_c.setRedValue(0.0f);
    m_c.setGreenValue(0.0f);
    m_c.setBlueValue(0.0f);
}

} // namespace quillum
