#pragma once
// The caption tag language: "$FX" full path, "$F" folder, "$f" file name, "$SX" bytes,
// "$S" full byte count, "$s" short byte size, "$DX"/"$D"/"$d" full/medium/short date,
// "$TX"/"$T"/"$t" full/medium/short time, "$P" a line break (CR LF).

#include <QString>

namespace quillum {

// Expands the tags for the file at imagePath, in the fixed replacement order. Without a
// file there the file tags expand to nothing. A text of nothing but "$P" tags expands to
// the empty string. localeName names an ICU locale for the date and time styles (empty:
// the user's locale).
QString formatZentCaption(const QString& text, const QString& imagePath, const QString& localeName = {});

// What the tag pop-up's item does to a caption text (10 clears, 20 appends "$P", …; an
// unknown item leaves the text as it is).
QString captionTextAfterTagItem(const QString& text, int itemTag);

// The texts the caption reset buttons put in: caption 0 "$f$P$s", caption 1 "$d - $t".
QString resetCaptionText(int caption);

} // namespace quillum
