// Selection and view commands: aspect ratio, whole-picture and opening selections, the
// quarter turn of the frame, composition guides, position sliders and the left panel's zoom.

#include "zent3controller.h"

#include "platform/UiServices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace quillum {

namespace {

// Frame sizes feed integer fields; NaN and huge values must not reach the conversion.
int truncToInt(double v)
{
    return std::isfinite(v) ? int(std::clamp(std::trunc(v), -2.0e9, 2.0e9)) : 0;
}

// The fixed ratios of the aspect menu, X : Y by tag; 0 : 1 is free.
struct TagRatio {
    int tag, x, y;
};
constexpr TagRatio kTagRatios[]
    = { { 0, 0, 1 }, { 11, 1, 1 }, { 23, 2, 3 }, { 32, 3, 2 }, { 34, 3, 4 }, { 43, 4, 3 }, { 169, 16, 9 } };

// The guide each type hands over to; inside a family the command cycles its variants.
constexpr std::array<int, 23> kNextGuide
    = { 1, 2, 3, 22, 5, 6, 7, 8, 5, 10, 11, 12, 13, 9, 0, 0, 0, 0, 19, 20, 18, 0, 21 };

} // namespace

void zent3controller::requestLeftPanelRedraw()
{
    m_leftPanel.setNeedsDisplay();
}

// --- Aspect ratio ---------------------------------------------------------------------------

void zent3controller::setCropAspect(const Sender& sender)
{
    for (const TagRatio& r : kTagRatios)
        if (r.tag == sender.tag) {
            cropAspectToXYWithNotification(r.x, r.y, true);
            return;
        }
    const Rect f = m_leftPanel.selRect()->frame();
    if (sender.tag == 1004 || (sender.tag == 1103 && sender.state))
        cropAspectToXYWithNotification(truncToInt(f.width), truncToInt(f.height), true);
    else if (sender.tag == 1103)
        cropAspectToXYWithNotification(0, 1, true);
    else if (sender.tag == 1101)
        cropAspectToXYWithNotification(sender.intValue, m_aspectYValue, true);
    else if (sender.tag == 1102)
        cropAspectToXYWithNotification(m_aspectXValue, sender.intValue, true);
    else if (sender.tag == 1000 && m_uiServices) {
        const Size screen = m_uiServices->mainScreenSize();
        cropAspectToXYWithNotification(truncToInt(screen.width), truncToInt(screen.height), true);
    }
}

void zent3controller::cropAspectToXYWithNotification(int x, int y, bool notify)
{
    ZentCropBorder& frame = *m_leftPanel.selRect();
    // A negative ratio has no frame; the frame model would treat it as free anyway.
    if (x > 0 && y > 0) {
        m_fixedAspectIsOn = true;
        m_aspectFieldsEnabled = true;
        m_aspectXValue = x;
        m_aspectYValue = y;
        didChangeValueForKey(key::aspectFields);
        frame.setCropAspectRatioXY(float(x), float(y));
        // With no manual rectangle yet the container would be empty: use the whole picture.
        const Rect manual = m_leftPanel.lastManualRect();
        if (manual.width * manual.height > 0)
            m_leftPanel.adjustSelectionAspectWithNotification(notify);
        else
            m_leftPanel.selectMaxWithNotification(notify);
        if (notify)
            requestLeftPanelRedraw();
        return;
    }
    m_fixedAspectIsOn = false;
    m_aspectFieldsEnabled = false;
    m_aspectXValue = truncToInt(frame.frame().width);
    m_aspectYValue = truncToInt(frame.frame().height);
    frame.setCropAspectRatioXY(0.0f, 1.0f);
    didChangeValueForKey(key::aspectFields);
}

// --- Selections -----------------------------------------------------------------------------

void zent3controller::selectAll(const Sender& sender)
{
    selectMaximum(sender);
}

