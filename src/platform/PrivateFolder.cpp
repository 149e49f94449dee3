#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
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

} // namespace

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
        QByteArray run = QFile::encodeName(QDir(folder.value()).filePath(QStringLiteral("run-XXXXXX")));
        if (::mkdtemp(run.data()))
            return QFile::decodeName(run);
        problems << QStringLiteral("“%1”: %2").arg(QDir::toNativeSeparators(folder.value()), errnoText(errno));
    }
    if (problems.isEmpty())
        problems << QStringLiteral("this system names no runtime or cache folder");
    return Error(problems.join(QStringLiteral("; ")));
}

} // namespace quillum
