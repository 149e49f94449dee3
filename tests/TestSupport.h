#pragma once
// Shared helpers for the test binaries.

#include <QString>

namespace quillum::test {

QString dataPath(const char* name); // tests/data/<name>
QString samplePath(const char* name); // samples/<name>

} // namespace quillum::test
