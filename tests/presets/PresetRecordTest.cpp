// The preset record's derived texts, its archive round trip and the library's list rules
// (default set, menu, drag, separators, files).

#include "presets/PresetLibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace quillum;

namespace {

ZentFullPresetRec sizeOnly(bool aspect, bool width, bool height)
{
    ZentFullPresetRec p;
    p.setChangeSizeControls(true);
    p.setAspectX(4);
    p.setAspectY(3);
    p.setFixedsizeX(640);
    p.setFixedsizeY(480);
    p.setFixedAspect(aspect);
    p.setFixedWidth(width);
    p.setFixedHeight(height);
    return p;
}

// A distinct value of each field type; `i` counts the fields.
template <typename T> T sampleValue(int& i, const char* name)
{
    const int n = i++;
    if constexpr (std::is_same_v<T, QString>)
        return QString::fromUtf8(name) + QStringLiteral("·%1").arg(n);
    else if constexpr (std::is_same_v<T, QColor>)
        return QColor(QRgba64::fromRgba64(quint16(n * 977), 1234, 65535, quint16(n * 31)));
    else if constexpr (std::is_same_v<T, PresetRect>)
        return PresetRect { 0.5 * n, -1.25, 1e9, 3.0 };
    else if constexpr (std::is_same_v<T, bool>)
        return true;
    else if constexpr (std::is_same_v<T, float>)
        return float(n) / 7.0f;
    else
        return T(n % 3 == 0 ? -n : n);
}

struct TextCase {
    const char* name;
    std::function<ZentFullPresetRec()> make;
    QString suggested;
    QString technical;
};

} // namespace

TEST(PresetRecord, SuggestedNameAndTechnicalDescription)
{
    const QString longText = QStringLiteral("A caption long enough to fill the name");
    const TextCase cases[] = {
        { "nothing remembered", [] { return ZentFullPresetRec(); }, QStringLiteral("New preset"), QString() },
        { "size 4:3 at 640 x 480", [] { return sizeOnly(true, true, true); },
            QStringLiteral("Ratio: 4 : 3 | Size: W 640 H 480 "),
            QStringLiteral("Aspect Ratio: 4 : 3\nSize: Width 640 Height 480 ") },
        { "size with nothing fixed", [] { return sizeOnly(false, false, false); }, QStringLiteral("New preset"),
            QStringLiteral("Free size") },
        { "height only", [] { return sizeOnly(false, false, true); }, QStringLiteral("Size: H 480 "),
            QStringLiteral("Size: Height 480 ") },
        { "other with nothing set",
            [] {
                ZentFullPresetRec p;
                p.setChangeOtherControls(true);
                return p;
            },
            QStringLiteral("New preset"), QStringLiteral("No Autolevels\nNo Sharpen") },
        { "B/W with a horizontal mirror",
            [] {
                ZentFullPresetRec p;
                p.setChangeOtherControls(true);
                p.setPictureOutputMode(2);
                p.setPictureHorizontalReflect(true);
                return p;
            },
            QStringLiteral("B/W | Misc: HR"), QStringLiteral("Color mode: B/W\nMisc: HR") },
        { "every effect",
            [] {
                ZentFullPresetRec p;
                p.setChangeOtherControls(true);
                p.setAutoLevelsIsOn(true);
                p.setSharpenLevel(2);
                p.setPictureOutputMode(3);
                p.setPictureOutputInvert(true);
                p.setPictureVerticalReflect(true);
                return p;
            },
            QStringLiteral("Autolevels: ON | Sharpen: 2  | Sepia | Misc: Inv VR"),
            QStringLiteral("Autolevels: ON\nSharpen: 2 \nColor mode: Sepia\nMisc: Invert VR") },
        { "groups switched off",
            [] {
                ZentFullPresetRec p;
                p.setChangeTextControls(true);
                p.setChangeBorderControls(true);
                p.setChangeLogoControls(true);
                p.setShowTextCaptions(true); // no caption shown
                p.setShowBorders(true); // no border shown
                return p;
            },
            QStringLiteral("New preset"), QStringLiteral("No captions\nNo borders\nNo logo") },
        { "captions, borders and logo",
            [] {
                ZentFullPresetRec p;
                p.setChangeTextControls(true);
                p.setChangeBorderControls(true);
                p.setChangeLogoControls(true);
                p.setShowTextCaptions(true);
                p.setShowCaption2(true);
                p.setCaption2TextString(QStringLiteral("$d"));
                p.setShowBorders(true);
                p.setShowBorder1(true);
                p.setShowBorder3(true);
                p.setDrawLogo(true);
                p.setLogoFileName(QStringLiteral("/home/me/marks/logo.png"));
                return p;
            },
            QStringLiteral("Text 2: $d  | Border: #1 #3 | Logo: logo.png "),
            QStringLiteral("Text 2: $d \nBorder: #1 #3\nLogo: logo.png ") },
        { "a long caption leaves no room",
            [longText] {
                ZentFullPresetRec p;
                p.setChangeTextControls(true);
                p.setChangeBorderControls(true);
                p.setChangeLogoControls(true);
                p.setChangeOtherControls(true);
                p.setShowTextCaptions(true);
                p.setShowCaption1(true);
                p.setCaption1TextString(longText);
                p.setShowBorders(true);
                p.setShowBorder1(true);
                p.setDrawLogo(true);
                p.setAutoLevelsIsOn(true);
                return p;
            },
            QStringLiteral("Text 1: ") + longText + QLatin1Char(' '),
            QStringLiteral("Text 1: ") + longText + QStringLiteral(" \nBorder: #1\nLogo:  \nAutolevels: ON") },
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ZentFullPresetRec p = c.make();
        EXPECT_EQ(p.suggestedName(), c.suggested);
        EXPECT_EQ(p.technicalDescription(), c.technical);
    }
}

