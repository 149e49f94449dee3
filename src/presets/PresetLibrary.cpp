#include "PresetLibrary.h"

#include "platform/StagedFile.h"

#include <QFile>
#include <QFileInfo>

namespace quillum {

namespace {

QString n(std::int64_t v)
{
    return QString::number(v);
}

struct DefaultPreset {
    const char* format;
    int aspectX, aspectY, width, height;
    bool fixedAspect, fixedWidth, fixedHeight;
};

// Names take the numbers in the order aspect, size; the resize entries only the size.
constexpr DefaultPreset kDefaults[] = {
    { "Email Small - Aspect: %1 : %2  Size: %3 x %4", 4, 3, 320, 240, true, true, true },
    { "Email Medium - Aspect: %1 : %2  Size: %3 x %4", 4, 3, 640, 480, true, true, true },
    { "Email Large - Aspect: %1 : %2  Size: %3 x %4", 4, 3, 800, 600, true, true, true },
    { nullptr, 0, 0, 0, 0, false, false, false },
    { "iPhone 4 Retina - Aspect: %1 : %2  Size: %3 x %4", 640, 960, 640, 960, true, true, true },
    { "iPhone 5 Retina - Aspect: %1 : %2  Size: %3 x %4", 640, 1136, 640, 1136, true, true, true },
    { "iPad Retina - Aspect: %1 : %2  Size: %3 x %4", 2048, 1536, 2048, 1536, true, true, true },
    { nullptr, 0, 0, 0, 0, false, false, false },
    { "MacBook Air 11 - Aspect: %1 : %2  Size: %3 x %4", 16, 9, 1366, 768, true, true, true },
    { "MacBook Air 13 - Aspect: %1 : %2  Size: %3 x %4", 16, 10, 1440, 900, true, true, true },
    { "PC Display - Aspect: %1 : %2  Size: %3 x %4", 1680, 1050, 1680, 1050, true, true, true },
    { "PC Display - Aspect: %1 : %2  Size: %3 x %4", 1920, 1200, 1920, 1200, true, true, true },
    { "HDTV Display - Aspect: %1 : %2  Size: %3 x %4", 1920, 1080, 1920, 1080, true, true, true },
    { nullptr, 0, 0, 0, 0, false, false, false },
    { "16:9 Widescreen - Aspect: %1 : %2", 16, 9, 0, 0, true, false, false },
    { "1.85:1 Widescreen - Aspect: %1 : %2", 185, 100, 0, 0, true, false, false },
    { "2.39:1 Panavision - Aspect: %1 : %2", 239, 100, 0, 0, true, false, false },
    { nullptr, 0, 0, 0, 0, false, false, false },
    { "Resize for Small Display - Size: %3 : %4", 0, 0, 640, 480, false, true, true },
    { "Resize for PC Display - Size: %3 : %4", 0, 0, 1024, 768, false, true, true },
    { "Resize for HD Display - Size: %3 : %4", 0, 0, 1920, 1080, false, true, true },
    { nullptr, 0, 0, 0, 0, false, false, false },
};

} // namespace

bool PresetLibrary::remove(int row)
{
    if (row < 0 || row >= size())
        return false;
    m_entries.erase(m_entries.begin() + row);
    return true;
}

void PresetLibrary::insertSeparator(int row)
{
    if (row < 0 || row >= size())
        m_entries.emplace_back(std::nullopt);
    else
        m_entries.insert(m_entries.begin() + row, std::nullopt);
}

bool PresetLibrary::rename(int row, const QString& name)
{
    if (!isPreset(row))
        return false;
    m_entries[std::size_t(row)]->setName(name);
    return true;
}

bool PresetLibrary::moveRow(int from, int to)
{
    if (from < 0 || from >= size() || to < 0 || to > size())
        return false;
    PresetEntry moved = m_entries[std::size_t(from)];
    m_entries.insert(m_entries.begin() + to, std::move(moved));
    m_entries.erase(m_entries.begin() + (from < to ? from : from + 1));
    return true;
}

PresetList PresetLibrary::defaultSet()
{
    PresetList set;
    for (const DefaultPreset& d : kDefaults) {
        if (!d.format) {
            set.emplace_back(std::nullopt);
            continue;
        }
        ZentFullPresetRec p;
        p.setAspectX(d.aspectX);
        p.setAspectY(d.aspectY);
        p.setFixedsizeX(d.width);
        p.setFixedsizeY(d.height);
        p.setFixedAspect(d.fixedAspect);
        p.setFixedWidth(d.fixedWidth);
        p.setFixedHeight(d.fixedHeight);
        p.setChangeSizeControls(true);
        QString name = QString::fromLatin1(d.format);
        // Each number goes where its marker is; the resize entries name only the size.
        name.replace(QLatin1String("%1"), n(d.aspectX)).replace(QLatin1String("%2"), n(d.aspectY));
        name.replace(QLatin1String("%3"), n(d.width)).replace(QLatin1String("%4"), n(d.height));
        p.setName(name);
        set.emplace_back(std::move(p));
    }
    return set;
}

std::vector<PresetMenuEntry> presetMenuEntries(const PresetList& library, double screenWidth, double screenHeight)
{
    auto f = [](double v) { return QString::number(v, 'f', 0); };
    std::vector<PresetMenuEntry> menu;
    menu.reserve(library.size() + 7);
    menu.push_back({ kAddPresetTag, QStringLiteral("Add Current State as Preset..."), {},
        QStringLiteral("Ctrl+Alt+Shift+."), false });
    menu.push_back(
        { kEditPresetsTag, QStringLiteral("Edit Presets Menu..."), {}, QStringLiteral("Ctrl+Alt+."), false });
    menu.push_back({ kRestoreDefaultsTag, QStringLiteral("Don't panic! Restore default settings"), {}, {}, false });
    menu.push_back({ 0, {}, {}, {}, true });
    menu.push_back({ kMyDisplayTag,
        QStringLiteral("My Display - Aspect: %1 : %2 Size: %3 x %4")
            .arg(f(screenWidth), f(screenHeight), f(screenWidth), f(screenHeight)),
        {}, {}, false });
    menu.push_back({ 0, {}, {}, {}, true });
    for (std::size_t i = 0; i < library.size(); ++i) {
        if (!library[i]) {
            if (i + 1 < library.size())
                menu.push_back({ 0, {}, {}, {}, true });
            continue;
        }
        menu.push_back({ int(i), library[i]->name(), library[i]->technicalDescription(), {}, false });
    }
    return menu;
}

ZentFullPresetRec myDisplayPreset(double screenWidth, double screenHeight)
{
    // Truncated as integers are; a screen size is never out of range, a NaN becomes 0.
    auto whole = [](double v) { return v >= 0 && v < 1e9 ? std::int64_t(v) : std::int64_t(0); };
    const std::int64_t w = whole(screenWidth), h = whole(screenHeight);
    ZentFullPresetRec p;
    p.setAspectX(w);
    p.setAspectY(h);
    p.setFixedsizeX(w);
    p.setFixedsizeY(h);
    p.setFixedAspect(true);
    p.setFixedWidth(true);
    p.setFixedHeight(true);
    p.setChangeSizeControls(true);
    p.setName(QStringLiteral("My Display - Aspect: %1 : %2  Size: %3 x %4").arg(n(w), n(h), n(w), n(h)));
    return p;
}

ZentFullPresetRec restoreDefaultsPreset()
{
    ZentFullPresetRec p;
    setRememberFlags(p, { true, true, true, true, true });
    return p;
}

Result<PresetList> readPresetFile(const QString& path)
{
    const QString shown = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error(QStringLiteral("“%1” could not be opened: %2.").arg(shown, file.errorString()));
    // Checked before reading, so a huge file is never read into memory.
    if (file.size() > kMaxPresetArchiveBytes)
        return Error(QStringLiteral("“%1” holds no presets: it is too large to hold presets.").arg(shown));
    const QByteArray data = file.read(kMaxPresetArchiveBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Error(QStringLiteral("“%1” could not be read: %2.").arg(shown, file.errorString()));
    Result<PresetList> list = unarchivePresetLibrary(data);
    if (!list)
        return Error(QStringLiteral("“%1” holds no presets Quillum can read: %2.").arg(shown, list.error()));
    return list;
}

Status writePresetFile(const QString& path, const PresetList& library)
{
    const QByteArray data = archivedPresetLibrary(library);
    StagedFile staged(path);
    if (Status s = staged.open(); !s)
        return s;
    if (Status s = staged.write(data.constData(), std::size_t(data.size())); !s)
        return s;
    return staged.commit();
}

void setRememberFlags(ZentFullPresetRec& preset, const std::array<bool, 5>& remember)
{
    preset.setChangeSizeControls(remember[0]);
    preset.setChangeTextControls(remember[1]);
    preset.setChangeBorderControls(remember[2]);
    preset.setChangeLogoControls(remember[3]);
    preset.setChangeOtherControls(remember[4]);
}

void NewPresetSheet::rememberListChanged()
{
    setRememberFlags(candidate, remember);
    name = candidate.suggestedName();
    details = candidate.technicalDescription();
}

} // namespace quillum
