#include "decorations/CaptionTags.h"

#include "platform/TextFormats.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace quillum {

namespace {

// The path without its last component, and the last component ("/a/b.jpg": "/a", "b.jpg").
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString formatZentCaption(const QString& text, const QString& imagePath, const QString& localeName)
{
    static const char* const tags[] = { "$FX", "$F", "$f", "$SX", "$S", "$s", "$DX", "$D", "$d", "$TX", "$T", "$t" };
    QString result = text;
    const QFileInfo info(imagePath);
    const bool exists = !imagePath.isEmpty() && info.isFile();
    for (const char* tag : tags) {
        const QString key = QString::fromLatin1(tag);
        if (!result.contains(key))
            continue; // the file facts (and ICU formatters) cost more than the search
        QString value;
        if (exists) {
            const qint64 bytes = info.size();
            // The size texts take int32 as they always have; a file of 2 GiB or more is
            // shown as the largest int32 rather than wrapping to a negative size.
            const auto bytes32
                = static_cast<std::int32_t>(std::min<qint64>(bytes, std::numeric_limits<std::int32_t>::max()));
            const QDateTime modified = info.lastModified();
            const QString t = key;
            if (t == QLatin1String("$FX"))
                value = imagePath;
            else if (t == QLatin1String("$F"))
                value = folderOf(imagePath);
            else if (t == QLatin1String("$f"))
                value = nameOf(imagePath);
            else if (t == QLatin1String("$SX"))
                value = QString::number(bytes);
            else if (t == QLatin1String("$S"))
                value = stringForFullByteSize(bytes32);
            else if (t == QLatin1String("$s"))
                value = stringForByteSize(bytes32);
            else if (t == QLatin1String("$DX"))
                value = stringForDateTime(modified, DateOrTime::Date, DateStyle::Full, localeName);
            else if (t == QLatin1String("$D"))
                value = stringForDateTime(modified, DateOrTime::Date, DateStyle::Medium, localeName);
            else if (t == QLatin1String("$d"))
                value = stringForDateTime(modified, DateOrTime::Date, DateStyle::Short, localeName);
            else if (t == QLatin1String("$TX"))
                value = stringForDateTime(modified, DateOrTime::Time, DateStyle::Full, localeName);
            else if (t == QLatin1String("$T"))
                value = stringForDateTime(modified, DateOrTime::Time, DateStyle::Medium, localeName);
            else
                value = stringForDateTime(modified, DateOrTime::Time, DateStyle::Short, localeName);
        }
        result.replace(key, value);
    }

    const QString breakTag = QStringLiteral("$P");
    if (QString(result).remove(breakTag).isEmpty())
        return {};
    return result.replace(breakTag, QStringLiteral("\r\n"));
}

QString captionTextAfterTagItem(const QString& text, int itemTag)
{
    const char* appended = nullptr;
    switch (itemTag) {
    case 10:
        return {};
    case 20:
        appended = "$P";
        break;
    case 100:
        appended = "$f";
        break;
    case 101:
        appended = "$F";
        break;
    case 102:
        appended = "$FX";
        break;
    case 200:
        appended = "$d";
        break;
    case 201:
        appended = "$D";
        break;
    case 202:
        appended = "$DX";
        break;
    case 300:
        appended = "$t";
        break;
    case 301:
        appended = "$T";
        break;
    case 302:
        appended = "$TX";
        break;
    case 400:
    case 401:
    case 402:
    case 500:
    case 501:
    case 502:
        appended = "$";
        break;
    case 600:
        appended = "$s";
        break;
    case 601:
        appended = "$S";
        break;
    default:
        return text;
    }
    return text + QLatin1String(appended);
}

QString resetCaptionText(int caption)
{
    return caption == 0 ? QStringLiteral("$f$P$s") : QStringLiteral("$d - $t");
}

} // namespace quillum
