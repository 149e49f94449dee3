#pragma once
// The user's ordered preset library (presets and separator lines), the built-in default
// set, the Presets menu it makes, preset files, and the state of the two sheets that edit
// it. Plain values; the controller holds one of each and shows what they say.

#include "platform/Result.h"
#include "presets/PresetArchive.h"

#include <QString>

#include <array>
#include <vector>

namespace quillum {

class PresetLibrary {
public:
    const PresetList& entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    bool isPreset(int row) const { return row >= 0 && row < size() && m_entries[std::size_t(row)].has_value(); }
    // The preset at `row`; only for rows where isPreset holds.
    const ZentFullPresetRec& preset(int row) const { return *m_entries[std::size_t(row)]; }

    void setEntries(PresetList entries) { m_entries = std::move(entries); }
    void append(PresetEntry entry) { m_entries.push_back(std::move(entry)); }
    void appendAll(const PresetList& entries) { m_entries.insert(m_entries.end(), entries.begin(), entries.end()); }
    void clear() { m_entries.clear(); }
    // Replaces everything with the built-in set.
    void makeDefaultMenu() { m_entries = defaultSet(); }
    // False (and nothing changes) for a row that is not there.
    bool remove(int row);
    // Before `row`, or at the end when `row` is no row.
    void insertSeparator(int row);
    // Only a preset row takes a name.
    bool rename(int row, const QString& name);
    // A drop at `to` (0…size) of the row dragged from `from`: the entry is inserted at `to`,
    // then its old copy removed. False when either index is out of range.
    bool moveRow(int from, int to);

    static PresetList defaultSet();

private:
    PresetList m_entries;
};

// One item of the Presets menu. Tags: a library index, -1 restore defaults, -2 the display
// preset; the two commands that open sheets use kAddPresetTag and kEditPresetsTag.
struct PresetMenuEntry {
    int tag = 0;
    QString title;
    QString toolTip;
    QString shortcut; // portable QKeySequence text
    bool separator = false;
};
inline constexpr int kRestoreDefaultsTag = -1;
inline constexpr int kMyDisplayTag = -2;
inline constexpr int kAddPresetTag = -3;
inline constexpr int kEditPresetsTag = -4;

// The whole menu: the fixed commands, the display item for a screen of width × height
// points (0 × 0 without a screen), then the library; no separator after the last entry.
std::vector<PresetMenuEntry> presetMenuEntries(const PresetList& library, double screenWidth, double screenHeight);

// The preset the display item applies: the screen's size as ratio and fixed size.
ZentFullPresetRec myDisplayPreset(double screenWidth, double screenHeight);
// What "Don't panic! Restore default settings" applies: a new record remembering all.
ZentFullPresetRec restoreDefaultsPreset();

// Preset files (".zentpres"): the library archive, nothing else. Reading refuses anything
// that is not one; writing goes through a temporary file renamed into place. Messages name
// the file.
inline const QString kPresetFileExtension = QStringLiteral("zentpres");
Result<PresetList> readPresetFile(const QString& path);
Status writePresetFile(const QString& path, const PresetList& library);

// The presets panel's table selection and the text shown for it.
struct PresetsPanelState {
    int selectedRow = -1;
    QString selectedPresetDetails = QStringLiteral("No preset is selected");
};

// The naming sheet while it is open: the candidate preset, its five remember boxes (size,
// captions, borders, logo, other), the name field and the details field.
enum class RememberGroup { Size, Text, Border, Logo, Other };
struct NewPresetSheet {
    bool open = false;
    ZentFullPresetRec candidate;
    std::array<bool, 5> remember {};
    QString name;
    QString details;

    bool rememberBox(RememberGroup g) const { return remember[std::size_t(g)]; }
    // Copies the boxes into the candidate's flags, then the suggested name and details.
    void rememberListChanged();
};
void setRememberFlags(ZentFullPresetRec& preset, const std::array<bool, 5>& remember);

} // namespace quillum
