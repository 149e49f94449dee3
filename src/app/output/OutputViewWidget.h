#pragma once
// The right panel on screen: the finished output at the panel's zoom, or a hint while
// there is none yet. The output is converted to a QImage once per render.

#include "cropframe/PkCenterImageView.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace quillum {

class BitmapImageRep;

class OutputViewWidget : public QWidget {
public:
    OutputViewWidget(PkCenterImageView& model, QWidget* parent = nullptr);

    void setOutput(std::shared_ptr<const BitmapImageRep> output);
    // Follows the model's zoom: the widget's size is the output's size times the scale.
    void syncGeometry();
    static QPixmap hintImage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PkCenterImageView& m_model;
    std::shared_ptr<const BitmapImageRep> m_output;
    QImage m_image;
};

} // namespace quillum
