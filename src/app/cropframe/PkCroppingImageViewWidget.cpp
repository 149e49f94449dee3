#include "PkCroppingImageViewWidget.h"

#include "cropframe/PkCroppingImageView.h"
#include "platform/BitmapImageRep.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGestureEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QSwipeGesture>
#include <QWheelEvent>

#include <cmath>

namespace quillum {
namespace {

unsigned modifierFlags(Qt::KeyboardModifiers m)
{
    unsigned flags = 0;
    if (m & Qt::ShiftModifier)
        flags |= ShiftKeyMask;
    if (m & Qt::ControlModifier)
        flags |= ControlKeyMask;
    if (m & Qt::AltModifier)
        flags |= AlternateKeyMask;
    if (m & Qt::MetaModifier)
        flags |= CommandKeyMask;
    return flags;
}

// 16 x 16 cursors drawn in code, hot spot (7, 7), drawn at the screen's pixel ratio so they
// stay sharp on HiDPI screens.
QCursor drawnCursor(CursorKind kind, qreal ratio)
{
    QPixmap pixmap(QSize(16, 16) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    auto arrowLine = [&p](QPointF a, QPointF b) {
        for (int pass = 0; pass < 2; ++pass) {
            p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 1.2 : 3.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(a, b);
            const QPointF d = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
            const QPointF n(-d.y(), d.x());
            for (QPointF tip : { a, b }) {
                const QPointF back = tip == a ? tip + d * 3.5 : tip - d * 3.5;
                p.drawLine(tip, back + n * 2.5);
                p.drawLine(tip, back - n * 2.5);
            }
        }
    };
    switch (kind) {
    case CursorKind::Move:
        arrowLine({ 7.5, 1 }, { 7.5, 14 });
        arrowLine({ 1, 7.5 }, { 14, 7.5 });
        break;
    case CursorKind::NorthWestSouthEast:
        arrowLine({ 2, 2 }, { 13, 13 });
        break;
    case CursorKind::SouthWestNorthEast:
        arrowLine({ 2, 13 }, { 13, 2 });
        break;
    case CursorKind::Rotation:
        for (int pass = 0; pass < 2; ++pass) {
            p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 1.2 : 3.0));
            p.drawArc(QRectF(2.5, 2.5, 10, 10), 30 * 16, 280 * 16);
            p.drawLine(QPointF(12, 4), QPointF(13.5, 7.5));
            p.drawLine(QPointF(12, 4), QPointF(8.5, 4.5));
        }
        break;
    case CursorKind::LeftRight:
        return Qt::SizeHorCursor;
    case CursorKind::UpDown:
        return Qt::SizeVerCursor;
    }
    return QCursor(pixmap, 7, 7);
}

} // namespace

PkCroppingImageViewWidget::PkCroppingImageViewWidget(PkCroppingImageView& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_texture(texturePattern())
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    grabGesture(Qt::SwipeGesture);
    m_model.setNeedsDisplayHandler([this] { update(); });
    m_model.selRect()->setColor(m_texture);
}

PkCroppingImageViewWidget::~PkCroppingImageViewWidget()
{
    // The model may outlive this widget.
    m_model.setNeedsDisplayHandler({});
}

QPixmap PkCroppingImageViewWidget::texturePattern()
{
    // A tileable two-tone hatch that stays visible on any photo.
    QPixmap tile(8, 8);
    tile.fill(QColor(255, 200, 40));
    QPainter p(&tile);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawLine(0, 8, 8, 0);
    p.drawLine(-4, 4, 4, -4);
    p.drawLine(4, 12, 12, 4);
    return tile;
}

QPixmap PkCroppingImageViewWidget::placeholderImage(qreal ratio)
{
    QPixmap pixmap(QSize(320, 200) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 150, 150), 2, Qt::DashLine));
    p.setBrush(QColor(255, 255, 255, 12));
    p.drawRoundedRect(QRectF(4, 4, 312, 192), 16, 16);
    // A small photo symbol: a frame with a hill and a sun.
    p.setPen(QPen(QColor(170, 170, 170), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(130, 40, 60, 44), 4, 4);
    QPainterPath hill;
    hill.moveTo(134, 80);
    hill.lineTo(152, 60);
    hill.lineTo(164, 72);
    hill.lineTo(172, 64);
    hill.lineTo(186, 80);
    p.drawPath(hill);
    p.drawEllipse(QPointF(176, 52), 4, 4);
    QFont font = p.font();
    font.setPointSizeF(13);
    p.setFont(font);
    p.setPen(QColor(200, 200, 200));
    p.drawText(QRectF(0, 100, 320, 30), Qt::AlignCenter, QStringLiteral("Drop a photo here"));
    font.setPointSizeF(10);
    p.setFont(font);
    p.setPen(QColor(140, 140, 140));
    p.drawText(QRectF(0, 128, 320, 24), Qt::AlignCenter, QStringLiteral("or open one with Ctrl+O"));
    return pixmap;
}

