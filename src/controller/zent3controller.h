#pragma once
// The one controller: owns every piece of editing state (the source, the working bitmap,
// the output, all output settings) and renders the output after every change. Main thread
// only. Links Qt Core and Gui, never Widgets: widgets mirror its state through key-value
// announcements (observeKey) and call its setters and commands.
//
// Its operations are split by concern over several files: zent3controller.cpp (state,
// wiring, stopwatch), zent3controllerMainDraw.cpp (conversion, render, output size, output
// zoom), zent3controllerSelection.cpp (selection and view commands).

#include "controller/ControllerKeys.h"
#include "controller/EditSnapshot.h"
#include "controller/LookAhead.h"
#include "controller/MenuModel.h"
#include "controller/RenderWorker.h"
#include "controller/RotationThumbnails.h"
#include "controller/SaveJob.h"
#include "cropframe/PkCenterImageView.h"
#include "cropframe/PkCroppingImageView.h"
#include "decorations/DecorationDrawing.h"
#include "decorations/DecorationSettings.h"
#include "decorations/PkLogoImgView.h"
#include "decorations/PkResizerScreen.h"
#include "imaging/Effects.h"
#include "imaging/OutputSize.h"
#include "imaging/WorkingBitmap.h"
#include "output/LosslessSave.h"
#include "presets/PresetLibrary.h"
#include "platform/BitmapImageRep.h"
#include "platform/ImageEncoder.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Result.h"
#include "platform/UiServices.h"
#include "platform/UserDefaults.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quillum {

class UiServices;


// Commands take the control that sent them; most ignore it.
struct Sender {
    int tag = 0;
    int intValue = 0;
    double doubleValue = 0.0;
    bool state = false;
    QString title;
};

class zent3controller : public KeyValueObservable {
public:
    explicit zent3controller(NotificationCenter& center = NotificationCenter::defaultCenter(),
        std::unique_ptr<OneShotTimer> wheelTimer = nullptr);
    ~zent3controller();
    zent3controller(const zent3controller&) = delete;
    zent3controller& operator=(const zent3controller&) = delete;

    // --- The source picture ----------------------------------------------------------
    // Makes `bitmap` the current source (the left panel's picture) with its file's
    // property dictionary; discards the backup, records the description. Does not render.
    // `reduced`, when given, is the picture's reduced copy (see reducedSourceCopy).
    void setSourcePicture(BitmapImageRep bitmap, const QVariantMap& properties = {}, const QString& path = {},
        std::shared_ptr<const BitmapImageRep> reduced = nullptr);
    bool hasSource() const { return m_srcImageRep != nullptr; }
    const BitmapImageRep* srcImageRep() const { return m_srcImageRep.get(); }
    std::shared_ptr<const BitmapImageRep> sharedSource() const { return m_srcImageRep; }
    // A working-bitmap copy of the source no longer than kReducedLongSide on either side,
    // made in the background (by the look-ahead or with the rotation thumbnails); null
    // until it is ready.
    std::shared_ptr<const BitmapImageRep> reducedSourceCopy();
    const BitmapImageRep* backupSrcImageRep() const { return m_backupSrcImageRep.get(); }
    const QVariantMap& sourceProperties() const { return m_sourceProperties; }
    const QString& sourcePath() const { return m_sourcePath; }
    const QString& imageInfo() const { return m_imageInfo; }
    int sourcePixelsHigh() const { return m_sourcePixelsHigh; }
    int sourcePixelsWide() const { return m_sourcePixelsWide; }
    int sourceSamplesPerPixel() const { return m_sourceSamplesPerPixel; }
    const QString& sourceColorSpaceName() const { return m_sourceColorSpaceName; }

    PkCroppingImageView& leftPanel() { return m_leftPanel; }
    // The centre its views post on and it observes.
    NotificationCenter& notificationCenter() { return m_center; }
    PkCenterImageView& rightPanel() { return m_rightPanel; }

    // --- MainDraw: conversion ----------------------------------------------------------
    void safeConstructrefImageRepByFromRect(const BitmapImageRep& source, const Rect& rect);
    void safeBackupSrcRGBToARGBImageRep();
    static BitmapImageRep constructARGBImageRep(const BitmapImageRep& bitmap);
    [[nodiscard]] static Result<BitmapImageRep> convertCMYKToRGB(const BitmapImageRep& bitmap);
    static bool isInteger(const BitmapImageRep& bitmap);

    // --- MainDraw: the render ----------------------------------------------------------
    void redrawOutput(const Sender& sender = {});
    void selectionDidChange(const Notification& notification);
    void mainDrawProcedure(Rect rect);
    // The render's results below wait for a render still running on the worker, so they
    // always describe the current state.
    const BitmapImageRep* refImageRep() const;
    // The finished output, premultiplied A,R,G,B; what the save command writes.
    std::shared_ptr<const BitmapImageRep> outPict() const;
    const QString& operationTimeLabel() const;
    // Why the last render that ran left no output; empty once a render makes one.
    const QString& renderFailure() const;

    // Where the render runs. Synchronous: inside the call that asks for it (the command
    // line, most tests). Large: a crop of kAsyncRenderPixels or more runs on the render
    // worker and its result is applied on the main thread when it arrives (the window;
    // smaller crops take a few milliseconds and stay synchronous). Always: every render on
    // the worker. Without a QCoreApplication every render is synchronous.
    enum class RenderMode { Synchronous, Large, Always };
    static constexpr double kAsyncRenderPixels = 2.0e6;
    void setRenderMode(RenderMode mode);
    RenderMode renderMode() const { return m_renderMode; }
    // True while a render asked for has not been applied yet.
    bool renderIsPending() const { return m_renderAwaited != 0; }
    // Waits for the render asked for last and applies it now.
    void finishPendingRender();
    // Forgets the render asked for last: its result is never applied.
    void discardPendingRender();
    // While the frame moves, a display-size preview of the output, rendered from a reduced
    // copy of the source ("outputPreview"); null when the output itself is current. Only a
    // view: saves, the status line and the output never come from it.
    std::shared_ptr<const BitmapImageRep> outputPreview() const { return m_outputPreview; }
    // Asks for a preview of the frame as it is now (ignored unless renders are asynchronous
    // and the reduced copy is ready).
    void previewOutput(Rect rect);
    // The longer side of the previews (an output panel's size; they are made from the reduced copy).
    static constexpr int kPreviewLongSide = 1024;
    bool outputFileSavedLabelIsHidden() const { return m_outputFileSavedLabelHidden; }
    void outputFileSavedLabelHidden(bool hidden);
    void setOutputDecorator(OutputDecorator* decorator) { m_decorator = decorator; }

    // Stopwatch.
    void startMyTimer();
    void timerAction();
    double elapsedTimeInterval() const { return m_elapsedTimeInterval; }

    // Defers rendering until the outermost batch ends, which renders once.
    class RenderBatch {
    public:
        explicit RenderBatch(zent3controller& c)
            : m_c(c)
        {
            ++m_c.m_renderBatchDepth;
        }
        ~RenderBatch();
        RenderBatch(const RenderBatch&) = delete;
        RenderBatch& operator=(const RenderBatch&) = delete;

    private:
        zent3controller& m_c;
    };

    // --- Output size ---------------------------------------------------------------------
    int outputWidthVal() const { return m_outputWidthVal; }
    int outputHeighVal() const { return m_outputHeighVal; }
    bool outputWidthIsFixed() const { return m_outputWidthIsFixed; }
    bool outputHeightIsFixed() const { return m_outputHeightIsFixed; }
    bool outputSizeUnproportionalStretch() const { return m_outputSizeUnproportionalStretch; }
    void setOutputWidthVal(int value);
    void setOutputHeighVal(int value);
    void setOutputWidthIsFixed(bool fixed);
    void setOutputHeightIsFixed(bool fixed);
    void setOutputSizeUnproportionalStretch(bool stretch);
    // The quick-resize panel's width and height cases (0 free, 1–10 an entry, 11 fixed).
    int quickResizeWidthCase() const { return m_resizerController.wCase(); }
    int quickResizeHeightCase() const { return m_resizerController.hCase(); }

