#include "UserDefaults.h"

#include "KeyedArchive.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cmath>
#include <cstdio>

#include <stdio.h>

namespace quillum {

namespace {

const QString kFramePrefix = QStringLiteral("Frames/");

bool isText(const QVariant& v)
{
    return v.typeId() == QMetaType::QString;
}

} // namespace

UserDefaults::UserDefaults(QString filePath)
    : m_path(std::move(filePath))
{
    if (m_path.isEmpty() || !QFileInfo::exists(m_path))
        return;
    QSettings settings(m_path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        m_damaged = true;
        std::fprintf(stderr, "Quillum: the settings file %s is damaged; what cannot be read takes its default.\n",
            qPrintable(QDir::toNativeSeparators(m_path)));
    }
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys)
        m_stored.insert(key, settings.value(key));
}

QString UserDefaults::standardFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : config)
        .filePath(QStringLiteral("Quillum/Quillum.ini"));
}

void UserDefaults::registerDefaults(const std::vector<Default>& defaults)
{
    m_defaults = defaults;
}

const UserDefaults::Default* UserDefaults::registered(const QString& key) const
{
    for (const Default& d : m_defaults)
        if (d.key == key)
            return &d;
    return nullptr;
}

std::optional<QString> UserDefaults::storedText(const QString& key) const
{
    const auto it = m_stored.constFind(key);
    if (it == m_stored.constEnd())
        return std::nullopt;
    if (!isText(*it)) {
        warnOnce(key, "a single value");
        return std::nullopt;
    }
    return it->toString();
}

void UserDefaults::warnOnce(const QString& key, const char* kind) const
{
    if (m_warned.contains(key))
        return;
    m_warned.insert(key);
    std::fprintf(stderr, "Quillum: the setting \"%s\" is not %s; its default is used.\n", qPrintable(key), kind);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    const Default* d = registered(key);
    const bool fallback = d && d->value.toBool();
    const auto it = m_stored.constFind(key);
    if (it != m_stored.constEnd() && it->typeId() == QMetaType::Bool)
        return it->toBool();
    const std::optional<QString> text = storedText(key);
    if (!text)
        return fallback;
    const QString t = text->trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("yes"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no"))
        return false;
    warnOnce(key, "yes or no");
    return fallback;
}

int UserDefaults::integerForKey(const QString& key) const
{
    const Default* d = registered(key);
    const int fallback = d ? d->value.toInt() : 0;
    const auto it = m_stored.constFind(key);
    if (it != m_stored.constEnd() && it->typeId() == QMetaType::Int)
        return it->toInt();
    const std::optional<QString> text = storedText(key);
    if (!text)
        return fallback;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok);
    if (ok)
        return value;
    warnOnce(key, "a whole number");
    return fallback;
}

float UserDefaults::floatForKey(const QString& key) const
{
    const Default* d = registered(key);
    const float fallback = d ? d->value.toFloat() : 0.0f;
    const auto it = m_stored.constFind(key);
    if (it != m_stored.constEnd() && it->typeId() == QMetaType::Float)
        return it->toFloat();
    const std::optional<QString> text = storedText(key);
    if (!text)
        return fallback;
    bool ok = false;
    const float value = text->trimmed().toFloat(&ok);
    if (ok && std::isfinite(value))
        return value;
    warnOnce(key, "a number");
    return fallback;
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    if (const std::optional<QString> text = storedText(key))
        return text;
    const Default* d = registered(key);
    if (d && d->value.isValid())
        return d->value.toString();
    return std::nullopt;
}

std::optional<QColor> UserDefaults::colorForKey(const QString& key) const
{
    const Default* d = registered(key);
    const std::optional<QColor> fallback
        = d && d->value.canConvert<QColor>() ? std::optional<QColor>(d->value.value<QColor>()) : std::nullopt;
    const auto it = m_stored.constFind(key);
    if (it == m_stored.constEnd())
        return fallback;
    if (it->typeId() == QMetaType::QByteArray)
        if (const std::optional<QColor> color = unarchiveColor(it->toByteArray()))
            return color;
    warnOnce(key, "a colour archive");
    return fallback;
}

QStringList UserDefaults::arrayForKey(const QString& key) const
{
    const Default* d = registered(key);
    const QStringList fallback = d ? d->value.toStringList() : QStringList {};
    const auto it = m_stored.constFind(key);
    if (it == m_stored.constEnd())
        return fallback;
    // The file keeps an empty list as no value and a list of one as a plain text.
    if (!it->isValid())
        return {};
    if (it->typeId() == QMetaType::QStringList)
        return it->toStringList();
    if (isText(*it))
        return { it->toString() };
    warnOnce(key, "a list");
    return fallback;
}

QByteArray UserDefaults::dataForKey(const QString& key) const
{
    const auto it = m_stored.constFind(key);
    if (it != m_stored.constEnd() && it->typeId() == QMetaType::QByteArray)
        return it->toByteArray();
    if (it != m_stored.constEnd())
        warnOnce(key, "data");
    const Default* d = registered(key);
    return d ? d->value.toByteArray() : QByteArray {};
}

