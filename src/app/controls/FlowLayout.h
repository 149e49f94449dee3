#pragma once
// Lays its items out left to right and starts a new line when the next one does not fit,
// so a control strip wraps on a narrow window instead of scrolling sideways. Items on a
// line are centred vertically; the height follows the width (heightForWidth).

#include <QLayout>
#include <QList>

namespace quillum {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(QWidget* parent = nullptr, int horizontalSpacing = 10, int verticalSpacing = 2);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

    // The number of lines the items take at this width (for tests and the strips' layout).
    int lineCount(int width) const;

private:
    // Places the items in `rect` when `apply`; returns the height used and the line count.
    int arrange(const QRect& rect, bool apply, int* lines = nullptr) const;

    QList<QLayoutItem*> m_items;
    int m_hSpacing;
    int m_vSpacing;
};

} // namespace quillum
