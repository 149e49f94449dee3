#pragma once
// Drawing the decorations into the finished output: a premultiplied 8-bit A,R,G,B bitmap
// whose first row is the top. The geometry below is in the bottom-left-origin coordinates
// the settings are defined in; the drawing turns it over once.

#include "decorations/DecorationSettings.h"
#include "decorations/OutputDecorator.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>

namespace quillum {

class BitmapImageRep;

// --- Borders --------------------------------------------------------------------------
struct BorderGeometry {
    int x = 0, y = 0, width = 0, height = 0; // the framed rectangle, bottom-left origin
    int pen = 1;
};
BorderGeometry borderGeometry(const BorderSettings& border, int outputWidth, int outputHeight);
// All three in order, when the master switch is on; hidden borders are skipped.
void drawBorders(BitmapImageRep& output, const DecorationSettings& settings);

// --- Logo -----------------------------------------------------------------------------
struct LogoPlacement {
    double x = 0, y = 0, width = 0, height = 0; // bottom-left origin
};
LogoPlacement logoPlacement(const LogoSettings& logo, int outputWidth, int outputHeight);
// Draws `image` (any QImage) scaled into its placement at the logo's opacity; does nothing
// when the logo is off or the image is null.
void drawLogo(BitmapImageRep& output, const LogoSettings& logo, const QImage& image);

// --- Captions -------------------------------------------------------------------------
// The font a caption draws in: its family at `pointSize`, the standard interface font when
// the family is not installed. Measured without hinting, so widths grow with the size.
QFont captionFont(const QString& fontName, int pointSize);

struct CaptionLayout {
    int fontSize = 6; // the size the search ended at
    double textWidth = 0, textHeight = 0; // the fill text's size at that size
    double x = 0, y = 0; // bottom-left corner of the caption block, bottom-left origin
    bool scaledToTarget = false; // size 6 was already wide enough: shrunk to the target
    double drawnWidth = 0, drawnHeight = 0; // what lands on the output
    int targetWidth = 0; // T
};
// The largest size the search tries, for a text whose width does not grow with the size.
int captionSearchLimit(int outputWidth, int outputHeight);
// The size search one point at a time, as the rule states it (the reference the fast
// search is tested against).
int captionFontSizeStepwise(const CaptionSettings& caption, const QString& expandedText, int targetWidth, int limit);
CaptionLayout captionLayout(
    const CaptionSettings& caption, const QString& expandedText, int outputWidth, int outputHeight);
// Draws one caption whose text is already expanded; skips an empty text or a width of 0.
void drawCaption(BitmapImageRep& output, const CaptionSettings& caption, const QString& expandedText);

// --- The render's decorator -----------------------------------------------------------
// Reads the settings, the logo image and the source path at each render; owns none of them.
class Decorator : public OutputDecorator {
public:
    Decorator(const DecorationSettings& settings, std::function<const QImage&()> logoImage,
        std::function<QString()> sourcePath);
    void drawBorders(BitmapImageRep& output) override;
    void drawLogo(BitmapImageRep& output) override;
    void drawCaptions(BitmapImageRep& output) override;

private:
    const DecorationSettings& m_settings;
    std::function<const QImage&()> m_logoImage;
    std::function<QString()> m_sourcePath;
};

} // namespace quillum
