// Saving: the output goes to the output folder under the current name, with the repeated-
// region and replace questions, the save panel on the first save of a run, the label, the
// shutter sound, the new name and, if so set, the next picture.

#include "zent3controller.h"

#include "controller/SaveJob.h"
#include "imaging/WorkingBitmap.h"
#include "output/LosslessSave.h"
#include "output/OutputNaming.h"
#include "platform/ImageEncoder.h"
#include "platform/LosslessJpeg.h"
#include "platform/PrivateFolder.h"
#include "platform/StagedFile.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <new>

namespace quillum {

// Steps 1 and 2 shared by both save commands: a hidden output is rendered once; an empty
// output stops the command.
bool zent3controller::saveOutputReady()
{
    // The file is the output of the state as it is now, never one still being replaced.
    finishPendingRender();
    if (m_dontShowCropFlag) {
        m_dontShowCropFlag = false;
        redrawOutput();
        m_dontShowCropFlag = true;
    }
    return m_outPict && double(m_outPict->pixelsWide()) * double(m_outPict->pixelsHigh()) >= 1.0;
}

// The output with the current encoding options.
Status zent3controller::writeOutput(const QString& path, ImageFileType type, QString* whyNotLossless) const
{
    const SaveOutcome outcome = runSaveJob(saveJobFor(path, type, currentEncodeOptions(), m_losslessWhenPossible));
    if (whyNotLossless)
        *whyNotLossless = outcome.whyNotLossless;
    return outcome.written;
}

EncodeOptions zent3controller::currentEncodeOptions() const
{
    EncodeOptions options;
    options.jpegQuality = m_currentJpegQuality;
    options.withMetadata = m_currentSaveWithMetadata;
    options.metadataSourcePath = m_sourcePath; // empty for a picture without a file
    options.landscape = m_currentSavingLandscape;
    options.keepAlpha = !m_noTransparencyChannel;
    return options;
}

void zent3controller::setLosslessWhenPossible(bool on)
{
    if (m_losslessWhenPossible == on)
        return;
    m_losslessWhenPossible = on;
    didChangeValueForKey(key::losslessWhenPossible);
}

Status zent3controller::writeCropLosslessWhenPossible(
    const QString& path, ImageFileType type, const EncodeOptions& options, QString* whyNot) const
{
    const SaveOutcome outcome = runSaveJob(saveJobFor(path, type, options, true));
    if (whyNot)
        *whyNot = outcome.whyNotLossless;
    return outcome.written;
}

// Everything the write needs, copied now: the output and the decision to copy the source's
// blocks are those of the state the save was asked in.
SaveJob zent3controller::saveJobFor(
    const QString& path, ImageFileType type, const EncodeOptions& options, bool losslessWhenPossible) const
{
    SaveJob job;
    job.path = path;
    job.type = type;
    job.options = options;
    job.output = m_outPict;
    if (!losslessWhenPossible || !m_outPict)
        return job;
    JpegLayout layout;
    const LosslessSaveState state = losslessSaveState(type, options, &layout);
    job.whyNotLossless = whyNotLossless(state);
    if (!job.whyNotLossless.isEmpty())
        return job;
    const PixelRect cut = clippedCut();
    job.lossless = true;
    job.sourcePath = m_sourcePath;
    job.losslessRect = snapToMcuGrid(
        { int(cut.x), int(cut.top), int(cut.width), int(cut.height) }, layout.mcuWidth, layout.mcuHeight);
    return job;
}

// The rectangle the render cut: the frame clipped to the picture, rows top first.
PixelRect zent3controller::clippedCut() const
{
    const ZentCropBorder* frame = m_leftPanel.selRect();
    Rect r = frame ? frame->frame() : Rect {};
    const Size S = m_leftPanel.pictureSize();
    const double left = std::max(r.x, 0.0), bottom = std::max(r.y, 0.0);
    r = { left, bottom, std::min(r.x + r.width, S.width) - left, std::min(r.y + r.height, S.height) - bottom };
    return m_srcImageRep ? pixelRectFor(r, m_srcImageRep->pixelsHigh()) : PixelRect {};
}

LosslessSaveState zent3controller::losslessSaveState(
    ImageFileType type, const EncodeOptions& options, JpegLayout* layoutOut) const
{
    LosslessSaveState state;
    state.outputType = type;
    state.sourceHasFile = m_srcImageRep && !m_sourcePath.isEmpty();
    JpegLayout layout;
    if (state.outputType == ImageFileType::Jpeg && state.sourceHasFile) {
        if (Result<JpegLayout> read = readJpegLayout(m_sourcePath); read) {
            layout = *read;
            state.sourceIsJpeg = true;
        }
    }
    state.sourceIsCmyk = layout.cmyk;
    state.sourceMatchesFile
        = m_srcImageRep && m_srcImageRep->pixelsWide() == layout.width && m_srcImageRep->pixelsHigh() == layout.height;
    // A mirroring orientation was applied to the backup every later turn starts from.
    const int orientation = m_sourceProperties.value(QStringLiteral("Orientation")).toInt();
    const bool mirroredAtOpening = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    const ZentCropBorder* frame = m_leftPanel.selRect();
    state.pictureTurned = mirroredAtOpening || (frame && std::fmod(double(frame->preRotatedAngleDegs()), 360.0) != 0.0);
    state.frameTurned = frame && frame->cropAngle() != 0.0;
    const PixelRect cut = clippedCut();
    state.scaled = !m_outPict || m_outPict->pixelsWide() != cut.width || m_outPict->pixelsHigh() != cut.height;
    state.autoLevels = m_autoLevelsIsOn;
    state.pictureCorrection = m_pictureCorrectionIsOn;
    state.mirrored = m_flipVertical || m_flipHorizontal;
    state.inverted = m_invertIsOn;
    state.colourModeChanged = m_outputModeTag == OutputModeBlackAndWhite || m_outputModeTag == OutputModeSepia;
    state.sharpened = m_sharpenLevel > 0;
    state.decorated
        = m_decorator && (m_decorations.captionsOn || m_decorations.bordersOn || m_decorations.logo.drawLogo);
    state.landscapeTurn = options.landscape && m_outPict && m_outPict->pixelsWide() < m_outPict->pixelsHigh();
    if (layoutOut)
        *layoutOut = layout;
    return state;
}

void zent3controller::presetSavePanel(UiServices::SavePanel& panel) const
{
    panel.fileType = currentOutputFileType();
    panel.jpegQuality = m_currentJpegQuality;
    panel.withMetadata = m_currentSaveWithMetadata;
    panel.landscape = m_currentSavingLandscape;
    panel.keepTransparency = !m_noTransparencyChannel;
}

// What the panel showed is what this save and the next ones write.
void zent3controller::takeSavePanelChoices(const UiServices::SavePanel& panel)
{
    setCurrentOutputFileType(panel.fileType);
    setCurrentJpegQuality(panel.jpegQuality);
    setCurrentSaveWithMetadata(panel.withMetadata);
    setCurrentSavingLandscape(panel.landscape);
    setNoTransparencyChannel(!panel.keepTransparency);
}

namespace {

QString normalPath(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The same directory entry: folders compared after resolving links, the names as they are
// (writing over a link to the photo replaces the link, not the photo).
bool sameEntry(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    const QString folder = QFileInfo(fa.absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && folder == QFileInfo(fb.absolutePath()).canonicalFilePath()
        && fa.fileName() == fb.fileName();
}

} // namespace

// A file is replaced only once the user has said so: in the save panel (`confirmed` is the
// file it asked about) or here. The photo being cropped and a read-only file are always
// asked about here, since the panel's question says neither.
bool zent3controller::mayReplace(const QString& path, const QString& confirmed)
{
    const QFileInfo existing(path);
    if (!existing.exists())
        return true;
    const bool original = sameEntry(path, m_sourcePath);
    // The mode's owner bit, not access(): an administrator may write anything.
    const bool readOnly = !(existing.permissions() & QFileDevice::WriteOwner);
    if (!original && !readOnly && normalPath(path) == normalPath(confirmed))
        return true;
    if (!m_uiServices)
        return false;
    const QString message = original
        ? (readOnly ? QStringLiteral("This is the original photo you are cropping, and it is read-only. Replacing it "
                                     "will overwrite the original photo with the crop.")
                    : QStringLiteral("This is the original photo you are cropping. Replacing it will overwrite the "
                                     "original photo with the crop."))
        : (readOnly ? QStringLiteral("A read-only file with the same name already exists. Replacing it will "
                                     "overwrite its current contents.")
                    : QStringLiteral("A file with the same name already exists. Replacing it will overwrite its "
                                     "current contents."));
    return m_uiServices->runAlert(QStringLiteral("%1 Do you want to replace it?").arg(path), message,
               { QStringLiteral("Cancel"), QStringLiteral("Replace") })
        == AlertButton::Second;
}

bool zent3controller::saveCrop(const Sender&)
{
    if (!finishPendingSave())
        return false;
    if (m_uiServices)
        m_uiServices->commitEditing();
    if (!saveOutputReady())
        return false;
    const Rect frame = m_leftPanel.selRect()->frame();
    if (m_lastSavedRect.width == frame.width && m_lastSavedRect.height == frame.height && m_lastSavedRect.x == frame.x
        && m_lastSavedRect.y == frame.y) {
        if (!m_uiServices
            || m_uiServices->runAlert(QStringLiteral("Quillum"), QStringLiteral("This region already was saved!"),
                   { QStringLiteral("Don't save"), QStringLiteral("Save again") })
                == AlertButton::First)
            return false;
    }
    QString confirmed;
    if (m_firstTimeSaving) {
        if (!m_uiServices)
            return false;
        UiServices::SavePanel panel;
        panel.path = QDir(currentOutputPath()).filePath(currentOutputFileName());
        presetSavePanel(panel);
        if (!m_uiServices->runSavePanel(panel))
            return false;
        takeSavePanelChoices(panel);
        // The chosen name becomes the name field's text, without the type's extension.
        const QString chosen = pathWithImageFileTypeExtension(panel.path, panel.fileType);
        const QString name = baseNameForImageFileType(chosen, panel.fileType);
        setCurrentOutputFileName(name);
        changeOutputFileName(name);
        changeDraggedFileName(name);
        setCurrentOutputPath(QFileInfo(chosen).absolutePath());
        confirmed = panel.path;
    }
    const QString path = outputFilePath(currentOutputPath(), currentOutputFileName(), currentOutputFileType());
    if (!mayReplace(path, confirmed))
        return false;
    if (m_advanceToNextOnCrop && m_writeWhileAdvancing && !m_pics.isEmpty() && m_currentPicIndex + 1 < m_pics.size())
        return saveCropWhileAdvancing(path);
    // A failed write stops here: no label, no new name, no sound, no advance.
    if (!saveCropToPath(path))
        return false;
    outputFileSavedLabelHidden(false);
    m_lastSavedRect = frame;
    incrementCurrentFileName();
    m_firstTimeSaving = false;
    if (m_advanceToNextOnCrop)
        goNextPic();
    return true;
}

// The file is encoded on another thread while the next picture is shown. What a confirmed
// write changes (label, name, sound) waits for it; a failed write takes the user back to the
// photo, its crop and the name as they were, then says why.
bool zent3controller::saveCropWhileAdvancing(const QString& path)
{
    PendingSave pending;
    pending.index = m_currentPicIndex;
    pending.sourcePath = m_sourcePath;
    pending.edit = editSnapshot();
    pending.name = m_currentOutputFileName;
    pending.lastSavedRect = m_lastSavedRect;
    pending.labelHidden = m_outputFileSavedLabelHidden;
    pending.recentImages = m_recentImages;
    pending.labelHides = m_savedLabelHides;
    pending.nameFieldSets = m_nameFieldSets;
    pending.path = path;
    std::weak_ptr<int> alive = m_aliveToken;
    QCoreApplication* app = QCoreApplication::instance();
    pending.writer = std::make_unique<SaveWriter>(
        saveJobFor(path, m_currentOutputFileType, currentEncodeOptions(), m_losslessWhenPossible), [this, alive, app] {
            // Writer thread: only schedule; the outcome is taken on the main thread.
            if (app)
                QMetaObject::invokeMethod(
                    app,
                    [this, alive] {
                        if (alive.lock() && m_pendingSave && m_pendingSave->writer->finished())
                            finishPendingSave();
                    },
                    Qt::QueuedConnection);
        });
    goNextPic();
    m_pendingSave = std::move(pending);
    // Without an event loop nothing would take the outcome later; a write that ended while
    // the advance waited (its call arrived before there was anything to take) is taken now.
    if (!app || m_pendingSave->writer->finished())
        return finishPendingSave();
    return true;
}

bool zent3controller::finishPendingSave()
{
    if (!m_pendingSave)
        return true;
    PendingSave pending = std::move(*m_pendingSave);
    m_pendingSave.reset();
    const SaveOutcome outcome = pending.writer->wait();
    pending.writer.reset();

    if (!outcome.written) {
        m_currentPicIndex = pending.index;
        displayFileCounter();
        if (showListPicture() && m_sourcePath == pending.sourcePath)
            restoreEditSnapshot(pending.edit);
        verifyButtons();
        setRecentImages(pending.recentImages);
        setCurrentOutputFileName(pending.name);
        changeOutputFileName(pending.name);
        changeDraggedFileName(pending.name);
        m_lastSavedRect = pending.lastSavedRect;
        outputFileSavedLabelHidden(pending.labelHidden);
        if (m_uiServices)
            m_uiServices->runAlert(
                QStringLiteral("The crop was not saved"), outcome.written.error(), { QStringLiteral("OK") });
        return false;
    }
    noteSavedFile(pending.path, outcome.whyNotLossless);
    // As when the advance came after the save: its render hid the label and its picture's
    // name replaced the counted one, unless the picture could not be shown. A name typed
    // since is the user's.
    if (m_savedLabelHides == pending.labelHides)
        outputFileSavedLabelHidden(false);
    if (m_nameFieldSets == pending.nameFieldSets && outputFileRuleCounts(m_outputFileRule)
        && m_currentOutputFileName == pending.name)
        countOnOutputFileName();
    m_firstTimeSaving = false;
    return true;
}

void zent3controller::setWriteWhileAdvancing(bool on)
{
    if (!on)
        finishPendingSave();
    m_writeWhileAdvancing = on;
}

bool zent3controller::saveCropWithDialogue(const Sender& sender)
{
    m_firstTimeSaving = true;
    return saveCrop(sender);
}

bool zent3controller::saveCropWithSpecialDialogue(const Sender&)
{
    if (!m_uiServices || !finishPendingSave())
        return false;
    m_uiServices->commitEditing();
    if (!saveOutputReady())
        return false;
    UiServices::SavePanel panel;
    panel.path = QDir(currentSpecialOutputPath()).filePath(currentOutputFileName());
    presetSavePanel(panel);
    if (!m_uiServices->runSavePanel(panel))
        return false;
    takeSavePanelChoices(panel);
    const QString path = pathWithImageFileTypeExtension(panel.path, panel.fileType);
    setCurrentSpecialOutputPath(QFileInfo(path).absolutePath());
    if (!mayReplace(path, panel.path))
        return false;
    return saveCropToPath(path);
}

bool zent3controller::saveCropToPath(const QString& path)
{
    finishPendingRender();
    if (!m_outPict)
        return false;
    QString whyNotLossless;
    const Status written = writeOutput(path, m_currentOutputFileType, &whyNotLossless);
    if (!written) {
        if (m_uiServices)
            m_uiServices->runAlert(QStringLiteral("The crop was not saved"), written.error(), { QStringLiteral("OK") });
        return false;
    }
    noteSavedFile(path, whyNotLossless);
    outputFileSavedLabelHidden(false);
    m_lastSavedRect = m_leftPanel.selRect()->frame();
    return true;
}

// What a confirmed write leaves: the label's text, the recent folder and the sound.
void zent3controller::noteSavedFile(const QString& path, const QString& whyNotLossless)
{
    m_lastSavedPath = path;
    const QString name = QFileInfo(path).fileName();
    m_savedLabelText = !m_losslessWhenPossible ? QStringLiteral("Saved %1").arg(name)
        : whyNotLossless.isEmpty()             ? QStringLiteral("Saved %1 losslessly").arg(name)
                                               : QStringLiteral("Saved %1 normally: %2").arg(name, whyNotLossless);
    didChangeValueForKey(key::savedLabelText);
    noteRecentOutputFolder(QFileInfo(path).absolutePath());
    if (m_playSoundOnSave && m_uiServices)
        m_uiServices->playSound(QStringLiteral("smena_shutter"));
}

QString zent3controller::writeDragFile()
{
    if (!finishPendingSave())
        return {};
    finishPendingRender();
    if (m_uiServices)
        m_uiServices->commitEditing();
    if (!m_outPict || double(m_outPict->pixelsWide()) * double(m_outPict->pixelsHigh()) < 1.0)
        return {};
    if (m_temporaryPath.isEmpty()) {
        if (m_uiServices && !m_temporaryPathProblemShown)
            m_uiServices->runAlert(QStringLiteral("The crop cannot be dragged out"),
                QStringLiteral("Quillum keeps the crops you drag out in a folder only you can open, and none could "
                               "be made: %1.")
                    .arg(m_temporaryPathProblem),
                { QStringLiteral("OK") });
        m_temporaryPathProblemShown = true;
        return {};
    }
    // Named when the name last changed; named again when that was before the folder was
    // known or the type has changed since (a save panel's choice), so the name tells the type.
    const QFileInfo named(m_draggedFileName);
    if (m_draggedFileName.isEmpty())
        changeDraggedFileName(m_currentOutputFileName);
    else if (named.absolutePath() != m_temporaryPath
        || imageFileTypeForExtension(named.suffix()) != m_currentOutputFileType)
        changeDraggedFileName(named.completeBaseName());
    const QString path = m_draggedFileName;
    removeLastTemporaryFile();
    if (const Status written = writeOutput(path, m_currentOutputFileType); !written) {
        if (m_uiServices)
            m_uiServices->runAlert(
                QStringLiteral("The crop cannot be dragged out"), written.error(), { QStringLiteral("OK") });
        return {};
    }
    m_lastDraggedFileName = path;
    return path;
}

void zent3controller::removeLastTemporaryFile()
{
    // A drop target may have moved the file away already.
    if (!m_lastDraggedFileName.isEmpty() && !QFile::remove(m_lastDraggedFileName)
        && QFileInfo::exists(m_lastDraggedFileName))
        qWarning("The drag file %s could not be removed", qPrintable(m_lastDraggedFileName));
    m_lastDraggedFileName.clear();
}

void zent3controller::removeTemporaryFolder()
{
    removeLastTemporaryFile();
    if (m_madeTemporaryPath.isEmpty())
        return;
    // No longer in use: a folder left behind may go once it is old.
    releasePrivateRunFolder(m_madeTemporaryPath);
    // Only a folder this run made, and only when empty: rmdir refuses anything else.
    if (QDir().rmdir(m_madeTemporaryPath))
        m_madeTemporaryPath.clear();
}

} // namespace quillum
