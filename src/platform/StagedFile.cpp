#include "StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillum {

namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// ".<stem>" then this, with the 8 hex digits in place of the Xs.
constexpr char kTempSuffix[] = ".quillum-XXXXXXXX.tmp";
constexpr std::size_t kTempSuffixLength = sizeof(kTempSuffix) - 1;
constexpr std::size_t kTempExtraLength = 1 + kTempSuffixLength; // the leading dot

bool isOurTemporaryName(const char* name)
{
    const std::size_t length = std::strlen(name);
    if (length < kTempExtraLength || name[0] != '.')
        return false;
    const char* suffix = name + length - kTempSuffixLength;
    for (std::size_t i = 0; i < kTempSuffixLength; ++i) {
        const char c = suffix[i];
        if (kTempSuffix[i] == 'X' ? !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) : c != kTempSuffix[i])
            return false;
    }
    return true;
}

// Our own temporary files that a killed save left in `folder`: regular files of this user,
// untouched for longer than a save could take. Best effort: a file that cannot be checked
// or removed stays.
void removeAbandonedTemporaries(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    const auto age = std::chrono::duration_cast<std::chrono::seconds>(StagedFile::kAbandonedAge).count();
    while (const dirent* entry = ::readdir(dir)) {
        if (!isOurTemporaryName(entry->d_name))
            continue;
        struct stat info { };
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != ::geteuid() || now - info.st_mtime <= age)
            continue;
        (void)::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// The longest name the folder takes.
std::size_t nameLimit(const QByteArray& folder)
{
    const long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return limit > 0 ? std::size_t(limit) : std::size_t(NAME_MAX);
}

// `name` cut to at most `bytes` bytes without splitting a UTF-8 sequence.
QByteArray shortened(const QByteArray& name, std::size_t bytes)
{
    if (std::size_t(name.size()) <= bytes)
        return name;
    qsizetype cut = qsizetype(bytes);
    while (cut > 0 && (std::uint8_t(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

// A name the file system spells differently from the string (a null character, half a
// surrogate pair) would be written somewhere else.
bool survivesEncoding(const QString& path, const QByteArray& native)
{
    return !native.contains('\0') && QFile::decodeName(native) == path;
}

const QString kUnstorableName = QStringLiteral("its name holds characters a file name cannot store");

} // namespace

bool saysOutOfMemory(const QString& reason)
{
    // A thread that cannot start has no memory for its stack.
    for (const char* words : { "out of memory", "not enough memory", "insufficient memory", "cannot allocate memory",
             "memory allocation failed", "unable to allocate", "error creating thread" })
        if (reason.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    return false;
}

StagedFile::StagedFile(QString target)
    : m_target(std::move(target))
{ }

StagedFile::~StagedFile()
{
    discard();
}

Error StagedFile::failure(const QString& reason) const
{
    return Error(QStringLiteral("“%1” was not saved: %2.").arg(QDir::toNativeSeparators(m_target), reason));
}

Error StagedFile::outOfMemory(const QString& what) const
{
    return Error(
        QStringLiteral("There is not enough memory to save “%1” (%2).").arg(QDir::toNativeSeparators(m_target), what));
}

Status StagedFile::open()
{
    discard();
    const QFileInfo info(m_target);
    const QString folder = info.absolutePath();
    const QByteArray target = QFile::encodeName(m_target);
    if (!survivesEncoding(m_target, target))
        return failure(kUnstorableName);
    if (!QFileInfo(folder).isDir())
        return failure(QStringLiteral("the folder “%1” does not exist").arg(QDir::toNativeSeparators(folder)));
    if (info.isDir())
        return failure(QStringLiteral("a folder of that name is in the way"));
    const QByteArray nativeFolder = QFile::encodeName(folder);
    removeAbandonedTemporaries(nativeFolder);
    // The temporary name gives up part of the target's name, never the target itself, so
    // a name near the folder's limit can still be saved.
    const std::size_t limit = nameLimit(nativeFolder);
    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray stem = shortened(name, limit > kTempExtraLength ? limit - kTempExtraLength : 0);
    // O_EXCL with a random name: no other writer can own the file; mode 0666 lets the
    // umask decide the permissions, as for any new file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray encoded = nativeFolder + '/' + '.' + stem + ".quillum-"
            + QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0') + ".tmp";
        const int fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return failure(errnoText(errno));
        }
        // A replaced file keeps its permissions, as an edit in place would: a private file
        // must not come back readable by others. Not set-user-ID, set-group-ID or sticky:
        // those were granted to the old contents, not to a picture.
        struct stat existing { };
        int code = 0;
        if (::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
            && ::fchmod(fd, existing.st_mode & 0777) != 0)
            code = errno;
        m_stream = code ? nullptr : ::fdopen(fd, "w+b");
        if (!m_stream) {
            if (!code)
                code = errno;
            // Abandoning a file only we know of: nothing more to report if these fail.
            (void)::close(fd);
            (void)::unlink(encoded.constData());
            return failure(errnoText(code));
        }
        m_tempName = encoded;
        return {};
    }
    return failure(QStringLiteral("no temporary name is free in its folder"));
}

Status StagedFile::write(const void* data, std::size_t size)
{
    if (!m_stream)
        return failure(QStringLiteral("the file is not open"));
    if (size && std::fwrite(data, 1, size, m_stream) != size)
        return failure(errnoText(errno ? errno : EIO));
    return {};
}

Status StagedFile::commit()
{
    if (!m_stream)
        return failure(QStringLiteral("the file is not open"));
    // A full disk often shows only at the flush, the sync or the close.
    int code = 0;
    if (std::fflush(m_stream) != 0 || std::ferror(m_stream))
        code = errno ? errno : EIO;
    else if (::fsync(::fileno(m_stream)) != 0)
        code = errno;
    const int closed = std::fclose(m_stream);
    m_stream = nullptr;
    if (!code && closed != 0)
        code = errno;
    if (!code && ::rename(m_tempName.constData(), QFile::encodeName(m_target).constData()) != 0)
        code = errno;
    if (code) {
        (void)::unlink(m_tempName.constData());
        m_tempName.clear();
        return failure(errnoText(code));
    }
    m_tempName.clear();
    return {};
}

void StagedFile::discard()
{
    // The temporary file is abandoned: what went wrong was reported already, or nothing did.
    if (m_stream) {
        (void)std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_tempName.isEmpty()) {
        (void)::unlink(m_tempName.constData());
        m_tempName.clear();
    }
}

Status makeFolderPath(const QString& folder)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QByteArray native = QFile::encodeName(path);
    const auto refused = [&path](const QString& why) {
        return Error(QStringLiteral("The folder “%1” cannot be made: %2.").arg(QDir::toNativeSeparators(path), why));
    };
    if (!survivesEncoding(path, native))
        return refused(kUnstorableName);
    // Each level in turn, so the message can name the one in the way.
    for (qsizetype end = 1; end <= native.size(); ++end) {
        if (end < native.size() && native[end] != '/')
            continue;
        const QByteArray level = native.left(end);
        struct stat info { };
        if (::stat(level.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            return refused(
                QStringLiteral("“%1” is a file, not a folder").arg(QDir::toNativeSeparators(QFile::decodeName(level))));
        }
        if (errno != ENOENT)
            return refused(errnoText(errno));
        if (::mkdir(level.constData(), 0777) != 0 && errno != EEXIST)
            return refused(errnoText(errno));
    }
    return {};
}

} // namespace quillum
