#include "OutputControls.h"

#include "ControlKit.h"
#include "FlowLayout.h"
#include "PictureCorrectionPanel.h"
#include "controller/zent3controller.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace quillum {

namespace {

constexpr int kSizeMaximum = 99999;

struct ModeItem {
    int tag;
    const char* objectName;
    const char* title;
    const char* toolTip;
};
constexpr ModeItem kModes[] = {
    { OutputModeColor, "modeColor", "Color", "Keep the colours" },
    { OutputModeBlackAndWhite, "modeBlackAndWhite", "B&&W", "Black and white" },
    { OutputModeSepia, "modeSepia", "Sepia", "Sepia tone" },
};

// Index i is sharpen level i.
constexpr const char* kSharpenTitles[] = { "None", "Light", "Medium", "Strong", "Extra strong" };
constexpr int kSharpenCount = int(std::size(kSharpenTitles));

QSpinBox* sizeField(QWidget* parent, const char* objectName, const QString& toolTip)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setRange(1, kSizeMaximum);
    field->setSuffix(QStringLiteral(" px"));
    field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    field->setAlignment(Qt::AlignRight);
    // Each keystroke would be a render at a size nobody asked for.
    field->setKeyboardTracking(false);
    field->setToolTip(toolTip);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("999999 px")) + 8);
    return field;
}

QCheckBox* checkBox(QWidget* parent, const char* objectName, const QString& text, const QString& toolTip)
{
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(QString::fromLatin1(objectName));
    check->setToolTip(toolTip);
    return check;
}

} // namespace

