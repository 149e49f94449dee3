#include "PresetArchive.h"

#include "platform/KeyedArchive.h"

#include <QCborStreamReader>
#include <QCborStreamWriter>
#include <QHash>

#include <cmath>
#include <limits>

namespace quillum {

namespace {

const QString kClassKey = QStringLiteral("$class");
const QString kPresetClass = QStringLiteral("ZentFullPresetRec");

constexpr qsizetype kMaxRecordPairs = 512; // 89 fields, the class, room for later ones
constexpr qsizetype kMaxStringBytes = 1024 * 1024;
constexpr qsizetype kMaxKeyBytes = 256;
constexpr qsizetype kMaxColorBytes = 256;
constexpr int kMaxSkippedNesting = 4; // an unknown field's own structure

// One field's value while it travels between a record and the archive.
struct FieldValue {
    QString s;
    std::int64_t i = 0;
    bool b = false;
    float f = 0.0f;
    PresetRect rect {};
    QColor c;
};

template <typename T> T from(const FieldValue& v);
template <> QString from(const FieldValue& v)
{
    return v.s;
}
template <> std::int64_t from(const FieldValue& v)
{
    return v.i;
}
template <> std::int32_t from(const FieldValue& v)
{
    return std::int32_t(v.i);
}
template <> bool from(const FieldValue& v)
{
    return v.b;
}
template <> float from(const FieldValue& v)
{
    return v.f;
}
template <> PresetRect from(const FieldValue& v)
{
    return v.rect;
}
template <> QColor from(const FieldValue& v)
{
    return v.c;
}

void into(FieldValue& v, const QString& x)
{
    v.s = x;
}
void into(FieldValue& v, std::int64_t x)
{
    v.i = x;
}
void into(FieldValue& v, std::int32_t x)
{
    v.i = x;
}
void into(FieldValue& v, bool x)
{
    v.b = x;
}
void into(FieldValue& v, float x)
{
    v.f = x;
}
void into(FieldValue& v, const PresetRect& x)
{
    v.rect = x;
}
void into(FieldValue& v, const QColor& x)
{
    v.c = x;
}

struct Field {
    const char* name;
    PresetFieldKind kind;
    void (*get)(const ZentFullPresetRec&, FieldValue&);
    void (*set)(ZentFullPresetRec&, const FieldValue&);
};

#define QUILLUM_PRESET_FIELD(T, name, Name, kind)                                                                      \
    Field { #name, PresetFieldKind::kind, [](const ZentFullPresetRec& r, FieldValue& v) { into(v, r.name()); },        \
        [](ZentFullPresetRec& r, const FieldValue& v) { r.set##Name(from<T>(v)); } },
const Field kFields[] = { QUILLUM_PRESET_FIELDS(QUILLUM_PRESET_FIELD) };
#undef QUILLUM_PRESET_FIELD

const QHash<QString, const Field*>& fieldsByName()
{
    static const QHash<QString, const Field*> table = [] {
        QHash<QString, const Field*> t;
        for (const Field& f : kFields)
            t.insert(QString::fromLatin1(f.name), &f);
        return t;
    }();
    return table;
}

void writeRecord(QCborStreamWriter& w, const ZentFullPresetRec& r)
{
    // A colour without a value is left out, as an absent object is.
    FieldValue v;
    qsizetype count = 1;
    for (const Field& f : kFields) {
        if (f.kind == PresetFieldKind::Color) {
            f.get(r, v);
            if (!v.c.isValid())
                continue;
        }
        ++count;
    }
    w.startMap(quint64(count));
    w.append(kClassKey);
    w.append(kPresetClass);
    for (const Field& f : kFields) {
        f.get(r, v);
        if (f.kind == PresetFieldKind::Color && !v.c.isValid())
            continue;
        w.append(QLatin1String(f.name));
        switch (f.kind) {
        case PresetFieldKind::String:
            w.append(v.s);
            break;
        case PresetFieldKind::Int64:
        case PresetFieldKind::Int32:
            w.append(qint64(v.i));
            break;
        case PresetFieldKind::Bool:
            w.append(v.b);
            break;
        case PresetFieldKind::Float:
            w.append(v.f);
            break;
        case PresetFieldKind::Rect:
            w.startArray(4);
            for (double d : v.rect)
                w.append(d);
            w.endArray();
            break;
        case PresetFieldKind::Color:
            w.append(archivedColor(v.c));
            break;
        }
    }
    w.endMap();
}

// A strict pull parser over the archive's fixed shape.
class Reader {
public:
    explicit Reader(const QByteArray& data)
        : m_data(data)
        , m_r(data)
    { }

    Result<PresetList> library()
    {
        if (!checkStart())
            return Error(m_error);
        if (!m_r.isArray())
            return Error(QStringLiteral("it holds no list of presets"));
        if (m_r.isLengthKnown() && m_r.length() > quint64(kMaxPresetEntries))
            return Error(QStringLiteral("it claims more presets than any file holds"));
        PresetList list;
        if (!m_r.enterContainer())
            return Error(damaged());
        while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
            if (qsizetype(list.size()) >= kMaxPresetEntries)
                return Error(QStringLiteral("it holds more than %1 presets").arg(kMaxPresetEntries));
            if (m_r.isNull()) {
                m_r.next();
                list.emplace_back(std::nullopt);
                continue;
            }
            std::optional<ZentFullPresetRec> record = readRecord();
            if (!record)
                return Error(m_error);
            list.emplace_back(std::move(record));
        }
        if (m_r.lastError() != QCborError::NoError || !m_r.leaveContainer() || !finish())
            return Error(m_error.isEmpty() ? damaged() : m_error);
        return list;
    }

    Result<ZentFullPresetRec> record()
    {
        if (!checkStart())
            return Error(m_error);
        std::optional<ZentFullPresetRec> record = readRecord();
        if (!record || !finish())
            return Error(m_error);
        return *record;
    }

private:
    // The size, and a first header that parses.
    bool checkStart()
    {
        if (m_data.size() > kMaxPresetArchiveBytes)
            return fail(QStringLiteral("it is too large to hold presets"));
        if (m_data.isEmpty())
            return fail(QStringLiteral("it is empty"));
        if (m_r.lastError() != QCborError::NoError)
            return fail(damaged());
        return true;
    }

    // Nothing may follow the root object.
    bool finish()
    {
        if (m_r.lastError() != QCborError::NoError)
            return fail(damaged());
        if (qsizetype(m_r.currentOffset()) != m_data.size())
            return fail(QStringLiteral("it holds more than one list of presets"));
        return true;
    }

    QString damaged()
    {
        return m_r.lastError() == QCborError::EndOfFile
            ? QStringLiteral("it is cut short")
            : QStringLiteral("it is damaged (%1)").arg(m_r.lastError().toString());
    }

    bool fail(const QString& message)
    {
        if (m_error.isEmpty())
            m_error = message;
        return false;
    }

    qsizetype remaining() const { return m_data.size() - qsizetype(m_r.currentOffset()); }

    // A definite-length text or byte string no longer than `limit` and than what is left.
    // One that runs past the end says the file is cut short, whatever its type.
    bool stringFits(qsizetype limit)
    {
        if (!m_r.isLengthKnown())
            return false;
        if (m_r.length() > quint64(remaining()))
            return fail(QStringLiteral("it is cut short"));
        return m_r.length() <= quint64(limit);
    }

    std::optional<QString> readText(qsizetype limit)
    {
        if (!m_r.isString() || !stringFits(limit))
            return std::nullopt;
        QString text;
        auto chunk = m_r.readString();
        while (chunk.status == QCborStreamReader::Ok) {
            text += chunk.data;
            chunk = m_r.readString();
        }
        if (chunk.status == QCborStreamReader::Error)
            return std::nullopt;
        return text;
    }

    std::optional<QByteArray> readBytes(qsizetype limit)
    {
        if (!m_r.isByteArray() || !stringFits(limit))
            return std::nullopt;
        QByteArray bytes;
        auto chunk = m_r.readByteArray();
        while (chunk.status == QCborStreamReader::Ok) {
            bytes += chunk.data;
            chunk = m_r.readByteArray();
        }
        if (chunk.status == QCborStreamReader::Error)
            return std::nullopt;
        return bytes;
    }

    // Qt holds a negative integer as its magnitude, with 0 standing for 2^64.
    static double magnitude(QCborNegativeInteger n) { return quint64(n) == 0 ? 0x1p64 : double(quint64(n)); }

    std::optional<double> readNumber()
    {
        double d = 0;
        if (m_r.isFloat16())
            d = double(float(m_r.toFloat16()));
        else if (m_r.isFloat())
            d = double(m_r.toFloat());
        else if (m_r.isDouble())
            d = m_r.toDouble();
        else if (m_r.isUnsignedInteger())
            d = double(m_r.toUnsignedInteger());
        else if (m_r.isNegativeInteger())
            d = -magnitude(m_r.toNegativeInteger());
        else
            return std::nullopt;
        m_r.next();
        return d;
    }

    std::optional<std::int64_t> readInteger()
    {
        std::int64_t i = 0;
        if (m_r.isUnsignedInteger()) {
            const quint64 u = m_r.toUnsignedInteger();
            if (u > quint64(std::numeric_limits<std::int64_t>::max()))
                return std::nullopt;
            i = std::int64_t(u);
        } else if (m_r.isNegativeInteger()) {
            // Held as its magnitude, 0 standing for 2^64; beyond 2^63 it does not fit.
            const quint64 n = quint64(m_r.toNegativeInteger());
            constexpr quint64 kLimit = quint64(1) << 63;
            if (n == 0 || n > kLimit)
                return std::nullopt;
            i = n == kLimit ? std::numeric_limits<std::int64_t>::min() : -std::int64_t(n);
        } else {
            return std::nullopt;
        }
        m_r.next();
        return i;
    }

    bool readValue(const Field& field, FieldValue& v)
    {
        switch (field.kind) {
        case PresetFieldKind::String: {
            std::optional<QString> s = readText(kMaxStringBytes);
            if (!s)
                return false;
            v.s = *s;
            return true;
        }
        case PresetFieldKind::Int64:
        case PresetFieldKind::Int32: {
            std::optional<std::int64_t> i = readInteger();
            if (!i)
                return false;
            if (field.kind == PresetFieldKind::Int32
                && (*i < std::numeric_limits<std::int32_t>::min() || *i > std::numeric_limits<std::int32_t>::max()))
                return false;
            v.i = *i;
            return true;
        }
        case PresetFieldKind::Bool:
            if (!m_r.isBool())
                return false;
            v.b = m_r.toBool();
            m_r.next();
            return true;
        case PresetFieldKind::Float: {
            // Sizes, offsets and opacities: a number that is not finite as a float is no value.
            std::optional<double> d = readNumber();
            if (!d || !std::isfinite(float(*d)))
                return false;
            v.f = float(*d);
            return true;
        }
        case PresetFieldKind::Rect: {
            if (!m_r.isArray() || !m_r.isLengthKnown() || m_r.length() != 4 || !m_r.enterContainer())
                return false;
            for (double& d : v.rect) {
                std::optional<double> x = m_r.hasNext() ? readNumber() : std::nullopt;
                if (!x || !std::isfinite(*x))
                    return false;
                d = *x;
            }
            return !m_r.hasNext() && m_r.leaveContainer();
        }
        case PresetFieldKind::Color: {
            std::optional<QByteArray> bytes = readBytes(kMaxColorBytes);
            std::optional<QColor> color = bytes ? unarchiveColor(*bytes) : std::nullopt;
            if (!color)
                return false;
            v.c = *color;
            return true;
        }
        }
        return false;
    }

    std::optional<ZentFullPresetRec> readRecord()
    {
        if (!m_r.isMap()) {
            fail(QStringLiteral("an entry is neither a preset nor a separator"));
            return std::nullopt;
        }
        if (m_r.isLengthKnown() && m_r.length() > quint64(kMaxRecordPairs)) {
            fail(QStringLiteral("a preset holds more fields than any preset has"));
            return std::nullopt;
        }
        if (!m_r.enterContainer()) {
            fail(damaged());
            return std::nullopt;
        }
        ZentFullPresetRec record = ZentFullPresetRec::blank();
        bool isPreset = false;
        qsizetype pairs = 0;
        while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
            if (++pairs > kMaxRecordPairs) {
                fail(QStringLiteral("a preset holds more fields than any preset has"));
                return std::nullopt;
            }
            const std::optional<QString> key = readText(kMaxKeyBytes);
            if (!key) {
                fail(m_r.lastError() != QCborError::NoError ? damaged()
                                                            : QStringLiteral("a preset has a field without a name"));
                return std::nullopt;
            }
            if (*key == kClassKey) {
                const std::optional<QString> cls = readText(kMaxKeyBytes);
                if (!cls || *cls != kPresetClass) {
                    fail(QStringLiteral("an entry is not a preset"));
                    return std::nullopt;
                }
                isPreset = true;
                continue;
            }
            const auto it = fieldsByName().constFind(*key);
            if (it == fieldsByName().constEnd()) {
                // A field this version does not know: stepped over.
                // Qt ends at the depth limit with an error of its own: say what it means.
                if (!m_r.next(kMaxSkippedNesting)) {
                    fail(m_r.lastError() == QCborError::NestingTooDeep ? QStringLiteral("a preset field nests too deep")
                                                                       : damaged());
                    return std::nullopt;
                }
                continue;
            }
            FieldValue v;
            if (!readValue(**it, v)) {
                fail(m_r.lastError() != QCborError::NoError
                        ? damaged()
                        : QStringLiteral("the preset field “%1” holds the wrong kind of value").arg(*key));
                return std::nullopt;
            }
            (*it)->set(record, v);
        }
        if (m_r.lastError() != QCborError::NoError || !m_r.leaveContainer()) {
            fail(damaged());
            return std::nullopt;
        }
        if (!isPreset) {
            fail(QStringLiteral("an entry is not a preset"));
            return std::nullopt;
        }
        return record;
    }

    const QByteArray& m_data;
    QCborStreamReader m_r;
    QString m_error;
};

} // namespace

QByteArray archivedPresetLibrary(const PresetList& library)
{
    QByteArray data;
    QCborStreamWriter w(&data);
    w.startArray(quint64(library.size()));
    for (const PresetEntry& entry : library) {
        if (entry)
            writeRecord(w, *entry);
        else
            w.appendNull();
    }
    w.endArray();
    return data;
}

Result<PresetList> unarchivePresetLibrary(const QByteArray& data)
{
    return Reader(data).library();
}

QByteArray archivedPreset(const ZentFullPresetRec& preset)
{
    QByteArray data;
    QCborStreamWriter w(&data);
    writeRecord(w, preset);
    return data;
}

Result<ZentFullPresetRec> unarchivePreset(const QByteArray& data)
{
    return Reader(data).record();
}

} // namespace quillum
