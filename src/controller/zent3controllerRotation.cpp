// Source rotation: the source is recomputed from its untouched backup at an absolute angle,
// shown again, the frame moved to match, and the output rendered.

#include "zent3controller.h"

#include "imaging/SourceRotation.h"

#include <cmath>
#include <numbers>

namespace quillum {

void zent3controller::rotateScrImageBy(float a)
{
    if (!m_srcImageRep || !std::isfinite(a))
        return;
    if (std::fmod(double(a), 90.0) != 0.0) {
        m_lastRotatedAngle = a;
        m_lastRotationTitle = QString::asprintf("Last Rotation: %1.2f", double(a));
        didChangeValueForKey(key::lastRotation);
    }
    turnSourceTo(a);
}

void zent3controller::turnSourceTo(float a)
{
    if (!m_srcImageRep || !std::isfinite(a))
        return;
    m_leftPanel.selRect()->setPreRotatedAngleDegs(a);
    didChangeValueForKey(key::rotationField);
    // A free angle resamples every pixel; a quarter turn only moves them.
    const double pixels = double(m_srcImageRep->pixelsWide()) * m_srcImageRep->pixelsHigh();
    const UiWait wait(m_uiServices, pixels * (std::fmod(double(a), 90.0) != 0.0 ? 2.0 : 1.0) >= UiWait::kLongWorkPixels);
    if (!m_backupSrcImageRep)
        safeBackupSrcRGBToARGBImageRep();
    if (!m_backupSrcImageRep)
        return;
    BitmapImageRep turned = rotateBackup(*m_backupSrcImageRep, a);
    if (turned.isNull())
        return; // out of memory: the source stays as it was
    turned.setColorProfile(m_srcImageRep->colorProfile());
    m_srcImageRep = std::make_unique<BitmapImageRep>(std::move(turned));
}

void zent3controller::inPicRotateQuarter(float q)
{
    if (!m_srcImageRep)
        return;
    startMyTimer();
    const float angle = m_leftPanel.selRect()->preRotatedAngleDegs();
    if (std::remainder(double(angle), 90.0) == 0.0) {
        m_leftPanel.rotateCropperFor(q);
        rotateScrImageBy(q);
        showRepInLeftPanel();
    } else {
        const Size size = m_leftPanel.pictureSize();
        rotateScrImageBy(q);
        showRepInLeftPanel();
        m_leftPanel.moveCropperByRotationOldSize(angle, size);
    }
    redrawOutput();
    timerAction();
}

void zent3controller::inPicRotate0(const Sender&)
{
    inPicRotateQuarter(0);
}
void zent3controller::inPicRotate90(const Sender&)
{
    inPicRotateQuarter(90);
}
void zent3controller::inPicRotate180(const Sender&)
{
    inPicRotateQuarter(180);
}
void zent3controller::inPicRotate270(const Sender&)
{
    inPicRotateQuarter(270);
}

void zent3controller::inPicRotateBy(const Sender& sender)
{
    const float a = float(sender.doubleValue);
    if (!m_srcImageRep || !std::isfinite(a) || a == m_leftPanel.selRect()->preRotatedAngleDegs())
        return;
    startMyTimer();
    const float angle = m_leftPanel.selRect()->preRotatedAngleDegs();
    const Size size = m_leftPanel.pictureSize();
    rotateScrImageBy(a);
    showRepInLeftPanel();
    m_leftPanel.moveCropperByRotationOldSize(angle, size);
    redrawOutput();
    timerAction();
}

void zent3controller::rotateLast(const Sender&)
{
    const float a = float(m_lastRotatedAngle);
    if (a == 0.0f || a == m_leftPanel.selRect()->preRotatedAngleDegs())
        return;
    Sender sender;
    sender.doubleValue = a;
    inPicRotateBy(sender);
}

void zent3controller::selectionDidRotation()
{
    if (!m_srcImageRep)
        return;
    startMyTimer();
    const float f = float(double(m_leftPanel.selRect()->cropAngle()) / std::numbers::pi * 180.0);
    const float p = m_leftPanel.selRect()->preRotatedAngleDegs();
    const Size size = m_leftPanel.pictureSize();
    rotateScrImageBy(p - f);
    showRepInLeftPanel();
    m_leftPanel.moveCropperByRotationOldSize(p, size);
    redrawOutput();
    timerAction();
    m_leftPanel.setNeedsDisplay();
}

} // namespace quillum
