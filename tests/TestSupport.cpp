#include "TestSupport.h"

#include <QFile>

namespace quillum::test {

QString dataPath(const char* name)
{
    return QStringLiteral(QUILLUM_TEST_DATA "/") + QString::fromUtf8(name);
}
QString samplePath(const char* name)
{
    return QStringLiteral(QUILLUM_SAMPLES "/") + QString::fromUtf8(name);
}

QString fileFormatByContent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(8);
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("jpeg");
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return QStringLiteral("tiff");
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("png");
    return {};
}

} // namespace quillum::test
