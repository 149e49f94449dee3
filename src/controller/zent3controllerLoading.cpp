// Loading: a file (or the look-ahead's decode of it) becomes the source, turned upright by
// its EXIF orientation when so set, shown in the left panel with the frame placed by the
// opening rule, and rendered; the next file of the list is decoded in the background.

#include "zent3controller.h"

#include "imaging/WorkingBitmap.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

namespace quillum {

bool zent3controller::loadRepByName(const QString& path)
{
    // Decoding runs on a worker even when nothing was read ahead, so the user can stop a
    // slow file with Escape (or by closing the window) instead of waiting for it.
    bool stopped = false;
    auto stopRequested = [this, &stopped] { return stopped = m_uiServices && m_uiServices->userAskedToStop(); };
    if (m_uiServices)
        m_uiServices->setBusy(true);
    std::optional<Result<DecodedBitmap>> ahead = m_lookAhead.take(path, stopRequested);
    // A file that vanished since it was read ahead is not shown from memory: the user would
    // crop and save a picture that is no longer there.
    if (ahead && !QFileInfo::exists(path))
        ahead.reset();
    if (!ahead && !stopped) {
        m_lookAhead.preLoadRepByName(path);
        ahead = m_lookAhead.take(path, stopRequested);
    }
    if (m_uiServices)
        m_uiServices->setBusy(false);
    Result<DecodedBitmap> decoded = ahead ? std::move(*ahead) : decodeImageFile(path);
    m_lastLoadWasStopped = stopped;
    if (!decoded) {
        // Nothing of the failed file reaches the source or the render; a stop the user asked
        // for needs no message.
        if (m_uiServices && !stopped)
            m_uiServices->runAlert(
                QStringLiteral("The picture cannot be opened"), decoded.error(), { QStringLiteral("OK") });
        return false;
    }
    const QVariantMap properties = decoded->properties;
    setSourcePicture(std::move(decoded->bitmap), properties, path, std::move(decoded->reduced));
    m_imagePath = path;
    m_leftPanel.selRect()->setPreRotatedAngleDegs(0);
    didChangeValueForKey(key::rotationField);
    if (m_useEXIfRotation)
        turnUprightByOrientation(properties.value(QStringLiteral("Orientation")).toInt());
    return true;
}

void zent3controller::turnUprightByOrientation(int orientation)
{
    if (orientation < 2 || orientation > 8 || !m_srcImageRep)
        return;
    // Saved files say orientation 1, so every tag is honoured or the picture stays wrong for
    // good. The mirrored tags (2, 4, 5, 7) are a left-right mirror and then a turn; the
    // mirror goes into the backup, so every later turn starts from the mirrored picture.
    // Angles are counter-clockwise: 6 needs a quarter turn clockwise, 8 counter-clockwise.
    static constexpr float turn[9] = { 0, 0, 0, 180, 180, 90, 270, 270, 90 };
    const bool mirrored = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    if (mirrored) {
        safeBackupSrcRGBToARGBImageRep();
        if (!m_backupSrcImageRep)
            return; // out of memory: shown as stored
        if (Status flipped = applyMirror(*m_backupSrcImageRep, false, true); !flipped) {
            m_backupSrcImageRep.reset();
            return;
        }
    }
    rotateScrImageBy(turn[orientation]);
}

void zent3controller::loadRepByImageObject(BitmapImageRep picture)
{
    // A picture without a file has no metadata: the previous photo's camera, place and
    // dates must not reach its crops. The recent lists stay as they were.
    setSourcePicture(std::move(picture));
    m_imagePath.clear();
    m_leftPanel.selRect()->setPreRotatedAngleDegs(0);
    didChangeValueForKey(key::rotationField);
}

void zent3controller::showRepInLeftPanel()
{
    if (!m_srcImageRep)
        return;
    const BitmapImageRep& src = *m_srcImageRep;
    m_sourcePixelsHigh = src.pixelsHigh();
    m_sourcePixelsWide = src.pixelsWide();
    m_sourceSamplesPerPixel = src.samplesPerPixel();
    m_sourceColorSpaceName = QString::fromLatin1(colorSpaceName(src.colorSpace()));
    m_imageInfo = imageInfoFor(src);
    m_leftPanel.setPictureSize({ double(src.pixelsWide()), double(src.pixelsHigh()) });
    ++m_sourceGeneration;
    didChangeValueForKey(key::imageInfo);
    scalePicture();
}

void zent3controller::showMainTitle()
{
    const Size size = m_leftPanel.pictureSize();
    // A picture without a file (a paste, a capture) is named as its output is.
    const QString name = m_imagePath.isEmpty() ? QStringLiteral("New Image") : QFileInfo(m_imagePath).fileName();
    m_windowTitle = QString::asprintf("%s - %1.0f x %1.0f", qPrintable(name), size.width, size.height);
    didChangeValueForKey(key::windowTitle);
}

bool zent3controller::showCurrentPicture()
{
    if (m_currentPicIndex < 0 || m_currentPicIndex >= m_pics.size())
        return false;
    const QString path = m_pics[m_currentPicIndex];
    if (showPictureAtPath(path, true))
        return true;
    showUnreadablePicture(path);
    // The next entry is still read ahead: stepping on past a broken file stays quick.
    if (m_lookAheadEnabled && m_currentPicIndex + 1 < m_pics.size())
        preLoadRepByName(m_pics[m_currentPicIndex + 1]);
    return false;
}

void zent3controller::showUnreadablePicture(const QString& path)
{
    closeImage();
    m_imagePath.clear();
    m_lastSavedRect = {};
    m_windowTitle = (m_lastLoadWasStopped ? QStringLiteral("%1 - not opened") : QStringLiteral("%1 - cannot be opened"))
                        .arg(QFileInfo(path).fileName());
    didChangeValueForKey(key::windowTitle);
}

bool zent3controller::showPictureAtPath(const QString& path, bool lookAhead)
{
    startMyTimer();
    if (!loadRepByName(path))
        return false;
    showRepInLeftPanel();
    drawRotationThumbsToButtons();
    // The look-ahead always reads the entry after the current one, whichever way the user
    // travels.
    if (lookAhead && m_lookAheadEnabled && m_currentPicIndex >= 0 && m_currentPicIndex + 1 < m_pics.size())
        readAheadAfterRender(m_pics[m_currentPicIndex + 1]);
    timerAction();
    showMainTitle();
    setOutputFileNameFieldText(QFileInfo(path).completeBaseName());
    startMyTimer();
    fitImageToView();
    if ((m_onOpeningMaximizeSelection == 0 || m_onOpeningMaximizeSelection == 1) && m_onOpeningMaxAndNewAspectControl)
        cropAspectToXYWithNotification(m_sourcePixelsWide, m_sourcePixelsHigh, false);
    adjustCroppingFrameLocation();
    m_lastSavedRect = {};
    const Rect frame = m_leftPanel.selRect()->frame();
    // The preview first, while it has the cores to itself; the full render follows it.
    previewOutputNow(frame);
    mainDrawProcedure(frame);
    if (!renderIsPending())
        startDeferredReadAhead();
    m_leftPanel.setLastManualRect(frame);
    showImageInFullScreenAsCrop(srcImageRep(), false);
    timerAction();
    updateMoveSliderMaxima();
    return true;
}

// With renders on the worker the next file is read once this picture's output has arrived:
// until then its render has both cores, and the picture before it has been let go, so three
// full-size pictures are never held at once.
void zent3controller::readAheadAfterRender(const QString& path)
{
    if (m_renderMode == RenderMode::Synchronous) {
        preLoadRepByName(path);
        return;
    }
    m_deferredReadAhead = path;
}

void zent3controller::startDeferredReadAhead()
{
    if (m_deferredReadAhead.isEmpty())
        return;
    preLoadRepByName(std::exchange(m_deferredReadAhead, QString()));
}

void zent3controller::showPastedPicture(BitmapImageRep picture)
{
    if (picture.isNull() || !finishPendingSave())
        return;
    startMyTimer();
    loadRepByImageObject(std::move(picture));
    showRepInLeftPanel();
    drawRotationThumbsToButtons();
    timerAction();
    showMainTitle();
    setPastedPictureOutputFileName();
    startMyTimer();
    fitImageToView();
    adjustCroppingFrameLocation();
    m_lastSavedRect = {};
    const Rect frame = m_leftPanel.selRect()->frame();
    m_leftPanel.setLastManualRect(frame);
    mainDrawProcedure(frame);
    showImageInFullScreenAsCrop(srcImageRep(), false);
    timerAction();
    updateMoveSliderMaxima();
}

void zent3controller::drawRotationThumbsToButtons()
{
    if (!m_rotationThumbnailsEnabled)
        return;
    std::weak_ptr<int> alive = m_aliveToken;
    QCoreApplication* app = QCoreApplication::instance();
    const std::shared_ptr<const BitmapImageRep> reduced
        = m_previewSource.isOf(m_srcImageRep) ? m_previewSource.picture : nullptr;
    m_thumbnails.start(m_srcImageRep, reduced, [this, alive, app] {
        // Worker thread: only schedule; the announcement happens on the main thread.
        if (app)
            QMetaObject::invokeMethod(
                app,
                [this, alive] {
                    if (alive.lock())
                        didChangeValueForKey(key::rotationThumbnails);
                },
                Qt::QueuedConnection);
    });
}

std::array<std::shared_ptr<const BitmapImageRep>, 4> zent3controller::rotationButtonThumbnails()
{
    const RotationThumbnails::Set t = m_thumbnails.take(); // as shown, -90, 180, +90
    const float angle = m_leftPanel.selRect()->preRotatedAngleDegs();
    if (angle == 90.0f)
        return { t[1], t[2], t[3], t[0] };
    if (angle == 270.0f)
        return { t[3], t[0], t[1], t[2] };
    return { t[0], t[1], t[2], t[3] };
}

} // namespace quillum
