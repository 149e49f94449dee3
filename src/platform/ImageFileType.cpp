#include "ImageFileType.h"

#include <QFileInfo>

namespace quillum {

ImageFileType imageFileTypeFromIndex(int index)
{
    switch (index) {
    case 1:
        return ImageFileType::Tiff;
    case 2:
        return ImageFileType::Png;
    case 3:
        return ImageFileType::Webp;
    default:
        return ImageFileType::Jpeg;
    }
}

int imageFileTypeIndex(ImageFileType type)
{
    return int(type);
}

QString imageFileTypeExtension(ImageFileType type)
{
    switch (type) {
    case ImageFileType::Tiff:
        return QStringLiteral("tif");
    case ImageFileType::Png:
        return QStringLiteral("png");
    case ImageFileType::Webp:
        return QStringLiteral("webp");
    case ImageFileType::Jpeg:
        break;
    }
    return QStringLiteral("jpg");
}

std::optional<ImageFileType> imageFileTypeForExtension(const QString& extension)
{
    const QString e = extension.toLower();
    if (e == QLatin1String("jpg") || e == QLatin1String("jpeg"))
        return ImageFileType::Jpeg;
    if (e == QLatin1String("tif") || e == QLatin1String("tiff"))
        return ImageFileType::Tiff;
    if (e == QLatin1String("png"))
        return ImageFileType::Png;
    if (e == QLatin1String("webp"))
        return ImageFileType::Webp;
    return std::nullopt;
}

QString acceptedImageFileExtensions()
{
    return QStringLiteral(".jpg, .jpeg, .tif, .tiff, .png or .webp");
}

namespace {

// A name such as ".jpg" is all extension: it has no name to keep.
bool extensionNamesType(const QFileInfo& file, ImageFileType type)
{
    return !file.completeBaseName().isEmpty() && imageFileTypeForExtension(file.suffix()) == type;
}

} // namespace

QString pathWithImageFileTypeExtension(const QString& path, ImageFileType type)
{
    if (extensionNamesType(QFileInfo(path), type))
        return path;
    return path + QLatin1Char('.') + imageFileTypeExtension(type);
}

QString baseNameForImageFileType(const QString& path, ImageFileType type)
{
    const QFileInfo file(path);
    return extensionNamesType(file, type) ? file.completeBaseName() : file.fileName();
}

} // namespace quillum
