#pragma once
// The benchmark photo: a synthetic 6000 x 4000 landscape that JPEG compresses like a real
// one (smooth sky, textured ground, hard-edged shapes, sensor-like noise).

#include <string>

namespace quillumbench {

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;
constexpr int kPhotoQuality = 92;

// Writes the photo as an sRGB JPEG; returns false and prints why on failure.
bool makePhoto(const std::string& path, const char* argv0);

} // namespace quillumbench
