#pragma once
// The naming sheet of a new preset, over the main window: the name (the controller
// suggests one from what is remembered), the five groups the preset remembers, and the
// details of what it will apply. The controller holds the sheet's state; this window shows
// it and passes on the user's typing and clicks. Main thread only.

#include "app/controls/ControllerObservers.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace quillum {

class zent3controller;

class NewPresetNameSheet : public QDialog {
    Q_OBJECT
public:
    explicit NewPresetNameSheet(zent3controller& controller, QWidget* parent = nullptr);
    ~NewPresetNameSheet() override;

    // Hands the name field's text to the controller (OK reads the controller's name).
    void commit();

public Q_SLOTS:
    // Escape and the close button: the sheet's Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sync();

    zent3controller& m_c;
    ControllerObservers m_observers;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_details = nullptr;
    std::array<QCheckBox*, 5> m_remember {}; // in RememberGroup order
};

} // namespace quillum