    // --- Pixel effects (control states read at render time) ----------------------------
    bool autoLevelsIsOn() const { return m_autoLevelsIsOn; }
    bool autoLevelsIsLocked() const { return m_autoLevelsIsLocked; }
    const HistoVals& histoVals() const { return m_histoVals; }
    bool pictureCorrectionIsOn() const { return m_pictureCorrectionIsOn; }
    float gammaValue() const { return m_gammaValue; }
    float contrastValue() const { return m_contrastValue; }
    float redValue() const { return m_redValue; }
    float greenValue() const { return m_greenValue; }
    float blueValue() const { return m_blueValue; }
    bool flipVertical() const { return m_flipVertical; }
    bool flipHorizontal() const { return m_flipHorizontal; }
    bool invertIsOn() const { return m_invertIsOn; }
    int outputModeTag() const { return m_outputModeTag; }
    int sharpenLevel() const { return m_sharpenLevel; }
    void setAutoLevelsIsOn(bool on);
    void setAutoLevelsIsLocked(bool locked);
    void setPictureCorrectionIsOn(bool on);
    void setGammaValue(float gamma);
    void setContrastValue(float contrast);
    void setRedValue(float v);
    void setGreenValue(float v);
    void setBlueValue(float v);
    void setFlipVertical(bool on);
    void setFlipHorizontal(bool on);
    void setInvertIsOn(bool on);
    void setOutputModeTag(int tag);
    void setSharpenLevel(int level);

    // --- Aspect fields (shown from the frame while the fixed aspect is off) ------------
    bool fixedAspectIsOn() const { return m_fixedAspectIsOn; }
    void setFixedAspectIsOn(bool on) { m_fixedAspectIsOn = on; }
    int aspectXValue() const { return m_aspectXValue; }
    int aspectYValue() const { return m_aspectYValue; }

    // --- View state ------------------------------------------------------------------
    bool dontShowCropFlag() const { return m_dontShowCropFlag; }
    void setDontShowCropFlag(bool flag);
    bool keepRightFitToView() const { return m_keepRightFitToView; }
    void fitOutputImageToView(const Sender& sender = {});
    void fitOutputImageTo100(const Sender& sender = {});
    void scaleOutputPicture();
    Point findRightCenterPoint() const { return m_rightPanel.findCenterPoint(); }

    // --- Selection and view commands -------------------------------------------------
    // Widgets mirror the controls' states below through the keys named with them; the
    // left panel is redrawn through its own needs-display handler.
    void setUiServices(UiServices* services) { m_uiServices = services; } // borrowed

    // Ratio by the sender's tag. 1101 and 1102 are the width and height fields' actions:
    // the sender's intValue is the edited field's value, the other field keeps its own.
    void setCropAspect(const Sender& sender = {});
    // x and y both positive lock the ratio x : y, anything else frees it.
    void cropAspectToXYWithNotification(int x, int y, bool notify);
    // With fixedAspectIsOn, aspectXValue and aspectYValue, announced as "aspectFields".
    bool aspectFieldsEnabled() const { return m_aspectFieldsEnabled; }

    void selectAll(const Sender& sender = {});
    void selectMaximum(const Sender& sender = {});
    void rotateSelectioFrame(const Sender& sender = {});
    void validateCroppingFrameBorders();
    // The opening rule that places the frame on a picture just shown.
    void adjustCroppingFrameLocation();
    // Stored as "OnFileOpeningMaximize" (0) and "OnFileOpeningMargin" (0.1).
    int onOpeningMaximizeSelection() const { return m_onOpeningMaximizeSelection; }
    void setOnOpeningMaximizeSelection(int rule);
    float onOpeningMargine() const { return m_onOpeningMargine; }
    // Takes 0 <= margin < 0.5 (a frame with area remains); ignores anything else.
    void setOnOpeningMargine(float margin);

    void compositionGuidesTo(int type);
    static constexpr int kLastCompositionGuideType = 22;
    void setCompositionGuides(const Sender& sender = {});
    void nextCompositionGuide(const Sender& sender = {});
    // The tag of the guides pop-up's marked item ("compositionGuidesMenuMarkedTag").
    int compositionGuidesMenuMarkedTag() const { return m_compositionGuidesMenuMarkedTag; }

    // Frame position sliders: the sender's doubleValue; the output is rendered again.
    void moveSelectionX(const Sender& sender = {});
    void moveSelectionY(const Sender& sender = {});
    // The position sliders' maxima become the picture's size ("xMoveSliderMax",
    // "yMoveSliderMax"); called whenever a picture is shown.
    void updateMoveSliderMaxima();
    double xMoveSliderMax() const { return m_xMoveSliderMax; }
    double yMoveSliderMax() const { return m_yMoveSliderMax; }

    // The output size check boxes: the sender's state ("outputWidthFieldEnabled",
    // "outputHeightFieldEnabled").
    void fixedWOnClick(const Sender& sender = {});
    void fixedHOnClick(const Sender& sender = {});
    bool outputWidthFieldEnabled() const { return m_outputWidthFieldEnabled; }
    bool outputHeightFieldEnabled() const { return m_outputHeightFieldEnabled; }

    // Left panel zoom; nothing happens without a picture. Announces "leftPanelGeometry"
    // (frame size, scroll origin, scroll bars), "xSliderMoverMax" and "scaleSlider" (percent).
    void scalePicture();
    void fitImageToView(const Sender& sender = {});
    void fitImageTo100(const Sender& sender = {});
    void inPicZoomIn(const Sender& sender = {});
    void inPicZoomOut(const Sender& sender = {});
    // The sender's doubleValue in percent; negative or non-finite values are ignored.
    void inPicSetZoomBy(const Sender& sender = {});
    // Keeps the previous centre while the scale is zero or not finite.
    void findLeftCenterPoint();
    // Scrolls the left panel's centre to the sender's doubleValue across.
    void moveXSlider(const Sender& sender = {});
    double scaleSlider() const { return m_scaleSlider; }
    double xSliderMoverMax() const { return m_xSliderMoverMax; }

    // --- Start-up, shut-down, window and split view ---------------------------------------
    // The wiring after the window exists: observers in their fixed order, the temporary
    // folder, the frame's first styles, the stored settings, the first save armed.
    void awakeFromNib();
    void applicationWillFinishLaunching();
    // Reopens the most recent picture if so configured (and Shift was not held at start).
    void onFinishLaunch(const Notification& notification = {});
    // Termination: the last drag file goes, then the settings are written unless quick quit.
    void onQuit(const Notification& notification = {});
    void quickQuit(const Sender& sender = {});
    // The close button asks first; only "Close and Quit" closes.
    bool windowShouldClose();
    void windowWillClose();
    bool windowShouldZoomToFrame();
    void windowDidResize();
    void windowDidEnterFullScreen();
    void windowDidExitFullScreen();
    void onCropperEndsLiveResize();
    // The split view keeps each divider 120 points from either end.
    static double splitViewConstrainMinCoordinate(double proposedMinimum) { return proposedMinimum + 120; }
    static double splitViewConstrainMaxCoordinate(double proposedMaximum) { return proposedMaximum - 120; }
    // The right panel's width after a resize; below 120 points the render stops.
    void splitViewDidResizeSubviews(double rightScrollViewWidth, bool hasRightScrollView = true);
    // The menu item that repeats the last rotation is enabled only after a rotation.
    bool validateMenuItem(int tag) const;
    static constexpr int kLastRotationMenuTag = 7001;
    double lastRotatedAngle() const { return m_lastRotatedAngle; }
    void setLastRotatedAngle(double degrees) { m_lastRotatedAngle = degrees; }
    bool applicationOpenFile(const QString& path);
    void handleOpenContentsEventReplyEvent() { }

    // Shows a picture file as the new source (until file lists exist): decode, place the
    // frame by the opening rule, fit, render. A file that cannot be read leaves the
    // previous picture and says why.
    bool openPicture(const QString& path);

