#include "ControlKit.h"
#include "FlowLayout.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QToolButton>

namespace quillum::controlkit {

namespace {

constexpr int kIconSide = 16;

// Glyphs are drawn on a 16 x 16 grid, y down; half-pixel coordinates keep 1-pixel lines sharp.
void drawGlyph(QPainter& p, Glyph glyph, const QColor& color)
{
    QPen pen(color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::Fit:
        for (const QPointF& c : { QPointF(2.5, 2.5), QPointF(13.5, 2.5), QPointF(13.5, 13.5), QPointF(2.5, 13.5) }) {
            const double sx = c.x() < 8 ? 1 : -1, sy = c.y() < 8 ? 1 : -1;
            p.drawPolyline(QPolygonF({ c + QPointF(0, 4 * sy), c, c + QPointF(4 * sx, 0) }));
        }
        p.drawRect(QRectF(5.5, 5.5, 5, 5));
        break;
    case Glyph::SelectAll:
        pen.setDashPattern({ 2.0, 1.5 });
        p.setPen(pen);
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        break;
    case Glyph::RotateFrame: {
        p.drawRect(QRectF(2.5, 6.5, 6, 7));
        QPainterPath arc;
        arc.moveTo(6.5, 3.0);
        arc.quadTo(13.0, 3.0, 13.0, 10.0);
        p.drawPath(arc);
        p.drawPolyline(QPolygonF({ QPointF(11.0, 8.0), QPointF(13.0, 10.5), QPointF(15.0, 8.0) }));
        break;
    }
    case Glyph::NextGuide:
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        pen.setWidthF(0.9);
        p.setPen(pen);
        for (double v : { 6.2, 9.8 }) {
            p.drawLine(QPointF(v, 2.5), QPointF(v, 13.5));
            p.drawLine(QPointF(2.5, v), QPointF(13.5, v));
        }
        break;
    case Glyph::FlipVertical:
    case Glyph::FlipHorizontal: {
        // Drawn for the top-bottom flip; the left-right one is the same turned a quarter.
        if (glyph == Glyph::FlipHorizontal) {
            p.translate(kIconSide, 0);
            p.rotate(90);
        }
        p.setBrush(color);
        p.drawPolygon(QPolygonF({ QPointF(3, 6.5), QPointF(13, 6.5), QPointF(8, 2) }));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF({ QPointF(3, 9.5), QPointF(13, 9.5), QPointF(8, 14) }));
        break;
    }
    case Glyph::Invert: {
        const QRectF circle(2.5, 2.5, 11, 11);
        p.drawEllipse(circle);
        p.setBrush(color);
        p.drawPie(circle, 90 * 16, 180 * 16);
        break;
    }
    case Glyph::Lock: {
        p.setBrush(color);
        p.drawRoundedRect(QRectF(3.5, 7.5, 9, 6.5), 1.2, 1.2);
        p.setBrush(Qt::NoBrush);
        QPainterPath shackle;
        shackle.moveTo(5.5, 7.5);
        shackle.lineTo(5.5, 5.5);
        shackle.arcTo(QRectF(5.5, 2.5, 5, 6), 180, -180);
        shackle.lineTo(10.5, 7.5);
        p.drawPath(shackle);
        break;
    }
    }
}

QPixmap glyphPixmap(Glyph glyph, const QColor& color, qreal ratio)
{
    QPixmap pixmap(QSize(kIconSide, kIconSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, glyph, color);
    return pixmap;
}

} // namespace

QIcon icon(Glyph glyph, const QPalette& palette)
{
    QIcon result;
    const QColor normal = palette.color(QPalette::Active, QPalette::ButtonText);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::ButtonText);
    for (qreal ratio : { 1.0, 2.0 }) {
        result.addPixmap(glyphPixmap(glyph, normal, ratio), QIcon::Normal);
        result.addPixmap(glyphPixmap(glyph, disabled, ratio), QIcon::Disabled);
    }
    return result;
}

QToolButton* toolButton(
    QWidget* parent, const char* objectName, const QString& text, const QString& toolTip, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(text);
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setIconSize(QSize(kIconSide, kIconSide));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    return button;
}

void addGroupGap(QBoxLayout* layout)
{
    layout->addSpacing(10);
}

void makeCompact(QBoxLayout* layout)
{
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(4);
}

StripRow::StripRow(QWidget* owner, FlowLayout* flow)
    : m_owner(owner)
    , m_flow(flow)
{
}

QHBoxLayout* StripRow::group()
{
    if (!m_group) {
        auto* holder = new QWidget(m_owner);
        m_group = new QHBoxLayout(holder);
        m_group->setContentsMargins(0, 0, 0, 0);
        m_group->setSpacing(4);
        m_flow->addWidget(holder);
    }
    return m_group;
}

QWidget* StripRow::currentGroup()
{
    return group()->parentWidget();
}

void StripRow::addWidget(QWidget* widget, int stretch)
{
    group()->addWidget(widget, stretch);
}

void StripRow::addLayout(QLayout* layout)
{
    group()->addLayout(layout);
}

void StripRow::addSpacing(int size)
{
    group()->addSpacing(size);
}

void addGroupGap(StripRow* row)
{
    row->endGroup();
}

} // namespace quillum::controlkit
