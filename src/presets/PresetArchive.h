#pragma once
// The keyed archive of presets: the preset library (in the settings store and in .zentpres
// files) is a CBOR array whose entries are preset records (a map with "$class" and every
// field under its own name, colours as nested colour archives) or null for a separator.
//
// The reader takes untrusted bytes (any file a user picks): it checks every type, bounds
// every count and length by what the data can hold, never nests deeper than the format
// does, and answers a message instead of a partial result.

#include "platform/Result.h"
#include "presets/ZentFullPresetRec.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace quillum {

// A library entry: a preset, or nothing for a separator line.
using PresetEntry = std::optional<ZentFullPresetRec>;
using PresetList = std::vector<PresetEntry>;

// Limits of what the reader accepts.
inline constexpr qsizetype kMaxPresetArchiveBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxPresetEntries = 10000;

QByteArray archivedPresetLibrary(const PresetList& library);
Result<PresetList> unarchivePresetLibrary(const QByteArray& data);

// One record as the root object.
QByteArray archivedPreset(const ZentFullPresetRec& preset);
Result<ZentFullPresetRec> unarchivePreset(const QByteArray& data);

} // namespace quillum
