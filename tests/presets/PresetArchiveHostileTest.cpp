// The preset archive reader against hostile bytes: the broken files of tests/data/presets/
// and crafted archives with lying lengths, deep nesting and out-of-range values must each be
// refused with a message, never crash, hang or allocate what they claim; the good files read
// back exactly. Every crash the fuzzer (`make fuzz`) finds becomes a file and a row here.

#include "TestSupport.h"

#include "presets/PresetLibrary.h"

#include <gtest/gtest.h>

#include <QCborMap>
#include <QCborValue>
#include <QFile>

#include <limits>

using namespace quillum;

namespace {

QByteArray readData(const char* name)
{
    QFile file(test::dataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}
QByteArray text(const char* s)
{
    return QCborValue(QString::fromUtf8(s)).toCbor();
}
QByteArray bytes(const QByteArray& b)
{
    return QCborValue(b).toCbor();
}

// A library of one preset: the class, then `body` holding `pairs` more raw key/value pairs.
QByteArray preset(int pairs, const QByteArray& body)
{
    return hex("81") + char(0xa0 + pairs + 1) + text("$class") + text("ZentFullPresetRec") + body;
}
QByteArray field(const char* name, const QByteArray& value)
{
    return text(name) + value;
}

// A colour archive's map with the colour class and `channels`, and the same map as the
// nested byte string a colour field holds.
QByteArray colourMap(std::initializer_list<std::pair<const char*, qint64>> channels)
{
    QCborMap map;
    map.insert(QStringLiteral("$class"), QStringLiteral("Color"));
    for (const auto& [name, value] : channels)
        map.insert(QString::fromLatin1(name), value);
    return QCborValue(map).toCbor();
}
QByteArray colour(std::initializer_list<std::pair<const char*, qint64>> channels)
{
    return bytes(colourMap(channels));
}

struct BrokenFile {
    const char* file;
    const char* says; // part of the message: the right check caught it
};

TEST(PresetArchiveHostile, brokenFilesAreRefusedWithAMessageNamingThem)
{
    const BrokenFile cases[] = {
        { "zero-bytes.zentpres", "empty" },
        { "truncated.zentpres", "cut short" },
        { "trailing-bytes.zentpres", "more than one list" },
        { "not-a-list.zentpres", "no list of presets" },
        { "huge-count.zentpres", "claims more presets" },
        { "huge-string.zentpres", "cut short" },
        { "wrong-type.zentpres", "“jpegQuality” holds the wrong kind" },
        { "deep-nesting.zentpres", "nests too deep" },
        { "not-a-colour.zentpres", "“border1Color” holds the wrong kind" },
    };
    for (const BrokenFile& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray path = QByteArray("presets/") + c.file;
        ASSERT_TRUE(QFile::exists(test::dataPath(path.constData())));
        const Result<PresetList> read = readPresetFile(test::dataPath(path.constData()));
        ASSERT_FALSE(read.ok());
        EXPECT_TRUE(read.error().contains(QString::fromLatin1(c.file))) << qPrintable(read.error());
        EXPECT_TRUE(read.error().contains(QString::fromUtf8(c.says))) << qPrintable(read.error());
    }
}

TEST(PresetArchiveHostile, goodFilesReadBackExactly)
{
    const Result<PresetList> defaults = readPresetFile(test::dataPath("presets/default-set.zentpres"));
    ASSERT_TRUE(defaults.ok()) << qPrintable(defaults.error());
    EXPECT_EQ(defaults.value(), PresetLibrary::defaultSet());

    const Result<PresetList> empty = readPresetFile(test::dataPath("presets/empty.zentpres"));
    ASSERT_TRUE(empty.ok()) << qPrintable(empty.error());
    EXPECT_TRUE(empty.value().empty());

    // Separator, record, separator; the record sets every field away from a blank one.
    const QByteArray fullData = readData("presets/full-record.zentpres");
    const Result<PresetList> full = unarchivePresetLibrary(fullData);
    ASSERT_TRUE(full.ok()) << qPrintable(full.error());
    ASSERT_EQ(full.value().size(), 3u);
    EXPECT_FALSE(full.value()[0] || full.value()[2]);
    ASSERT_TRUE(full.value()[1]);
    const ZentFullPresetRec& record = *full.value()[1];
    const ZentFullPresetRec blank = ZentFullPresetRec::blank();
#define QUILLUM_EXPECT_SET(T, name, Name, kind) EXPECT_FALSE(record.name() == blank.name()) << #name;
    QUILLUM_PRESET_FIELDS(QUILLUM_EXPECT_SET)
#undef QUILLUM_EXPECT_SET

    // Written again it is the same bytes, so the stored format has not moved.
    EXPECT_EQ(archivedPresetLibrary(full.value()), fullData);
    const Result<PresetList> again = unarchivePresetLibrary(archivedPresetLibrary(full.value()));
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value(), full.value());

    // The same record as a root object.
    const Result<ZentFullPresetRec> single = unarchivePreset(readData("presets/not-a-list.zentpres"));
    ASSERT_TRUE(single.ok()) << qPrintable(single.error());
    EXPECT_EQ(single.value(), record);
}

struct Hostile {
    const char* name;
    QByteArray data;
};

TEST(PresetArchiveHostile, craftedArchivesAreRefused)
{
    const QByteArray deep = QByteArray(100000, '\x81') + hex("f6");
    const QByteArray manySeparators = hex("9f") + QByteArray(kMaxPresetEntries + 1, '\xf6') + hex("ff");
    const Hostile cases[] = {
        { "array claims 2^63 entries", hex("9b8000000000000000f6") },
        { "indefinite array of one separator too many", manySeparators },
        { "string claims 2^40 bytes, holds 3", preset(1, field("name", hex("7b0000010000000000616263"))) },
        { "byte string claims 2^62 bytes", preset(1, field("border1Color", hex("5b4000000000000000"))) },
        { "unknown field 100000 arrays deep", preset(1, field("notAField", deep)) },
        { "map claims 10^9 pairs", hex("81ba3b9aca00") + text("$class") },
        { "root map claims 10^9 pairs", hex("ba3b9aca00") },
        { "entry is a number", hex("8101") },
        { "entry is a map without class", hex("81a1") + field("name", text("x")) },
        { "class is another", hex("81a1") + field("$class", text("Color")) },
        { "key is a number", preset(1, hex("0101")) },
        { "int64 holds a float", preset(1, field("jpegQuality", hex("fa3f800000"))) },
        { "int64 holds a string", preset(1, field("jpegQuality", text("90"))) },
        { "int64 holds 2^64-1", preset(1, field("aspectX", hex("1bffffffffffffffff"))) },
        { "int64 holds 2^63", preset(1, field("aspectX", hex("1b8000000000000000"))) },
        { "int64 holds -2^64", preset(1, field("aspectX", hex("3bffffffffffffffff"))) },
        { "int64 holds -2^63-1", preset(1, field("aspectX", hex("3b8000000000000000"))) },
        { "int32 holds 2^31", preset(1, field("logoLocationValue", hex("1a80000000"))) },
        { "int32 holds -2^31-1", preset(1, field("logoLocationValue", hex("3a80000000"))) },
        { "bool holds 1", preset(1, field("drawLogo", hex("01"))) },
        { "float holds a string", preset(1, field("rotationAngle", text("1.5"))) },
        { "float holds infinity", preset(1, field("logoWidthValue", hex("fa7f800000"))) },
        { "float holds NaN", preset(1, field("border1PenSize", hex("fb7ff8000000000000"))) },
        { "float beyond a float's range", preset(1, field("logoOpaqueValue", hex("fb7fefffffffffffff"))) },
        { "rect holds NaN", preset(1, field("border1Offset", hex("8401020" "3f97e00"))) },
        { "rect of 3 numbers", preset(1, field("border1Offset", hex("83010203"))) },
        { "rect of 5 numbers", preset(1, field("border1Offset", hex("850102030405"))) },
        { "rect holding a string", preset(1, field("border1Offset", hex("84010203") + text("4"))) },
        { "rect of unknown length", preset(1, field("border1Offset", hex("9f01020304ff"))) },
        { "colour without alpha",
            preset(1, field("border1Color", colour({ { "red", 1 }, { "green", 2 }, { "blue", 3 } }))) },
        { "colour channel 70000",
            preset(1,
                field("border1Color", colour({ { "red", 70000 }, { "green", 2 }, { "blue", 3 }, { "alpha", 4 } }))) },
        { "colour channel -1",
            preset(
                1, field("border1Color", colour({ { "red", -1 }, { "green", 2 }, { "blue", 3 }, { "alpha", 4 } }))) },
        { "colour as a plain map",
            preset(
                1, field("border1Color", colourMap({ { "red", 1 }, { "green", 2 }, { "blue", 3 }, { "alpha", 4 } }))) },
        { "colour map claims 10^9 pairs", preset(1, field("border1Color", bytes(hex("ba3b9aca00")))) },
        { "colour with trailing bytes",
            preset(1,
                field("border1Color",
                    bytes(colourMap({ { "red", 1 }, { "green", 2 }, { "blue", 3 }, { "alpha", 4 } }) + hex("f6")))) },
        { "chunked string", preset(1, field("name", hex("7f6161616262ff"))) },
        { "string not UTF-8", preset(1, field("name", hex("62fffe"))) },
        { "duplicate class, the second another", preset(1, field("$class", text("Color"))) },
        { "second entry cut short", hex("82f6a2") + text("$class") },
    };
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<PresetList> library = unarchivePresetLibrary(c.data);
        EXPECT_FALSE(library.ok());
        EXPECT_FALSE(library.error().isEmpty());
        // The same entry as a root object, where the case is one entry of a library.
        if (c.data.startsWith('\x81')) {
            const Result<ZentFullPresetRec> record = unarchivePreset(c.data.mid(1));
            EXPECT_FALSE(record.ok());
            EXPECT_FALSE(record.error().isEmpty());
        }
    }
}