void zent3controller::selectMaximum(const Sender&)
{
    if (!m_leftPanel.hasPicture())
        return;
    m_leftPanel.selectMaxWithNotification(true);
    m_leftPanel.setLastManualRect(m_leftPanel.selRect()->frame());
    requestLeftPanelRedraw();
}

void zent3controller::rotateSelectioFrame(const Sender&)
{
    if (!m_leftPanel.hasPicture())
        return;
    m_editName = QStringLiteral("Turn Frame");
    m_leftPanel.rotateCropperBy90();
    validateCroppingFrameBorders();
    if (m_fixedAspectIsOn) {
        std::swap(m_aspectXValue, m_aspectYValue);
        m_leftPanel.selRect()->setCropAspectRatioXY(float(m_aspectXValue), float(m_aspectYValue));
        didChangeValueForKey(key::aspectFields);
    }
    // Stored directly: the setters would render once each.
    if (m_outputWidthIsFixed && m_outputHeightIsFixed) {
        std::swap(m_outputWidthVal, m_outputHeighVal);
        didChangeValueForKey(key::outputWidthVal);
        didChangeValueForKey(key::outputHeighVal);
    }
    requestLeftPanelRedraw();
    redrawOutput();
}

void zent3controller::validateCroppingFrameBorders()
{
    const Rect manual = m_leftPanel.lastManualRect();
    if (manual.width * manual.height > 0)
        m_leftPanel.validateSelectionLocationWithNotification(false);
    else
        m_leftPanel.selectMaxWithMarginWithNotification(m_onOpeningMargine, false);
}

void zent3controller::adjustCroppingFrameLocation()
{
    switch (m_onOpeningMaximizeSelection) {
    case 2:
        validateCroppingFrameBorders();
        break;
    case 1:
        m_leftPanel.selectMaxWithMarginWithNotification(m_onOpeningMargine, false);
        break;
    default:
        m_leftPanel.selectMaxWithNotification(false);
        break;
    }
}

void zent3controller::setOnOpeningMaximizeSelection(int rule)
{
    // Any value but 1 and 2 works as 0: say so, so the preferences show what happens.
    if (rule != 1 && rule != 2)
        rule = 0;
    if (rule == m_onOpeningMaximizeSelection)
        return;
    m_onOpeningMaximizeSelection = rule;
    didChangeValueForKey(key::onOpeningMaximizeSelection);
}

void zent3controller::setOnOpeningMargine(float margin)
{
    if (!(margin >= 0.0f && margin < 0.5f) || margin == m_onOpeningMargine)
        return;
    m_onOpeningMargine = margin;
    didChangeValueForKey(key::onOpeningMargine);
}

// --- Composition guides ---------------------------------------------------------------------

void zent3controller::compositionGuidesTo(int type)
{
    m_leftPanel.selRect()->setCompositionGudes(type);
    m_compositionGuidesMenuMarkedTag = type;
    didChangeValueForKey(key::compositionGuidesMenuMarkedTag);
}

void zent3controller::setCompositionGuides(const Sender& sender)
{
    compositionGuidesTo(sender.tag);
    requestLeftPanelRedraw();
}

void zent3controller::nextCompositionGuide(const Sender&)
{
    const int current = m_leftPanel.selRect()->compositionGudes();
    const bool known = current >= 0 && current < int(kNextGuide.size());
    compositionGuidesTo(known ? kNextGuide[std::size_t(current)] : 0);
    requestLeftPanelRedraw();
}

// --- Position sliders and output size check boxes -------------------------------------------

void zent3controller::moveSelectionX(const Sender& sender)
{
    if (!m_leftPanel.hasPicture() || !std::isfinite(sender.doubleValue))
        return;
    const double ratio = m_leftPanel.frameSize().width / m_leftPanel.pictureSize().width;
    m_leftPanel.selRect()->setXPosition(float(sender.doubleValue * ratio));
    requestLeftPanelRedraw();
    redrawOutput();
}