    const QString& temporaryPath() const { return m_temporaryPath; }
    const QString& currentOutputPath() const { return m_currentOutputPath; }
    bool firstTimeSaving() const { return m_firstTimeSaving; }
    bool dontSavePreferences() const { return m_dontSavePreferences; }
    bool openLastFileOnAppLaunch() const { return m_openLastFileOnAppLaunch; }
    void setOpenLastFileOnAppLaunch(bool on);
    const QStringList& recentImages() const { return m_recentImages; }
    void setRecentImages(const QStringList& paths);
    const QString& fixedAspectCheckToolTip() const { return m_fixedAspectCheckToolTip; }
    const QString& windowTitle() const { return m_windowTitle; }

    // --- Preferences: the settings store -----------------------------------------------------
    // The store the settings are read from at start and written to at quit (borrowed; it
    // gets the registered defaults). Without one the controller keeps an empty store in
    // memory, so nothing of the user's own settings is touched.
    void setUserDefaults(UserDefaults* defaults);
    UserDefaults& userDefaults() { return *m_userDefaults; }
    // Every stored value, through its setter, in a fixed order (see the .cpp); rendering is
    // held back to the end. Holding Shift while it runs switches reopening the last picture off.
    void defaultsRead();
    // Every value into the store, then the store to its file. False (said once) when the
    // file could not be written.
    bool defaultsWrite();
    // Called for every write, after the values are in the store and before it is written
    // (tests count writes; presets add theirs).
    void setDefaultsWriter(std::function<void()> writer) { m_defaultsWriter = std::move(writer); }
    // The preferences window: shown over the main window; OK and Cancel only close it, the
    // options act at once and reach the store at quit.
    void showPreferencesPanel(const Sender& sender = {});
    void thePreferencesSheetOK(const Sender& sender = {});
    void thePreferencesSheetCancel(const Sender& sender = {});
    // Says once per run that the settings cannot be kept, when the store's folder cannot
    // be written (part of onFinishLaunch).
    void checkSettingsCanBeSaved();

    // Crop frame appearance ("cropperStyle", "guidesStyle", "customLineColor"): 0 dashed,
    // 1 soft in the user's colour, 2 veiled (frame) or soft black (guides). A guide style
    // outside 0..2 becomes 0; any other frame style draws no outline.
    int cropperStyle() const { return m_leftPanel.selRect()->borderStyle(); }
    void setCropperStyle(int style);
    int guidesStyle() const { return m_leftPanel.selRect()->guidesStyle(); }
    void setGuidesStyle(int style);
    QColor customLineColor() const { return m_leftPanel.selRect()->customLineColor(); }
    void setCustomLineColor(const QColor& color);

    // --- Quick resize ------------------------------------------------------------------
    // The panel's twenty sizes and its two choices; editing the chosen size applies it.
    PkResizerScreen& resizerController() { return m_resizerController; }
    const PkResizerScreen& resizerController() const { return m_resizerController; }
    // Observer of "QuickResizeNotification": fixes (or frees) the output sides as chosen.
    void quickResizeWidth(const Notification& notification = {});
    // What the panel's controls call: choose an entry (1–10), 11 fixed at the current
    // value, 0 free; the choice applies at once.
    void chooseQuickResizeWidth(int choice);
    void chooseQuickResizeHeight(int choice);
    // Asks first ("Reset values to defaults"); answers whether the sizes were reset.
    bool resetQuickResizeSizes(const Sender& sender = {});

    // --- Decorations: borders, logo, captions ----------------------------------------
    const DecorationSettings& decorations() const { return m_decorations; }
    // The master check boxes; turning one on or off redraws.
    bool textCaption1Check() const { return m_decorations.captionsOn; }
    void setTextCaption1Check(bool on);
    bool border1Check() const { return m_decorations.bordersOn; }
    void setBorder1Check(bool on);

    // Captions (index 0 or 1). Each setter stores and redraws while captions are on.
    const CaptionSettings& caption(int index) const;
    void setCaptionShown(int index, bool show);
    void setCaptionTextString(int index, const QString& text);
    // Keeps the font's family; the panel's label shows captionFontNameLabel.
    void setCaptionFontName(int index, const QFont& font);
    QString captionFontNameLabel(int index) const;
    void setCaptionTextColor(int index, const QColor& color);
    void setCaptionOutlineColor(int index, const QColor& color);
    void setCaptionOutlined(int index, bool outlined);
    void setCaptionOpaque(int index, float opaque);
    void setCaptionWidthValue(int index, float value);
    void setCaptionOffsetXValue(int index, float value);
    void setCaptionOffsetYValue(int index, float value);
    void setCaptionLocationValue(int index, int location);
    void updateZentCaptions();
    // The tag pop-up: sender.tag 1 edits caption 1, any other caption 2; sender.intValue is
    // the chosen item's tag.
    void addTagToCaption(const Sender& sender);
    // sender.tag 1 resets caption 1's text to "$f$P$s", any other caption 2's to "$d - $t".
    void resetCaption(const Sender& sender);
    // The font panel, preselecting the caption's font; a choice applies at once.
    void changeCaption1Font(const Sender& sender = {});
    void changeCaption2Font(const Sender& sender = {});
    void onChangeCaption1Font(const QFont& font);
    void onChangeCaption2Font(const QFont& font);
    QString formatZentCaption(const QString& text) const;

#define QUILLUM_CAPTION_PROPERTIES(N, I)                                                                    \
    bool showCaption##N() const { return caption(I).show; }                                                 \
    void setShowCaption##N(bool v) { setCaptionShown(I, v); }                                               \
    const QString& caption##N##TextString() const { return caption(I).text; }                              \
    void setCaption##N##TextString(const QString& v) { setCaptionTextString(I, v); }                        \
    const QString& caption##N##FontName() const { return caption(I).fontName; }                             \
    void setCaption##N##FontName(const QFont& v) { setCaptionFontName(I, v); }                              \
    QString caption##N##FontNameLabel() const { return captionFontNameLabel(I); }                           \
    const QColor& caption##N##TextColor() const { return caption(I).textColor; }                            \
    void setCaption##N##TextColor(const QColor& v) { setCaptionTextColor(I, v); }                           \
    const QColor& caption##N##OutlineColor() const { return caption(I).outlineColor; }                      \
    void setCaption##N##OutlineColor(const QColor& v) { setCaptionOutlineColor(I, v); }                     \
    bool caption##N##Outlined() const { return caption(I).outlined; }                                       \
    void setCaption##N##Outlined(bool v) { setCaptionOutlined(I, v); }                                      \
    float caption##N##Opaque() const { return caption(I).opaque; }                                          \
    void setCaption##N##Opaque(float v) { setCaptionOpaque(I, v); }                                         \
    float caption##N##WidthValue() const { return caption(I).widthValue; }                                  \
    void setCaption##N##WidthValue(float v) { setCaptionWidthValue(I, v); }                                 \
    float caption##N##OffsetXValue() const { return caption(I).offsetXValue; }                              \
    void setCaption##N##OffsetXValue(float v) { setCaptionOffsetXValue(I, v); }                             \
    float caption##N##OffsetYValue() const { return caption(I).offsetYValue; }                              \
    void setCaption##N##OffsetYValue(float v) { setCaptionOffsetYValue(I, v); }                             \
    int caption##N##LocationValue() const { return caption(I).locationValue; }                              \
    void setCaption##N##LocationValue(int v) { setCaptionLocationValue(I, v); }
    QUILLUM_CAPTION_PROPERTIES(1, 0)
    QUILLUM_CAPTION_PROPERTIES(2, 1)
#undef QUILLUM_CAPTION_PROPERTIES

