#pragma once
// JPEG without metadata through libjpeg, and the staged file every encoder writes through:
// a temporary file in the target's folder, renamed over the target only once it is complete
// and flushed to disk, so a failure never leaves a partial or empty file at the target path.

#include "BitmapImageRep.h"
#include "Result.h"

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
    Status open();
    FILE* stream() const { return m_stream; }
    const QString& target() const { return m_target; }
    Status write(const void* data, std::size_t size);
    // Flushes, syncs and closes the temporary file, then renames it over the target.
    Status commit();
    // Closes and removes the temporary file (also done by the destructor).
    void discard();
    // A message naming the target and `reason`.
    Error failure(const QString& reason) const;

private:
    QString m_target;
    QByteArray m_tempName; // encoded for the file system
    FILE* m_stream = nullptr;
};

// Writes an 8-bit interleaved bitmap (RGB, RGBA or the A,R,G,B working format) as a baseline
// JFIF JPEG with libjpeg's defaults: no EXIF, no ICC profile, no other markers. Alpha is
// dropped as stored, without compositing. `quality` is libjpeg's 0..100 scale (clamped).
// The folder must exist; every failure (folder, open, libjpeg, disk full) is returned and
// leaves nothing at `path`.
Status saveNSBitmapImageRepWithLibJpeg(const BitmapImageRep& bitmap, const QString& path, int quality);

} // namespace quillum
