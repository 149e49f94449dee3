// Edit snapshots: the crop and the output settings taken as one value and put back, for
// the undo history (EditHistory). Putting one back renders once and touches nothing else.

#include "zent3controller.h"

namespace quillum {

EditSnapshot zent3controller::editSnapshot() const
{
    EditSnapshot s;
    FrameSnapshot& f = s.frame;
    const ZentCropBorder& frame = *m_leftPanel.selRect();
    f.frame = frame.frame();
    f.lastManualRect = m_leftPanel.lastManualRect();
    f.pictureAngle = frame.preRotatedAngleDegs();
    f.aspectRatio = frame.cropAspectRatio();
    f.fixedAspect = m_fixedAspectIsOn;
    if (m_fixedAspectIsOn) {
        f.aspectX = m_aspectXValue;
        f.aspectY = m_aspectYValue;
    }

    OutputSnapshot& o = s.output;
    o.widthFixed = m_outputWidthIsFixed;
    o.heightFixed = m_outputHeightIsFixed;
    o.outputWidth = m_outputWidthIsFixed ? m_outputWidthVal : 0;
    o.outputHeight = m_outputHeightIsFixed ? m_outputHeighVal : 0;
    o.unproportionalStretch = m_outputSizeUnproportionalStretch;
    o.quickResizeWidthCase = m_resizerController.wCase();
    o.quickResizeHeightCase = m_resizerController.hCase();
    o.autoLevels = m_autoLevelsIsOn;
    o.autoLevelsLocked = m_autoLevelsIsLocked;
    if (m_autoLevelsIsLocked)
        o.lockedLevels = m_histoVals;
    o.pictureCorrection = m_pictureCorrectionIsOn;
    o.gamma = m_gammaValue;
    o.contrast = m_contrastValue;
    o.red = m_redValue;
    o.green = m_greenValue;
    o.blue = m_blueValue;
    o.flipVertical = m_flipVertical;
    o.flipHorizontal = m_flipHorizontal;
    o.invert = m_invertIsOn;
    o.outputMode = m_outputModeTag;
    o.sharpenLevel = m_sharpenLevel;
    o.decorations = m_decorations;
    o.logoImage = m_logoScreen.logoImageView().image();
    o.logoImageFile = m_logoScreen.logoImageFile();
    return s;
}

void zent3controller::restoreEditSnapshot(const EditSnapshot& s)
{
    RenderBatch batch(*this);
    m_editName.clear();

    // The picture's turn first: it sets the size the frame lives in.
    const FrameSnapshot& f = s.frame;
    ZentCropBorder& frame = *m_leftPanel.selRect();
    if (f.pictureAngle != frame.preRotatedAngleDegs()) {
        if (m_srcImageRep) {
            turnSourceTo(f.pictureAngle);
            showRepInLeftPanel();
        } else {
            frame.setPreRotatedAngleDegs(f.pictureAngle);
            didChangeValueForKey(key::rotationField);
        }
    }
    frame.setFrame(f.frame);
    m_leftPanel.setLastManualRect(f.lastManualRect);
    // X / 1 gives back the stored ratio exactly; 0 frees it.
    frame.setCropAspectRatioXY(f.aspectRatio, 1.0f);
    m_fixedAspectIsOn = m_aspectFieldsEnabled = f.fixedAspect;
    if (f.fixedAspect) {
        m_aspectXValue = f.aspectX;
        m_aspectYValue = f.aspectY;
    }
    didChangeValueForKey(key::aspectFields);
    requestLeftPanelRedraw();

    // Straight assignments, as a preset's: the setters would reset the quick-resize choice
    // and leave a newly fixed side unrendered.
    const OutputSnapshot& o = s.output;
    m_outputWidthIsFixed = m_outputWidthFieldEnabled = o.widthFixed;
    m_outputHeightIsFixed = m_outputHeightFieldEnabled = o.heightFixed;
    if (o.widthFixed)
        m_outputWidthVal = o.outputWidth;
    if (o.heightFixed)
        m_outputHeighVal = o.outputHeight;
    m_outputSizeUnproportionalStretch = o.unproportionalStretch;
    m_resizerController.setWCase(o.quickResizeWidthCase);
    m_resizerController.setHCase(o.quickResizeHeightCase);
    for (const char* k : { key::outputWidthIsFixed, key::outputWidthFieldEnabled, key::outputWidthVal,
             key::outputHeightIsFixed, key::outputHeightFieldEnabled, key::outputHeighVal,
             key::outputSizeUnproportionalStretch, key::quickResizeWidthCase, key::quickResizeHeightCase })
        didChangeValueForKey(QString::fromLatin1(k));

    if (o.autoLevelsLocked)
        m_histoVals = o.lockedLevels;
    setAutoLevelsIsOn(o.autoLevels);
    setAutoLevelsIsLocked(o.autoLevelsLocked);
    setPictureCorrectionIsOn(o.pictureCorrection);
    setGammaValue(o.gamma);
    setContrastValue(o.contrast);
    setRedValue(o.red);
    setGreenValue(o.green);
    setBlueValue(o.blue);
    setFlipVertical(o.flipVertical);
    setFlipHorizontal(o.flipHorizontal);
    setInvertIsOn(o.invert);
    setOutputModeTag(o.outputMode);
    setSharpenLevel(o.sharpenLevel);

    // A new image in the well refits the logo's sizes; the stored ones come after it.
    PkLogoImgView& well = m_logoScreen.logoImageView();
    if (!(well.image() == o.logoImage))
        well.setImage(o.logoImage);
    m_logoScreen.setLogoImageFile(o.logoImageFile);
    m_decorations = o.decorations;
    didChangeValueForKey(key::decorations);
    didChangeValueForKey(key::logoImage);

    redrawOutput();
}

} // namespace quillum
