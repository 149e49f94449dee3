#pragma once
// The full-screen viewer's picture as a QImage. Kept apart from the main window's
// conversions so the viewer depends on nothing else in the app folder.

#include "platform/BitmapImageRep.h"

#include <QImage>

namespace quillum::fullscreen {

// A working bitmap (A,R,G,B bytes: the render's premultiplied output) becomes
// Format_ARGB32_Premultiplied; any other layout (a decoded source, straight alpha) is
// converted to A,R,G,B first and becomes Format_ARGB32. Null when it cannot be converted.
QImage imageFromBitmap(const BitmapImageRep& bitmap);

} // namespace quillum::fullscreen
