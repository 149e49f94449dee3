#pragma once
// The floating quick-resize panel: ten editable widths and ten heights, and per column the
// choice of one of them, of keeping the current size, or of leaving that side free. A choice
// applies at once; editing the chosen size re-applies it.

#include "app/controls/ControllerObservers.h"

#include <QWidget>

class QButtonGroup;
class QGridLayout;
class QSpinBox;

namespace quillum {

class zent3controller;

class QuickResizePanel : public QWidget {
    Q_OBJECT
public:
    // A Qt::Tool window; with a parent it floats above the parent's window.
    explicit QuickResizePanel(zent3controller& controller, QWidget* parent = nullptr);
    ~QuickResizePanel() override;

    static constexpr int kFree = 0, kKeepCurrent = 11;
    static constexpr int kMinimumSize = 1, kMaximumSize = 30000;

private:
    enum class Side { Width, Height };
    void buildColumn(Side side, QGridLayout* grid, int column);
    void sync();

    zent3controller& m_c;
    ControllerObservers m_observers;
    QButtonGroup* m_choices[2] = {};
    QSpinBox* m_sizes[2][10] = {};
    bool m_syncing = false;
};

} // namespace quillum
