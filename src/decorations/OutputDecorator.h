#pragma once

namespace quillum {

class BitmapImageRep;

// Draws the decorations into the finished, premultiplied output (borders, logo,
// captions, in that order). Each method decides from the settings whether it draws.
class OutputDecorator {
public:
    virtual ~OutputDecorator() = default;
    virtual void drawBorders(BitmapImageRep& output) = 0;
    virtual void drawLogo(BitmapImageRep& output) = 0;
    virtual void drawCaptions(BitmapImageRep& output) = 0;
};

} // namespace quillum