TEST(PresetRecord, DescriptionHasThreeForms)
{
    ZentFullPresetRec p = sizeOnly(true, true, true);
    p.setName(QStringLiteral("Web"));
    EXPECT_EQ(p.description(), QStringLiteral("Web - Ratio 4 : 3  Size 640 x 480"));
    p.setFixedsizeX(0);
    EXPECT_EQ(p.description(), QStringLiteral("Web - Ratio 4 : 3"));
    p.setAspectX(0);
    EXPECT_EQ(p.description(), QStringLiteral("Web - Size 0 x 480"));
}

TEST(PresetArchive, EveryFieldSurvivesTheRoundTrip)
{
    // Every field away from its initial value; colours with odd 16-bit channels.
    ZentFullPresetRec p;
    int i = 1;
#define QUILLUM_SET_FIELD(T, name, Name, kind) p.set##Name(sampleValue<T>(i, #name));
    QUILLUM_PRESET_FIELDS(QUILLUM_SET_FIELD)
#undef QUILLUM_SET_FIELD
    p.setFixedsizeX(std::int64_t(1) << 40); // beyond 32 bits

    const PresetList library { p, std::nullopt, ZentFullPresetRec(), std::nullopt };
    const Result<PresetList> back = unarchivePresetLibrary(archivedPresetLibrary(library));
    ASSERT_TRUE(back) << back.error().toStdString();
    ASSERT_EQ(back->size(), library.size());
    EXPECT_TRUE((*back)[0] == p);
    EXPECT_FALSE((*back)[1].has_value());
    EXPECT_TRUE((*back)[2] == ZentFullPresetRec()); // colours without a value stay without
    EXPECT_FALSE((*back)[2]->border1Color().isValid());
    EXPECT_FALSE((*back)[3].has_value());

    const Result<ZentFullPresetRec> one = unarchivePreset(archivedPreset(p));
    ASSERT_TRUE(one);
    EXPECT_TRUE(*one == p);
}

TEST(PresetArchive, MissingFieldsDecodeAsZeroNotAsInitialValues)
{
    // A record with nothing but its class.
    const QByteArray onlyClass = QByteArray::fromHex("81a16624636c617373715a656e7446756c6c5072657365745265"
                                                     "63");
    const Result<PresetList> back = unarchivePresetLibrary(onlyClass);
    ASSERT_TRUE(back) << back.error().toStdString();
    ASSERT_EQ(back->size(), 1u);
    const ZentFullPresetRec& p = *(*back)[0];
    EXPECT_EQ(p.aspectY(), 0);
    EXPECT_EQ(p.pictureOutputMode(), 0);
    EXPECT_FALSE(p.border2Color().isValid());
    EXPECT_TRUE(p.name().isEmpty());
}

