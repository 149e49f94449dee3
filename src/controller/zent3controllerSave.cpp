// Saving: the output goes to the output folder under the current name, with the repeated-
// region and replace questions, the save panel on the first save of a run, the label, the
// shutter sound, the new name and, if so set, the next picture.

#include "zent3controller.h"

#include "output/OutputNaming.h"
#include "platform/ImageEncoder.h"
#include "platform/PrivateFolder.h"
#include "platform/StagedFile.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillum {

// Steps 1 and 2 shared by both save commands: a hidden output is rendered once; an empty
// output stops the command.
bool zent3controller::saveOutputReady()
{
    if (m_dontShowCropFlag) {
        m_dontShowCropFlag = false;
        redrawOutput();
        m_dontShowCropFlag = true;
    }
    return m_outPict && double(m_outPict->pixelsWide()) * double(m_outPict->pixelsHigh()) >= 1.0;
}

// The output with the current encoding options. The output folder is made again if it was
// removed since it was chosen; a failure to make it is the result.
Status zent3controller::writeOutput(const QString& path, ImageFileType type) const
{
    EncodeOptions options;
    options.jpegQuality = m_currentJpegQuality;
    options.withMetadata = m_currentSaveWithMetadata;
    options.metadataSourcePath = m_sourcePath; // empty for a picture without a file
    options.landscape = m_currentSavingLandscape;
    options.keepAlpha = !m_noTransparencyChannel;
    if (Status folder = makeFolderPath(QFileInfo(path).absolutePath()); !folder)
        return folder;
    return writeWorkingBitmap(*m_outPict, path, type, options);
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

bool zent3controller::saveCropWithDialogue(const Sender& sender)
{
    m_firstTimeSaving = true;
    return saveCrop(sender);
}

bool zent3controller::saveCropWithSpecialDialogue(const Sender&)
{
    if (!m_uiServices)
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
    if (!m_outPict)
        return false;
    const Status written = writeOutput(path, m_currentOutputFileType);
    if (!written) {
        if (m_uiServices)
            m_uiServices->runAlert(QStringLiteral("The crop was not saved"), written.error(), { QStringLiteral("OK") });
        return false;
    }
    m_lastSavedPath = path;
    m_savedLabelText = QStringLiteral("Saved %1").arg(QFileInfo(path).fileName());
    didChangeValueForKey(key::savedLabelText);
    noteRecentOutputFolder(QFileInfo(path).absolutePath());
    outputFileSavedLabelHidden(false);
    m_lastSavedRect = m_leftPanel.selRect()->frame();
    if (m_playSoundOnSave && m_uiServices)
        m_uiServices->playSound(QStringLiteral("smena_shutter"));
    return true;
}

QString zent3controller::writeDragFile()
{
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
