#include "StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillum {

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

namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

Status StagedFile::open()
{
    discard();
    const QFileInfo info(m_target);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return failure(QStringLiteral("the folder “%1” does not exist").arg(QDir::toNativeSeparators(folder)));
    if (info.isDir())
        return failure(QStringLiteral("a folder of that name is in the way"));
    // O_EXCL with a random name: no other writer can own the file; mode 0666 lets the
    // umask decide the permissions, as for any new file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.tmp")
                                 .arg(folder, info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray encoded = QFile::encodeName(name);
        const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return failure(errnoText(errno));
        }
        // A replaced file keeps its permissions, as an edit in place would: a private file
        // must not come back readable by others.
        struct stat existing { };
        int code = 0;
        if (::stat(QFile::encodeName(m_target).constData(), &existing) == 0 && S_ISREG(existing.st_mode)
            && ::fchmod(fd, existing.st_mode & 07777) != 0)
            code = errno;
        m_stream = code ? nullptr : ::fdopen(fd, "wb");
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

} // namespace quillum
