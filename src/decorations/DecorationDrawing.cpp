// Placeholder until the drawing lands: draws nothing.
#include "decorations/DecorationDrawing.h"

#include <algorithm>

namespace quillum {

BorderGeometry borderGeometry(const BorderSettings&, int, int)
{
    return {};
}
void drawBorders(BitmapImageRep&, const DecorationSettings&)
{ }
LogoPlacement logoPlacement(const LogoSettings&, int, int)
{
    return {};
}
void drawLogo(BitmapImageRep&, const LogoSettings&, const QImage&)
{ }
QFont captionFont(const QString& fontName, int pointSize)
{
    return QFont(fontName, pointSize);
}
int captionSearchLimit(int w, int h)
{
    return std::max(6, std::max(w, h));
}
int captionFontSizeStepwise(const CaptionSettings&, const QString&, int, int)
{
    return 6;
}
CaptionLayout captionLayout(const CaptionSettings&, const QString&, int, int)
{
    return {};
}
void drawCaption(BitmapImageRep&, const CaptionSettings&, const QString&)
{ }

Decorator::Decorator(
    const DecorationSettings& settings, std::function<const QImage&()> logoImage, std::function<QString()> sourcePath)
    : m_settings(settings)
    , m_logoImage(std::move(logoImage))
    , m_sourcePath(std::move(sourcePath))
{ }
void Decorator::drawBorders(BitmapImageRep& output)
{
    quillum::drawBorders(output, m_settings);
}
void Decorator::drawLogo(BitmapImageRep& output)
{
    quillum::drawLogo(output, m_settings.logo, m_logoImage());
}
void Decorator::drawCaptions(BitmapImageRep&)
{ }

} // namespace quillum
