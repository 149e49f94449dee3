#include "decorations/CaptionTags.h"

namespace quillum {

QString formatZentCaption(const QString& text, const QString&, const QString&)
{
    return text;
}
QString captionTextAfterTagItem(const QString& text, int)
{
    return text;
}
QString resetCaptionText(int caption)
{
    return caption == 0 ? QStringLiteral("$f$P$s") : QStringLiteral("$d - $t");
}

} // namespace quillum
