#pragma once
// Turning the source picture by an absolute angle, always from the untouched backup so
// rotations never pile up resampling loss. Angles in degrees, counter-clockwise positive.

#include "platform/BitmapImageRep.h"
#include "platform/Geometry.h"

namespace quillum {

// Multiples of 90 (-90 and 360 included) are exact quarter turns: 0 and 180 keep W x H,
// 90 and 270 swap them. Any other angle gives the bounding box |trunc(W cos t)| +
// |trunc(H sin t)| by |trunc(W sin t)| + |trunc(H cos t)| with t in single precision, at
// least 1 x 1.
struct PixelSize {
    int width = 0;
    int height = 0;
};
PixelSize rotatedSourceSize(int width, int height, float degrees);

// The backup (a working bitmap) turned by `degrees` into a new working bitmap of
// rotatedSourceSize: quarter turns as exact pixel permutations, other angles resampled once
// with transparent white corners (A 0, R 255, G 255, B 255). Null when memory runs out.
[[nodiscard]] BitmapImageRep rotateBackup(const BitmapImageRep& backup, float degrees);

} // namespace quillum
