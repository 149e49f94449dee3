#include "PreferencesPanel.h"

#include "controller/zent3controller.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace quillum {

namespace {

QRadioButton* radio(QWidget* parent, QButtonGroup* group, int id, const QString& title, const QString& toolTip,
    const char* objectName)
{
    auto* button = new QRadioButton(title, parent);
    button->setToolTip(toolTip);
    button->setObjectName(QString::fromLatin1(objectName));
    group->addButton(button, id);
    return button;
}

// Drawn for 1x and 2x screens, so the swatch's outline stays a sharp line on both.
QIcon colorSwatch(const QColor& color)
{
    QIcon icon;
    for (qreal ratio : { 1.0, 2.0 }) {
        QPixmap pixmap(QSize(28, 14) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(color);
        QPainter p(&pixmap);
        p.setPen(QColor(0, 0, 0, 120));
        p.drawRect(QRectF(0.5, 0.5, 27, 13));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

PreferencesPanel::PreferencesPanel(zent3controller& controller, QWidget* parent)
    : QDialog(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("preferences"));
    setWindowTitle(tr("Quillum Preferences"));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(openingGroup());
    left->addWidget(frameGroup());
    left->addStretch(1);
    columns->addLayout(left);
    columns->addWidget(savingGroup());
    layout->addLayout(columns);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setToolTip(tr("Close; the options are already in use"));
    buttons->button(QDialogButtonBox::Cancel)->setToolTip(tr("Close; the options are already in use"));
    layout->addWidget(buttons);
    // Both only close: every option acts as it is changed.
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { m_c.thePreferencesSheetOK(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { m_c.thePreferencesSheetCancel(); });
    m_observers.observe({ key::onOpeningMaximizeSelection, key::onOpeningMargine, key::outputFileRule,
                            key::initialCustomOutputFileName, key::cropperStyle, key::guidesStyle,
                            key::customLineColor, key::openLastFileOnAppLaunch, key::losslessWhenPossible },
        [this] { sync(); });
    sync();
}

PreferencesPanel::~PreferencesPanel() = default;

void PreferencesPanel::onToggle(QCheckBox* box, std::function<void(bool)> set)
{
    connect(box, &QCheckBox::toggled, this, [this, set = std::move(set)](bool on) {
        if (!m_syncing)
            set(on);
    });
}

QCheckBox* PreferencesPanel::check(const QString& title, const QString& toolTip, const char* objectName)
{
    auto* box = new QCheckBox(title, this);
    box->setToolTip(toolTip);
    box->setObjectName(QString::fromLatin1(objectName));
    return box;
}

QWidget* PreferencesPanel::openingGroup()
{
    auto* group = new QGroupBox(tr("When a picture opens"), this);
    auto* rows = new QVBoxLayout(group);
    m_openingRule = new QButtonGroup(group);
    rows->addWidget(radio(group, m_openingRule, 0, tr("Select the whole picture"),
        tr("The frame takes the largest size its ratio allows"), "openingWhole"));
    auto* marginRow = new QHBoxLayout;
    marginRow->addWidget(radio(group, m_openingRule, 1, tr("Select it with a margin of"),
        tr("The largest frame, kept this far from every edge of the picture"), "openingMargin"));
    m_margin = new QDoubleSpinBox(group);
    m_margin->setObjectName(QStringLiteral("margin"));
    m_margin->setRange(0.0, 49.0);
    m_margin->setDecimals(0);
    m_margin->setSuffix(QStringLiteral(" %"));
    m_margin->setToolTip(tr("The margin as a share of the picture's sides"));
    marginRow->addWidget(m_margin);
    marginRow->addStretch(1);
    rows->addLayout(marginRow);
    rows->addWidget(radio(group, m_openingRule, 2, tr("Keep the frame where it was"),
        tr("The frame stays as on the previous picture, moved inside the new one if needed"), "openingKeep"));
    m_newAspect = check(tr("Take the picture's own ratio"),
        tr("With the first two choices the frame takes the width : height of each picture"), "newAspect");
    m_exifTurn = check(tr("Turn pictures upright by the camera's orientation"),
        tr("Pictures tagged as turned or mirrored by the camera are shown upright"), "exifTurn");
    m_reopenLast = check(tr("Reopen the last picture at launch"),
        tr("Quillum starts on the picture you had open; hold Shift while it starts to skip that"), "reopenLast");
    rows->addWidget(m_newAspect);
    rows->addWidget(m_exifTurn);
    rows->addWidget(m_reopenLast);

    connect(m_openingRule, &QButtonGroup::idClicked, this, [this](int rule) {
        m_c.setOnOpeningMaximizeSelection(rule);
        sync();
    });
    connect(m_margin, &QDoubleSpinBox::valueChanged, this, [this](double percent) {
        if (!m_syncing)
            m_c.setOnOpeningMargine(float(percent / 100.0));
    });
    onToggle(m_newAspect, [this](bool on) { m_c.setOnOpeningMaxAndNewAspectControl(on); });
    onToggle(m_exifTurn, [this](bool on) { m_c.setUseEXIfRotation(on); });
    onToggle(m_reopenLast, [this](bool on) { m_c.setOpenLastFileOnAppLaunch(on); });
    return group;
}

QWidget* PreferencesPanel::savingGroup()
{
    auto* group = new QGroupBox(tr("Saving"), this);
    auto* rows = new QVBoxLayout(group);
    rows->addWidget(new QLabel(tr("Names of saved crops:"), group));
    m_namingRule = new QButtonGroup(group);
    rows->addWidget(radio(group, m_namingRule, 0, tr("The picture's name with a counter (DSC_0042-0001)"),
        tr("Each picture's crops are numbered after the picture"), "namingCounter"));
    rows->addWidget(radio(group, m_namingRule, 1, tr("One running name across pictures (ImageCrop-0001, -0002, …)"),
        tr("The name in the Save as field counts on from picture to picture"), "namingRunning"));
    auto* initialRow = new QHBoxLayout;
    initialRow->addSpacing(24);
    initialRow->addWidget(new QLabel(tr("Starting with"), group));
    m_initialName = new QLineEdit(group);
    m_initialName->setObjectName(QStringLiteral("initialName"));
    m_initialName->setToolTip(tr("The running name chosen here goes into the Save as field"));
    initialRow->addWidget(m_initialName, 1);
    rows->addLayout(initialRow);
    rows->addWidget(radio(group, m_namingRule, 2, tr("The picture's own name"),
        tr("Every crop is named exactly as its picture; saving twice asks before replacing"), "namingSource"));
    rows->addSpacing(8);
    m_sound = check(tr("Play a shutter sound after saving"), tr("A short camera click confirms each save"), "sound");
    m_advance = check(tr("Go to the next picture after saving"),
        tr("Saving shows the next picture of the folder, so a folder is cropped one key press per picture"),
        "advance");
    m_metadata = check(tr("Keep the photo's metadata"),
        tr("Camera, date and place recorded in the photo go into the saved file (JPEG, TIFF, PNG, WebP)"),
        "metadata");
    m_lossless = check(tr("Lossless when possible"),
        tr("A JPEG photo only cropped is saved by copying its compressed blocks, so it loses nothing; the crop's "
           "top-left corner moves onto the photo's 8 or 16 pixel grid"),
        "lossless");
    m_transparency = check(tr("Keep transparency in PNG, TIFF and WebP files"),
        tr("Transparent corners of a turned picture stay transparent; off, they are saved opaque"), "transparency");
    for (QCheckBox* box : { m_sound, m_advance, m_metadata, m_lossless, m_transparency })
        rows->addWidget(box);
    rows->addStretch(1);

    connect(m_namingRule, &QButtonGroup::idClicked, this, [this](int rule) {
        m_c.setOutputFileRule(rule);
        // The running name starts from the name chosen for it.
        if (rule == 1 && !m_c.initialCustomOutputFileName().isEmpty())
            m_c.setCurrentOutputFileName(m_c.initialCustomOutputFileName());
        sync();
    });
    connect(m_initialName, &QLineEdit::editingFinished, this,
        [this] { m_c.setInitialCustomOutputFileName(m_initialName->text()); });
    onToggle(m_sound, [this](bool on) { m_c.setPlaySoundOnSave(on); });
    onToggle(m_advance, [this](bool on) { m_c.setAdvanceToNextOnCrop(on); });
    onToggle(m_metadata, [this](bool on) { m_c.setCurrentSaveWithMetadata(on); });
    onToggle(m_lossless, [this](bool on) { m_c.setLosslessWhenPossible(on); });
    onToggle(m_transparency, [this](bool on) { m_c.setNoTransparencyChannel(!on); });
    return group;
}

QWidget* PreferencesPanel::frameGroup()
{
    auto* group = new QGroupBox(tr("Crop frame"), this);
    auto* form = new QFormLayout(group);
    m_frameStyle = new QComboBox(group);
    m_frameStyle->setObjectName(QStringLiteral("frameStyle"));
    m_frameStyle->addItems({ tr("Dashed black and white"), tr("Soft line in the guide colour"),
        tr("Veil around the frame") });
    m_frameStyle->setToolTip(tr("How the frame's outline is drawn over the picture"));
    m_guidesStyle = new QComboBox(group);
    m_guidesStyle->setObjectName(QStringLiteral("guidesStyle"));
    m_guidesStyle->addItems({ tr("Dashed black and white"), tr("Soft line in the guide colour"), tr("Soft black line") });
    m_guidesStyle->setToolTip(tr("How the composition guides are drawn inside the frame"));
    m_guideColor = new QToolButton(group);
    m_guideColor->setObjectName(QStringLiteral("guideColor"));
    m_guideColor->setToolTip(tr("The colour of the soft lines"));
    m_guideColor->setText(tr("Choose…"));
    m_guideColor->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    form->addRow(tr("Frame:"), m_frameStyle);
    form->addRow(tr("Guides:"), m_guidesStyle);
    form->addRow(tr("Guide colour:"), m_guideColor);

    connect(m_frameStyle, &QComboBox::currentIndexChanged, this, [this](int style) {
        if (!m_syncing && style >= 0)
            m_c.setCropperStyle(style);
    });
    connect(m_guidesStyle, &QComboBox::currentIndexChanged, this, [this](int style) {
        if (!m_syncing && style >= 0)
            m_c.setGuidesStyle(style);
    });
    connect(m_guideColor, &QToolButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_c.customLineColor(), this, tr("Guide Colour"));
        if (chosen.isValid())
            m_c.setCustomLineColor(chosen);
    });
    return group;
}

void PreferencesPanel::sync()
{
    m_syncing = true;
    if (QAbstractButton* b = m_openingRule->button(m_c.onOpeningMaximizeSelection()))
        b->setChecked(true);
    m_margin->setValue(std::round(double(m_c.onOpeningMargine()) * 100.0));
    m_margin->setEnabled(m_c.onOpeningMaximizeSelection() == 1);
    m_newAspect->setChecked(m_c.onOpeningMaxAndNewAspectControl());
    m_newAspect->setEnabled(m_c.onOpeningMaximizeSelection() != 2);
    m_exifTurn->setChecked(m_c.useEXIfRotation());
    m_reopenLast->setChecked(m_c.openLastFileOnAppLaunch());
    if (QAbstractButton* b = m_namingRule->button(m_c.outputFileRule()))
        b->setChecked(true);
    if (!m_initialName->hasFocus())
        m_initialName->setText(m_c.initialCustomOutputFileName());
    m_sound->setChecked(m_c.playSoundOnSave());
    m_advance->setChecked(m_c.advanceToNextOnCrop());
    m_metadata->setChecked(m_c.currentSaveWithMetadata());
    m_lossless->setChecked(m_c.losslessWhenPossible());
    m_transparency->setChecked(!m_c.noTransparencyChannel());
    m_frameStyle->setCurrentIndex(m_c.cropperStyle() >= 0 && m_c.cropperStyle() <= 2 ? m_c.cropperStyle() : -1);
    m_guidesStyle->setCurrentIndex(m_c.guidesStyle());
    m_guideColor->setIcon(colorSwatch(m_c.customLineColor()));
    m_syncing = false;
}

void PreferencesPanel::showEvent(QShowEvent* event)
{
    sync();
    QDialog::showEvent(event);
}

} // namespace quillum
