#include "zent3controller.h"

#include "imaging/WorkingBitmap.h"
#include "platform/ImageDecoder.h"
#include "platform/PrivateFolder.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFileInfo>

namespace quillum {

zent3controller::zent3controller(NotificationCenter& center, std::unique_ptr<OneShotTimer> wheelTimer)
    : m_center(center)
    , m_leftPanel(center, std::move(wheelTimer))
{
    setUserDefaults(nullptr);
    m_mainZoomMenu.addItem(
        { 101, QStringLiteral("Zoom In"), QStringLiteral("+"), true, false, false, [this] { inPicZoomIn(); }, {}, {} });
    m_mainZoomMenu.addItem(
        { 102, QStringLiteral("Zoom Out"), QStringLiteral("-"), true, false, false, [this] { inPicZoomOut(); }, {}, {} });
    m_mainZoomMenu.addItem(
        { 103, QStringLiteral("Fit to View"), QStringLiteral("9"), true, false, false, [this] { fitImageToView(); }, {}, {} });
    m_mainZoomMenu.addItem(
        { 104, QStringLiteral("Actual Size"), QStringLiteral("0"), true, false, false, [this] { fitImageTo100(); }, {}, {} });
}

zent3controller::~zent3controller()
{
    for (auto id : m_observers)
        m_center.removeObserver(id);
    removeTemporaryFolder();
}

void zent3controller::wireNotifications()
{
    // Every name routed here reaches a handler that acts.
    auto observe = [this](const QString& name, NotificationCenter::Handler handler) {
        m_observers.push_back(m_center.addObserver(name, nullptr, std::move(handler)));
    };
    observe(notification::ApplicationWillTerminate, [this](const Notification& n) { onQuit(n); });
    observe(notification::ApplicationDidFinishLaunching, [this](const Notification& n) { onFinishLaunch(n); });
    observe(notification::CropperEndsLiveResize, [this](const Notification&) { onCropperEndsLiveResize(); });
    observe(notification::InputFileWasDoppedIntoWell, [this](const Notification& n) { onDroppedInputFile(n); });
    observe(notification::InputFileWasProcessedByController,
        [this](const Notification& n) { m_leftPanel.onDroppedInputFileCallback(n); });
    observe(notification::SelRectDidChange, [this](const Notification& n) { selectionDidChange(n); });
    observe(notification::SelRectIsMoving, [this](const Notification& n) {
        if (const auto* frame = static_cast<const ZentCropBorder*>(n.object))
            previewOutput(frame->frame());
    });
    observe(notification::ImageWasDraggedAndDropped, [this](const Notification&) {
        m_savedLabelText = QStringLiteral("Dragged out %1").arg(QFileInfo(m_lastDraggedFileName).fileName());
        didChangeValueForKey(key::savedLabelText);
        incrementCurrentFileName();
    });
    observe(notification::SelRectDidRotation, [this](const Notification&) { selectionDidRotation(); });
    observe(notification::CropperWasDoubleClicked, [this](const Notification&) { saveCrop(); });
    observe(notification::GoToNextImageCommand, [this](const Notification&) { goNextPic(); });
    observe(notification::GoToPrevImageCommand, [this](const Notification&) { goPrevPic(); });
    observe(notification::OutputMustBeRedrawn, [this](const Notification&) { redrawOutput(); });
    observe(notification::NewLogoImageWasLoaded, [this](const Notification& n) { adjustLogoSizes(n); });
    observe(notification::NewLogoWasDropped, [this](const Notification& n) { setDroppedLogoFileName(n); });
    observe(notification::QuickResize, [this](const Notification& n) { quickResizeWidth(n); });
}

void zent3controller::awakeFromNib()
{
    if (m_awake)
        return;
    m_awake = true;
    m_fixedAspectCheckToolTip = QStringLiteral("Check for fixed cropped aspect ratio");
    wireNotifications();
    m_outputModeTag = OutputModeColor;
    didChangeValueForKey(key::outputModeTag);

    // Dragged-out files wait in a folder of this run that only this user can reach. Without
    // one a drag is refused with a word, never written somewhere shared or into the home.
    Result<QString> temporary = makePrivateRunFolder(QStringLiteral("quillum"));
    m_temporaryPath = m_madeTemporaryPath = temporary ? *temporary : QString();
    m_temporaryPathProblem = temporary ? QString() : temporary.error();
    const QString home = QDir::homePath();
    m_currentOutputPath = home;

    ZentCropBorder* frame = m_leftPanel.selRect();
    frame->setGuidesStyle(3);
    frame->setVisible(true);
    m_leftPanel.setLastManualRect({});
    defaultsRead();
    m_firstTimeSaving = true;
}

void zent3controller::applicationWillFinishLaunching()
{
    prepareUpdater();
}

void zent3controller::onFinishLaunch(const Notification&)
{
    if (!hasSource() && m_openLastFileOnAppLaunch && !m_shiftWasDownAtStart && !m_recentImages.isEmpty()) {
        const QString path = m_recentImages.first();
        if (QFileInfo(path).isFile())
            applicationOpenFile(path);
    }
    insertCheckForUpdatesItem();
    checkSettingsCanBeSaved();
}

void zent3controller::onQuit(const Notification&)
{
    // A file being written is waited for (and its name counted on before the settings go).
    finishPendingSave();
    // Quitting never waits for a picture nobody will see.
    cancelDecoding();
    removeTemporaryFolder();
    if (m_dontSavePreferences)
        return;
    defaultsWrite();
}

void zent3controller::quickQuit(const Sender&)
{
    m_dontSavePreferences = true;
    if (m_uiServices)
        m_uiServices->terminate();
}

bool zent3controller::windowShouldClose()
{
    if (!m_uiServices)
        return false;
    return m_uiServices->runAlert(QStringLiteral("Close and Quit Quillum"), QStringLiteral("Are you Sure?"),
               { QStringLiteral("Close and Quit"), QStringLiteral("Cancel") })
        == AlertButton::First;
}

void zent3controller::windowWillClose()
{
    if (m_uiServices)
        m_uiServices->terminate();
}

bool zent3controller::windowShouldZoomToFrame()
{
    m_isResizing = true;
    return true;
}

void zent3controller::windowDidResize()
{
    if (m_isResizing)
        onCropperEndsLiveResize();
    m_isResizing = false;
}

void zent3controller::windowDidEnterFullScreen()
{
    onCropperEndsLiveResize();
}
void zent3controller::windowDidExitFullScreen()
{
    onCropperEndsLiveResize();
}
void zent3controller::onCropperEndsLiveResize()
{
    fitImageToView();
}

void zent3controller::splitViewDidResizeSubviews(double rightScrollViewWidth, bool hasRightScrollView)
{
    const bool narrow = !hasRightScrollView || rightScrollViewWidth < 120.0;
    if (narrow == m_dontShowCropFlag)
        return;
    m_dontShowCropFlag = narrow;
    didChangeValueForKey(key::dontShowCropFlag);
}

bool zent3controller::validateMenuItem(int tag) const
{
    return tag != kLastRotationMenuTag || m_lastRotatedAngle != 0.0;
}

bool zent3controller::applicationOpenFile(const QString& path)
{
    createListFor(path, false);
    return true;
}

bool zent3controller::openPicture(const QString& path)
{
    return showPictureAtPath(path, false);
}

void zent3controller::setSourcePicture(BitmapImageRep bitmap, const QVariantMap& properties, const QString& path,
    std::shared_ptr<const BitmapImageRep> reduced)
{
    m_backupSrcImageRep.reset();
    m_sourceProperties = properties;
    m_sourcePath = path;
    if (bitmap.isNull()) {
        m_srcImageRep.reset();
        m_leftPanel.setPictureSize({});
        m_imageInfo.clear();
        m_sourcePixelsHigh = m_sourcePixelsWide = m_sourceSamplesPerPixel = 0;
        m_sourceColorSpaceName.clear();
    } else {
        m_sourcePixelsHigh = bitmap.pixelsHigh();
        m_sourcePixelsWide = bitmap.pixelsWide();
        m_sourceSamplesPerPixel = bitmap.samplesPerPixel();
        m_sourceColorSpaceName = QString::fromLatin1(colorSpaceName(bitmap.colorSpace()));
        m_imageInfo = imageInfoFor(bitmap);
        m_leftPanel.setPictureSize({ double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) });
        m_srcImageRep = std::make_unique<BitmapImageRep>(std::move(bitmap));
        // Before the announcements: the crop view shows the picture from it.
        if (reduced)
            m_previewSource = { std::move(reduced), m_srcImageRep };
    }
    ++m_sourceGeneration;
    didChangeValueForKey(key::imageInfo);
    didChangeValueForKey(key::sourcePicture);
}

