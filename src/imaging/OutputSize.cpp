#include "OutputSize.h"

#include <algorithm>
#include <cmath>

namespace quillum {
namespace {

int toInt(float v)
{
    if (!(v >= 1.0f))
        return 1;
    return v >= 1.0e9f ? 1000000000 : int(v);
}

} // namespace

OutputSize outputSizeFor(int w, int h, const OutputSizeSettings& s)
{
    OutputSize out { w, h, s.widthIsFixed || s.heightIsFixed, true };
    const float W = float(s.width), H = float(s.height);
    const float fw = float(w), fh = float(h);
    if (s.widthIsFixed && !s.heightIsFixed) {
        out.width = toInt(std::roundf(W));
        out.height = toInt(std::roundf(fh * (W / fw)));
    } else if (!s.widthIsFixed && s.heightIsFixed) {
        out.width = toInt(std::truncf(fw * (H / fh)));
        out.height = toInt(std::roundf(H));
    } else if (s.widthIsFixed && s.heightIsFixed) {
        if (s.unproportionalStretch) {
            out.width = toInt(std::truncf(W));
            out.height = toInt(std::truncf(H));
        } else {
            const float scale = std::min(W / fw, H / fh);
            float width = std::truncf(fw * scale);
            float height = std::truncf(scale * fh);
            if (W - width <= 1.0f)
                width = std::truncf(W);
            if (H - height <= 1.0f)
                height = std::truncf(H);
            out.width = toInt(width);
            out.height = toInt(height);
            out.writesBackSize = false;
        }
    }
    out.ruleWidth = out.width;
    out.ruleHeight = out.height;
    if (!out.scales)
        return out;
    // Beyond the bounds: shrink both sides alike.
    const double area = double(out.width) * double(out.height);
    const double k = std::min({ 1.0, kMaxOutputSide / double(out.width), kMaxOutputSide / double(out.height),
        std::sqrt(kMaxOutputPixels / area) });
    if (k < 1.0) {
        out.width = std::max(1, int(out.width * k));
        out.height = std::max(1, int(out.height * k));
    }
    return out;
}

} // namespace quillum
