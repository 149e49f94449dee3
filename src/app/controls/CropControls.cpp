#include "CropControls.h"

#include "ControlKit.h"
#include "FlowLayout.h"
#include "controller/zent3controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace quillum {

namespace {

// The controller's command tags for the aspect controls.
constexpr int kAspectXFieldTag = 1101;
constexpr int kAspectYFieldTag = 1102;
constexpr int kFixedAspectCheckTag = 1103;
constexpr int kFieldMaximum = 99999;

struct RatioItem {
    int tag;
    const char* title;
    bool separatorBefore;
};
constexpr RatioItem kRatioItems[] = {
    { 0, "Free", false },
    { 11, "1 : 1", true },
    { 23, "2 : 3", false },
    { 32, "3 : 2", false },
    { 34, "3 : 4", false },
    { 43, "4 : 3", false },
    { 169, "16 : 9", false },
    { 1000, "Screen", true },
    { 1004, "Current frame", false },
};

constexpr CropControls::GuideItem kGuides[] = {
    { 0, "No guides", false },
    { 1, "Rule of thirds", true },
    { 2, "Golden section", false },
    { 3, "Sixths", false },
    { 22, "Diagonals", false },
    { 21, "Center lines", false },
    { 4, "Golden diagonals 1", true },
    { 5, "Golden diagonals 2", false },
    { 6, "Golden diagonals 3", false },
    { 7, "Golden diagonals 4", false },
    { 8, "Golden diagonals (all)", false },
    { 9, "Golden spiral, top left", true },
    { 10, "Golden spiral, bottom left", false },
    { 11, "Golden spiral, top right", false },
    { 12, "Golden spiral, bottom right", false },
    { 13, "Golden spirals (all)", false },
    { 18, "Harmonious triangles 1", true },
    { 19, "Harmonious triangles 2", false },
    { 20, "Harmonious triangles (both)", false },
};

QSpinBox* aspectField(QWidget* parent, const char* objectName, const QString& toolTip)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(QString::fromLatin1(objectName));
    field->setRange(0, kFieldMaximum);
    field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    field->setAlignment(Qt::AlignRight);
    // One command per finished edit, not one per keystroke.
    field->setKeyboardTracking(false);
    field->setToolTip(toolTip);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("999999")) + 8);
    return field;
}

// Built field by field: designated initialisers that skip members warn under -Wextra.
Sender command(int tag, int intValue = 0, bool state = false, double doubleValue = 0.0)
{
    Sender s;
    s.tag = tag;
    s.intValue = intValue;
    s.state = state;
    s.doubleValue = doubleValue;
    return s;
}

} // namespace

std::span<const CropControls::GuideItem> CropControls::guideItems()
{
    return kGuides;
}

double CropControls::zoomPercentForPosition(int position)
{
    const double t = double(std::clamp(position, 0, kZoomSteps)) / kZoomSteps;
    return kMinZoomPercent * std::pow(kMaxZoomPercent / kMinZoomPercent, t);
}

int CropControls::zoomPositionForPercent(double percent)
{
    if (!std::isfinite(percent) || percent <= kMinZoomPercent)
        return 0;
    const double t = std::log(percent / kMinZoomPercent) / std::log(kMaxZoomPercent / kMinZoomPercent);
    return std::clamp(int(std::lround(t * kZoomSteps)), 0, kZoomSteps);
}

CropControls::CropControls(zent3controller& controller, QWidget* parent)
    : QWidget(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("CropControls"));
    m_flow = new FlowLayout(this);
    m_flow->setContentsMargins(6, 3, 6, 3);
    controlkit::StripRow strip(this, m_flow);
    auto* row = &strip;
    buildAspectGroup(row);
    controlkit::addGroupGap(row);
    buildGuidesGroup(row);
    controlkit::addGroupGap(row);
    buildZoomGroup(row);
    controlkit::addGroupGap(row);
    buildFrameGroup(row);

    m_observers.observe({ key::aspectFields }, [this] { syncAspect(); });
    m_observers.observe({ key::compositionGuidesMenuMarkedTag }, [this] { syncGuides(); });
    m_observers.observe({ key::scaleSlider }, [this] { syncZoom(); });
    syncAspect();
    syncGuides();
    syncZoom();
}

CropControls::~CropControls() = default;

void CropControls::addGroup(QWidget* group)
{
    m_flow->addWidget(group);
}

void CropControls::buildAspectGroup(controlkit::StripRow* row)
{
    m_fixedAspect = new QCheckBox(tr("Fixed"), this);
    m_fixedAspect->setObjectName(QStringLiteral("fixedAspect"));
    connect(m_fixedAspect, &QCheckBox::toggled, this, [this](bool on) {
        m_c.setCropAspect(command(kFixedAspectCheckTag, 0, on));
        // The controller may refuse (no frame to take a ratio from): show what it holds.
        syncAspect();
    });

    m_aspectX = aspectField(this, "aspectX", tr("Width part of the ratio"));
    m_aspectY = aspectField(this, "aspectY", tr("Height part of the ratio"));
    connect(m_aspectX, &QSpinBox::valueChanged, this, [this](int v) {
        m_c.setCropAspect(command(kAspectXFieldTag, v));
        syncAspect();
    });
    connect(m_aspectY, &QSpinBox::valueChanged, this, [this](int v) {
        m_c.setCropAspect(command(kAspectYFieldTag, v));
        syncAspect();
    });

    m_ratio = controlkit::toolButton(this, "ratio", tr("Ratio"), tr("Choose a crop ratio"));
    m_ratio->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(m_ratio);
    menu->setObjectName(QStringLiteral("ratioMenu"));
    for (const RatioItem& item : kRatioItems) {
        if (item.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(tr(item.title));
        action->setData(item.tag);
    }
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        m_c.setCropAspect(command(action->data().toInt()));
        syncAspect();
    });
    m_ratio->setMenu(menu);

    row->addWidget(m_fixedAspect);
    row->addWidget(m_aspectX);
    row->addWidget(new QLabel(QStringLiteral(":"), this));
    row->addWidget(m_aspectY);
    row->addWidget(m_ratio);
}