    // Borders (index 0, 1 or 2). Each setter stores and redraws while borders are on.
    const BorderSettings& border(int index) const;
    void setBorderShown(int index, bool show);
    void setBorderColor(int index, const QColor& color);
    void setBorderOffsetTop(int index, float value);
    void setBorderOffsetBottom(int index, float value);
    void setBorderOffsetLeft(int index, float value);
    void setBorderOffsetRight(int index, float value);
    void setBorderPenSize(int index, float value);
    void setBorderPenOpaque(int index, float value);
    void setBorderOffset(int index, const std::array<double, 4>& rect);
    void updateZentBorders();
    // The registered values again, rendered once.
    void resetBorder(int index);
    void resetBorder1(const Sender& = {}) { resetBorder(0); }
    void resetBorder2(const Sender& = {}) { resetBorder(1); }
    void resetBorder3(const Sender& = {}) { resetBorder(2); }

#define QUILLUM_BORDER_PROPERTIES(N, I)                                                                     \
    bool showBorder##N() const { return border(I).show; }                                                   \
    void setShowBorder##N(bool v) { setBorderShown(I, v); }                                                 \
    const QColor& border##N##Color() const { return border(I).color; }                                      \
    void setBorder##N##Color(const QColor& v) { setBorderColor(I, v); }                                     \
    float border##N##OffsetTop() const { return border(I).offsetTop; }                                      \
    void setBorder##N##OffsetTop(float v) { setBorderOffsetTop(I, v); }                                     \
    float border##N##OffsetBottom() const { return border(I).offsetBottom; }                                \
    void setBorder##N##OffsetBottom(float v) { setBorderOffsetBottom(I, v); }                               \
    float border##N##OffsetLeft() const { return border(I).offsetLeft; }                                    \
    void setBorder##N##OffsetLeft(float v) { setBorderOffsetLeft(I, v); }                                   \
    float border##N##OffsetRight() const { return border(I).offsetRight; }                                  \
    void setBorder##N##OffsetRight(float v) { setBorderOffsetRight(I, v); }                                 \
    float border##N##PenSize() const { return border(I).penSize; }                                          \
    void setBorder##N##PenSize(float v) { setBorderPenSize(I, v); }                                         \
    float border##N##PenOpaque() const { return border(I).penOpaque; }                                      \
    void setBorder##N##PenOpaque(float v) { setBorderPenOpaque(I, v); }                                     \
    const std::array<double, 4>& border##N##Offset() const { return border(I).offset; }                     \
    void setBorder##N##Offset(const std::array<double, 4>& v) { setBorderOffset(I, v); }
    QUILLUM_BORDER_PROPERTIES(1, 0)
    QUILLUM_BORDER_PROPERTIES(2, 1)
    QUILLUM_BORDER_PROPERTIES(3, 2)
#undef QUILLUM_BORDER_PROPERTIES

    // Logo.
    const LogoSettings& logo() const { return m_decorations.logo; }
    bool drawLogo() const { return m_decorations.logo.drawLogo; }
    void setDrawLogo(bool on);
    const QString& logoFileName() const { return m_decorations.logo.logoFileName; }
    void setLogoFileName(const QString& name) { m_decorations.logo.logoFileName = name; }
    float logoWidthValue() const { return m_decorations.logo.widthValue; }
    float logoHeightValue() const { return m_decorations.logo.heightValue; }
    bool logoProportionalResize() const { return m_decorations.logo.proportionalResize; }
    float logoOffsetXValue() const { return m_decorations.logo.offsetXValue; }
    float logoOffsetYValue() const { return m_decorations.logo.offsetYValue; }
    int logoLocationValue() const { return m_decorations.logo.locationValue; }
    float logoOpaqueValue() const { return m_decorations.logo.opaqueValue; }
    // With proportions kept, the other side follows the logo image's proportions.
    void setLogoWidthValue(float value);
    void setLogoHeightValue(float value);
    void setLogoProportionalResize(bool on);
    void setLogoOffsetXValue(float value);
    void setLogoOffsetYValue(float value);
    void setLogoLocationValue(int location);
    void setLogoOpaqueValue(float value);
    // The logo panel and its well.
    PkLogoScreen& logoSetupWindow() { return m_logoScreen; }
    const PkLogoScreen& logoSetupWindow() const { return m_logoScreen; }
    PkLogoImgView& logoImageView() { return m_logoScreen.logoImageView(); }
    // Observer of "NewLogoImageWasLoaded": unusable sizes become 10, the other side is fitted.
    void adjustLogoSizes(const Notification& notification = {});
    // Observer of "NewLogoWasDroppedNotification".
    void setDroppedLogoFileName(const Notification& notification = {});
    // The built-in logo and the registered placement again, rendered once.
    void resetLogo(const Sender& sender = {});
    // The open panel for a logo file; a file that cannot be read empties the well, turns
    // the logo off and says why.
    void loadLogoImage(const Sender& sender = {});
    bool openLogoFile(const QString& path);
    // A drop of files on the well: the first is read as the logo, or the user is told why.
    bool dropFilesOnLogoWell(const QStringList& fileNames);
    void clearLogoImage(const Sender& sender = {});

    // --- MyPresets: the preset library, the Presets menu and the two preset sheets -------
    // zent3controllerMyPresets.cpp. The library's own rules live in presets/PresetLibrary.
    const PresetLibrary& mySavedPresets() const { return m_mySavedPresets; }
    // Replaces the library and rebuilds the menu (start-up, tests); not stored.
    void setMySavedPresets(PresetList entries);
    // The Presets menu as data; every entry runs its command.
    MenuModel& presetsMenu() { return m_presetsMenu; }
    void remakePresetMenu();
    // The built-in set, written to the store at once.
    void makeDefaultMenu();
    // sender.tag: a library index, -1 restore defaults, -2 the display preset.
    void onMyPresetMenuSelected(const Sender& sender);
    ZentFullPresetRec makePresetWithCurrentStateNamed(const QString& name) const;
    // Applies the remembered groups only; the frame then follows the aspect and renders once.
    void loadPresetToController(const ZentFullPresetRec& preset);
    // The library into the store and the store to its file; false (said) when not written.
    bool storePresetLibrary();

    // The naming sheet ("newPresetSheet"): open with the candidate's suggested name.
    void addThisPreset(const Sender& sender = {});
    const NewPresetSheet& newPresetSheet() const { return m_newPresetSheet; }
    void setRememberBox(RememberGroup group, bool on);
    void rememberAll(const Sender& sender = {});
    void rememberNone(const Sender& sender = {});
    void rememberListChanged(const Sender& sender = {});
    void makeSuggestedNameAndShow();
    // The user typed in the name field.
    void setNewPresetName(const QString& name);
    void theNewPresetNameOK(const Sender& sender = {});
    void theNewPresetNameCancel(const Sender& sender = {});

    // The presets panel ("mySavedPresets", "myPresetsSelection").
    void showMyPresetsPanel(const Sender& sender = {});
    int numberOfRowsInTableView() const { return m_mySavedPresets.size(); }
    QString tableViewObjectValueForRow(int row) const;
    bool tableViewShouldEditRow(int row) const { return m_mySavedPresets.isPreset(row); }
    void tableViewSetObjectValueForRow(const QString& name, int row);
    // -1 for no selection.
    void tableViewSelectionDidChange(int row);
    const PresetsPanelState& myPresetsPanel() const { return m_myPresetsPanel; }
    // A drop of the row dragged from `firstDraggedRow` at `row` (0…rows).
    bool tableViewAcceptDrop(int firstDraggedRow, int row);
    void theMyPresetsUseThisPreset(const Sender& sender = {});
    void removeSelectedPreset(const Sender& sender = {});
    void addSeparatorLine(const Sender& sender = {});
    // True only when the file was written.
    bool savePresetsToFileAction();
    void savePresetsToFile(const Sender& sender = {});
    void loadPresetsFromFile(const Sender& sender = {});
    void appendPresetsFromFile(const Sender& sender = {});
    void resetPresetsToDefault(const Sender& sender = {});
    void deleteAllPresets(const Sender& sender = {});
    void theMyPresetsSheetOK(const Sender& sender = {});
    void theMyPresetsSheetCancel(const Sender& sender = {});

