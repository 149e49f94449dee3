#include "TestSupport.h"

namespace quillum::test {

QString dataPath(const char* name)
{
    return QStringLiteral(QUILLUM_TEST_DATA "/") + QString::fromUtf8(name);
}
QString samplePath(const char* name)
{
    return QStringLiteral(QUILLUM_SAMPLES "/") + QString::fromUtf8(name);
}

} // namespace quillum::test
