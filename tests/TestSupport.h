#pragma once
// Shared helpers for the test binaries.

#include <QByteArray>
#include <QString>

namespace quillum::test {

QString dataPath(const char* name); // tests/data/<name>
QString samplePath(const char* name); // samples/<name>

// What a file holds by its first bytes: "jpeg", "tiff", "png", "webp", or "" for anything else.
QString fileFormatByContent(const QString& path);

// A grey progressive JPEG libjpeg decodes without a warning: one DC scan, then scans - 1
// AC scans that each code every block as end-of-band runs. Repeating the AC scan is a
// legal, if pointless, progression; each repeat costs the decoder a pass over every block
// for a few dozen bytes of file.
QByteArray progressiveGreyJpeg(int width, int height, int scans);

} // namespace quillum::test

