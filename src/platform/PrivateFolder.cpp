#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillum {
namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Why `path` may not hold our private files; empty when it may. `closed`: no one else may
// even look inside; otherwise only writing by others is refused. Checked on a descriptor
// opened without following a final link, so the folder checked is the folder answered for.
QString folderProblem(const QString& path, bool closed)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        struct stat link { };
        if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return QStringLiteral("it is a symbolic link");
        return code == ENOTDIR ? QStringLiteral("it is not a folder") : errnoText(code);
    }
    struct stat info { };
    const int statted = ::fstat(fd, &info);
    const int code = errno;
    (void)::close(fd); // read-only: nothing was written that a failed close could lose
    if (statted != 0)
        return errnoText(code);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (info.st_mode & (closed ? 077 : 022))
        return closed ? QStringLiteral("other users can open it") : QStringLiteral("other users can write in it");
    return {};
}

// "<base>/<name>", made or checked.
Result<QString> privateFolderIn(const QString& base, const QString& name)
{
    const auto refused = [](const QString& folder, const QString& why) {
        return Error(QStringLiteral("“%1”: %2").arg(QDir::toNativeSeparators(folder), why));
    };
    if (const QString problem = folderProblem(base, false); !problem.isEmpty())
        return refused(base, problem);
    const QString folder = QDir(base).filePath(name);
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), 0700) == 0) {
        // The umask may have taken the owner's own bits away.
        if (::chmod(native.constData(), 0700) != 0)
            return refused(folder, errnoText(errno));
    } else if (errno != EEXIST) {
        return refused(folder, errnoText(errno));
    }
    if (const QString problem = folderProblem(folder, true); !problem.isEmpty())
        return refused(folder, problem);
    return folder;
}

// The locks this process holds on its run folders, by path.
struct HeldLocks {
    std::mutex mutex;
    std::map<QByteArray, int> descriptors;
};

HeldLocks& heldLocks()
{
    static HeldLocks* locks = new HeldLocks; // never destroyed: the locks last until exit
    return *locks;
}

void lockRunFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Unlocked (a file system without flock), the folder is still ours; only a run that
    // stays idle for a day could then lose it to another run's clean-up.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        (void)::close(fd);
        return;
    }
    HeldLocks& locks = heldLocks();
    std::lock_guard guard(locks.mutex);
    locks.descriptors[folder] = fd;
}

// "run-" and the six letters or digits mkdtemp puts in.
bool isRunFolderName(const char* name)
{
    if (std::strlen(name) != 10 || std::strncmp(name, "run-", 4) != 0)
        return false;
    for (int i = 4; i < 10; ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// Removes the files in the open folder `fd`; a subfolder (we never make one) stays.
void removeFilesIn(int fd)
{
    const int copy = ::dup(fd);
    DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!dir) {
        if (copy >= 0)
            (void)::close(copy);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info { };
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode))
            (void)::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// The run folders in `parent` left by runs that ended without removing them: this user's
// real folders, untouched for a day, that no live process holds locked. Best effort.
void removeAbandonedRunFolders(const QByteArray& parent)
{
    constexpr std::time_t kAbandonedAge = 24 * 60 * 60;
    DIR* dir = ::opendir(parent.constData());
    if (!dir)
        return;
    const int parentFd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isRunFolderName(entry->d_name))
            continue;
        struct stat info { };
        if (::fstatat(parentFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != ::geteuid() || now - info.st_mtime <= kAbandonedAge)
            continue;
        const int fd = ::openat(parentFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removeFilesIn(fd);
            (void)::close(fd);
            (void)::unlinkat(parentFd, entry->d_name, AT_REMOVEDIR);
        } else {
            (void)::close(fd);
        }
    }
    ::closedir(dir);
}

} // namespace

void releasePrivateRunFolder(const QString& folder)
{
    HeldLocks& locks = heldLocks();
    std::lock_guard guard(locks.mutex);
    const auto held = locks.descriptors.find(QFile::encodeName(folder));
    if (held == locks.descriptors.end())
        return;
    (void)::close(held->second); // read-only: closing only drops the lock
    locks.descriptors.erase(held);
}

Result<QString> makePrivateRunFolder(const QString& name)
{
    QStringList problems;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    for (const QString& base : { runtime, cache }) {
        if (base.isEmpty())
            continue;
        // A new account may have no cache folder yet.
        if (!QDir().mkpath(base)) {
            problems << QStringLiteral("“%1”: it cannot be made").arg(QDir::toNativeSeparators(base));
            continue;
        }
        const Result<QString> folder = privateFolderIn(base, name);
        if (!folder) {
            problems << folder.error();
            continue;
        }
        removeAbandonedRunFolders(QFile::encodeName(folder.value()));
        QByteArray run = QFile::encodeName(QDir(folder.value()).filePath(QStringLiteral("run-XXXXXX")));
        if (::mkdtemp(run.data())) {
            lockRunFolder(run);
            return QFile::decodeName(run);
        }
        problems << QStringLiteral("“%1”: %2").arg(QDir::toNativeSeparators(folder.value()), errnoText(errno));
    }
    if (problems.isEmpty())
        problems << QStringLiteral("this system names no runtime or cache folder");
    return Error(problems.join(QStringLiteral("; ")));
}

} // namespace quillum
