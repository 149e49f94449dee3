#pragma once
// The staged file every encoder writes through: a temporary file in the target's folder,
// renamed over the target only once it is complete and flushed to disk, so a failure never
// leaves a partial or empty file at the target path. One writer per object, any thread.
//
// Temporary files are named ".<name>.quillum-<8 hex digits>.tmp" (the name shortened when
// needed to keep within the folder's name limit). Opening one in a folder first removes
// those this user left there more than ten minutes ago: a process killed mid-save cannot
// clean up after itself, and nothing else is named that way.

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace quillum {

class StagedFile {
public:
    explicit StagedFile(QString target);
    ~StagedFile(); // removes the temporary file unless committed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file (read and write). The message names the target and the reason.
    [[nodiscard]] Status open();
    FILE* stream() const { return m_stream; }
    // The temporary file's path as the file system spells it; empty when not open.
    const QByteArray& temporaryPath() const { return m_tempName; }
    const QString& target() const { return m_target; }
    [[nodiscard]] Status write(const void* data, std::size_t size);
    // Flushes, syncs and closes the temporary file, then renames it over the target.
    [[nodiscard]] Status commit();
    // Closes and removes the temporary file (also done by the destructor).
    void discard();
    // A message naming the target and `reason`.
    [[nodiscard]] Error failure(const QString& reason) const;
    // A message saying that memory ran out while doing `what` for the target.
    [[nodiscard]] Error outOfMemory(const QString& what) const;

    // How old an abandoned temporary file must be before a later save removes it.
    static constexpr std::chrono::minutes kAbandonedAge { 10 };

private:
    QString m_target;
    QByteArray m_tempName; // encoded for the file system
    FILE* m_stream = nullptr;
};

// Makes `folder` and any missing folders above it. The message names the folder and why
// it could not be made (for example a file standing where a folder should be).
[[nodiscard]] Status makeFolderPath(const QString& folder);

// Whether a reason reported by a library means that memory ran out.
bool saysOutOfMemory(const QString& reason);

} // namespace quillum