    // --- Loading: showing the current picture of the list ------------------------------
    // The paste command and a drop: a file opens as a new list, else image data shows as a
    // pasted picture, else "Paste Error". True when a picture is shown.
    bool pastePicture(const QMimeData* pasteboard);
    enum class PasteResult { Shown, NotOpened, NothingUsable };
    PasteResult takePictureFromPasteboard(const QMimeData* pasteboard);
    // Shows pics()[currentPicIndex()] as the new source (decode or take the look-ahead,
    // turn by EXIF orientation if so set, place the frame, render, pre-read the next one).
    // A file that cannot be read is said so, and the panels show nothing rather than the
    // previous picture, so the counter, the title and the picture always agree.
    bool showCurrentPicture();
    // Shows an in-memory picture (a drop, a paste, a capture): no look-ahead, no EXIF turn,
    // the output name base "New Image".
    void showPastedPicture(BitmapImageRep picture);
    // A drop on the left panel: the first local file opens as a new list, else image data
    // is shown as a pasted picture, else "Paste Error". The panel is answered either way.
    void onDroppedInputFile(const Notification& notification);
    static BitmapImageRep bitmapFromImage(const QImage& image);
    // Decodes `path` (or takes the look-ahead's decode of it) and makes it the source; on
    // failure says why through the UI and changes nothing.
    bool loadRepByName(const QString& path);
    void preLoadRepByName(const QString& path) { m_lookAhead.preLoadRepByName(path); }
    void readAheadAfterRender(const QString& path);
    void startDeferredReadAhead();
    // Stops the decodes running in the background without waiting for them (quitting
    // does, and the window's Escape may); a picture asked for later is decoded afresh.
    void cancelDecoding() { m_lookAhead.cancel(); }
    // The path the look-ahead is decoding or holds (empty when none).
    QString lookAheadPath() const { return m_lookAhead.pendingPath(); }
    // Reading the next picture ahead is on unless switched off (to measure what it saves).
    void setLookAheadEnabled(bool on) { m_lookAheadEnabled = on; }
    // The rotation-button thumbnails are drawn unless switched off (nothing shows them).
    void setRotationThumbnailsEnabled(bool on) { m_rotationThumbnailsEnabled = on; }
    // Device pixels to the point of the screen the buttons are on: their thumbnails are
    // drawn at that resolution.
    void setRotationThumbnailPixelRatio(double ratio) { m_thumbnails.setPixelRatio(ratio); }
    void loadRepByImageObject(BitmapImageRep picture);
    // Measures the source, refreshes its description and puts it into the left panel.
    void showRepInLeftPanel();
    void showMainTitle();
    // The four rotation-button thumbnails of the shown picture, drawn on a worker; the
    // buttons 0, 90, 180, 270 get them by the source's current angle ("rotationThumbnails").
    void drawRotationThumbsToButtons();
    std::array<std::shared_ptr<const BitmapImageRep>, 4> rotationButtonThumbnails();
    // Screen captures become the picture like a paste; a cancelled capture changes nothing
    // and says nothing.
    void takeScreenshot(const Sender& sender = {});
    void takeFullScreenshot(const Sender& sender = {});
    void takeWindowScreenshot(const Sender& sender = {});
    // Offers itself to services that send nothing and return an image.
    static bool validRequestorForSendTypeReturnType(const QString& sendType, const QString& returnType);
    // Takes image data (or file names) from a clipboard or a drop; false when it holds none.
    bool readSelectionFromPasteboard(const QMimeData* pasteboard);
    // Counts every source put into the left panel, so views know to rebuild their copy.
    std::uint64_t sourceGeneration() const { return m_sourceGeneration; }
    bool useEXIfRotation() const { return m_useEXIfRotation; }
    void setUseEXIfRotation(bool on) { m_useEXIfRotation = on; }
    bool onOpeningMaxAndNewAspectControl() const { return m_onOpeningMaxAndNewAspectControl; }
    void setOnOpeningMaxAndNewAspectControl(bool on) { m_onOpeningMaxAndNewAspectControl = on; }
    const QString& imagePath() const { return m_imagePath; }
    Rect lastSavedRect() const { return m_lastSavedRect; }
    const QStringList& pics() const { return m_pics; }
    int currentPicIndex() const { return m_currentPicIndex; }
    const QString& home() const { return m_home; }

    // --- Navigation ---------------------------------------------------------------------
    // The list of a folder's pictures (input/FileList) and the moves through it. A folder
    // without pictures changes nothing: list, position, folders and buttons stay.
    // Builds the list from the picture's folder and shows that picture (or the first one
    // when the path is not in the list).
    // A folder is listed itself. True when a picture is shown; a folder without pictures
    // says so and changes nothing.
    bool createListFor(const QString& path, bool includeSubfolders);
    // Builds the list from a folder, never recursive, and shows its first picture.
    bool createListForFolder(const QString& folder);
    // Open panel with the include-subfolders option; the last chosen file is shown.
    void showFileList(const Sender& sender = {});
    // Open panel whose option is ignored: the chosen file's folder only.
    void makeList(const Sender& sender = {});
    void createListWithDialogue();
    // Beyond either end, or without a list, nothing changes and nothing is shown.
    void goNextPic(const Sender& sender = {});
    void goPrevPic(const Sender& sender = {});
    void goFirstPic(const Sender& sender = {});
    void goLastPic(const Sender& sender = {});
    // The four buttons' enabled states, announced as "navigationButtons"; all off without
    // a list.
    void verifyButtons();
    bool prevButtonEnabled() const { return m_prevButtonEnabled; }
    bool nextButtonEnabled() const { return m_nextButtonEnabled; }
    bool firstButtonEnabled() const { return m_firstButtonEnabled; }
    bool lastButtonEnabled() const { return m_lastButtonEnabled; }
    // "%lu/%lu": position from 1 and the list length; announced as "fileCounter".
    void displayFileCounter();
    const QString& fileCounter() const { return m_fileCounter; }
    // Drops the picture and the output; the list, position and counter stay.
    void closeImage(const Sender& sender = {});
    // Stock images of the 0, 90, 180 and 270 degree buttons ("rotationButtonImages").
    const QStringList& rotationButtonImageNames() const { return m_rotationButtonImageNames; }
    // The open panels start here ("currentInputPath"); the home folder until a list exists.
    QString currentInputPath() const;
    void setCurrentInputPath(const QString& path);

    // Recent lists (newest first, at most 10, temporary locations never recorded). The
    // loader notes every picture it shows: the file and its folder.
    void noteRecentImage(const QString& path);
    // A successful save notes its folder.
    void noteRecentOutputFolder(const QString& folder);
    const QStringList& recentInFolders() const { return m_recentInFolders; }
    const QStringList& recentOutFolders() const { return m_recentOutFolders; }
    void setRecentInFolders(const QStringList& paths);
    void setRecentOutFolders(const QStringList& paths);
    // Drops entries whose path no longer exists (once, while the settings are read).
    void validateRecentMenus();
    // Rebuilds one of the three menus below from its list; any other menu is emptied.
    void menuNeedsUpdate(MenuModel& menu);
    MenuModel& recentImagesMenu() { return m_recentImagesMenu; }
    MenuModel& recentInFoldersMenu() { return m_recentInFoldersMenu; }
    MenuModel& recentOutFoldersMenu() { return m_recentOutFoldersMenu; }
    // The entry at the sender's tag.
    void pkOpenRecentImage(const Sender& sender = {});
    // The sender's title; the folder already open with a non-empty list is left as it is.
    void pkOpenRecentFolder(const Sender& sender = {});
    // The sender's title becomes the output folder; the next save asks again.
    void pkSetRecentOutputFolder(const Sender& sender = {});
    void clearRecentImagesMenu(const Sender& sender = {});
    void clearRecentInFoldersMenu(const Sender& sender = {});
    void clearRecentOutFoldersMenu(const Sender& sender = {});
    // The entry itself (a final symbolic link is not followed); nothing without an entry.
    static std::optional<std::int64_t> fileSizeForFile(const QString& path);
    static std::optional<QDateTime> modDateForFile(const QString& path);

