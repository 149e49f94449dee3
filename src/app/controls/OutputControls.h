#pragma once
// The strip above the output panel: output size, auto levels, mirrors, invert, colour mode,
// sharpening, the correction panel, the output zoom and the decorations' switches. It
// mirrors the controller both ways and holds no rules of its own.

#include "ControllerObservers.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QSpinBox;

namespace quillum {
class FlowLayout;
namespace controlkit {
class StripRow;
}

class PictureCorrectionPanel;
class zent3controller;

class OutputControls : public QWidget {
    Q_OBJECT
public:
    explicit OutputControls(zent3controller& controller, QWidget* parent = nullptr);
    ~OutputControls() override;

    // The floating correction panel, made on first use; the "Correction…" button shows it.
    PictureCorrectionPanel& correctionPanel();
    void showCorrectionPanel();

private:
    void buildSizeRow(controlkit::StripRow* row);
    void buildLookRow(controlkit::StripRow* row);
    // The decorations' master switches, each with the button to its panel.
    void buildDecorationRow(controlkit::StripRow* row);
    // A check box or checkable button that mirrors one boolean property under `key`.
    void bindToggle(QAbstractButton* button, const char* key, std::function<bool()> get, std::function<void(bool)> set);
    // A fixed-size check box with its field, for the width or the height.
    void bindSize(QCheckBox* check, QSpinBox* field, bool width);
    void syncMode();
    void syncSharpen();

    zent3controller& m_c;
    ControllerObservers m_observers;

    QButtonGroup* m_modes = nullptr;
    QComboBox* m_sharpen = nullptr;
    PictureCorrectionPanel* m_correction = nullptr; // child; made on first use
};

} // namespace quillum
