#include "PhotoMaker.h"

#include <vips/vips8>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace quillumbench {
namespace {

using vips::VImage;

// Colour a where t is 0, b where t is 1.
VImage lerp(const VImage& t, const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> d(3);
    for (int i = 0; i < 3; ++i)
        d[i] = b[i] - a[i];
    return VImage::bandjoin({ t, t, t }).linear(d, a);
}

VImage clamp01(const VImage& v)
{
    return (v < 0).ifthenelse(0, (v > 1).ifthenelse(1, v));
}

VImage perlin(int cell, int seed)
{
    return VImage::perlin(kPhotoWidth, kPhotoHeight, VImage::option()->set("cell_size", cell)->set("seed", seed));
}

VImage noise(double sigma, int seed)
{
    return VImage::gaussnoise(
        kPhotoWidth, kPhotoHeight, VImage::option()->set("sigma", sigma)->set("mean", 0.0)->set("seed", seed));
}

} // namespace

bool makePhoto(const std::string& path, const char* argv0)
{
    if (VIPS_INIT(argv0) != 0) {
        std::fprintf(stderr, "libvips failed to start: %s\n", vips_error_buffer());
        return false;
    }
    try {
        const double W = kPhotoWidth, H = kPhotoHeight;
        VImage xyz = VImage::xyz(kPhotoWidth, kPhotoHeight).cast(VIPS_FORMAT_FLOAT);
        VImage x = xyz[0], y = xyz[1];

        // Rolling hills: vips trigonometry works in degrees.
        VImage horizon = (x * (360.0 / 1900.0)).sin() * 160.0 + (x * (360.0 / 610.0) + 40.0).sin() * 70.0 + H * 0.58;
        VImage isGround = y > horizon;

        VImage clouds = perlin(512, 1) + perlin(128, 2) * 0.5 + perlin(32, 3) * 0.15;
        VImage sky = lerp(clamp01(y / (H * 0.6)), { 55, 105, 185 }, { 195, 212, 232 });
        sky = sky + clamp01(clouds - 0.1) * 140.0;

        VImage texture = perlin(96, 4) * 0.25 + perlin(24, 5) * 0.15 + perlin(6, 6) * 0.08 + 1.0;
        VImage ground = lerp(clamp01((y - H * 0.5) / (H * 0.5)), { 105, 130, 62 }, { 58, 72, 34 }) * texture;

        VImage scene = isGround.ifthenelse(ground, sky).cast(VIPS_FORMAT_UCHAR).copy_memory();

        // Hard edges: a sun, a few houses with windows, some round stones.
        scene.draw_circle({ 250, 240, 205 }, int(W * 0.8), int(H * 0.16), 210, VImage::option()->set("fill", true));
        for (int i = 0; i < 7; ++i) {
            const int left = 300 + i * 820, width = 420 + (i % 3) * 90, height = 380 + (i % 4) * 110;
            const int base = int(H * 0.8) + (i % 2) * 140;
            scene.draw_rect({ 150.0 + 12 * i, 90.0 + 9 * (i % 3), 70.0 + 15 * (i % 4) }, left, base - height, width,
                height, VImage::option()->set("fill", true));
            scene.draw_rect(
                { 110, 40, 35 }, left - 30, base - height - 120, width + 60, 120, VImage::option()->set("fill", true));
            for (int wx = left + 40; wx + 60 < left + width; wx += 110)
                for (int wy = base - height + 50; wy + 70 < base - 60; wy += 130)
                    scene.draw_rect({ 225, 215, 150 }, wx, wy, 60, 70, VImage::option()->set("fill", true));
        }
        for (int i = 0; i < 24; ++i) {
            const double g = 90 + (i * 37) % 110;
            scene.draw_circle({ g, g * 0.95, g * 0.85 }, 150 + (i * 977) % 5700, int(H * 0.9) + (i * 131) % 380,
                25 + (i * 53) % 70, VImage::option()->set("fill", true));
        }

        // A lens-like softening, then luminance and a little colour noise.
        VImage soft = scene.gaussblur(0.7, VImage::option()->set("precision", VIPS_PRECISION_FLOAT));
        VImage luma = noise(4.0, 7);
        VImage chroma = VImage::bandjoin({ noise(1.5, 8), noise(1.5, 9), noise(1.5, 10) });
        VImage photo = (soft + luma + chroma).cast(VIPS_FORMAT_UCHAR);
        photo = photo.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));

        const std::filesystem::path target(path);
        if (target.has_parent_path())
            std::filesystem::create_directories(target.parent_path());
        // Written beside the target and renamed, so an interrupted run leaves no half file.
        const std::string partial = path + ".partial.jpg";
        photo.jpegsave(partial.c_str(), VImage::option()->set("Q", kPhotoQuality)->set("strip", true));
        std::filesystem::rename(partial, target);
    } catch (const vips::VError& e) {
        std::fprintf(stderr, "making the photo failed: %s\n", e.what());
        return false;
    } catch (const std::filesystem::filesystem_error& e) {
        std::fprintf(stderr, "making the photo failed: %s\n", e.what());
        return false;
    }
    // Lets go of the scene the operation cache still holds (quillum runs with no cache too).
    vips_cache_set_max(0);
    return true;
}

} // namespace quillumbench
