#pragma once
// The decoration settings as plain values: the controller holds one DecorationSettings and
// its setters only store, announce and render. Sizes and offsets are relative to the
// output's longer side (borders, captions) or to the output's sides (a logo that is not
// proportional).

#include <QColor>
#include <QString>

#include <array>

namespace quillum {

struct CaptionSettings {
    bool show = true;
    QString text;
    QString fontName; // a family name; empty draws in the standard interface font
    QColor textColor = QColor(255, 255, 255);
    QColor outlineColor = QColor(0, 0, 0);
    bool outlined = true;
    float opaque = 0.5f;
    float widthValue = 25.0f; // target width, percent of the longer side
    float offsetXValue = 3.0f; // half-percent units of the longer side
    float offsetYValue = 3.0f;
    int locationValue = 6; // 3 x 3 grid, 0 top left … 8 bottom right; above 8 acts as 6
    bool operator==(const CaptionSettings&) const = default;
};

struct BorderSettings {
    bool show = true;
    QColor color = QColor(0, 0, 0); // its alpha is ignored: penOpaque is the line's
    float offsetTop = 0.0f; // percent of the longer side
    float offsetBottom = 0.0f;
    float offsetLeft = 0.0f;
    float offsetRight = 0.0f;
    float penSize = 0.1f; // percent of the longer side; a pen under a pixel draws one
    float penOpaque = 1.0f;
    std::array<double, 4> offset {}; // carried in presets; never drawn
    bool operator==(const BorderSettings&) const = default;
};

struct LogoSettings {
    bool drawLogo = false;
    QString logoFileName = QStringLiteral("SampleLogo500");
    float widthValue = 10.0f; // percent: of the longer side when proportional, else of the width
    float heightValue = 10.0f; // percent: of the longer side when proportional, else of the height
    bool proportionalResize = true;
    float offsetXValue = 2.0f;
    float offsetYValue = 2.0f;
    int locationValue = 8; // 3 x 3 grid; above 8 acts as 4 (centre)
    float opaqueValue = 1.0f;
    bool operator==(const LogoSettings&) const = default;
};

// The built-in logo's name, stored in place of a path.
inline const QString kSampleLogoName = QStringLiteral("SampleLogo500");

// The values the reset commands and the registered defaults give border 0, 1 or 2.
BorderSettings defaultBorder(int index);
// Caption 0's default text is "Quillum"; caption 1's is the maker's web address.
CaptionSettings defaultCaption(int index, const QString& standardFontName);

struct DecorationSettings {
    bool captionsOn = false; // the captions master check box
    std::array<CaptionSettings, 2> captions { defaultCaption(0, {}), defaultCaption(1, {}) };
    bool bordersOn = false; // the borders master check box
    std::array<BorderSettings, 3> borders { defaultBorder(0), defaultBorder(1), defaultBorder(2) };
    LogoSettings logo;
    bool operator==(const DecorationSettings&) const = default;
};

} // namespace quillum