void zent3controller::startMyTimer()
{
    m_startDate = std::chrono::steady_clock::now();
}

void zent3controller::timerAction()
{
    m_elapsedTimeInterval = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_startDate).count();
}

zent3controller::RenderBatch::~RenderBatch()
{
    if (--m_c.m_renderBatchDepth == 0 && m_c.m_renderPending) {
        m_c.m_renderPending = false;
        m_c.redrawOutput();
    }
}

template <typename T> void zent3controller::setAndRender(T& member, T value, const char* key)
{
    if (member == value)
        return;
    member = value;
    didChangeValueForKey(QString::fromLatin1(key));
    redrawOutput();
}

void zent3controller::setAutoLevelsIsOn(bool on)
{
    setAndRender(m_autoLevelsIsOn, on, key::autoLevelsIsOn);
}
void zent3controller::setAutoLevelsIsLocked(bool locked)
{
    setAndRender(m_autoLevelsIsLocked, locked, key::autoLevelsIsLocked);
}
void zent3controller::setPictureCorrectionIsOn(bool on)
{
    setAndRender(m_pictureCorrectionIsOn, on, key::pictureCorrectionIsOn);
}
void zent3controller::setGammaValue(float v)
{
    setAndRender(m_gammaValue, v, key::gammaValue);
}
void zent3controller::setContrastValue(float v)
{
    setAndRender(m_contrastValue, v, key::contrastValue);
}
void zent3controller::setRedValue(float v)
{
    setAndRender(m_redValue, v, key::redValue);
}
void zent3controller::setGreenValue(float v)
{
    setAndRender(m_greenValue, v, key::greenValue);
}
void zent3controller::setBlueValue(float v)
{
    setAndRender(m_blueValue, v, key::blueValue);
}
void zent3controller::setFlipVertical(bool on)
{
    setAndRender(m_flipVertical, on, key::flipVertical);
}
void zent3controller::setFlipHorizontal(bool on)
{
    setAndRender(m_flipHorizontal, on, key::flipHorizontal);
}
void zent3controller::setInvertIsOn(bool on)
{
    setAndRender(m_invertIsOn, on, key::invertIsOn);
}
void zent3controller::setOutputModeTag(int tag)
{
    setAndRender(m_outputModeTag, tag, key::outputModeTag);
}
void zent3controller::setSharpenLevel(int level)
{
    setAndRender(m_sharpenLevel, std::max(level, 0), "sharpenLevel");
}

void zent3controller::setDontShowCropFlag(bool flag)
{
    if (flag) {
        m_dontShowCropFlag = true;
        didChangeValueForKey(key::dontShowCropFlag);
        if (m_uiServices)
            m_uiServices->setOutputPanelCollapsed(true);
    } else if (m_dontShowCropFlag) {
        if (m_uiServices)
            m_uiServices->setOutputPanelCollapsed(false);
        m_dontShowCropFlag = false;
        didChangeValueForKey(key::dontShowCropFlag);
        redrawOutput();
    }
    fitImageToView();
}

} // namespace quillum