    // --- Source rotation ------------------------------------------------------------------
    // Recomputes the source at an absolute angle (degrees, counter-clockwise) from the
    // backup; the callers show it and render.
    void rotateScrImageBy(float degrees);
    void inPicRotate0(const Sender& sender = {});
    void inPicRotate90(const Sender& sender = {});
    void inPicRotate180(const Sender& sender = {});
    void inPicRotate270(const Sender& sender = {});
    // The sender's doubleValue as the angle.
    void inPicRotateBy(const Sender& sender = {});
    void rotateLast(const Sender& sender = {});
    void selectionDidRotation();
    // "Last Rotation: %1.2f" ("lastRotation"); the rotation field shows the source angle
    // ("rotationField").
    const QString& lastRotationTitle() const { return m_lastRotationTitle; }
    float rotationFieldValue() const { return m_leftPanel.selRect()->preRotatedAngleDegs(); }

    // --- Edit snapshots (zent3controllerHistory.cpp; the undo history is EditHistory) -----
    EditSnapshot editSnapshot() const;
    // Puts the crop and the output settings back and renders once, as applying a preset
    // does; nothing is written, no other picture is shown, the last rotation is kept.
    void restoreEditSnapshot(const EditSnapshot& snapshot);
    // The name of the edit a command just made, where the changed fields would not tell it
    // ("Apply Preset", "Turn Frame"); empty otherwise. Taking it clears it.
    QString takeEditName() { return std::exchange(m_editName, {}); }

    // --- Output file naming ---
    // The name field's text is currentOutputFileName (the base name of the next output,
    // stored at quit); every change is announced under the property's name.
    const QString& currentOutputFileName() const { return m_currentOutputFileName; }
    void setCurrentOutputFileName(const QString& name);
    const QString& initialCustomOutputFileName() const { return m_initialCustomOutputFileName; }
    void setInitialCustomOutputFileName(const QString& name);
    // 0 (and negative) counts per picture, 1 (and above 2) runs on, 2 keeps the source's name.
    int outputFileRule() const { return m_outputFileRule; }
    void setOutputFileRule(int rule);
    // Announced so the main window's pop-up selects it; stored as its index.
    ImageFileType currentOutputFileType() const { return m_currentOutputFileType; }
    void setCurrentOutputFileType(ImageFileType type);
    // The home folder while unset.
    QString currentSpecialOutputPath() const;
    void setCurrentSpecialOutputPath(const QString& path);
    void setCurrentOutputPath(const QString& path);
    void setTemporaryPath(const QString& path);
    // Full path of the file made when the output is dragged out; the output view reads it.
    const QString& draggedFileName() const { return m_draggedFileName; }

    // Applies the rule for a newly shown picture whose file name (no extension) is `base`.
    void setOutputFileNameFieldText(const QString& base);
    // An in-memory picture: the rule with "New Image", and the drag file named "New Image".
    void setPastedPictureOutputFileName();
    // After a save or a drag-out: advances the name's counter (nothing under rule 2) and
    // shows the saved-file label.
    void incrementCurrentFileName();
    // The counter alone, without the label.
    void countOnOutputFileName();
    void changeDraggedFileName(const QString& base);
    // An unset output folder becomes the home folder.
    void changeOutputFileName(const QString& base);
    // The name field's edit ends: the sender's title is the new name.
    void onOutFileName(const Sender& sender = {});
    // The file-type pop-up: the sender's intValue is the selected index.
    void onTypeChangeAtMainScreen(const Sender& sender = {});
    // Opens the output folder in the file manager when one is set.
    void showOutputFolderInFinder(const Sender& sender = {});

    // --- Saving -------------------------------------------------------------------------
    // One keystroke (or a double click into the frame) saves the output under the current
    // name; a write that fails is reported and changes nothing (no label, no new name, no
    // sound, no advance). True when a file was written.
    bool saveCrop(const Sender& sender = {});
    bool saveCropWithDialogue(const Sender& sender = {});
    bool saveCropWithSpecialDialogue(const Sender& sender = {});
    bool saveCropToPath(const QString& path);
    // Writes the rendered output to `path` as a `type` file with `options`. When this save
    // only crops a JPEG file (whyNotLossless, output/LosslessSave.h) the source's blocks are
    // copied instead, the crop's top-left corner moved left and up onto the JPEG's MCU grid;
    // otherwise, or when the source's JPEG data turns out damaged, the normal encoder writes
    // it and `*whyNot` (may be null) says why in a short clause. `*whyNot` is empty after a
    // lossless write. The failure of either write is the result; it leaves no file.
    [[nodiscard]] Status writeCropLosslessWhenPossible(
        const QString& path, ImageFileType type, const EncodeOptions& options, QString* whyNot) const;
    // "Lossless when possible": saves that only crop a JPEG file copy its blocks.
    bool losslessWhenPossible() const { return m_losslessWhenPossible; }
    void setLosslessWhenPossible(bool on);
    bool playSoundOnSave() const { return m_playSoundOnSave; }
    void setPlaySoundOnSave(bool on) { m_playSoundOnSave = on; }
    bool advanceToNextOnCrop() const { return m_advanceToNextOnCrop; }
    void setAdvanceToNextOnCrop(bool on) { m_advanceToNextOnCrop = on; }
    // When a save advances, the file is encoded on another thread while the next picture is
    // made ready (the window); off, it is written first (the command line, most tests). The
    // results are the same either way.
    // saveCrop then returns once the next picture is shown; the write's outcome is taken
    // when it arrives through the event loop, or by the next command that needs it.
    void setWriteWhileAdvancing(bool on);
    bool writeWhileAdvancing() const { return m_writeWhileAdvancing; }
    bool saveIsPending() const { return m_pendingSave.has_value(); }
    // Waits for a write still running and takes its outcome; false when it failed (the
    // user is then back on its photo, told why).
    bool finishPendingSave();
    int currentJpegQuality() const { return m_currentJpegQuality; }
    void setCurrentJpegQuality(int q) { m_currentJpegQuality = std::clamp(q, 0, 100); }
    bool currentSaveWithMetadata() const { return m_currentSaveWithMetadata; }
    void setCurrentSaveWithMetadata(bool on) { m_currentSaveWithMetadata = on; }
    bool currentSavingLandscape() const { return m_currentSavingLandscape; }
    void setCurrentSavingLandscape(bool on) { m_currentSavingLandscape = on; }
    bool noTransparencyChannel() const { return m_noTransparencyChannel; }
    void setNoTransparencyChannel(bool on) { m_noTransparencyChannel = on; }
    void setFirstTimeSaving(bool on) { m_firstTimeSaving = on; }
    void setLastSavedRect(const Rect& r) { m_lastSavedRect = r; }
    const QString& lastSavedPath() const { return m_lastSavedPath; }
    // What the saved-file label says: the file last saved, or last dragged out.
    const QString& savedLabelText() const { return m_savedLabelText; }
    // Dragging the output out: the output written to the drag file, named after the output
    // in this run's private temporary folder (the previous drag's file removed first); empty,
    // and said, when it could not be written or there is no such folder (said once).
    QString writeDragFile();
    void removeLastTemporaryFile();
    // The last drag file, then this run's temporary folder if it is empty.
    void removeTemporaryFolder();

    // --- Menus as data (the window builds its menus from them) -----------------------------
    // The left panel's zoom menu: 101 zoom in ("+"), 102 zoom out ("-"), 103 fit ("9"),
    // 104 actual size ("0").
    MenuModel& mainZoomMenu() { return m_mainZoomMenu; }
    // The application menu ("Check for Updates…" is inserted after launch).
    MenuModel& applicationMenu() { return m_applicationMenu; }

