#pragma once
// The strip above the crop panel: fixed aspect and its X : Y fields, the ratio pop-up, the
// composition guides, the zoom slider and the frame commands. It mirrors the controller both
// ways and holds no rules of its own.

#include "ControllerObservers.h"

#include <QWidget>

#include <span>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QSlider;
class QSpinBox;
class QToolButton;

namespace quillum {
class FlowLayout;
namespace controlkit {
class StripRow;
}

class zent3controller;

class CropControls : public QWidget {
    Q_OBJECT
public:
    explicit CropControls(zent3controller& controller, QWidget* parent = nullptr);
    ~CropControls() override;

    // The zoom slider is logarithmic: equal travel is an equal zoom factor, so 100 % is not
    // crammed into the first eighth of the track.
    static constexpr double kMinZoomPercent = 5.0;
    static constexpr double kMaxZoomPercent = 800.0;
    static constexpr int kZoomSteps = 1000;
    static double zoomPercentForPosition(int position);
    static int zoomPositionForPercent(double percent);

    // The guide types offered, in menu order; 14 to 17 draw the same lines as 22 and are left out.
    struct GuideItem {
        int tag;
        const char* title;
        bool separatorBefore;
    };
    static std::span<const GuideItem> guideItems();

    // Another group of controls at the end of the strip, wrapping with the others.
    void addGroup(QWidget* group);

private:
    void buildAspectGroup(controlkit::StripRow* row);
    void buildGuidesGroup(controlkit::StripRow* row);
    void buildZoomGroup(controlkit::StripRow* row);
    void buildFrameGroup(controlkit::StripRow* row);
    void syncAspect();
    void syncGuides();
    void syncZoom();

    zent3controller& m_c;
    ControllerObservers m_observers;
    FlowLayout* m_flow = nullptr;

    QCheckBox* m_fixedAspect = nullptr;
    QSpinBox* m_aspectX = nullptr;
    QSpinBox* m_aspectY = nullptr;
    QToolButton* m_ratio = nullptr;
    QComboBox* m_guides = nullptr;
    QToolButton* m_nextGuide = nullptr;
    QSlider* m_zoom = nullptr;
    QLabel* m_zoomLabel = nullptr;
};

} // namespace quillum
