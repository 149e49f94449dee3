#include "PkBorderLessWindow.h"

#include "app/BitmapImages.h"
#include "controller/zent3controller.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quillum {

namespace {

// Past this the painter's integer geometry would overflow; such a zoom shows black.
constexpr double kLargestDrawnSide = 1.0e7;

// Pixels scrolled per wheel notch where the device reports no pixel delta.
constexpr int kWheelNotchPixels = 40;

} // namespace

PkBorderLessWindow::PkBorderLessWindow(zent3controller& controller, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_controller(controller)
    , m_horizontal(new QScrollBar(Qt::Horizontal, this))
    , m_vertical(new QScrollBar(Qt::Vertical, this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    for (QScrollBar* bar : { m_horizontal, m_vertical }) {
        // Keys belong to the window: Escape and the viewer's key equivalents.
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this] { scrollBarMoved(); });
    }
    m_imageObserver = m_controller.observeKey(key::fullScreenImage, [this](const QString&) {
        m_cachedFor = nullptr;
        m_image = QImage();
        m_scaled = QImage();
        update();
    });
    m_geometryObserver = m_controller.observeKey(key::fullScreenGeometry, [this](const QString&) {
        syncScrollBars();
        update();
    });
}

PkBorderLessWindow::~PkBorderLessWindow()
{
    m_controller.removeKeyObserver(m_imageObserver);
    m_controller.removeKeyObserver(m_geometryObserver);
}

void PkBorderLessWindow::cancelOperation()
{
    // Escape while hidden must not open the viewer again; a panel left on screen by a
    // closed viewer goes away.
    if (m_controller.fullScreenIsOpen())
        m_controller.fullScreen();
    else
        hide();
}

const QImage& PkBorderLessWindow::pictureImage()
{
    // Compared as well as announced: the source is read live and may change unannounced.
    const BitmapImageRep* picture = m_controller.fullScreenImage();
    if (picture != m_cachedFor || (picture && m_image.isNull())) {
        m_cachedFor = picture;
        // The output is premultiplied; a source (even one turned into the working format)
        // has straight alpha.
        if (!picture)
            m_image = QImage();
        else if (m_controller.fullScreenShowCrop())
            m_image = imageFromWorkingBitmap(*picture, true);
        else
            m_image = imageFromBitmap(*picture);
        m_scaled = QImage();
    }
    return m_image;
}

void PkBorderLessWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage& image = pictureImage();
    if (image.isNull())
        return;

    // Model units are y up: the document's top edge sits frame height - document height +
    // origin y below the clip view's top.
    const CenteringClipView& clip = m_controller.zentFullScreenView().clipView();
    const Size d = clip.documentSize();
    const Size f = clip.frameSize();
    const Point o = clip.boundsOrigin();
    if (!(d.width >= 1 && d.height >= 1 && d.width < kLargestDrawnSide && d.height < kLargestDrawnSide)
        || !std::isfinite(o.x) || !std::isfinite(o.y))
        return;
    const QRectF target(-o.x, f.height - d.height + o.y, d.width, d.height);
    painter.setClipRect(QRectF(0, 0, f.width, f.height));

    // In device pixels: a copy at the logical size would be enlarged again on a HiDPI screen.
    const qreal ratio = paintRatio(painter);
    const QSize shown = (target.size() * ratio).toSize();
    if (shown.width() < image.width() && shown.height() < image.height()) {
        // Below actual size a copy at the shown size spares resampling the picture per repaint.
        if (m_scaled.size() != shown || m_scaled.devicePixelRatio() != ratio) {
            m_scaled = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_scaled.setDevicePixelRatio(ratio);
        }
        painter.drawImage(target.topLeft(), m_scaled);
    } else {
        painter.drawImage(target, image);
    }
}

void PkBorderLessWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controller.setFullScreenScrollViewFrameSize({ double(width()), double(height()) });
    syncScrollBars();
}

void PkBorderLessWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape, and the keys that opened it, close the viewer.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F11) {
        cancelOperation();
        return;
    }
    // The main window's shortcuts do not reach this window, so the viewer's key equivalents
    // are matched here; only its own items, as the left panel's "9" and "0" stay enabled.
    const Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!(event->modifiers() & chords) && !event->text().isEmpty()) {
        for (const MenuItem& item : m_controller.mainZoomMenu().items())
            if (item.tag >= zent3controller::kFullScreenFirstMenuTag
                && item.tag <= zent3controller::kFullScreenLastMenuTag && !item.separator && item.enabled && item.action
                && item.keyEquivalent == event->text()) {
                const auto action = item.action; // the action may edit the menu
                action();
                return;
            }
    }
    QWidget::keyPressEvent(event);
}

void PkBorderLessWindow::wheelEvent(QWheelEvent* event)
{
    QPoint delta = event->pixelDelta();
    if (delta.isNull())
        delta = event->angleDelta() * kWheelNotchPixels / 120;
    scrollBy(-delta.x(), -delta.y());
    event->accept();
}

void PkBorderLessWindow::mousePressEvent(QMouseEvent* event)
{
    m_lastDragPoint = event->position().toPoint();
}

void PkBorderLessWindow::mouseMoveEvent(QMouseEvent* event)
{
    // The picture follows the pointer.
    const QPoint p = event->position().toPoint();
    const QPoint delta = p - m_lastDragPoint;
    m_lastDragPoint = p;
    scrollBy(-delta.x(), -delta.y());
}

void PkBorderLessWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        m_controller.windowDidResignKey();
        m_controller.windowDidResignMain();
    }
    QWidget::changeEvent(event);
}

void PkBorderLessWindow::closeEvent(QCloseEvent* event)
{
    // A close from the window manager takes the controller's way, which restores the menu.
    if (m_controller.fullScreenIsOpen()) {
        event->ignore();
        m_controller.fullScreen();
        return;
    }
    QWidget::closeEvent(event);
}

void PkBorderLessWindow::scrollBy(double dx, double dy)
{
    CenteringClipView& clip = m_controller.zentFullScreenView().clipView();
    const Point o = clip.boundsOrigin();
    clip.scrollToPoint({ o.x + dx, o.y - dy });
    syncScrollBars();
    update();
}

void PkBorderLessWindow::syncScrollBars()
{
    const CenteringClipView& clip = m_controller.zentFullScreenView().clipView();
    const Size d = clip.documentSize();
    const Size f = clip.frameSize();
    const Point o = clip.boundsOrigin();
    const int room = int(CenteringClipView::kScrollbarRoom);
    auto toInt = [](double v) { return std::isfinite(v) ? int(std::lround(std::clamp(v, 0.0, 1.0e9))) : 0; };
    m_syncing = true;
    m_horizontal->setVisible(clip.hasHorizontalScrollbar());
    m_horizontal->setGeometry(0, toInt(f.height), toInt(f.width), room);
    m_horizontal->setRange(0, toInt(d.width - f.width));
    m_horizontal->setPageStep(std::max(1, toInt(f.width)));
    m_horizontal->setValue(toInt(o.x));
    // Qt counts from the top, the model from the bottom.
    m_vertical->setVisible(clip.hasVerticalScrollbar());
    m_vertical->setGeometry(toInt(f.width), 0, room, toInt(f.height));
    m_vertical->setRange(0, toInt(d.height - f.height));
    m_vertical->setPageStep(std::max(1, toInt(f.height)));
    m_vertical->setValue(toInt(d.height - f.height - o.y));
    m_syncing = false;
}

void PkBorderLessWindow::scrollBarMoved()
{
    if (m_syncing)
        return;
    CenteringClipView& clip = m_controller.zentFullScreenView().clipView();
    Point o = clip.boundsOrigin();
    if (clip.hasHorizontalScrollbar())
        o.x = m_horizontal->value();
    if (clip.hasVerticalScrollbar())
        o.y = clip.documentSize().height - clip.frameSize().height - m_vertical->value();
    clip.scrollToPoint(o);
    update();
}

} // namespace quillum