// Values at the edge of what a field holds, and what the reader makes of them.
TEST(PresetArchiveHostile, edgeValuesAreReadExactly)
{
    constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();
    constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
    constexpr auto int32Min = std::numeric_limits<std::int32_t>::min();
    const auto read = [](const QByteArray& data) {
        const Result<PresetList> r = unarchivePresetLibrary(data);
        EXPECT_TRUE(r.ok()) << qPrintable(r.error());
        return r.ok() && r.value().size() == 1 && r.value()[0] ? *r.value()[0] : ZentFullPresetRec();
    };

    EXPECT_EQ(read(preset(1, field("aspectX", hex("3b7fffffffffffffff")))).aspectX(), int64Min);
    EXPECT_EQ(read(preset(1, field("aspectX", hex("1b7fffffffffffffff")))).aspectX(), int64Max);
    EXPECT_EQ(read(preset(1, field("logoLocationValue", hex("3a7fffffff")))).logoLocationValue(), int32Min);
    // Qt holds -2^64 as magnitude 0: it must not come out as zero.
    EXPECT_EQ(read(preset(1, field("rotationAngle", hex("3bffffffffffffffff")))).rotationAngle(), -0x1p64f);
    EXPECT_EQ(read(preset(1, field("rotationAngle", hex("f93c00")))).rotationAngle(), 1.0f); // half float
    // The last of duplicate keys wins, as a later assignment would.
    EXPECT_EQ(
        read(preset(2, field("name", text("first")) + field("name", text("second")))).name(), QStringLiteral("second"));
    // A field of a later version is stepped over, nested as deep as the skip allows.
    EXPECT_EQ(read(preset(2, field("laterField", hex("818181a0")) + field("name", text("kept")))).name(),
        QStringLiteral("kept"));
}

} // namespace
