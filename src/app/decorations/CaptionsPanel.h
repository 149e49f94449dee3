#pragma once
// The floating caption set-up panel: the two captions side by side, each with its text and
// tag menu, font, colours, outline, opacity, size, offsets and anchor.

#include "PanelKit.h"

#include <QWidget>

class QGridLayout;

namespace quillum {

class CaptionsPanel : public QWidget {
    Q_OBJECT
public:
    // A Qt::Tool window; with a parent it floats above the parent's window.
    explicit CaptionsPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~CaptionsPanel() override;

    // The tag menu's items in the order shown: title and the item tag the controller reads.
    struct TagItem {
        const char* title;
        int tag; // 0: a separator
    };
    static const std::vector<TagItem>& tagItems();

private:
    QWidget* buildCaption(int index);

    zent3controller& m_c;
    PanelBinder m_binder;
};

} // namespace quillum