    // --- FullScreen ---------------------------------------------------------------------
    // The full-screen viewer: the source (sender tag 1) or the output alone, zoomable. The
    // panel is shown through UiServices; its widget paints fullScreenImage() at
    // zentFullScreenView()'s geometry. Announces "fullScreenIsOpen", "fullScreenImage" (the
    // picture or fullScreenShowCrop changed) and "fullScreenGeometry" (scale, frame, scroll).
    void fullScreen(const Sender& sender = {}); // opens, or closes when open
    void fullScreenInOutToggle(const Sender& sender = {});
    // Keeps an open viewer current: a picture replaces the shown one of its own kind only
    // (asCrop: the output). The viewer holds the output it shows.
    void showImageInFullScreenAsCrop(std::shared_ptr<const BitmapImageRep> image, bool asCrop);
    // Takes only the controller's own source or current output: a borrowed pointer could outlive
    // its picture.
    void showImageInFullScreenAsCrop(const BitmapImageRep* image, bool asCrop);
    // No limits; without a picture only the scale is stored.
    void scaleFullScreenPictureTo(float scale);
    void scaleFullScreenToFit(const Sender& sender = {});
    void scaleFullScreenTo100(const Sender& sender = {});
    // Named the reverse of their effect: Up shrinks (x 0.8), Down enlarges (x 1.2).
    void scaleFullScreenUp(const Sender& sender = {});
    void scaleFullScreenDown(const Sender& sender = {});
    // The panel's scroll view took a new size; the scroll origin is constrained again.
    void setFullScreenScrollViewFrameSize(Size size);
    void windowDidResignKey() { }
    void windowDidResignMain() { }
    bool fullScreenIsOpen() const { return m_fullScreenIsOpen; }
    // True while the viewer shows the output, false while it shows the source.
    bool fullScreenShowCrop() const { return m_fullScreenShowCrop; }
    // What the open viewer shows (null when closed or empty); the source is read live.
    const BitmapImageRep* fullScreenImage() const;
    PkCenterImageView& zentFullScreenView() { return m_zentFullScreenView; }
    const PkCenterImageView& zentFullScreenView() const { return m_zentFullScreenView; }
    static constexpr int kFullScreenFirstMenuTag = 9990;
    static constexpr int kFullScreenLastMenuTag = 9996;

    // --- Auxiliary panels, help and web ---------------------------------------------------
    // Setup panels come forward floating, first pulled back onto the main screen
    // (platform/WindowPosition); the picture correction window skips the position check.
    // Nothing happens without UiServices.
    void showCaptionsSetup(const Sender& sender = {});
    void showBorderSetup(const Sender& sender = {});
    void showLogoSetup(const Sender& sender = {});
    void showResizerPanel(const Sender& sender = {});
    void showPictureCorrectionWindow(const Sender& sender = {});
    // Open the product's and the maker's home pages in the user's browser.
    void goToQuillumHomePage(const Sender& sender = {});
    void goToLorvaneHomePage(const Sender& sender = {});
    // Each opens the help topic (anchor) of its own name.
    void helpMainScreen(const Sender& sender = {});
    void helpResizeTool(const Sender& sender = {});
    void helpLogo(const Sender& sender = {});
    void helpBorders(const Sender& sender = {});
    void helpCaptions(const Sender& sender = {});
    void helpPreferencesGeneral(const Sender& sender = {});
    void helpPreferencesSaving(const Sender& sender = {});
    void helpPreferencesAdvanced(const Sender& sender = {});
    void helpSave(const Sender& sender = {});
    void helpMyPresetsGeneral(const Sender& sender = {});
    void helpMyPresetsEditList(const Sender& sender = {});
    // Asks the updater to check; its answer comes back as an alert, and a newer release
    // offers the home page. Nothing is ever downloaded or installed.
    void runUpdater(const Sender& sender = {});
    // Gives the updater its feed address; part of applicationWillFinishLaunching.
    void prepareUpdater();
    // Appends "Check for Updates…" (runUpdater, no key) to applicationMenu() unless an item
    // with its tag is already there.
    void insertCheckForUpdatesItem();
    static constexpr int kCheckForUpdatesItemTag = 901;
    // For tests: the updater used (borrowed; null means sharedUpdater()) and its feed
    // address (empty means the published one).
    void setUpdater(class Updater* updater) { m_updater = updater; }
    void setUpdateFeedAddress(const QString& address) { m_updateFeedAddress = address; }
    QString updateFeedAddress() const;

private:
    void readDecorations(const UserDefaults& defaults);
    void readPresetLibrary(const UserDefaults& defaults);
    std::optional<PresetList> readPresetFileWithPanel();
    void presetLibraryChanged();
    void writeDecorations(UserDefaults& defaults) const;
    template <typename T> void setAndRender(T& member, T value, const char* key);
    void wireNotifications();
    void showOutputPicture();
    void failRender(const QString& reason);
    void renderOutput(Rect rect);
    void turnUprightByOrientation(int orientation);
    RenderRequest makeRenderRequest(const Rect& rect) const;
    std::optional<RenderRequest> makePreviewRequest(Rect rect);
    void previewOutputNow(Rect rect);
    bool rendersAsynchronously(const Rect& rect) const;
    void submitRender(std::uint64_t generation, RenderRequest request);
    void collectRender(std::uint64_t generation);
    void applyRenderResult(const RenderResult& result);
    void applyPreviewResult(const RenderResult& result);
    void clearOutputPreview();

    NotificationCenter& m_center;
    std::vector<NotificationCenter::ObserverId> m_observers;

    // Source.
    std::shared_ptr<BitmapImageRep> m_srcImageRep; // shared with the thumbnail worker
    std::unique_ptr<BitmapImageRep> m_backupSrcImageRep;
    QVariantMap m_sourceProperties;
    QString m_sourcePath;
    QString m_imageInfo;
    int m_sourcePixelsHigh = 0;
    int m_sourcePixelsWide = 0;
    int m_sourceSamplesPerPixel = 0;
    QString m_sourceColorSpaceName;

    // Working bitmap and output: after a render both hold the same bitmap.
    std::shared_ptr<BitmapImageRep> m_refImageRep;
    std::shared_ptr<BitmapImageRep> m_outPict;
    QString m_operationTimeLabel;
    QString m_renderFailure;
    bool m_outputFileSavedLabelHidden = true;
    OutputDecorator* m_decorator = &m_ownDecorator; // borrowed, or our own
    int m_renderBatchDepth = 0;
    bool m_renderPending = false;
    RenderMode m_renderMode = RenderMode::Synchronous;
    std::uint64_t m_renderGeneration = 0;
    std::uint64_t m_renderAwaited = 0; // the full render asked for and not applied (0: none)
    RenderRequest m_awaitedRequest; // run here when the worker abandoned it
    std::uint64_t m_lastFullRequest = 0; // no preview older than it is shown
    std::uint64_t m_previewShown = 0;
    std::shared_ptr<const BitmapImageRep> m_outputPreview;
    RotationThumbnails::Reduced m_previewSource; // the reduced copy of the source
    std::optional<UiWait> m_renderWait;

    // Output size.
    int m_outputWidthVal = 300;
    int m_outputHeighVal = 300;
    bool m_outputWidthIsFixed = false;
    bool m_outputHeightIsFixed = false;
    bool m_outputSizeUnproportionalStretch = false;

    // Effects.
    bool m_autoLevelsIsOn = false;
    bool m_autoLevelsIsLocked = false;
    HistoVals m_histoVals;
    bool m_pictureCorrectionIsOn = false;
    float m_gammaValue = 1.0f;
    float m_contrastValue = 0.0f;
    float m_redValue = 0.0f;
    float m_greenValue = 0.0f;
    float m_blueValue = 0.0f;
    bool m_flipVertical = false;
    bool m_flipHorizontal = false;
    bool m_invertIsOn = false;
    int m_outputModeTag = OutputModeColor;
    int m_sharpenLevel = 0;

    bool m_fixedAspectIsOn = false;
    int m_aspectXValue = 0;
    int m_aspectYValue = 0;

    // Views.
    PkCroppingImageView m_leftPanel; // after m_center: it posts on the same centre
    PkCenterImageView m_rightPanel;
    bool m_dontShowCropFlag = false;
    bool m_keepRightFitToView = true;

