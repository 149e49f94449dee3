#pragma once
// The picture list of a folder, its order, the position rule, the recent-item lists and
// the file facts. Plain functions over paths and the file system; no state, no UI.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace quillum {

// The extension, lower-cased, is jpg, jpeg, tif, tiff or png. Only the name counts here;
// listPictures also asks for a visible regular file.
bool isAcceptedPictureName(const QString& name);

// Called with each folder just before it is read (lets tests change the disk in between).
using FolderProbe = std::function<void(const QString& folder)>;

// The regular files with accepted names in `folder` (and in its subfolders when
// `includeSubfolders`), as folder-joined paths, sorted by sortPicturePaths. Hidden entries
// (a name starting with ".") are left out and hidden subfolders are not entered: resource
// forks such as "._IMG_0001.jpg" are not pictures. Folders named like pictures, pipes and
// links to nothing are left out; a link to a picture counts as the picture. Symbolic links
// to folders are followed once per real folder, so loops end; folders that cannot be read
// add nothing. Names that do not survive decoding (not valid in the file-name encoding) are
// left out: they could not be opened again.
QStringList listPictures(const QString& folder, bool includeSubfolders, const FolderProbe& probe = {});

// English (United States), or the system locale unless that is "C".
QLocale pictureSortLocale();

// Locale-aware, case-insensitive, not numeric (b10 before b2); ties by the plain text so
// the order never depends on the input order.
void sortPicturePaths(QStringList& paths, const QLocale& locale = pictureSortLocale());

// The position of `path` in `list`, or 0 when it is not there.
qsizetype indexForPath(const QStringList& list, const QString& path);

inline constexpr qsizetype kMaxRecentItems = 10;

// Paths under "/var/folders/" or under `tempDir` are never recorded.
bool isTemporaryLocation(const QString& path, const QString& tempDir);

// Newest first: an existing entry (exact text) moves to the front, a new one is inserted
// there and the list is cut to kMaxRecentItems. Answers whether the list changed.
bool addRecentItem(const QString& path, QStringList& list, const QString& tempDir);
// Same with this system's temporary directory.
bool addRecentItem(const QString& path, QStringList& list);

// Removes the entries whose path no longer exists, from the last to the first.
bool removeVanishedEntries(QStringList& list);

// Size and modification date of the entry itself (a final symbolic link is not followed);
// nothing when there is no entry at `path`.
std::optional<std::int64_t> fileSizeNoFollow(const QString& path);
std::optional<QDateTime> modDateNoFollow(const QString& path);

} // namespace quillum
