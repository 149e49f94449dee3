#pragma once
// The user-defaults store: a flat map from keys to values of seven kinds, kept in memory and
// in a readable INI file (QSettings) that is read once and written at once, atomically, when
// asked. Registered defaults form a layer below the stored values: a key never written reads
// as its registered default, a key without one as its kind's empty value. A stored value that
// cannot be read as the kind asked for (a damaged or hand-edited file) also reads as the
// default, with one warning per key on standard error. Main thread only.

#include "platform/Geometry.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QColor>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace quillum {

class UserDefaults {
public:
    enum class Kind { Boolean, Integer, Float, String, Color, Array, Data };
    struct Default {
        QString key;
        Kind kind;
        QVariant value; // bool, int, float, QString, QColor, QStringList or QByteArray
    };

    // An empty path keeps the store in memory only (nothing is read or written).
    explicit UserDefaults(QString filePath = {});
    // $XDG_CONFIG_HOME/Quillum/Quillum.ini (~/.config/Quillum/Quillum.ini).
    static QString standardFilePath();

    const QString& filePath() const { return m_path; }
    // Replaces the defaults layer.
    void registerDefaults(const std::vector<Default>& defaults);
    const std::vector<Default>& registeredDefaults() const { return m_defaults; }

    bool boolForKey(const QString& key) const;
    int integerForKey(const QString& key) const;
    float floatForKey(const QString& key) const;
    std::optional<QString> stringForKey(const QString& key) const;
    std::optional<QColor> colorForKey(const QString& key) const;
    QStringList arrayForKey(const QString& key) const;
    QByteArray dataForKey(const QString& key) const;
    bool hasStoredValue(const QString& key) const { return m_stored.contains(key); }

    void setBool(const QString& key, bool value);
    void setInteger(const QString& key, int value);
    void setFloat(const QString& key, float value);
    void setString(const QString& key, const QString& value);
    void setColor(const QString& key, const QColor& value);
    void setArray(const QString& key, const QStringList& value);
    void setData(const QString& key, const QByteArray& value);
    void removeObjectForKey(const QString& key);

    // Named window frames (screen points, origin bottom-left).
    void saveFrameUsingName(const QString& name, const Rect& frame);
    std::optional<Rect> frameUsingName(const QString& name) const;

    // Writes every stored value, keys this version does not know included, to a temporary
    // file renamed into place. The message names the file and the reason.
    [[nodiscard]] Status synchronize();
    // Whether synchronize could write at all: the folder can be made and written to.
    [[nodiscard]] Status checkWritable() const;

    // The file could not be read as a whole (it stays as it is until the next write).
    bool fileWasDamaged() const { return m_damaged; }

private:
    const Default* registered(const QString& key) const;
    // The stored text of a scalar, or nothing (absent, or not a scalar).
    std::optional<QString> storedText(const QString& key) const;
    void warnOnce(const QString& key, const char* kind) const;

    QString m_path;
    QVariantMap m_stored;
    std::vector<Default> m_defaults;
    bool m_damaged = false;
    mutable QSet<QString> m_warned;
};

} // namespace quillum
