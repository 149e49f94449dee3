#pragma once
// The floating picture-correction panel: on/off, gamma, contrast and the colour gains. The
// sliders call the controller while they move (a render is fast enough to follow them).

#include "ControllerObservers.h"

#include <QWidget>

class QCheckBox;
class QGridLayout;

namespace quillum {

class zent3controller;

class PictureCorrectionPanel : public QWidget {
    Q_OBJECT
public:
    // A Qt::Tool window; with a parent it floats above the parent's window.
    explicit PictureCorrectionPanel(zent3controller& controller, QWidget* parent = nullptr);
    ~PictureCorrectionPanel() override;

    // Sliders move in hundredths.
    static constexpr int kSliderScale = 100;
    static constexpr float kDefaultGamma = 1.0f;
    static constexpr float kMinGamma = 0.2f, kMaxGamma = 3.0f;
    static constexpr float kMinShift = -1.0f, kMaxShift = 1.0f;

    // Gamma back to 1, contrast and colours back to 0, rendered once.
    void reset();

private:
    void addChannel(QGridLayout* grid, int row, const char* objectName, const char* key, const QString& title,
        float minimum, float maximum, float (zent3controller::*get)() const, void (zent3controller::*set)(float));
    void syncEnabled();

    zent3controller& m_c;
    ControllerObservers m_observers;
    QCheckBox* m_enabled = nullptr;
};

} // namespace quillum