OutputControls::OutputControls(zent3controller& controller, QWidget* parent)
    : QWidget(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("OutputControls"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    // Three rows, each wrapping on its own when the panel is narrow.
    using Builder = void (OutputControls::*)(controlkit::StripRow*);
    for (Builder build : { &OutputControls::buildSizeRow, &OutputControls::buildLookRow,
             &OutputControls::buildDecorationRow }) {
        auto* holder = new QWidget(this);
        auto* flow = new FlowLayout(holder);
        flow->setContentsMargins(6, 3, 6, 3);
        controlkit::StripRow row(holder, flow);
        (this->*build)(&row);
        rows->addWidget(holder);
    }
}

OutputControls::~OutputControls() = default;

void OutputControls::buildSizeRow(controlkit::StripRow* row)
{
    auto* fixedWidth = checkBox(this, "fixedWidth", tr("W"), tr("Fix the output width"));
    auto* width = sizeField(this, "outputWidth", tr("Output width"));
    auto* fixedHeight = checkBox(this, "fixedHeight", tr("H"), tr("Fix the output height"));
    auto* height = sizeField(this, "outputHeight", tr("Output height"));
    bindSize(fixedWidth, width, true);
    bindSize(fixedHeight, height, false);

    auto* stretch = checkBox(
        this, "stretch", tr("Stretch"), tr("With both sizes fixed, stretch to them instead of fitting inside them"));
    bindToggle(
        stretch, key::outputSizeUnproportionalStretch, [this] { return m_c.outputSizeUnproportionalStretch(); },
        [this](bool on) { m_c.setOutputSizeUnproportionalStretch(on); });

    auto* fit = controlkit::toolButton(this, "fitOutput", tr("Fit"), tr("Fit the output to the view"),
        controlkit::icon(controlkit::Glyph::Fit, palette()));
    connect(fit, &QToolButton::clicked, this, [this] { m_c.fitOutputImageToView(); });
    auto* actual = controlkit::toolButton(this, "actualSizeOutput", tr("1:1"), tr("Show the output at actual size"));
    connect(actual, &QToolButton::clicked, this, [this] { m_c.fitOutputImageTo100(); });

    row->addWidget(fixedWidth);
    row->addWidget(width);
    row->addSpacing(4);
    row->addWidget(fixedHeight);
    row->addWidget(height);
    row->addSpacing(4);
    row->addWidget(stretch);
    auto* quickResize = controlkit::toolButton(
        this, "showQuickResize", tr("Sizes…"), tr("Quick resize: fix the output to one of your sizes"));
    connect(quickResize, &QToolButton::clicked, this, [this] { m_c.showResizerPanel(); });
    row->addWidget(quickResize);
    row->addStretch(1);
    row->addWidget(fit);
    row->addWidget(actual);
}

void OutputControls::buildLookRow(controlkit::StripRow* row)
{
    using controlkit::Glyph;
    auto* autoLevels = checkBox(this, "autoLevels", tr("Auto levels"), tr("Stretch each colour channel to full range"));
    bindToggle(
        autoLevels, key::autoLevelsIsOn, [this] { return m_c.autoLevelsIsOn(); },
        [this](bool on) { m_c.setAutoLevelsIsOn(on); });
    auto* lock = controlkit::toolButton(this, "autoLevelsLock", tr("Lock levels"),
        tr("Keep the current levels for the following pictures"), controlkit::icon(Glyph::Lock, palette()));
    bindToggle(
        lock, key::autoLevelsIsLocked, [this] { return m_c.autoLevelsIsLocked(); },
        [this](bool on) { m_c.setAutoLevelsIsLocked(on); });
    row->addWidget(autoLevels);
    row->addWidget(lock);
    controlkit::addGroupGap(row);

    struct Toggle {
        const char* objectName;
        const char* text;
        const char* toolTip;
        Glyph glyph;
        const char* key;
        bool (zent3controller::*get)() const;
        void (zent3controller::*set)(bool);
    };
    const Toggle toggles[] = {
        { "flipVertical", "Flip vertically", "Mirror top to bottom", Glyph::FlipVertical, key::flipVertical,
            &zent3controller::flipVertical, &zent3controller::setFlipVertical },
        { "flipHorizontal", "Flip horizontally", "Mirror left to right", Glyph::FlipHorizontal, key::flipHorizontal,
            &zent3controller::flipHorizontal, &zent3controller::setFlipHorizontal },
        { "invert", "Invert", "Negative", Glyph::Invert, key::invertIsOn, &zent3controller::invertIsOn,
            &zent3controller::setInvertIsOn },
    };
    for (const Toggle& t : toggles) {
        auto* button = controlkit::toolButton(
            this, t.objectName, tr(t.text), tr(t.toolTip), controlkit::icon(t.glyph, palette()));
        bindToggle(button, t.key, std::bind_front(t.get, &m_c), std::bind_front(t.set, &m_c));
        row->addWidget(button);
    }
    controlkit::addGroupGap(row);

    m_modes = new QButtonGroup(this);
    auto* modeBox = new QHBoxLayout;
    modeBox->setSpacing(0);
    for (const ModeItem& mode : kModes) {
        auto* button = controlkit::toolButton(this, mode.objectName, tr(mode.title), tr(mode.toolTip));
        button->setCheckable(true);
        m_modes->addButton(button, mode.tag);
        modeBox->addWidget(button);
    }
    // idClicked fires for the user only; programmatic checks never come back as commands.
    connect(m_modes, &QButtonGroup::idClicked, this, [this](int tag) {
        m_c.setOutputModeTag(tag);
        syncMode();
    });
    m_observers.observe({ key::outputModeTag }, [this] { syncMode(); });
    syncMode();
    row->addLayout(modeBox);
    controlkit::addGroupGap(row);

    auto* sharpenLabel = new QLabel(tr("Sharpen"), this);
    m_sharpen = new QComboBox(this);
    m_sharpen->setObjectName(QStringLiteral("sharpen"));
    m_sharpen->setToolTip(tr("Sharpen the output"));
    m_sharpen->setPlaceholderText(tr("Custom"));
    for (const char* title : kSharpenTitles)
        m_sharpen->addItem(tr(title));
    sharpenLabel->setBuddy(m_sharpen);
    connect(m_sharpen, &QComboBox::currentIndexChanged, this, [this](int level) {
        if (level >= 0)
            m_c.setSharpenLevel(level);
        syncSharpen();
    });
    m_observers.observe({ key::sharpenLevel }, [this] { syncSharpen(); });
    syncSharpen();
    row->addWidget(sharpenLabel);
    row->addWidget(m_sharpen);
    row->addStretch(1);

    auto* correction = controlkit::toolButton(
        this, "showCorrection", tr("Correction…"), tr("Gamma, contrast and colour balance of the output"));
    connect(correction, &QToolButton::clicked, this, [this] { m_c.showPictureCorrectionWindow(); });
    row->addWidget(correction);
}

void OutputControls::buildDecorationRow(controlkit::StripRow* row)
{
    struct Decoration {
        const char* checkName;
        const char* title;
        const char* toolTip;
        bool (zent3controller::*get)() const;
        void (zent3controller::*set)(bool);
        const char* buttonName;
        const char* buttonToolTip;
        void (zent3controller::*show)(const Sender&);
    };
    const Decoration decorations[] = {
        { "captionsCheck", "Captions", "Stamp the captions on the output", &zent3controller::textCaption1Check,
            &zent3controller::setTextCaption1Check, "showCaptions", "Caption texts, fonts and places",
            &zent3controller::showCaptionsSetup },
        { "bordersCheck", "Borders", "Draw the borders on the output", &zent3controller::border1Check,
            &zent3controller::setBorder1Check, "showBorders", "Border colours, insets and lines",
            &zent3controller::showBorderSetup },
        { "logoCheck", "Logo", "Stamp the logo on the output", &zent3controller::drawLogo,
            &zent3controller::setDrawLogo, "showLogo", "The logo picture, its size and place",
            &zent3controller::showLogoSetup },
    };
    for (const Decoration& d : decorations) {
        auto* check = checkBox(this, d.checkName, tr(d.title), tr(d.toolTip));
        bindToggle(check, key::decorations, std::bind_front(d.get, &m_c), std::bind_front(d.set, &m_c));
        auto* edit = controlkit::toolButton(this, d.buttonName, tr("Edit…"), tr(d.buttonToolTip));
        connect(edit, &QToolButton::clicked, this, std::bind_front(d.show, &m_c, Sender {}));
        row->addWidget(check);
        row->addWidget(edit);
        controlkit::addGroupGap(row);
    }
    row->addStretch(1);
}

void OutputControls::bindToggle(
    QAbstractButton* button, const char* key, std::function<bool()> get, std::function<void(bool)> set)
{
    button->setCheckable(true);
    auto sync = [button, get] {
        const QSignalBlocker blocker(button);
        button->setChecked(get());
    };
    connect(button, &QAbstractButton::toggled, this, [set, sync](bool on) {
        set(on);
        sync();
    });
    m_observers.observe({ key }, sync);
    sync();
}

void OutputControls::bindSize(QCheckBox* check, QSpinBox* field, bool width)
{
    auto sync = [this, check, field, width] {
        const QSignalBlocker b1(check), b2(field);
        check->setChecked(width ? m_c.outputWidthIsFixed() : m_c.outputHeightIsFixed());
        field->setEnabled(width ? m_c.outputWidthFieldEnabled() : m_c.outputHeightFieldEnabled());
        field->setValue(width ? m_c.outputWidthVal() : m_c.outputHeighVal());
    };
    connect(check, &QCheckBox::toggled, this, [this, width, sync](bool on) {
        // The field follows the check box; the size rule follows the fixed flag.
        Sender check;
        check.state = on;
        if (width) {
            m_c.fixedWOnClick(check);
            m_c.setOutputWidthIsFixed(on);
        } else {
            m_c.fixedHOnClick(check);
            m_c.setOutputHeightIsFixed(on);
        }
        sync();
    });
    connect(field, &QSpinBox::valueChanged, this, [this, width, sync](int value) {
        if (width)
            m_c.setOutputWidthVal(value);
        else
            m_c.setOutputHeighVal(value);
        sync();
    });
    if (width)
        m_observers.observe({ key::outputWidthIsFixed, key::outputWidthFieldEnabled, key::outputWidthVal }, sync);
    else
        m_observers.observe({ key::outputHeightIsFixed, key::outputHeightFieldEnabled, key::outputHeighVal }, sync);
    sync();
}

void OutputControls::syncMode()
{
    const int tag = m_c.outputModeTag();
    QAbstractButton* current = m_modes->button(tag);
    // An exclusive group cannot show "none checked"; lift it for a tag without a button.
    m_modes->setExclusive(false);
    for (QAbstractButton* button : m_modes->buttons()) {
        const QSignalBlocker blocker(button);
        button->setChecked(button == current);
    }
    m_modes->setExclusive(true);
}

void OutputControls::syncSharpen()
{
    const QSignalBlocker blocker(m_sharpen);
    const int level = m_c.sharpenLevel();
    m_sharpen->setCurrentIndex(level >= 0 && level < kSharpenCount ? level : -1);
}

PictureCorrectionPanel& OutputControls::correctionPanel()
{
    if (!m_correction)
        m_correction = new PictureCorrectionPanel(m_c, this);
    return *m_correction;
}

void OutputControls::showCorrectionPanel()
{
    PictureCorrectionPanel& panel = correctionPanel();
    panel.show();
    panel.raise();
    panel.activateWindow();
}

} // namespace quillum
