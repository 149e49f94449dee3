// Navigation: building the picture list of a folder, moving through it, the counter and
// buttons, closing the picture, and the three recent lists with their menus.

#include "zent3controller.h"

#include "input/FileList.h"
#include "platform/UiServices.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace quillum {

namespace {

constexpr int kSeparatorTag = -1;
constexpr int kClearMenuTag = -2;

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool zent3controller::adoptList(const QString& home, QStringList list, const QString& chosen)
{
    if (!finishPendingSave())
        return false;
    // An empty result keeps the previous list so the buttons still mean what they show, and
    // says why nothing changed.
    if (list.isEmpty()) {
        if (m_uiServices)
            m_uiServices->runAlert(QStringLiteral("No pictures to open"),
                QStringLiteral("\u201c%1\u201d holds no JPEG, TIFF or PNG pictures.").arg(QDir::toNativeSeparators(home)),
                { QStringLiteral("OK") });
        return false;
    }
    m_home = home;
    setCurrentInputPath(home);
    m_currentPicIndex = int(indexForPath(list, chosen));
    m_pics = std::move(list);
    displayFileCounter();
    const bool shown = showListPicture();
    verifyButtons();
    return shown;
}

bool zent3controller::showListPicture()
{
    if (m_currentPicIndex < 0 || m_currentPicIndex >= m_pics.size())
        return false;
    const QString path = m_pics[m_currentPicIndex];
    // Only a picture that really became the source is worth offering again.
    if (!showCurrentPicture())
        return false;
    noteRecentImage(path);
    return true;
}

bool zent3controller::createListFor(const QString& path, bool includeSubfolders)
{
    if (path.isEmpty())
        return false;
    const QString chosen = absoluteClean(path);
    // A folder is listed itself (from the open panel, the command line or a drop), not as
    // an entry of its parent.
    const QString home = QFileInfo(chosen).isDir() ? chosen : QFileInfo(chosen).path();
    return adoptList(home, listPictures(home, includeSubfolders), chosen);
}

bool zent3controller::createListForFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString home = absoluteClean(folder);
    return adoptList(home, listPictures(home, false), QString());
}

void zent3controller::showFileList(const Sender&)
{
    if (!m_uiServices)
        return;
    bool includeSubfolders = false;
    const QStringList chosen = m_uiServices->runOpenPanel(includeSubfolders);
    if (chosen.isEmpty())
        return;
    // The last chosen file (or folder) decides the folder and the picture shown.
    createListFor(chosen.last(), includeSubfolders);
}

void zent3controller::makeList(const Sender&)
{
    createListWithDialogue();
    verifyButtons();
}

void zent3controller::createListWithDialogue()
{
    if (!m_uiServices)
        return;
    bool includeSubfolders = false;
    const QStringList chosen = m_uiServices->runOpenPanel(includeSubfolders);
    if (!chosen.isEmpty())
        createListFor(chosen.last(), false);
}

void zent3controller::goNextPic(const Sender&)
{
    // A write still running for the photo shown decides where "next" is.
    if (!finishPendingSave())
        return;
    if (m_pics.isEmpty() || m_currentPicIndex + 1 >= m_pics.size())
        return;
    ++m_currentPicIndex;
    displayFileCounter();
    showListPicture();
    verifyButtons();
}

void zent3controller::goPrevPic(const Sender&)
{
    if (!finishPendingSave())
        return;
    if (m_pics.isEmpty() || m_currentPicIndex <= 0)
        return;
    --m_currentPicIndex;
    displayFileCounter();
    showListPicture();
    verifyButtons();
}

void zent3controller::goFirstPic(const Sender&)
{
    if (!finishPendingSave())
        return;
    if (m_pics.isEmpty())
        return;
    m_currentPicIndex = 0;
    displayFileCounter();
    showListPicture();
    verifyButtons();
}

void zent3controller::goLastPic(const Sender&)
{
    if (!finishPendingSave())
        return;
    if (m_pics.isEmpty())
        return;
    m_currentPicIndex = int(m_pics.size() - 1);
    displayFileCounter();
    showListPicture();
    verifyButtons();
}