void CropControls::buildGuidesGroup(controlkit::StripRow* row)
{
    m_guides = new QComboBox(this);
    m_guides->setObjectName(QStringLiteral("guides"));
    m_guides->setToolTip(tr("Composition guides drawn in the crop frame"));
    // Sized for the common titles; the list itself opens wide enough for the long ones.
    m_guides->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_guides->setMinimumContentsLength(13);
    m_guides->setPlaceholderText(tr("Other guides"));
    for (const GuideItem& item : kGuides) {
        if (item.separatorBefore)
            m_guides->insertSeparator(m_guides->count());
        m_guides->addItem(tr(item.title), item.tag);
    }
    connect(m_guides, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_c.setCompositionGuides(command(m_guides->itemData(index).toInt()));
        syncGuides();
    });

    m_nextGuide = controlkit::toolButton(this, "nextGuide", tr("Next guide"), tr("Next guide of this family"),
        controlkit::icon(controlkit::Glyph::NextGuide, palette()));
    connect(m_nextGuide, &QToolButton::clicked, this, [this] { m_c.nextCompositionGuide(); });

    row->addWidget(m_guides);
    row->addWidget(m_nextGuide);
}

void CropControls::buildZoomGroup(controlkit::StripRow* row)
{
    m_zoom = new QSlider(Qt::Horizontal, this);
    m_zoom->setObjectName(QStringLiteral("zoom"));
    m_zoom->setRange(0, kZoomSteps);
    m_zoom->setPageStep(kZoomSteps / 20);
    m_zoom->setFixedWidth(110);
    m_zoom->setToolTip(tr("Zoom of the picture"));
    connect(m_zoom, &QSlider::valueChanged, this, [this](int position) {
        m_c.inPicSetZoomBy(command(0, 0, false, zoomPercentForPosition(position)));
        syncZoom();
    });

    m_zoomLabel = new QLabel(this);
    m_zoomLabel->setObjectName(QStringLiteral("zoomPercent"));
    m_zoomLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_zoomLabel->setMinimumWidth(m_zoomLabel->fontMetrics().horizontalAdvance(QStringLiteral("8888%")));

    auto* fit = controlkit::toolButton(this, "fitImage", tr("Fit"), tr("Fit the picture to the view (9)"),
        controlkit::icon(controlkit::Glyph::Fit, palette()));
    connect(fit, &QToolButton::clicked, this, [this] { m_c.fitImageToView(); });
    auto* actual = controlkit::toolButton(this, "actualSizeImage", tr("1:1"), tr("Actual size (0)"));
    connect(actual, &QToolButton::clicked, this, [this] { m_c.fitImageTo100(); });

    row->addWidget(m_zoom);
    row->addWidget(m_zoomLabel);
    row->addWidget(fit);
    row->addWidget(actual);
}

void CropControls::buildFrameGroup(controlkit::StripRow* row)
{
    auto* all = controlkit::toolButton(this, "selectAll", tr("Select all"), tr("Select the whole picture"),
        controlkit::icon(controlkit::Glyph::SelectAll, palette()));
    connect(all, &QToolButton::clicked, this, [this] { m_c.selectAll(); });
    auto* rotate = controlkit::toolButton(this, "rotateFrame", tr("Rotate frame"),
        tr("Swap the frame between portrait and landscape"),
        controlkit::icon(controlkit::Glyph::RotateFrame, palette()));
    connect(rotate, &QToolButton::clicked, this, [this] { m_c.rotateSelectioFrame(); });

    row->addWidget(all);
    row->addWidget(rotate);
}

void CropControls::syncAspect()
{
    const QSignalBlocker b1(m_fixedAspect), b2(m_aspectX), b3(m_aspectY);
    m_fixedAspect->setChecked(m_c.fixedAspectIsOn());
    const QString tip = m_c.fixedAspectCheckToolTip();
    m_fixedAspect->setToolTip(tip.isEmpty() ? tr("Check for fixed cropped aspect ratio") : tip);
    m_aspectX->setValue(m_c.aspectXValue());
    m_aspectY->setValue(m_c.aspectYValue());
    m_aspectX->setEnabled(m_c.aspectFieldsEnabled());
    m_aspectY->setEnabled(m_c.aspectFieldsEnabled());
}

void CropControls::syncGuides()
{
    const QSignalBlocker blocker(m_guides);
    // A type the pop-up does not offer shows the placeholder rather than a wrong item.
    m_guides->setCurrentIndex(m_guides->findData(m_c.compositionGuidesMenuMarkedTag()));
}

void CropControls::syncZoom()
{
    const double percent = m_c.scaleSlider();
    if (!std::isfinite(percent))
        return;
    const QSignalBlocker blocker(m_zoom);
    m_zoom->setValue(zoomPositionForPercent(percent));
    m_zoomLabel->setText(QStringLiteral("%1%").arg(std::lround(percent)));
}

} // namespace quillum
