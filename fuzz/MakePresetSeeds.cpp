// Writes tests/data/presets/: preset files as the app writes them (the fuzzer's seeds and
// the read-back fixtures) and broken ones, each named after what it breaks.
// Usage: make-preset-seeds <folder>

#include "presets/PresetLibrary.h"

#include <QCborStreamWriter>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <limits>

using namespace quillum;

namespace {

// Every field away from both its blank and its new-record value; signs and magnitudes vary
// so integers take several CBOR widths, and strings are not plain ASCII.
template <typename T> T sampleValue(int i);
template <> QString sampleValue(int i)
{
    return QStringLiteral("Feld %1 – größer ✓").arg(i);
}
template <> std::int64_t sampleValue(int i)
{
    return i % 2 ? -(std::int64_t(1) << 40) - i : i + 2;
}
template <> std::int32_t sampleValue(int i)
{
    return i % 2 ? std::numeric_limits<std::int32_t>::min() + i : std::numeric_limits<std::int32_t>::max() - i;
}
template <> bool sampleValue(int)
{
    return true;
}
template <> float sampleValue(int i)
{
    return i % 2 ? -i - 0.25f : i + 0.5f;
}
template <> PresetRect sampleValue(int i)
{
    return { i + 0.5, -i - 0.25, 1e10, 3.125 };
}
template <> QColor sampleValue(int i)
{
    return QColor(QRgba64::fromRgba64(quint16(i * 700), quint16(65535 - i), 12345, quint16(40000 + i)));
}

ZentFullPresetRec fullRecord()
{
    ZentFullPresetRec r;
    int i = 0;
#define QUILLUM_SAMPLE_FIELD(T, name, Name, kind) r.set##Name(sampleValue<T>(i++));
    QUILLUM_PRESET_FIELDS(QUILLUM_SAMPLE_FIELD)
#undef QUILLUM_SAMPLE_FIELD
    return r;
}

// CBOR items written one after another, outside any container.
template <typename F> QByteArray cbor(F write)
{
    QByteArray data;
    QCborStreamWriter w(&data);
    write(w);
    return data;
}

QByteArray text(const char* s)
{
    return cbor([s](QCborStreamWriter& w) { w.append(QLatin1String(s)); });
}

// A library of one preset whose only field besides the class is `field`, holding `value`
// (raw CBOR, so it may be anything).
QByteArray oneFieldLibrary(const char* field, const QByteArray& value)
{
    return QByteArray::fromHex("81a2") + text("$class") + text("ZentFullPresetRec") + text(field) + value;
}

bool save(const QDir& dir, const char* name, const QByteArray& data)
{
    QFile file(dir.filePath(QLatin1String(name)));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "make-preset-seeds: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-preset-seeds <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QByteArray defaults = archivedPresetLibrary(PresetLibrary::defaultSet());

    bool ok = writePresetFile(dir.filePath(QStringLiteral("default-set.zentpres")), PresetLibrary::defaultSet()).ok()
        && writePresetFile(
            dir.filePath(QStringLiteral("full-record.zentpres")), { std::nullopt, fullRecord(), std::nullopt })
               .ok()
        && writePresetFile(dir.filePath(QStringLiteral("empty.zentpres")), {}).ok();

    QByteArray deep(10000, '\x81'); // arrays of one, 10000 deep, around a null
    deep += '\xf6';
    const QByteArray font = cbor([](QCborStreamWriter& w) {
        w.startMap(2);
        w.append(QLatin1String("$class"));
        w.append(QLatin1String("Font"));
        w.append(QLatin1String("name"));
        w.append(QLatin1String("DejaVu Sans"));
        w.endMap();
    });
    ok = ok && save(dir, "zero-bytes.zentpres", {})
        && save(dir, "truncated.zentpres", defaults.left(defaults.size() / 2))
        && save(dir, "trailing-bytes.zentpres", defaults + '\xf6')
        && save(dir, "not-a-list.zentpres", archivedPreset(fullRecord()))
        // An array claiming 2^63 entries, holding one separator.
        && save(dir, "huge-count.zentpres", QByteArray::fromHex("9b8000000000000000f6"))
        // A name claiming 2^40 bytes, holding three.
        && save(dir, "huge-string.zentpres", oneFieldLibrary("name", QByteArray::fromHex("7b0000010000000000") + "abc"))
        && save(dir, "wrong-type.zentpres", oneFieldLibrary("jpegQuality", text("90")))
        && save(dir, "deep-nesting.zentpres", oneFieldLibrary("notAField", deep))
        && save(dir, "not-a-colour.zentpres",
            oneFieldLibrary("border1Color", cbor([&](QCborStreamWriter& w) { w.append(font); })));
    return ok ? 0 : 1;
}