void zent3controller::moveSelectionY(const Sender& sender)
{
    if (!m_leftPanel.hasPicture() || !std::isfinite(sender.doubleValue))
        return;
    const double ratio = m_leftPanel.frameSize().height / m_leftPanel.pictureSize().height;
    m_leftPanel.selRect()->setYPosition(float(sender.doubleValue * ratio));
    requestLeftPanelRedraw();
    redrawOutput();
}

void zent3controller::updateMoveSliderMaxima()
{
    const Size s = m_leftPanel.pictureSize();
    m_xMoveSliderMax = s.width;
    m_yMoveSliderMax = s.height;
    didChangeValueForKey(key::xMoveSliderMax);
    didChangeValueForKey(key::yMoveSliderMax);
}

void zent3controller::fixedWOnClick(const Sender& sender)
{
    m_outputWidthFieldEnabled = sender.state;
    didChangeValueForKey(key::outputWidthFieldEnabled);
}

void zent3controller::fixedHOnClick(const Sender& sender)
{
    m_outputHeightFieldEnabled = sender.state;
    didChangeValueForKey(key::outputHeightFieldEnabled);
}

// --- Left panel zoom ------------------------------------------------------------------------

void zent3controller::scalePicture()
{
    if (!m_leftPanel.hasPicture())
        return;
    m_leftPanel.applyScale();
    didChangeValueForKey(key::leftPanelGeometry);
    requestLeftPanelRedraw();
    m_xSliderMoverMax = m_leftPanel.frameSize().width;
    didChangeValueForKey(key::xSliderMoverMax);
    m_scaleSlider = double(m_leftPanel.scale()) * 100.0;
    didChangeValueForKey(key::scaleSlider);
}

void zent3controller::fitImageToView(const Sender&)
{
    const Size p = m_leftPanel.pictureSize();
    // Also keeps fitScale() from dividing by a zero width or height.
    if (!(float(p.width) * float(p.height) >= 1.0f))
        return;
    m_leftPanel.setScale(m_leftPanel.fitScale());
    scalePicture();
}

void zent3controller::fitImageTo100(const Sender&)
{
    if (!m_leftPanel.hasPicture())
        return;
    findLeftCenterPoint();
    m_leftPanel.setScale(1.0f);
    scalePicture();
}

void zent3controller::inPicZoomIn(const Sender&)
{
    if (!m_leftPanel.hasPicture())
        return;
    findLeftCenterPoint();
    m_leftPanel.setScale(float(double(m_leftPanel.scale()) * 1.1));
    scalePicture();
}

void zent3controller::inPicZoomOut(const Sender&)
{
    if (!m_leftPanel.hasPicture())
        return;
    findLeftCenterPoint();
    m_leftPanel.setScale(float(double(m_leftPanel.scale()) * 0.9));
    scalePicture();
}

void zent3controller::inPicSetZoomBy(const Sender& sender)
{
    if (!m_leftPanel.hasPicture() || !std::isfinite(sender.doubleValue) || sender.doubleValue < 0)
        return;
    findLeftCenterPoint();
    m_leftPanel.setScale(float(sender.doubleValue / 100.0));
    scalePicture();
}

void zent3controller::findLeftCenterPoint()
{
    // At scale 0 no picture point is visible: the quotient is NaN or infinite, keep the old.
    const Point p = m_leftPanel.findCenterPoint();
    if (std::isfinite(p.x) && std::isfinite(p.y))
        m_leftPanel.setViewCenterPoint(p);
}

void zent3controller::moveXSlider(const Sender& sender)
{
    if (!std::isfinite(sender.doubleValue))
        return;
    m_leftPanel.clipView().setCenterPoint({ sender.doubleValue, m_leftPanel.frameSize().height / 2 });
    didChangeValueForKey(key::leftPanelGeometry);
}

} // namespace quillum
