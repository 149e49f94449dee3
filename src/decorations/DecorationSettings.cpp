#include "decorations/DecorationSettings.h"

#include <algorithm>

#include "presets/SettingsKeys.h"

namespace quillum {

BorderSettings defaultBorder(int index)
{
    BorderSettings b;
    const float offsets[] = { 0.0f, 0.5f, 1.0f };
    const QColor colors[] = { QColor(0, 0, 0), QColor::fromRgbF(0.5f, 0.5f, 0.5f), QColor(255, 255, 255) };
    const int i = std::clamp(index, 0, 2);
    b.offsetTop = b.offsetBottom = b.offsetLeft = b.offsetRight = offsets[i];
    b.color = colors[i];
    return b;
}

CaptionSettings defaultCaption(int index, const QString& standardFontName)
{
    CaptionSettings c;
    c.text = index == 0 ? QStringLiteral("Quillum") : QString::fromLatin1(setting::kCaption2DefaultText);
    c.locationValue = index == 0 ? 6 : 3;
    c.fontName = standardFontName;
    return c;
}

} // namespace quillum
