#pragma once
// The strip at the bottom of the window: the picture's description, the last render's
// rectangle and time, the file counter and the "saved" note.

#include "ControllerObservers.h"

#include <QWidget>

class QLabel;

namespace quillum {

class BusyIndicator;

class zent3controller;

class StatusStrip : public QWidget {
    Q_OBJECT
public:
    explicit StatusStrip(zent3controller& controller, QWidget* parent = nullptr);
    ~StatusStrip() override;

    // "current/total", 1-based; shows "0/0" while there is no file list.
    void setFileCounter(int current, int total);
    BusyIndicator& busyIndicator() const { return *m_busy; }

private:
    void syncInfo();
    void syncOperationTime();
    void syncSaved();

    zent3controller& m_c;
    ControllerObservers m_observers;
    QLabel* m_info = nullptr;
    QLabel* m_operationTime = nullptr;
    QLabel* m_fileCounter = nullptr;
    QLabel* m_saved = nullptr;
    BusyIndicator* m_busy = nullptr;
};

} // namespace quillum
