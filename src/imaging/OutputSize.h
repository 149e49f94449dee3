#pragma once
// The output size rule: the crop's pixel size, optionally constrained to a fixed width
// and/or height, in single precision where the rule is.

namespace quillum {

struct OutputSizeSettings {
    int width = 300; // outputWidthVal
    int height = 300; // outputHeighVal
    bool widthIsFixed = false;
    bool heightIsFixed = false;
    bool unproportionalStretch = false;
};

struct OutputSize {
    int width = 0;
    int height = 0;
    bool scales = false; // at least one side is fixed: the crop is resampled
    bool writesBackSize = true; // false only when both are fixed with proportional fitting
};

// Bounds on a scaled output: a larger request is shrunk, both sides alike, until it fits,
// so that a mistyped size cannot exhaust memory.
inline constexpr int kMaxOutputSide = 30000;
// Bound on the output area, in pixels (a 400 MB working bitmap).
inline constexpr double kMaxOutputPixels = 100.0e6;

// w, h: the working bitmap's pixel size before scaling (both > 0).
OutputSize outputSizeFor(int w, int h, const OutputSizeSettings& settings);

} // namespace quillum
