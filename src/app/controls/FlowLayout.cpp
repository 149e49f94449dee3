#include "FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace quillum {

FlowLayout::FlowLayout(QWidget* parent, int horizontalSpacing, int verticalSpacing)
    : QLayout(parent)
    , m_hSpacing(horizontalSpacing)
    , m_vSpacing(verticalSpacing)
{
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

int FlowLayout::lineCount(int width) const
{
    int lines = 0;
    arrange(QRect(0, 0, width, 0), false, &lines);
    return lines;
}

// The widest item decides how narrow the strip may get.
QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

// One line holding everything.
QSize FlowLayout::sizeHint() const
{
    int width = 0, height = 0, shown = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        width += hint.width() + (shown++ ? m_hSpacing : 0);
        height = std::max(height, hint.height());
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply, int* lines) const
{
    const QMargins m = contentsMargins();
    const QRect area = rect.marginsRemoved(m);
    struct Placed {
        QLayoutItem* item;
        QSize size;
    };
    QList<Placed> line;
    int y = area.y(), lineCount = 0;
    auto flush = [&] {
        if (line.isEmpty())
            return;
        int height = 0;
        for (const Placed& p : line)
            height = std::max(height, p.size.height());
        if (apply) {
            int x = area.x();
            for (const Placed& p : line) {
                p.item->setGeometry(QRect(QPoint(x, y + (height - p.size.height()) / 2), p.size));
                x += p.size.width() + m_hSpacing;
            }
        }
        y += height + m_vSpacing;
        ++lineCount;
        line.clear();
    };
    int x = area.x();
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        // An item wider than the strip gets the whole width rather than overflowing it.
        QSize size = item->sizeHint().boundedTo(item->maximumSize()).expandedTo(item->minimumSize());
        size.setWidth(std::min(size.width(), std::max(area.width(), item->minimumSize().width())));
        if (!line.isEmpty() && x + size.width() > area.x() + area.width()) {
            flush();
            x = area.x();
        }
        line.append({ item, size });
        x += size.width() + m_hSpacing;
    }
    flush();
    if (lines)
        *lines = lineCount;
    const int used = lineCount ? y - m_vSpacing - area.y() : 0;
    return used + m.top() + m.bottom();
}

} // namespace quillum
