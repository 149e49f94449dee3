#include "ScreenCapture.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace quillum {

QRect selectionRect(QPoint press, QPoint release, const QRect& bounds)
{
    // From the corner points, not QRect::normalized(), which moves swapped corners by one.
    const QRect r = QRect(QPoint(std::min(press.x(), release.x()), std::min(press.y(), release.y())),
        QPoint(std::max(press.x(), release.x()), std::max(press.y(), release.y())))
                        .intersected(bounds);
    return r.width() < 2 || r.height() < 2 ? QRect() : r;
}

QImage grabScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage() : QImage();
}

namespace {

class AreaOverlay : public QWidget {
public:
    explicit AreaOverlay(const QImage& screen)
        : m_screen(screen)
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
        setCursor(Qt::CrossCursor);
        setFocusPolicy(Qt::StrongFocus);
    }
    QRect chosen;
    QEventLoop loop;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(rect(), m_screen);
        p.fillRect(rect(), QColor(0, 0, 0, 110));
        const QRect r = QRect(m_press, m_current).normalized();
        if (m_dragging && !r.isEmpty()) {
            const double sx = double(m_screen.width()) / width(), sy = double(m_screen.height()) / height();
            p.drawImage(r, m_screen, QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy));
            p.setPen(QPen(QColor(64, 132, 214), 1.5));
            p.drawRect(r);
        }
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(0, 24, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
            QStringLiteral("Drag over the area to capture — Escape cancels"));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        m_press = m_current = e->position().toPoint();
        m_dragging = true;
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        m_current = e->position().toPoint();
        update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        m_dragging = false;
        const QRect r = selectionRect(m_press, e->position().toPoint(), rect());
        if (r.isEmpty())
            return update();
        const double sx = double(m_screen.width()) / width(), sy = double(m_screen.height()) / height();
        chosen = QRect(int(r.x() * sx), int(r.y() * sy), int(r.width() * sx), int(r.height() * sy));
        loop.quit();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape)
            loop.quit();
    }
    void closeEvent(QCloseEvent*) override { loop.quit(); }

private:
    QImage m_screen;
    QPoint m_press, m_current;
    bool m_dragging = false;
};

} // namespace

QImage selectAreaOf(const QImage& screen)
{
    if (screen.isNull())
        return {};
    AreaOverlay overlay(screen);
    overlay.showFullScreen();
    overlay.activateWindow();
    overlay.setFocus();
    overlay.loop.exec();
    overlay.hide();
    return overlay.chosen.isEmpty() ? QImage() : screen.copy(overlay.chosen);
}

QImage grabScreenAfterCountdown(int seconds)
{
    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    label.setAlignment(Qt::AlignCenter);
    label.setStyleSheet(QStringLiteral("background: rgba(20,20,22,220); color: white; font-size: 28px;"
                                       "padding: 18px; border-radius: 12px;"));
    label.resize(260, 110);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        label.move(screen->geometry().center() - QPoint(130, 55));
    QEventLoop loop;
    QTimer tick;
    int left = seconds;
    auto show = [&] { label.setText(QStringLiteral("Capturing in %1…").arg(left)); };
    show();
    label.show();
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (--left <= 0)
            loop.quit();
        else
            show();
    });
    tick.start(1000);
    loop.exec();
    label.hide();
    // Let the compositor take the countdown away before the grab.
    QEventLoop settle;
    QTimer::singleShot(150, &settle, &QEventLoop::quit);
    settle.exec();
    return grabScreen();
}

} // namespace quillum