void PkCroppingImageViewWidget::setPicture(const BitmapImageRep* picture, std::uint64_t generation)
{
    if (picture == m_picture && generation == m_generation)
        return;
    m_picture = picture;
    m_generation = generation;
    m_display.setSource(picture ? imageFromBitmap(*picture) : QImage());
    syncGeometry();
    update();
}

void PkCroppingImageViewWidget::setPicture(
    std::shared_ptr<const BitmapImageRep> picture, std::uint64_t generation, const BitmapImageRep* reduced)
{
    if (picture.get() == m_picture && generation == m_generation)
        return;
    m_picture = picture.get();
    m_generation = generation;
    if (!picture) {
        m_display.setSource(QImage());
    } else {
        // The full picture is converted only when zoomed in past the reduced copy; the
        // conversion holds its own share of the picture.
        m_display.setSource(QSize(picture->pixelsWide(), picture->pixelsHigh()),
            reduced ? imageFromWorkingBitmap(*reduced, false) : QImage(),
            [picture] { return imageFromBitmap(*picture); });
    }
    syncGeometry();
    update();
}

void PkCroppingImageViewWidget::setReducedCopy(const BitmapImageRep* picture, const BitmapImageRep* reduced)
{
    if (!reduced || picture != m_picture || !m_picture)
        return;
    m_display.setReduced(imageFromWorkingBitmap(*reduced, false));
    update();
}

void PkCroppingImageViewWidget::syncGeometry()
{
    if (m_display.isNull() || !m_model.hasPicture()) {
        // No picture: fill the visible area so the placeholder sits in its middle.
        if (QScrollArea* area = scrollArea())
            resize(area->viewport()->size());
        return;
    }
    const Size frame = m_model.frameSize();
    resize(std::max(1, int(std::lround(frame.width))), std::max(1, int(std::lround(frame.height))));
}

QScrollArea* PkCroppingImageViewWidget::scrollArea() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w))
            return area;
    return nullptr;
}

Point PkCroppingImageViewWidget::toViewUnits(QPointF p) const
{
    return { p.x(), double(height()) - p.y() };
}

QPointF PkCroppingImageViewWidget::toWidget(Point p) const
{
    return { p.x, double(height()) - p.y };
}

QRectF PkCroppingImageViewWidget::toWidget(const Rect& r) const
{
    return { r.x, double(height()) - (r.y + r.height), r.width, r.height };
}

void PkCroppingImageViewWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const qreal ratio = paintRatio(painter);
    if (m_display.isNull() || !m_model.hasPicture()) {
        const QPixmap placeholder = placeholderImage(ratio);
        const QSizeF logical = placeholder.deviceIndependentSize();
        painter.drawPixmap(
            QPointF((width() - logical.width()) / 2.0, (height() - logical.height()) / 2.0), placeholder);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage& shown = m_display.forSize((QSizeF(size()) * ratio).toSize(), ratio);
    painter.drawImage(QRectF(rect()), shown);

    const QRect dirty = event->rect();
    const Rect dirtyView { double(dirty.x()), double(height() - dirty.y() - dirty.height()), double(dirty.width()),
        double(dirty.height()) };
    painter.translate(0, height());
    painter.scale(1, -1);
    paintFrame(painter, dirtyView);
}

void PkCroppingImageViewWidget::strokeWithPen(
    QPainter& painter, const QPainterPath& path, FramePen pen, const QColor& custom)
{
    painter.setBrush(Qt::NoBrush);
    for (const QPen& stroke : frameStrokes(pen, custom, m_texture)) {
        painter.setPen(stroke);
        painter.drawPath(path);
    }
}

void PkCroppingImageViewWidget::paintFrame(QPainter& painter, const Rect& dirty)
{
    const ZentCropBorder& border = *m_model.selRect();
    const float scale = m_model.scale();
    const bool rotating = m_model.selectionMoveType() == HandleRotation && m_model.selectionMoving();
    const FramePaintPlan plan = rotating ? planTurnedFrameDrawing(border, dirty, scale, m_model.angleOfRotation())
                                         : planFrameDrawing(border, dirty, scale);
    if (!plan.drawn)
        return;
    painter.save();
    painter.setClipRect(QRectF(plan.clip.x, plan.clip.y, plan.clip.width, plan.clip.height));
    if (plan.hasVeil) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(plan.veilColor);
        painter.drawPath(plan.veil);
    }
    strokeWithPen(painter, plan.outline, plan.outlinePen, plan.customColor);
    strokeWithPen(painter, plan.guides, plan.guidesPen, plan.customColor);
    if (plan.hasHandles) {
        painter.setRenderHint(QPainter::Antialiasing);
        for (const Rect& g : plan.rotationGrips) {
            const QRectF r(g.x, g.y, g.width, g.height);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::white);
            painter.drawRect(r);
            painter.setPen(handleOutlinePen());
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(r);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const Rect& h : plan.handles) {
            const QRectF r(h.x, h.y, h.width, h.height);
            painter.fillRect(r, Qt::white);
            painter.setPen(handleOutlinePen());
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r);
        }
    }
    painter.restore();
}

