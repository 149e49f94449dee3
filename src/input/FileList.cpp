#include "FileList.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace quillum {

namespace {

bool lstatPath(const QString& path, struct stat& st)
{
    const QByteArray native = QFile::encodeName(path);
    return !native.isEmpty() && ::lstat(native.constData(), &st) == 0;
}

} // namespace

bool isAcceptedPictureName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView ext = QStringView(name).mid(dot + 1);
    for (const char* accepted : { "jpg", "jpeg", "tif", "tiff", "png" }) {
        if (ext.compare(QLatin1StringView(accepted), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList listPictures(const QString& folder, bool includeSubfolders, const FolderProbe& probe)
{
    QStringList pictures;
    QSet<QString> visited; // canonical paths: a link back up the tree is read only once
    // Real folders first, linked ones after, so a folder reached both ways keeps its own path.
    std::vector<QString> realFolders { QDir::cleanPath(folder) };
    std::vector<QString> linkedFolders;
    // Without QDir::Hidden, names starting with a dot (resource forks such as "._IMG_0001.jpg",
    // hidden folders) are never seen; without QDir::System, neither are pipes, sockets and
    // links to nothing.
    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot;

    while (!realFolders.empty() || !linkedFolders.empty()) {
        std::vector<QString>& from = realFolders.empty() ? linkedFolders : realFolders;
        const QString dir = std::move(from.back());
        from.pop_back();
        const QString canonical = QFileInfo(dir).canonicalFilePath();
        if (canonical.isEmpty() || visited.contains(canonical))
            continue;
        visited.insert(canonical);
        if (probe)
            probe(dir);

        // An unreadable or vanished folder simply yields no entries.
        QDirIterator it(dir, filters);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = it.fileName();
            const QFileInfo info = it.fileInfo();
            // A folder named like a picture cannot be opened as one.
            if (info.isFile() && isAcceptedPictureName(name)) {
                // A name that lost bytes in decoding names no file; keep only what reopens.
                struct stat st;
                if (!name.contains(QChar::ReplacementCharacter) || lstatPath(path, st))
                    pictures.append(path);
            }
            if (includeSubfolders && info.isDir())
                (info.isSymLink() ? linkedFolders : realFolders).push_back(path);
        }
    }
    sortPicturePaths(pictures);
    return pictures;
}

QLocale pictureSortLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

void sortPicturePaths(QStringList& paths, const QLocale& locale)
{
    if (paths.size() < 2)
        return;
    QCollator collator(locale);
    collator.setNumericMode(false);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Keys once per path: comparing keys is far cheaper than collating strings each time.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(paths.size()));
    for (const QString& p : paths)
        keys.push_back(collator.sortKey(p));
    std::vector<qsizetype> order(size_t(paths.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        if (c != 0)
            return c < 0;
        return paths[a] < paths[b];
    });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (qsizetype i : order)
        sorted.append(paths[i]);
    paths = std::move(sorted);
}

qsizetype indexForPath(const QStringList& list, const QString& path)
{
    return std::max<qsizetype>(list.indexOf(path), 0);
}

bool isTemporaryLocation(const QString& path, const QString& tempDir)
{
    if (path.contains(QLatin1String("/var/folders/")))
        return true;
    const QString cleaned = QDir::cleanPath(path);
    const auto under = [&](const QString& root) {
        // The root itself would make every path temporary.
        if (root.isEmpty() || root == QLatin1String("/"))
            return false;
        return cleaned == root || cleaned.startsWith(root + QLatin1Char('/'));
    };
    return under(QDir::cleanPath(tempDir)) || under(QFileInfo(tempDir).canonicalFilePath());
}

bool addRecentItem(const QString& path, QStringList& list, const QString& tempDir)
{
    if (path.isEmpty() || isTemporaryLocation(path, tempDir))
        return false;
    const qsizetype at = list.indexOf(path);
    if (at == 0 && list.size() <= kMaxRecentItems)
        return false;
    if (at > 0)
        list.move(at, 0);
    else if (at < 0)
        list.prepend(path);
    while (list.size() > kMaxRecentItems)
        list.removeLast();
    return true;
}

bool addRecentItem(const QString& path, QStringList& list)
{
    return addRecentItem(path, list, QDir::tempPath());
}

bool removeVanishedEntries(QStringList& list)
{
    bool changed = false;
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        if (!QFileInfo::exists(list[i])) {
            list.removeAt(i);
            changed = true;
        }
    }
    return changed;
}

std::optional<std::int64_t> fileSizeNoFollow(const QString& path)
{
    struct stat st;
    if (!lstatPath(path, st))
        return std::nullopt;
    return std::int64_t(st.st_size);
}

std::optional<QDateTime> modDateNoFollow(const QString& path)
{
    struct stat st;
    if (!lstatPath(path, st))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(std::int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

} // namespace quillum
