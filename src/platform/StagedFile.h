#pragma once
// The staged file every encoder writes through: a temporary file in the target's folder,
// renamed over the target only once it is complete and flushed to disk, so a failure never
// leaves a partial or empty file at the target path. One writer per object, any thread.

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdio>

namespace quillum {

class StagedFile {
public:
    explicit StagedFile(QString target);
    ~StagedFile(); // removes the temporary file unless committed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file. The message names the target and the reason.
    [[nodiscard]] Status open();
    FILE* stream() const { return m_stream; }
    const QString& target() const { return m_target; }
    [[nodiscard]] Status write(const void* data, std::size_t size);
    // Flushes, syncs and closes the temporary file, then renames it over the target.
    [[nodiscard]] Status commit();
    // Closes and removes the temporary file (also done by the destructor).
    void discard();
    // A message naming the target and `reason`.
    [[nodiscard]] Error failure(const QString& reason) const;

private:
    QString m_target;
    QByteArray m_tempName; // encoded for the file system
    FILE* m_stream = nullptr;
};

} // namespace quillum