void zent3controller::verifyButtons()
{
    const bool hasList = !m_pics.isEmpty() && m_currentPicIndex >= 0;
    m_prevButtonEnabled = hasList && m_currentPicIndex != 0;
    m_nextButtonEnabled = hasList && m_currentPicIndex < m_pics.size() - 1;
    m_firstButtonEnabled = m_prevButtonEnabled;
    m_lastButtonEnabled = m_nextButtonEnabled;
    didChangeValueForKey(key::navigationButtons);
}

void zent3controller::displayFileCounter()
{
    if (m_pics.isEmpty() || m_currentPicIndex < 0)
        return;
    m_fileCounter = QString::asprintf(
        "%lu/%lu", static_cast<unsigned long>(m_currentPicIndex) + 1, static_cast<unsigned long>(m_pics.size()));
    didChangeValueForKey(key::fileCounter);
}

void zent3controller::closeImage(const Sender&)
{
    if (!finishPendingSave())
        return;
    m_deferredReadAhead.clear();
    setSourcePicture(BitmapImageRep {}, {}, {});
    // A render still running for the closed picture is never shown.
    discardPendingRender();
    clearOutputPreview();
    m_refImageRep.reset();
    m_outPict.reset();
    m_rightPanel.setPictureSize({});
    didChangeValueForKey(key::outPict);
    fitImageToView();
    verifyButtons();
    requestLeftPanelRedraw();
    m_rotationButtonImageNames
        = { QStringLiteral("TT1"), QStringLiteral("TL1"), QStringLiteral("TB1"), QStringLiteral("TR1") };
    didChangeValueForKey(key::rotationButtonImages);
    m_windowTitle = QStringLiteral("Quillum");
    didChangeValueForKey(key::windowTitle);
    m_operationTimeLabel = QStringLiteral("Operation Details");
    didChangeValueForKey(key::operationTimeLabel);
}

QString zent3controller::currentInputPath() const
{
    return m_currentInputPath.isEmpty() ? QDir::homePath() : m_currentInputPath;
}

void zent3controller::setCurrentInputPath(const QString& path)
{
    if (m_currentInputPath == path)
        return;
    m_currentInputPath = path;
    didChangeValueForKey(key::currentInputPath);
}

void zent3controller::noteRecentImage(const QString& path)
{
    if (path.isEmpty())
        return;
    const bool images = addRecentItem(path, m_recentImages);
    const bool folders = addRecentItem(QFileInfo(path).path(), m_recentInFolders);
    if (images)
        didChangeValueForKey(key::recentImages);
    if (folders)
        didChangeValueForKey(key::recentInFolders);
    if (images || folders)
        rebuildRecentMenus();
}

void zent3controller::noteRecentOutputFolder(const QString& folder)
{
    if (!addRecentItem(folder, m_recentOutFolders))
        return;
    didChangeValueForKey(key::recentOutFolders);
    menuNeedsUpdate(m_recentOutFoldersMenu);
}

void zent3controller::setRecentImages(const QStringList& paths)
{
    m_recentImages = paths.mid(0, kMaxRecentItems);
    menuNeedsUpdate(m_recentImagesMenu);
}

void zent3controller::setOpenLastFileOnAppLaunch(bool on)
{
    m_openLastFileOnAppLaunch = on;
    didChangeValueForKey(key::openLastFileOnAppLaunch);
}

void zent3controller::setRecentInFolders(const QStringList& paths)
{
    m_recentInFolders = paths.mid(0, kMaxRecentItems);
    menuNeedsUpdate(m_recentInFoldersMenu);
}

void zent3controller::setRecentOutFolders(const QStringList& paths)
{
    m_recentOutFolders = paths.mid(0, kMaxRecentItems);
    menuNeedsUpdate(m_recentOutFoldersMenu);
}

void zent3controller::validateRecentMenus()
{
    removeVanishedEntries(m_recentImages);
    removeVanishedEntries(m_recentInFolders);
    removeVanishedEntries(m_recentOutFolders);
    rebuildRecentMenus();
}

void zent3controller::rebuildRecentMenus()
{
    menuNeedsUpdate(m_recentImagesMenu);
    menuNeedsUpdate(m_recentInFoldersMenu);
    menuNeedsUpdate(m_recentOutFoldersMenu);
}

