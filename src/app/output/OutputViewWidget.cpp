#include "OutputViewWidget.h"

#include "app/BitmapImages.h"
#include "platform/BitmapImageRep.h"

#include <QPainter>
#include <QScrollArea>

#include <cmath>

namespace quillum {

OutputViewWidget::OutputViewWidget(PkCenterImageView& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{ }

QPixmap OutputViewWidget::hintImage()
{
    QPixmap pixmap(260, 120);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 120, 120), 1.5, Qt::DashLine));
    p.drawRoundedRect(QRectF(2, 2, 256, 116), 12, 12);
    p.setPen(QColor(170, 170, 170));
    QFont font = p.font();
    font.setPointSizeF(11);
    p.setFont(font);
    p.drawText(QRectF(0, 30, 260, 30), Qt::AlignCenter, QStringLiteral("The cropped output shows here"));
    font.setPointSizeF(9);
    p.setFont(font);
    p.setPen(QColor(130, 130, 130));
    p.drawText(QRectF(0, 60, 260, 24), Qt::AlignCenter, QStringLiteral("drag it from here to save it anywhere"));
    return pixmap;
}

void OutputViewWidget::setOutput(std::shared_ptr<const BitmapImageRep> output)
{
    if (output == m_output)
        return;
    m_output = std::move(output);
    m_image = m_output ? imageFromWorkingBitmap(*m_output, true) : QImage();
    syncGeometry();
    update();
}

void OutputViewWidget::syncGeometry()
{
    QScrollArea* area = nullptr;
    for (QWidget* w = parentWidget(); w && !area; w = w->parentWidget())
        area = qobject_cast<QScrollArea*>(w);
    if (m_image.isNull()) {
        if (area)
            resize(area->viewport()->size());
        return;
    }
    const Size frame = m_model.frameSize();
    resize(std::max(1, int(std::lround(frame.width))), std::max(1, int(std::lround(frame.height))));
}

void OutputViewWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_image.isNull()) {
        const QPixmap hint = hintImage();
        painter.drawPixmap(QPointF((width() - hint.width()) / 2.0, (height() - hint.height()) / 2.0), hint);
        return;
    }
    // Outputs are small next to the source: scaling one per paint is cheap.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_model.scale() < 1.0f);
    painter.drawImage(QRectF(rect()), m_image);
}

} // namespace quillum
