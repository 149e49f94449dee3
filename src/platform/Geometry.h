#pragma once
// The one coordinate convention of Quillum's model code: source pixels, origin at the
// bottom-left corner of the picture, y grows upwards. Widgets convert Qt's top-left
// coordinates at their boundary, nowhere else.

#include <cmath>

namespace quillum {

struct Point {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0.0;
    double height = 0.0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    Point origin() const { return { x, y }; }
    Size size() const { return { width, height }; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    bool isEmpty() const { return !(width > 0.0) || !(height > 0.0); }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace quillum
