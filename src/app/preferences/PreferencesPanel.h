#pragma once
// The preferences window: every option no other control reaches, grouped, each with a
// tooltip. The controls act on the controller at once; OK and Cancel only close the window
// (the options reach the settings file at quit). Shown over the main window, which waits.

#include "app/controls/ControllerObservers.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QToolButton;

namespace quillum {

class zent3controller;

class PreferencesPanel : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~PreferencesPanel() override;

    // Shows what the controller holds now.
    void sync();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* openingGroup();
    QWidget* savingGroup();
    QWidget* frameGroup();
    QCheckBox* check(const QString& title, const QString& toolTip, const char* objectName);
    // The user's toggles reach `set`; the panel's own syncing does not.
    void onToggle(QCheckBox* box, std::function<void(bool)> set);

    zent3controller& m_c;
    ControllerObservers m_observers;
    QButtonGroup* m_openingRule = nullptr;
    QDoubleSpinBox* m_margin = nullptr;
    QCheckBox* m_newAspect = nullptr;
    QCheckBox* m_exifTurn = nullptr;
    QCheckBox* m_reopenLast = nullptr;
    QButtonGroup* m_namingRule = nullptr;
    QLineEdit* m_initialName = nullptr;
    QCheckBox* m_sound = nullptr;
    QCheckBox* m_advance = nullptr;
    QCheckBox* m_metadata = nullptr;
    QCheckBox* m_lossless = nullptr;
    QCheckBox* m_transparency = nullptr;
    QComboBox* m_frameStyle = nullptr;
    QComboBox* m_guidesStyle = nullptr;
    QToolButton* m_guideColor = nullptr;
    bool m_syncing = false;
};

} // namespace quillum