void PkCroppingImageViewWidget::updateCursor(QPointF widgetPoint)
{
    const Point p = toViewUnits(widgetPoint);
    const auto areas = m_model.cursorAreas();
    // The area installed last wins where areas overlap.
    for (auto it = areas.rbegin(); it != areas.rend(); ++it) {
        const Rect& r = it->rect;
        if (p.x >= r.x && p.x < r.maxX() && p.y >= r.y && p.y < r.maxY()) {
            setCursor(drawnCursor(it->cursor, devicePixelRatioF()));
            return;
        }
    }
    unsetCursor();
}

void PkCroppingImageViewWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    m_model.mouseDown({ toViewUnits(event->position()), modifierFlags(event->modifiers()), 1 });
}

void PkCroppingImageViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    m_model.mouseDown({ toViewUnits(event->position()), modifierFlags(event->modifiers()), 2 });
}

void PkCroppingImageViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        m_model.mouseDragged({ toViewUnits(event->position()), modifierFlags(event->modifiers()), 1 });
    else
        updateCursor(event->position());
}

void PkCroppingImageViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_model.mouseUp({ toViewUnits(event->position()), modifierFlags(event->modifiers()), 1 });
    updateCursor(event->position());
}

namespace {

KeyEvent keyEventFor(const QKeyEvent* event)
{
    KeyEvent key { modifierFlags(event->modifiers()), event->text() };
    char16_t arrow = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        arrow = UpArrowFunctionKey;
        break;
    case Qt::Key_Down:
        arrow = DownArrowFunctionKey;
        break;
    case Qt::Key_Left:
        arrow = LeftArrowFunctionKey;
        break;
    case Qt::Key_Right:
        arrow = RightArrowFunctionKey;
        break;
    default:
        break;
    }
    if (arrow) {
        key.modifierFlags |= NumericPadKeyMask;
        key.charactersIgnoringModifiers = QString(QChar(arrow));
    }
    return key;
}

} // namespace

void PkCroppingImageViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (!m_model.keyDown(keyEventFor(event)))
        QWidget::keyPressEvent(event);
}

void PkCroppingImageViewWidget::keyReleaseEvent(QKeyEvent* event)
{
    // Held keys repeat as release/press pairs; only the real release ends the gesture.
    if (event->isAutoRepeat())
        return;
    m_model.keyUp(keyEventFor(event));
}

void PkCroppingImageViewWidget::wheelEvent(QWheelEvent* event)
{
    ScrollWheelEvent wheel;
    wheel.modifierFlags = modifierFlags(event->modifiers());
    const bool mouseWheel = event->pixelDelta().isNull();
    wheel.subtype = mouseWheel ? 1 : 0;
    // A wheel notch is 120 eighths of a degree; it grows the frame by 4 pixels a side.
    const QPointF delta = mouseWheel ? QPointF(event->angleDelta()) / 30.0 : QPointF(event->pixelDelta());
    // Some desktops turn Shift+wheel into a horizontal wheel: take it back as vertical.
    wheel.deltaY = delta.y() != 0 ? delta.y() : delta.x();
    wheel.deltaX = delta.y() != 0 ? delta.x() : 0;
    if (m_model.scrollWheel(wheel))
        event->accept();
    else
        event->ignore(); // the scroll area scrolls
}

bool PkCroppingImageViewWidget::event(QEvent* event)
{
    if (event->type() == QEvent::Gesture) {
        auto* gestures = static_cast<QGestureEvent*>(event);
        if (auto* swipe = static_cast<QSwipeGesture*>(gestures->gesture(Qt::SwipeGesture))) {
            if (swipe->state() == Qt::GestureFinished) {
                const auto direction = swipe->horizontalDirection();
                m_model.swipeWithEvent({ direction == QSwipeGesture::Left ? 1.0
                        : direction == QSwipeGesture::Right               ? -1.0
                                                                          : 0.0 });
            }
            gestures->accept(swipe);
            return true;
        }
    }
    return QWidget::event(event);
}

void PkCroppingImageViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() || event->mimeData()->hasImage())
        event->acceptProposedAction();
}

void PkCroppingImageViewWidget::dropEvent(QDropEvent* event)
{
    if (m_model.performDragOperation(const_cast<QMimeData*>(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
    update();
}

} // namespace quillum