void UserDefaults::setBool(const QString& key, bool value)
{
    m_stored.insert(key, value);
}
void UserDefaults::setInteger(const QString& key, int value)
{
    m_stored.insert(key, value);
}
void UserDefaults::setFloat(const QString& key, float value)
{
    m_stored.insert(key, value);
}
void UserDefaults::setString(const QString& key, const QString& value)
{
    m_stored.insert(key, value);
}
void UserDefaults::setColor(const QString& key, const QColor& value)
{
    m_stored.insert(key, archivedColor(value));
}
void UserDefaults::setArray(const QString& key, const QStringList& value)
{
    m_stored.insert(key, value);
}
void UserDefaults::setData(const QString& key, const QByteArray& value)
{
    m_stored.insert(key, value);
}
void UserDefaults::removeObjectForKey(const QString& key)
{
    m_stored.remove(key);
}

void UserDefaults::saveFrameUsingName(const QString& name, const Rect& frame)
{
    m_stored.insert(kFramePrefix + name,
        QStringLiteral("%1 %2 %3 %4").arg(frame.x).arg(frame.y).arg(frame.width).arg(frame.height));
}

std::optional<Rect> UserDefaults::frameUsingName(const QString& name) const
{
    const std::optional<QString> text = storedText(kFramePrefix + name);
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    double v[4] = {};
    bool ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i) {
        v[i] = parts[i].toDouble(&ok);
        ok = ok && std::isfinite(v[i]);
    }
    if (!ok || v[2] <= 0 || v[3] <= 0) {
        warnOnce(kFramePrefix + name, "a window frame");
        return std::nullopt;
    }
    return Rect { v[0], v[1], v[2], v[3] };
}

namespace {

// A value as the file gives it back: scalars as text, lists as lists.
QVariant asWritten(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QStringList: {
        const QStringList list = v.toStringList();
        return list.isEmpty() ? QVariant() : list.size() == 1 ? QVariant(list.first()) : QVariant(list);
    }
    case QMetaType::QByteArray:
        return v;
    default:
        return v.isValid() ? QVariant(v.toString()) : QVariant();
    }
}

} // namespace

Status UserDefaults::checkWritable() const
{
    if (m_path.isEmpty())
        return {};
    const QFileInfo target(m_path);
    QTemporaryFile probe(target.absoluteFilePath() + QStringLiteral(".probe-XXXXXX"));
    if (QDir().mkpath(target.absolutePath()) && probe.open())
        return {};
    return Error(QStringLiteral("The settings cannot be saved in %1 (the folder is read-only or full).")
                     .arg(QDir::toNativeSeparators(target.absolutePath())));
}

Status UserDefaults::synchronize()
{
    if (m_path.isEmpty())
        return {};
    const QString shown = QDir::toNativeSeparators(m_path);
    const QFileInfo target(m_path);
    if (!QDir().mkpath(target.absolutePath()))
        return Error(QStringLiteral("The settings could not be saved: the folder of %1 cannot be made.").arg(shown));
    const Error failed(QStringLiteral("The settings could not be saved to %1 (the folder is read-only or full).")
                           .arg(shown));

    // QSettings reports a short write (a full disk) as success and leaves the file cut, and
    // it answers a second reader of the same path from memory. So the settings are written
    // to one temporary name, moved to another that QSettings has never seen, read back from
    // there in full, and only then moved into place.
    auto uniqueName = [&](const char* tag) {
        QTemporaryFile file(target.absoluteFilePath() + QLatin1String(tag) + QStringLiteral("XXXXXX"));
        file.setAutoRemove(false);
        return file.open() ? file.fileName() : QString();
    };
    const QString staged = uniqueName(".writing-"), checked = uniqueName(".checking-");
    auto discard = [&] {
        for (const QString& p : { staged, checked })
            if (!p.isEmpty()) {
                QFile::remove(p);
                QFile::remove(p + QStringLiteral(".lock"));
            }
        return failed;
    };
    if (staged.isEmpty() || checked.isEmpty())
        return discard();
    {
        QSettings settings(staged, QSettings::IniFormat);
        for (auto it = m_stored.constBegin(); it != m_stored.constEnd(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return discard();
    }
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(checked).constData()) != 0)
        return discard();
    {
        QSettings written(checked, QSettings::IniFormat);
        if (written.status() != QSettings::NoError || written.allKeys().size() != m_stored.size())
            return discard();
        for (auto it = m_stored.constBegin(); it != m_stored.constEnd(); ++it)
            if (asWritten(written.value(it.key())) != asWritten(it.value()))
                return discard();
    }
    if (::rename(QFile::encodeName(checked).constData(), QFile::encodeName(m_path).constData()) != 0)
        return discard();
    QFile::remove(staged + QStringLiteral(".lock"));
    QFile::remove(checked + QStringLiteral(".lock"));
    m_damaged = false;
    return {};
}

} // namespace quillum
