#include "OutputViewWidget.h"

#include "app/BitmapImages.h"
#include "platform/BitmapImageRep.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QUrl>

#include <cmath>

namespace quillum {

OutputViewWidget::OutputViewWidget(PkCenterImageView& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    setDragRunner({});
}

void OutputViewWidget::setDragRunner(DragRunner runner)
{
    if (!runner)
        runner = [](QDrag& drag) { return drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction); };
    m_runDrag = std::move(runner);
}

QPixmap OutputViewWidget::hintImage(qreal ratio)
{
    QPixmap pixmap(QSize(260, 120) * ratio);
    pixmap.setDevicePixelRatio(ratio);
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

void OutputViewWidget::setPreview(std::shared_ptr<const BitmapImageRep> preview)
{
    if (preview == m_preview)
        return;
    m_preview = std::move(preview);
    m_previewImage = m_preview ? imageFromWorkingBitmap(*m_preview, true) : QImage();
    syncGeometry();
    update();
}

void OutputViewWidget::syncGeometry()
{
    QScrollArea* area = nullptr;
    for (QWidget* w = parentWidget(); w && !area; w = w->parentWidget())
        area = qobject_cast<QScrollArea*>(w);
    if (m_image.isNull() && m_previewImage.isNull()) {
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
    const qreal ratio = paintRatio(painter);
    if (!m_previewImage.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), m_previewImage);
        return;
    }
    if (m_image.isNull()) {
        const QPixmap hint = hintImage(ratio);
        const QSizeF logical = hint.deviceIndependentSize();
        painter.drawPixmap(QPointF((width() - logical.width()) / 2.0, (height() - logical.height()) / 2.0), hint);
        return;
    }
    // Outputs are small next to the source: scaling one per paint is cheap. Whole device
    // pixels per output pixel stay sharp; any other step (1.5x on a 150 % screen) is smoothed.
    const qreal devicePixelsPerPixel = m_model.scale() * ratio;
    painter.setRenderHint(QPainter::SmoothPixmapTransform,
        devicePixelsPerPixel < 1.0 || std::abs(devicePixelsPerPixel - std::round(devicePixelsPerPixel)) > 1e-3);
    painter.drawImage(QRectF(rect()), m_image);
}

void OutputViewWidget::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton && !m_image.isNull();
    m_pressAt = event->position().toPoint();
}

void OutputViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)
        || (event->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    const QString path = m_makeDragFile ? m_makeDragFile() : QString();
    if (path.isEmpty())
        return;
    // The drag image: the output in a box whose longer side is 120, at 0.65 opacity, framed.
    const QSize thumb = m_image.width() > m_image.height()
        ? QSize(120, std::max(1, m_image.height() * 120 / m_image.width()))
        : QSize(std::max(1, m_image.width() * 120 / m_image.height()), 120);
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(thumb * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(0.65);
        p.drawImage(QRect(QPoint(0, 0), thumb), m_image);
        p.setOpacity(1.0);
        p.setPen(QColor(0, 0, 0, 166));
        p.drawRect(QRect(0, 0, thumb.width() - 1, thumb.height() - 1));
    }
    auto* mime = new QMimeData;
    mime->setUrls({ QUrl::fromLocalFile(path) });
    QDrag drag(this);
    drag.setMimeData(mime);
    drag.setPixmap(pixmap);
    drag.setHotSpot(QPoint(thumb.width(), 0));
    if (m_runDrag(drag) != Qt::IgnoreAction && m_dragDropped)
        m_dragDropped();
}

} // namespace quillum
