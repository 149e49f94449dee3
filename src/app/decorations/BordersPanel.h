#pragma once
// The floating border set-up panel: three frames, each with its own colour, insets from the
// four edges, line width and opacity, and a reset to its registered look.

#include "PanelKit.h"

#include <QWidget>

namespace quillum {

class BordersPanel : public QWidget {
    Q_OBJECT
public:
    // A Qt::Tool window; with a parent it floats above the parent's window.
    explicit BordersPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~BordersPanel() override;

private:
    QWidget* buildBorder(int index);

    zent3controller& m_c;
    PanelBinder m_binder;
};

} // namespace quillum
