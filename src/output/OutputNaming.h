#pragma once
// Output file naming: the counter at the end of a name, the three naming rules and the
// path of an output file. Pure functions; the controller holds the state.

#include "platform/ImageFileType.h"

#include <QString>

namespace quillum {

// folder / name . extension of the type ("jpg", "tif", "png", "webp").
QString outputFilePath(const QString& folder, const QString& name, ImageFileType fileType);

// The name with its trailing counter advanced by one. The counter is the longest tail made
// of "1234567890#"; its leading digits are the value (none: 0), its length the width
// (at least 1). The result is zero-padded to the width and grows beyond it. Any length of
// digits is counted exactly.
QString incrementCurrentFileName(const QString& name);

// Adds one to a string of ASCII digits (empty counts as 0); leading zeros are dropped.
QString incrementDecimalString(const QString& digits);

// The three rules: 0 (and negative) counts per picture, 1 (and above 2) continues one
// running name across pictures, 2 names every output after its source.
enum class OutputFileRule { CountPerPicture, RunningName, SourceName };
OutputFileRule outputFileRuleFromValue(int value);

// The name field's text after a picture with base name `base` is shown.
QString outputFileNameForShownPicture(int rule, const QString& currentName, const QString& base);

// Whether a save (or drag-out) advances the counter under the rule.
bool outputFileRuleCounts(int rule);

} // namespace quillum
