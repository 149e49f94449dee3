#include "KeyedArchive.h"

#include <QCborStreamReader>
#include <QCborValue>

namespace quillum {

namespace {

const QString kClassKey = QStringLiteral("$class");
const QString kColorClass = QStringLiteral("Color");
const char* const kChannels[] = { "red", "green", "blue", "alpha" };

} // namespace

QByteArray archivedDataWithRootObject(const QCborMap& root)
{
    return QCborValue(root).toCbor();
}

std::optional<QCborMap> unarchiveMapWithData(const QByteArray& data)
{
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(data, &error);
    // Trailing bytes mean the data was not written as one archive.
    if (error.error != QCborError::NoError || !value.isMap() || error.offset != data.size())
        return std::nullopt;
    return value.toMap();
}

QByteArray archivedColor(const QColor& color)
{
    const QRgba64 c = color.rgba64();
    QCborMap map;
    map.insert(kClassKey, kColorClass);
    const quint16 channels[] = { c.red(), c.green(), c.blue(), c.alpha() };
    for (int i = 0; i < 4; ++i)
        map.insert(QString::fromLatin1(kChannels[i]), qint64(channels[i]));
    return archivedDataWithRootObject(map);
}

std::optional<QColor> unarchiveColor(const QByteArray& data)
{
    const std::optional<QCborMap> map = unarchiveMapWithData(data);
    if (!map || map->value(kClassKey).toString() != kColorClass)
        return std::nullopt;
    quint16 channels[4] = {};
    for (int i = 0; i < 4; ++i) {
        const QCborValue v = map->value(QString::fromLatin1(kChannels[i]));
        if (!v.isInteger() || v.toInteger() < 0 || v.toInteger() > 0xffff)
            return std::nullopt;
        channels[i] = quint16(v.toInteger());
    }
    return QColor(QRgba64::fromRgba64(channels[0], channels[1], channels[2], channels[3]));
}

} // namespace quillum
