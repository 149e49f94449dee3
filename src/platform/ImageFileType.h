#pragma once
// The output file types, one enum from the controls through the controller and the naming
// to the encoder. Settings, presets and pop-ups keep the index (0 JPEG, 1 TIFF, 2 PNG,
// 3 WebP), so a new type only ever takes the next index. A file written by Quillum always
// carries an extension that names its type: the type decides the format, never the name
// the user typed.

#include <QString>

#include <optional>

namespace quillum {

enum class ImageFileType { Jpeg = 0, Tiff = 1, Png = 2, Webp = 3 };

// The index of a stored setting or a pop-up item; any other index is JPEG.
ImageFileType imageFileTypeFromIndex(int index);
int imageFileTypeIndex(ImageFileType type);

// The extension Quillum writes: "jpg", "tif", "png", "webp".
QString imageFileTypeExtension(ImageFileType type);

// The type an extension names, without regard to case: jpg and jpeg, tif and tiff, png, webp.
// Nothing for any other extension (gif, bmp, 2024, none).
std::optional<ImageFileType> imageFileTypeForExtension(const QString& extension);

// The accepted extensions for messages: ".jpg, .jpeg, .tif, .tiff, .png or .webp".
QString acceptedImageFileExtensions();

// `path` itself when its file name ends in an extension of `type` (after a non-empty name),
// else `path` with the type's extension appended: "holiday.2024" as JPEG becomes
// "holiday.2024.jpg", "shot.png" as JPEG "shot.png.jpg", "Beach.JPEG" stays.
QString pathWithImageFileTypeExtension(const QString& path, ImageFileType type);

// The file name of `path` without the extension of `type` that pathWithImageFileTypeExtension
// accepts: "Beach.JPEG" as JPEG gives "Beach", "holiday.2024.jpg" gives "holiday.2024".
QString baseNameForImageFileType(const QString& path, ImageFileType type);

} // namespace quillum
