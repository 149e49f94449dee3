#pragma once
// The left panel on screen: paints the source picture and the crop frame the model
// describes, and turns Qt's events into the model's events. Qt's coordinates (origin
// top-left, y down) become the model's view units (origin bottom-left, y up) here and
// nowhere else.

#include "app/BitmapImages.h"
#include "cropframe/CropEvents.h"
#include "cropframe/FrameDrawing.h"
#include "platform/Geometry.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QScrollArea;

namespace quillum {

class PkCroppingImageView;
class BitmapImageRep;

class PkCroppingImageViewWidget : public QWidget {
public:
    PkCroppingImageViewWidget(PkCroppingImageView& model, QWidget* parent = nullptr);
    ~PkCroppingImageViewWidget() override;

    // The picture to show (the source); rebuilt into a display copy once per picture.
    // `generation` changes whenever the source is replaced, even at the same address.
    // A picture the caller keeps alive while it is shown; converted for display at once.
    void setPicture(const BitmapImageRep* picture, std::uint64_t generation = 0);
    // A shared picture, shown from `reduced` (a working-bitmap copy of it, may be null)
    // until zoomed in past that.
    void setPicture(
        std::shared_ptr<const BitmapImageRep> picture, std::uint64_t generation, const BitmapImageRep* reduced);
    // The reduced copy of the picture shown, made later.
    void setReducedCopy(const BitmapImageRep* picture, const BitmapImageRep* reduced);
    bool displayHoldsFullCopy() const { return m_display.holdsFullCopy(); }
    // Follows the model's zoom: the widget's size is the picture's size times the scale.
    void syncGeometry();

    // The model's view units for a widget point, and back.
    Point toViewUnits(QPointF widgetPoint) const;
    QPointF toWidget(Point viewPoint) const;
    QRectF toWidget(const Rect& viewRect) const;

    // The texture of the turned frame, the placeholder and the cursors, made in code.
    static QPixmap texturePattern();
    static QPixmap placeholderImage(qreal ratio = 1.0);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void paintFrame(QPainter& painter, const Rect& dirtyViewRect);
    void strokeWithPen(QPainter& painter, const QPainterPath& path, FramePen pen, const QColor& custom);
    void updateCursor(QPointF widgetPoint);
    QScrollArea* scrollArea() const;

    PkCroppingImageView& m_model;
    DisplayCopy m_display;
    const BitmapImageRep* m_picture = nullptr;
    std::uint64_t m_generation = 0;
    QBrush m_texture;
};

} // namespace quillum
