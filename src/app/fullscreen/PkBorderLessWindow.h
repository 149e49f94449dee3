#pragma once
// The full-screen viewer's panel: a frameless window that paints the controller's
// full-screen picture on black at the geometry of zentFullScreenView() (scale, frame,
// centring clip view) and scrolls that clip view. Escape asks the controller to close it;
// the viewer's key equivalents ("9", "+", "-", "0", "1") reach the zoom menu's items from
// here too. Shown, framed and hidden by the UiServices implementation (WindowId::
// FullScreenPanel). Must not outlive the controller.

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <cstdint>

class QScrollBar;

namespace quillum {

class BitmapImageRep;
class zent3controller;

class PkBorderLessWindow : public QWidget {
    Q_OBJECT

public:
    explicit PkBorderLessWindow(zent3controller& controller, QWidget* parent = nullptr);
    ~PkBorderLessWindow() override;

    // Escape: the panel's delegate closes the viewer.
    void cancelOperation();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The picture as a QImage, made once per shown picture.
    const QImage& pictureImage();
    // Moves the clip view's scroll origin by (dx, dy) in Qt's directions (y down).
    void scrollBy(double dx, double dy);
    void syncScrollBars();
    void scrollBarMoved();

    zent3controller& m_controller;
    std::uint64_t m_imageObserver = 0;
    std::uint64_t m_geometryObserver = 0;
    const BitmapImageRep* m_cachedFor = nullptr;
    QImage m_image;
    QImage m_scaled; // m_image at the shown size while that is smaller
    QScrollBar* m_horizontal = nullptr;
    QScrollBar* m_vertical = nullptr;
    bool m_syncing = false;
    QPoint m_lastDragPoint;
};

} // namespace quillum