    // Selection and view commands.
    void requestLeftPanelRedraw();
    UiServices* m_uiServices = nullptr; // borrowed
    bool m_aspectFieldsEnabled = false;
    int m_onOpeningMaximizeSelection = 0;
    float m_onOpeningMargine = 0.1f;
    int m_compositionGuidesMenuMarkedTag = m_leftPanel.selRect()->compositionGudes();
    double m_xMoveSliderMax = 0.0;
    double m_yMoveSliderMax = 0.0;
    bool m_outputWidthFieldEnabled = false;
    bool m_outputHeightFieldEnabled = false;
    double m_scaleSlider = 100.0;
    double m_xSliderMoverMax = 0.0;

    // Start-up and shut-down.
    QString m_temporaryPath;
    QString m_currentOutputPath;
    QString m_fixedAspectCheckToolTip;
    QString m_windowTitle = QStringLiteral("Quillum");
    QStringList m_recentImages;
    bool m_firstTimeSaving = false;
    bool m_dontSavePreferences = false;
    bool m_openLastFileOnAppLaunch = true;
    bool m_isResizing = false;
    bool m_awake = false;
    bool m_shiftWasDownAtStart = false;
    double m_lastRotatedAngle = 0.0;
    std::function<void()> m_defaultsWriter;
    std::unique_ptr<UserDefaults> m_ownUserDefaults;
    UserDefaults* m_userDefaults = nullptr; // borrowed, or m_ownUserDefaults
    bool m_toldSettingsCannotBeSaved = false;
    DecorationSettings m_decorations;
    PkLogoScreen m_logoScreen { m_center };
    PkResizerScreen m_resizerController { m_center };
    Decorator m_ownDecorator { m_decorations, [this]() -> const QImage& { return m_logoScreen.logoImageView().image(); },
        [this] { return m_sourcePath; } };

    // The file list (filled by Navigation, shown by Loading).
    QString m_home;
    QStringList m_pics;
    int m_currentPicIndex = -1;

    // Loading state.
    bool showPictureAtPath(const QString& path, bool lookAhead);
    LookAhead m_lookAhead;
    QString m_imagePath;
    Rect m_lastSavedRect;
    std::uint64_t m_sourceGeneration = 0;
    bool m_useEXIfRotation = false;
    bool m_lastLoadWasStopped = false;
    bool m_lookAheadEnabled = true;
    bool m_rotationThumbnailsEnabled = true;
    void captureWithOption(int option);
    RotationThumbnails m_thumbnails;
    std::shared_ptr<int> m_aliveToken = std::make_shared<int>(0); // outlived checks from queued calls
    bool m_onOpeningMaxAndNewAspectControl = false;

    // Navigation state.
    // The list's picture shown, or the list kept when it is empty; true when a picture shows.
    bool adoptList(const QString& home, QStringList list, const QString& chosen);
    bool showListPicture();
    // The list's current entry could not be read: nothing is shown, the title names it.
    void showUnreadablePicture(const QString& path);
    void rebuildRecentMenus();
    QString m_currentInputPath;
    bool m_prevButtonEnabled = false;
    bool m_nextButtonEnabled = false;
    bool m_firstButtonEnabled = false;
    bool m_lastButtonEnabled = false;
    QString m_fileCounter;
    QStringList m_rotationButtonImageNames { QStringLiteral("TT1"), QStringLiteral("TL1"), QStringLiteral("TB1"),
        QStringLiteral("TR1") };
    QStringList m_recentInFolders;
    QStringList m_recentOutFolders;
    MenuModel m_recentImagesMenu;
    MenuModel m_recentInFoldersMenu;
    MenuModel m_recentOutFoldersMenu;

    // Source rotation state.
    void inPicRotateQuarter(float quarter);
    // Turns the source to an absolute angle from the backup, without noting a last rotation.
    void turnSourceTo(float degrees);
    QString m_lastRotationTitle = QStringLiteral("Last Rotation");

    // Edit history: what takeEditName() hands out.
    QString m_editName;

    // Output naming state.
    QString m_currentOutputFileName = QStringLiteral("ImageCrop-0001");
    QString m_initialCustomOutputFileName = QStringLiteral("ImageCrop-0001");
    int m_outputFileRule = 0;
    ImageFileType m_currentOutputFileType = ImageFileType::Jpeg;
    QString m_currentSpecialOutputPath;
    QString m_draggedFileName;

    // Saving state.
    bool saveOutputReady();
    // `whyNotLossless`: as writeCropLosslessWhenPossible's `whyNot`, when that option is on.
    [[nodiscard]] Status writeOutput(const QString& path, ImageFileType type, QString* whyNotLossless = nullptr) const;
    EncodeOptions currentEncodeOptions() const;
    SaveJob saveJobFor(
        const QString& path, ImageFileType type, const EncodeOptions& options, bool losslessWhenPossible) const;
    LosslessSaveState losslessSaveState(
        ImageFileType type, const EncodeOptions& options, JpegLayout* layout = nullptr) const;
    PixelRect clippedCut() const;
    bool saveCropWhileAdvancing(const QString& path);
    void noteSavedFile(const QString& path, const QString& whyNotLossless);
    QString m_deferredReadAhead; // the next file, read once the shown picture's output arrives
    bool m_writeWhileAdvancing = false;
    // A write running while the next picture shows, and what its failure puts back.
    struct PendingSave {
        std::unique_ptr<SaveWriter> writer;
        QString path;
        int index = -1;
        QString sourcePath;
        EditSnapshot edit;
        QString name;
        Rect lastSavedRect;
        bool labelHidden = true;
        QStringList recentImages;
        std::uint64_t labelHides = 0;
        std::uint64_t nameFieldSets = 0;
    };
    std::optional<PendingSave> m_pendingSave;
    // Counted so a save confirmed after the advance can tell what the advance changed.
    std::uint64_t m_savedLabelHides = 0;
    std::uint64_t m_nameFieldSets = 0;
    void presetSavePanel(UiServices::SavePanel& panel) const;
    void takeSavePanelChoices(const UiServices::SavePanel& panel);
    bool mayReplace(const QString& path, const QString& confirmed);
    bool m_playSoundOnSave = true;
    bool m_advanceToNextOnCrop = false;
    int m_currentJpegQuality = 90;
    bool m_currentSaveWithMetadata = true;
    bool m_currentSavingLandscape = false;
    bool m_losslessWhenPossible = false;
    bool m_noTransparencyChannel = true;
    QString m_lastSavedPath;
    QString m_savedLabelText;
    QString m_lastDraggedFileName;
    QString m_madeTemporaryPath; // this run's own, removed at the end
    QString m_temporaryPathProblem; // why there is no temporary folder
    bool m_temporaryPathProblemShown = false;

    MenuModel m_mainZoomMenu;
    MenuModel m_applicationMenu;

    // FullScreen state.
    void showInFullScreen(bool showCrop, std::shared_ptr<const BitmapImageRep> output);
    PkCenterImageView m_zentFullScreenView;
    bool m_fullScreenIsOpen = false;
    bool m_fullScreenShowCrop = false;
    std::shared_ptr<const BitmapImageRep> m_fullScreenOutput; // held while shown
    // The source last shown, compared only: it may be gone once the source is replaced.
    const BitmapImageRep* m_fullScreenSourceShown = nullptr;

    // Auxiliary panels state.
    Updater* m_updater = nullptr; // borrowed
    QString m_updateFeedAddress;
    // Update answers arrive later; they reach only a controller that still exists.
    std::shared_ptr<int> m_updaterAnswerToken = std::make_shared<int>(0);

    // MyPresets state.
    PresetLibrary m_mySavedPresets;
    MenuModel m_presetsMenu;
    NewPresetSheet m_newPresetSheet;
    PresetsPanelState m_myPresetsPanel;

    // Stopwatch.
    std::chrono::steady_clock::time_point m_startDate;
    double m_elapsedTimeInterval = 0.0;
    // Last member: destroyed first, so a running render stops before what it was asked by.
    RenderWorker m_renderWorker;
};

} // namespace quillum
