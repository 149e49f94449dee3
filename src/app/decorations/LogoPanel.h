#pragma once
// The floating logo set-up panel: the well that shows the logo and takes dropped files, the
// buttons that choose, clear and reset it, and its size, placement and opacity.

#include "PanelKit.h"

#include <QFrame>
#include <QImage>
#include <QWidget>

#include <functional>

namespace quillum {

// Shows an image scaled to fit, centred; a drop of local files is handed on as their paths.
class LogoWell : public QFrame {
    Q_OBJECT
public:
    explicit LogoWell(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    void setDropHandler(std::function<void(const QStringList&)> handler) { m_dropped = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QImage m_image;
    std::function<void(const QStringList&)> m_dropped;
};

class LogoPanel : public QWidget {
    Q_OBJECT
public:
    // A Qt::Tool window; with a parent it floats above the parent's window.
    explicit LogoPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~LogoPanel() override;

private:
    zent3controller& m_c;
    PanelBinder m_binder;
    LogoWell* m_well = nullptr;
};

} // namespace quillum
