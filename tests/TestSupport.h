#pragma once
// Shared helpers for the test binaries.

#include <QString>

namespace quillum::test {

QString dataPath(const char* name); // tests/data/<name>
QString samplePath(const char* name); // samples/<name>

// What a file holds by its first bytes: "jpeg", "tiff", "png", or "" for anything else.
QString fileFormatByContent(const QString& path);

} // namespace quillum::test

