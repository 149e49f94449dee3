#pragma once
// The right panel on screen: the finished output at the panel's zoom, or a hint while
// there is none yet. The output is converted to a QImage once per render.

#include "cropframe/PkCenterImageView.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class QDrag;

namespace quillum {

class BitmapImageRep;

class OutputViewWidget : public QWidget {
public:
    OutputViewWidget(PkCenterImageView& model, QWidget* parent = nullptr);

    void setOutput(std::shared_ptr<const BitmapImageRep> output);
    // A reduced stand-in for the output while the frame moves, drawn over the output's
    // area; null shows the output again.
    void setPreview(std::shared_ptr<const BitmapImageRep> preview);
    bool showsPreview() const { return !m_previewImage.isNull(); }
    // Follows the model's zoom: the widget's size is the output's size times the scale.
    void syncGeometry();
    static QPixmap hintImage(qreal ratio = 1.0);
    // Dragging the output out as a file: `makeFile` writes it and answers its path (empty:
    // no drag); `dropped` runs when a drag ended on a target.
    void setDragHandlers(std::function<QString()> makeFile, std::function<void()> dropped)
    {
        m_makeDragFile = std::move(makeFile);
        m_dragDropped = std::move(dropped);
    }
    // Runs a started drag to its end and answers the drop's action (Qt::IgnoreAction when it
    // landed nowhere). QDrag::exec, the user's hands, unless replaced: a test that cannot run
    // a platform drag decides where the drop lands instead. An empty runner restores exec.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag)>;
    void setDragRunner(DragRunner runner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    PkCenterImageView& m_model;
    std::shared_ptr<const BitmapImageRep> m_output;
    QImage m_image;
    std::shared_ptr<const BitmapImageRep> m_preview;
    QImage m_previewImage;
    QPoint m_pressAt;
    bool m_pressed = false;
    std::function<QString()> m_makeDragFile;
    std::function<void()> m_dragDropped;
    DragRunner m_runDrag;
};

} // namespace quillum
