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
    int width = 0; // what is produced: the rule's size within the bounds below
    int height = 0;
    bool scales = false; // at least one side is fixed: the crop is resampled
    bool writesBackSize = true; // false only when both are fixed with proportional fitting
    int ruleWidth = 0; // the rule's size before the bounds: what the size fields show
    int ruleHeight = 0;
};

// Bounds on a scaled output: a larger request is shrunk, both sides alike, until it fits,
// so that a mistyped size cannot exhaust memory. They never reach the size fields: fed back
// as the next request, the shrunk size rounds differently and the output would change with
// every render.
inline constexpr int kMaxOutputSide = 30000;
// Bound on the output area, in pixels (a 400 MB working bitmap).
inline constexpr double kMaxOutputPixels = 100.0e6;

// w, h: the working bitmap's pixel size before scaling (both > 0).
OutputSize outputSizeFor(int w, int h, const OutputSizeSettings& settings);

} // namespace quillum
