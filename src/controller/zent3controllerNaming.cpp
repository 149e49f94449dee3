// Output file naming: the name field, the rules applied when a picture is shown, the
// counter advanced after a save or drag-out, the drag file's path and the output folders.

#include "zent3controller.h"

#include "output/OutputNaming.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QUrl>

namespace quillum {

namespace {

const QString kNewImageBase = QStringLiteral("New Image");

} // namespace

void zent3controller::setCurrentOutputFileName(const QString& name)
{
    m_currentOutputFileName = name;
    didChangeValueForKey(key::currentOutputFileName);
}

void zent3controller::setInitialCustomOutputFileName(const QString& name)
{
    m_initialCustomOutputFileName = name;
    didChangeValueForKey(key::initialCustomOutputFileName);
}

void zent3controller::setOutputFileRule(int rule)
{
    // Negative values work as 0 and values above 2 as 1; kept as the rule they act as.
    switch (outputFileRuleFromValue(rule)) {
    case OutputFileRule::CountPerPicture:
        rule = 0;
        break;
    case OutputFileRule::RunningName:
        rule = 1;
        break;
    case OutputFileRule::SourceName:
        rule = 2;
        break;
    }
    m_outputFileRule = rule;
    didChangeValueForKey(key::outputFileRule);
}

void zent3controller::setCurrentOutputFileType(ImageFileType type)
{
    m_currentOutputFileType = type;
    didChangeValueForKey(key::currentOutputFileType);
}

QString zent3controller::currentSpecialOutputPath() const
{
    return m_currentSpecialOutputPath.isEmpty() ? QDir::homePath() : m_currentSpecialOutputPath;
}

void zent3controller::setCurrentSpecialOutputPath(const QString& path)
{
    m_currentSpecialOutputPath = path;
    didChangeValueForKey(key::currentSpecialOutputPath);
}

void zent3controller::setCurrentOutputPath(const QString& path)
{
    m_currentOutputPath = path;
    didChangeValueForKey(key::currentOutputPath);
}

void zent3controller::setTemporaryPath(const QString& path)
{
    m_temporaryPath = path;
    didChangeValueForKey(key::temporaryPath);
}

void zent3controller::setOutputFileNameFieldText(const QString& base)
{
    // Rule 1 keeps the running name, so the drag file keeps its name too.
    if (outputFileRuleFromValue(m_outputFileRule) == OutputFileRule::RunningName)
        return;
    ++m_nameFieldSets;
    setCurrentOutputFileName(outputFileNameForShownPicture(m_outputFileRule, m_currentOutputFileName, base));
    changeOutputFileName(m_currentOutputFileName);
    changeDraggedFileName(m_currentOutputFileName);
}

void zent3controller::setPastedPictureOutputFileName()
{
    setOutputFileNameFieldText(kNewImageBase);
    changeOutputFileName(kNewImageBase);
    changeDraggedFileName(kNewImageBase);
}

void zent3controller::incrementCurrentFileName()
{
    if (!outputFileRuleCounts(m_outputFileRule))
        return;
    countOnOutputFileName();
    // Showing the saved-file label records the frame as saved; the label setter does not
    // record it, so it is done here.
    m_lastSavedRect = m_leftPanel.selRect() ? m_leftPanel.selRect()->frame() : Rect {};
    outputFileSavedLabelHidden(false);
}

void zent3controller::countOnOutputFileName()
{
    setCurrentOutputFileName(quillum::incrementCurrentFileName(m_currentOutputFileName));
    changeOutputFileName(m_currentOutputFileName);
    changeDraggedFileName(m_currentOutputFileName);
}

void zent3controller::changeDraggedFileName(const QString& base)
{
    // Only in the temporary folder, never in a folder of the name's own choosing.
    QString name = base;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    m_draggedFileName
        = m_temporaryPath.isEmpty() ? QString() : outputFilePath(m_temporaryPath, name, m_currentOutputFileType);
    didChangeValueForKey(key::draggedFileName);
}

void zent3controller::changeOutputFileName(const QString&)
{
    if (m_currentOutputPath.isEmpty())
        setCurrentOutputPath(QDir::homePath());
}

void zent3controller::onOutFileName(const Sender& sender)
{
    setCurrentOutputFileName(sender.title);
    changeDraggedFileName(sender.title);
    changeOutputFileName(sender.title);
}

void zent3controller::onTypeChangeAtMainScreen(const Sender& sender)
{
    setCurrentOutputFileType(imageFileTypeFromIndex(sender.intValue));
    changeDraggedFileName(m_currentOutputFileName);
}

void zent3controller::showOutputFolderInFinder(const Sender&)
{
    if (m_currentOutputPath.isEmpty() || !m_uiServices)
        return;
    m_uiServices->openUrl(QUrl::fromLocalFile(m_currentOutputPath).toString());
}

} // namespace quillum