TEST(PresetLibrary, DefaultSetAndItsMenu)
{
    const PresetList set = PresetLibrary::defaultSet();
    ASSERT_EQ(set.size(), 22u);
    for (std::size_t i : { 3u, 7u, 13u, 17u, 21u })
        EXPECT_FALSE(set[i].has_value()) << i;
    EXPECT_EQ(set[0]->name(), QStringLiteral("Email Small - Aspect: 4 : 3  Size: 320 x 240"));
    EXPECT_EQ(set[15]->name(), QStringLiteral("1.85:1 Widescreen - Aspect: 185 : 100"));
    EXPECT_EQ(set[19]->name(), QStringLiteral("Resize for PC Display - Size: 1024 : 768"));
    EXPECT_FALSE(set[19]->fixedAspect());
    EXPECT_TRUE(set[19]->fixedWidth() && set[19]->fixedHeight());
    for (const PresetEntry& e : set) {
        if (e) {
            EXPECT_TRUE(e->changeSizeControls() && !e->changeOtherControls() && !e->changeTextControls()
                && !e->changeBorderControls() && !e->changeLogoControls());
        }
    }

    const std::vector<PresetMenuEntry> menu = presetMenuEntries(set, 1920, 1200);
    ASSERT_GE(menu.size(), 7u);
    EXPECT_EQ(menu[0].title, QStringLiteral("Add Current State as Preset..."));
    EXPECT_EQ(menu[0].shortcut, QStringLiteral("Ctrl+Alt+Shift+."));
    EXPECT_EQ(menu[1].title, QStringLiteral("Edit Presets Menu..."));
    EXPECT_EQ(menu[2].tag, kRestoreDefaultsTag);
    EXPECT_TRUE(menu[3].separator);
    EXPECT_EQ(menu[4].title, QStringLiteral("My Display - Aspect: 1920 : 1200 Size: 1920 x 1200"));
    EXPECT_EQ(menu[4].tag, kMyDisplayTag);
    EXPECT_TRUE(menu[5].separator);
    EXPECT_EQ(menu[6].title, set[0]->name());
    EXPECT_EQ(menu[6].tag, 0);
    EXPECT_EQ(menu[6].toolTip, QStringLiteral("Aspect Ratio: 4 : 3\nSize: Width 320 Height 240 "));
    // 16 presets and 4 separators: the trailing one makes no item.
    EXPECT_EQ(menu.size(), 6u + 17u + 4u);
    EXPECT_FALSE(menu.back().separator);
    EXPECT_EQ(menu.back().tag, 20);

    EXPECT_EQ(presetMenuEntries({}, 0, 0)[4].title, QStringLiteral("My Display - Aspect: 0 : 0 Size: 0 x 0"));
}

TEST(PresetLibrary, DragSeparatorsAndRemoval)
{
    auto named = [](const char* n) {
        ZentFullPresetRec p;
        p.setName(QString::fromLatin1(n));
        return PresetEntry(p);
    };
    auto names = [](const PresetLibrary& l) {
        QString s;
        for (const PresetEntry& e : l.entries())
            s += e ? e->name() : QStringLiteral("-");
        return s;
    };
    struct Move {
        int from, to;
        const char* result;
    };
    const Move moves[] = {
        { 5, 1, "051234" }, // before the old entry 1
        { 1, 5, "023415" }, // before the old entry 5
        { 0, 6, "123450" }, // to the end
        { 2, 2, "012345" }, // onto itself
        { 6, 0, "012345" }, // no such row
        { 0, 7, "012345" },
    };
    for (const Move& m : moves) {
        PresetLibrary l;
        l.setEntries({ named("0"), named("1"), named("2"), named("3"), named("4"), named("5") });
        l.moveRow(m.from, m.to);
        EXPECT_EQ(names(l), QString::fromLatin1(m.result)) << m.from << " -> " << m.to;
    }

    PresetLibrary l;
    l.setEntries({ named("a"), named("b") });
    l.insertSeparator(1);
    l.insertSeparator(-1);
    EXPECT_EQ(names(l), QStringLiteral("a-b-"));
    EXPECT_FALSE(l.rename(1, QStringLiteral("x"))); // a separator has no name
    EXPECT_TRUE(l.rename(2, QStringLiteral("B")));
    EXPECT_TRUE(l.remove(0));
    EXPECT_FALSE(l.remove(3));
    EXPECT_EQ(names(l), QStringLiteral("-B-"));
    const std::vector<PresetMenuEntry> menu = presetMenuEntries(l.entries(), 0, 0);
    EXPECT_TRUE(menu[6].separator); // a leading separator is kept
    EXPECT_EQ(menu.size(), 8u);
}

TEST(PresetLibrary, FilesAreWrittenWholeAndFailuresSaySo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine.zentpres"));
    const PresetList set = PresetLibrary::defaultSet();
    ASSERT_TRUE(writePresetFile(path, set));
    const Result<PresetList> back = readPresetFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), set.size());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("mine.zentpres") });

    // No folder to write into: said, and nothing is left behind.
    const Status failed = writePresetFile(dir.filePath(QStringLiteral("gone/mine.zentpres")), set);
    EXPECT_FALSE(failed);
    EXPECT_FALSE(failed.error().isEmpty());

    QFile junk(dir.filePath(QStringLiteral("junk.zentpres")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a preset file");
    junk.close();
    const Result<PresetList> refused = readPresetFile(junk.fileName());
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("junk.zentpres")));
    EXPECT_FALSE(readPresetFile(dir.filePath(QStringLiteral("missing.zentpres"))));
}
