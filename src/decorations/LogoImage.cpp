#include "decorations/LogoImage.h"

namespace quillum {

QImage sampleLogoImage()
{
    return {};
}
Result<QImage> readLogoImage(const QString& path)
{
    return Error(QStringLiteral("The logo %1 cannot be read.").arg(path));
}

} // namespace quillum
