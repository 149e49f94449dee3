#include "StatusStrip.h"

#include "BusyIndicator.h"
#include "ControlKit.h"
#include "controller/zent3controller.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillum {

namespace {

QLabel* statusLabel(QWidget* parent, const char* objectName, const QString& toolTip)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setToolTip(toolTip);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * 0.9);
        label->setFont(font);
    }
    return label;
}

} // namespace

StatusStrip::StatusStrip(zent3controller& controller, QWidget* parent)
    : QWidget(parent)
    , m_c(controller)
    , m_observers(controller)
{
    setObjectName(QStringLiteral("StatusStrip"));
    auto* row = new QHBoxLayout(this);
    controlkit::makeCompact(row);
    row->setSpacing(12);

    // The two long labels show their whole text as the tooltip.
    m_info = statusLabel(this, "imageInfo", {});
    // Long descriptions are cut, not allowed to widen the window.
    m_info->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_operationTime = statusLabel(this, "operationTime", {});
    m_operationTime->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_fileCounter = statusLabel(this, "fileCounter", tr("Picture number in the folder"));
    m_saved = statusLabel(this, "outputSaved", tr("The output has been saved"));
    m_saved->setText(tr("Saved"));
    m_saved->setForegroundRole(QPalette::Highlight);

    m_busy = new BusyIndicator(this);

    row->addWidget(m_info, 3);
    row->addWidget(m_busy);
    row->addWidget(m_operationTime, 4);
    row->addWidget(m_saved);
    row->addWidget(m_fileCounter);

    m_observers.observe({ key::imageInfo }, [this] { syncInfo(); });
    m_observers.observe({ key::operationTimeLabel }, [this] { syncOperationTime(); });
    m_observers.observe({ key::outputFileSavedLabelHidden, key::savedLabelText }, [this] { syncSaved(); });
    syncInfo();
    syncOperationTime();
    syncSaved();
    setFileCounter(0, 0);
}

StatusStrip::~StatusStrip() = default;

void StatusStrip::setFileCounter(int current, int total)
{
    m_fileCounter->setText(QStringLiteral("%1/%2").arg(current).arg(total));
}

void StatusStrip::syncInfo()
{
    m_info->setText(m_c.imageInfo());
    m_info->setToolTip(m_info->text());
}

void StatusStrip::syncOperationTime()
{
    // The label starts with a space; the layout already spaces it.
    m_operationTime->setText(m_c.operationTimeLabel().trimmed());
    m_operationTime->setToolTip(m_operationTime->text());
}

void StatusStrip::syncSaved()
{
    m_saved->setText(m_c.savedLabelText());
    m_saved->setHidden(m_c.outputFileSavedLabelIsHidden());
}

} // namespace quillum
