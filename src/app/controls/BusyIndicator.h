#pragma once
// A small turning arc and "Working…" in the status line while the user waits. A wait shows
// it only once it has lasted kDelay (quick work never flickers it); a wait known to be long
// shows it at once, painted before the work blocks the event loop. Waits nest.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace quillum {

class BusyIndicator : public QWidget {
public:
    static constexpr int kDelayMs = 150;

    explicit BusyIndicator(QWidget* parent = nullptr);

    void begin(bool expectLong);
    void end();
    bool isWaiting() const { return m_depth > 0; }
    bool isShowing() const { return isVisibleTo(parentWidget()); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showNow();

    int m_depth = 0;
    int m_phase = 0; // the arc's start, in steps of 30 degrees
    QTimer m_delay;
    QTimer m_turn;
};

} // namespace quillum
