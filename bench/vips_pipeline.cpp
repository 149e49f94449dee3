// vips-pipeline: the libvips counterpart of quillum-cli's render, for the end-to-end
// comparison in scripts/bench.sh. One streaming pipeline: load, crop, Lanczos3 resize,
// 3x3 sharpen, JPEG save.

#include <vips/vips8>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vips::VImage;

const char* kUsage = "Usage: vips-pipeline IN.jpg OUT.jpg [--crop x,y,w,h] [--width N] [--quality Q] [--autolevels]\n"
                     "  --crop     rectangle in pixels, origin at the bottom-left corner like quillum-cli\n"
                     "             (default: the whole picture)\n"
                     "  --width    output width (default 1920)\n"
                     "  --quality  JPEG quality (default 90)\n"
                     "  --autolevels  stretch each channel's range to 0..255 first (the whole picture\n"
                     "             is decoded before the histogram, as any auto levels needs)\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

bool parseInt(const char* text, int min, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < min || v > 1000000)
        return false;
    out = int(v);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const char* in = argv[1];
    const char* out = argv[2];
    int width = 1920, quality = 90;
    bool cropped = false;
    bool autolevels = false;
    int cx = 0, cy = 0, cw = 0, ch = 0;
    for (int i = 3; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--width") && hasValue) {
            if (!parseInt(argv[++i], 1, width))
                return usage();
        } else if (!std::strcmp(argv[i], "--quality") && hasValue) {
            if (!parseInt(argv[++i], 1, quality) || quality > 100)
                return usage();
        } else if (!std::strcmp(argv[i], "--autolevels")) {
            autolevels = true;
        } else if (!std::strcmp(argv[i], "--crop") && hasValue) {
            if (std::sscanf(argv[++i], "%d,%d,%d,%d", &cx, &cy, &cw, &ch) != 4 || cx < 0 || cy < 0 || cw < 1 || ch < 1)
                return usage();
            cropped = true;
        } else {
            return usage();
        }
    }

    if (VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "vips-pipeline: libvips failed to start: %s\n", vips_error_buffer());
        return 1;
    }
    try {
        // Sequential access lets libvips stream the file in strips instead of decoding it whole.
        VImage image = VImage::new_from_file(
            in, VImage::option()->set("access", autolevels ? VIPS_ACCESS_RANDOM : VIPS_ACCESS_SEQUENTIAL));
        if (cropped) {
            const int top = image.height() - cy - ch;
            if (top < 0 || cx + cw > image.width()) {
                std::fprintf(stderr, "vips-pipeline: the crop lies outside the %d x %d picture\n", image.width(),
                    image.height());
                return 2;
            }
            image = image.crop(cx, top, cw, ch);
        }
        if (autolevels) {
            // Per band: (x - min) * 255 / (max - min), from one statistics pass.
            image = image.copy_memory();
            const VImage stats = image.stats();
            std::vector<double> scale, offset;
            for (int b = 0; b < image.bands(); ++b) {
                const double lo = stats.getpoint(0, b + 1)[0], hi = stats.getpoint(1, b + 1)[0];
                const double s = hi > lo ? 255.0 / (hi - lo) : 1.0;
                scale.push_back(s);
                offset.push_back(hi > lo ? -lo * s : 0.0);
            }
            image = image.linear(scale, offset).cast(VIPS_FORMAT_UCHAR);
        }
        image = image.resize(double(width) / image.width(), VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
        VImage mask = VImage::new_matrixv(3, 3, -1.0, -1.0, -1.0, -1.0, 16.0, -1.0, -1.0, -1.0, -1.0);
        mask.set("scale", 8.0);
        image = image.conv(mask, VImage::option()->set("precision", VIPS_PRECISION_INTEGER));
        image = image.cast(VIPS_FORMAT_UCHAR);
        image.jpegsave(out, VImage::option()->set("Q", quality));
        std::printf("%d x %d\n", image.width(), image.height());
    } catch (const vips::VError& e) {
        std::fprintf(stderr, "vips-pipeline: %s\n", e.what());
        return 1;
    }
    vips_shutdown();
    return 0;
}