void zent3controller::menuNeedsUpdate(MenuModel& menu)
{
    while (!menu.items().empty())
        menu.removeItemWithTag(menu.items().front().tag);

    const QStringList* list = nullptr;
    void (zent3controller::*open)(const Sender&) = nullptr;
    void (zent3controller::*clear)(const Sender&) = nullptr;
    if (&menu == &m_recentImagesMenu) {
        list = &m_recentImages;
        open = &zent3controller::pkOpenRecentImage;
        clear = &zent3controller::clearRecentImagesMenu;
    } else if (&menu == &m_recentInFoldersMenu) {
        list = &m_recentInFolders;
        open = &zent3controller::pkOpenRecentFolder;
        clear = &zent3controller::clearRecentInFoldersMenu;
    } else if (&menu == &m_recentOutFoldersMenu) {
        list = &m_recentOutFolders;
        open = &zent3controller::pkSetRecentOutputFolder;
        clear = &zent3controller::clearRecentOutFoldersMenu;
    } else {
        return;
    }

    const bool pictures = list == &m_recentImages;
    for (qsizetype i = 0; i < list->size(); ++i) {
        const QString& path = (*list)[i];
        MenuItem item;
        item.tag = int(i);
        item.title = pictures ? QStringLiteral("%1  \u2014  %2").arg(QFileInfo(path).fileName(), QFileInfo(path).path())
                              : path;
        // The action may rebuild this very menu and so destroy itself: it copies what it
        // needs before calling.
        item.action = [this, open, tag = item.tag, title = item.title] {
            zent3controller* self = this;
            Sender sender;
            sender.tag = tag;
            sender.title = title;
            (self->*open)(sender);
        };
        menu.addItem(std::move(item));
    }
    MenuItem clearItem;
    clearItem.tag = kClearMenuTag;
    clearItem.title = QStringLiteral("Clear Menu");
    if (list->isEmpty()) {
        clearItem.enabled = false;
    } else {
        MenuItem separator;
        separator.tag = kSeparatorTag;
        separator.separator = true;
        menu.addItem(std::move(separator));
        clearItem.action = [this, clear] {
            zent3controller* self = this;
            (self->*clear)(Sender {});
        };
    }
    menu.addItem(std::move(clearItem));
}

void zent3controller::pkOpenRecentImage(const Sender& sender)
{
    if (sender.tag < 0 || sender.tag >= m_recentImages.size())
        return;
    const QString path = m_recentImages[sender.tag];
    createListFor(path, false);
}

void zent3controller::pkOpenRecentFolder(const Sender& sender)
{
    if (sender.title.isEmpty())
        return;
    if (sender.title == m_currentInputPath && !m_pics.isEmpty())
        return;
    const QString folder = sender.title;
    createListForFolder(folder);
}

void zent3controller::pkSetRecentOutputFolder(const Sender& sender)
{
    if (sender.title.isEmpty())
        return;
    m_currentOutputPath = sender.title;
    m_firstTimeSaving = true;
    didChangeValueForKey(key::currentOutputPath);
}

void zent3controller::clearRecentImagesMenu(const Sender&)
{
    m_recentImages.clear();
    didChangeValueForKey(key::recentImages);
    menuNeedsUpdate(m_recentImagesMenu);
}

void zent3controller::clearRecentInFoldersMenu(const Sender&)
{
    m_recentInFolders.clear();
    didChangeValueForKey(key::recentInFolders);
    menuNeedsUpdate(m_recentInFoldersMenu);
}

void zent3controller::clearRecentOutFoldersMenu(const Sender&)
{
    m_recentOutFolders.clear();
    didChangeValueForKey(key::recentOutFolders);
    menuNeedsUpdate(m_recentOutFoldersMenu);
}

std::optional<std::int64_t> zent3controller::fileSizeForFile(const QString& path)
{
    return fileSizeNoFollow(path);
}

std::optional<QDateTime> zent3controller::modDateForFile(const QString& path)
{
    return modDateNoFollow(path);
}

} // namespace quillum
