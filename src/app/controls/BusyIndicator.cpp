#include "BusyIndicator.h"

#include <QPainter>
#include <QPaintEvent>

namespace quillum {

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("busyIndicator"));
    setToolTip(tr("Working… Escape stops opening a picture"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Hidden without giving its place back, so the status line does not jump.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    hide();
    m_delay.setSingleShot(true);
    m_delay.setInterval(kDelayMs);
    connect(&m_delay, &QTimer::timeout, this, [this] { showNow(); });
    m_turn.setInterval(80);
    connect(&m_turn, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % 12;
        update();
    });
}

QSize BusyIndicator::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.height() + 6 + fm.horizontalAdvance(tr("Working…")), fm.height() + 2);
}

void BusyIndicator::begin(bool expectLong)
{
    if (m_depth++ == 0 && !expectLong)
        m_delay.start();
    if (expectLong && !isShowing())
        showNow();
}

void BusyIndicator::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    m_delay.stop();
    m_turn.stop();
    hide();
}

void BusyIndicator::showNow()
{
    m_delay.stop();
    show();
    m_turn.start();
    // The work may hold the event loop next: paint now rather than when it returns.
    repaint();
}

void BusyIndicator::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = fontMetrics().height() - 2;
    const QRectF arc(1.5, (height() - side) / 2.0 + 0.5, side - 1, side - 1);
    QPen pen(palette().color(QPalette::Highlight), 2.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(arc, -m_phase * 30 * 16, 270 * 16);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRectF(side + 6, 0, width() - side - 6, height()), Qt::AlignVCenter | Qt::AlignLeft, tr("Working…"));
}

} // namespace quillum
