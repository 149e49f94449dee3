#include "decorations/DecorationDrawing.h"

#include "decorations/CaptionTags.h"
#include "platform/BitmapImageRep.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quillum {

namespace {

// --- Compositing ----------------------------------------------------------------------
// Every decoration lands through one rule: result = src·f + dst·(1 − srcAlpha·f), on
// premultiplied samples, rounded to nearest. f is held in 16 bits so 0.5 stays 0.5.

constexpr std::uint64_t kScale = 255ull * 65535ull;

inline std::uint8_t blendSample(std::uint32_t src, std::uint32_t dst, std::uint32_t f16, std::uint32_t keep)
{
    return static_cast<std::uint8_t>(
        (std::uint64_t(src) * f16 * 255u + std::uint64_t(dst) * keep + kScale / 2) / kScale);
}

std::uint32_t fraction16(double f)
{
    if (!(f > 0)) // NaN too
        return 0;
    return static_cast<std::uint32_t>(std::lround(std::min(f, 1.0) * 65535.0));
}

// Source-over of one premultiplied 0xAARRGGBB pixel onto A,R,G,B bytes.
inline void blendPixel(std::uint8_t* d, std::uint32_t s, std::uint32_t f16)
{
    const std::uint32_t a = s >> 24;
    if (a == 0 && (s & 0xffffffu) == 0)
        return;
    if (a == 255 && f16 == 65535) {
        d[0] = 255;
        d[1] = static_cast<std::uint8_t>(s >> 16);
        d[2] = static_cast<std::uint8_t>(s >> 8);
        d[3] = static_cast<std::uint8_t>(s);
        return;
    }
    const std::uint32_t keep = 255u * 65535u - a * f16;
    d[0] = blendSample(a, d[0], f16, keep);
    d[1] = blendSample((s >> 16) & 0xff, d[1], f16, keep);
    d[2] = blendSample((s >> 8) & 0xff, d[2], f16, keep);
    d[3] = blendSample(s & 0xff, d[3], f16, keep);
}

// Integer rectangle in top-left-origin output pixels, half-open.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool isEmpty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

PixelBox clipToOutput(PixelBox box, const BitmapImageRep& output)
{
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min(box.right, output.pixelsWide());
    box.bottom = std::min(box.bottom, output.pixelsHigh());
    return box;
}

// The whole pixels touched by a rectangle given in top-left-origin doubles, clipped to the
// output; empty for NaN or infinite input.
PixelBox coveringBox(double left, double top, double width, double height, const BitmapImageRep& output)
{
    const double right = left + width, bottom = top + height;
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) || !std::isfinite(bottom))
        return {};
    auto clamp = [](double v, int hi) { return int(std::clamp(v, 0.0, double(hi))); };
    const int w = output.pixelsWide(), h = output.pixelsHigh();
    return PixelBox { clamp(std::floor(left), w), clamp(std::floor(top), h), clamp(std::ceil(right), w),
        clamp(std::ceil(bottom), h) };
}

// Composites a premultiplied ARGB32 image whose top-left pixel sits at (left, top).
void compositeImage(BitmapImageRep& output, const QImage& image, int left, int top, double fraction)
{
    const std::uint32_t f16 = fraction16(fraction);
    if (f16 == 0 || image.isNull())
        return;
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    const PixelBox box = clipToOutput({ left, top, left + image.width(), top + image.height() }, output);
    for (int y = box.top; y < box.bottom; ++y) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y - top)) + (box.left - left);
        std::uint8_t* dst = output.bitmapData() + std::size_t(y) * output.bytesPerRow() + std::size_t(box.left) * 4;
        for (int x = box.left; x < box.right; ++x, ++src, dst += 4)
            blendPixel(dst, *src, f16);
    }
}

void blendSolid(BitmapImageRep& output, PixelBox box, std::uint32_t pixel, std::uint32_t f16)
{
    box = clipToOutput(box, output);
    for (int y = box.top; y < box.bottom; ++y) {
        std::uint8_t* dst = output.bitmapData() + std::size_t(y) * output.bytesPerRow() + std::size_t(box.left) * 4;
        for (int x = box.left; x < box.right; ++x, dst += 4)
            blendPixel(dst, pixel, f16);
    }
}

bool isDrawable(const BitmapImageRep& output)
{
    return !output.isNull() && output.pixelsWide() > 0 && output.pixelsHigh() > 0 && output.samplesPerPixel() == 4
        && output.bitsPerPixel() == 32 && !output.isPlanar()
        && output.bytesPerRow() >= std::size_t(output.pixelsWide()) * 4;
}

// Truncation toward zero that stays defined for NaN and for values beyond int.
int truncToInt(float v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -1.0e9f, 1.0e9f));
}

// --- Captions -------------------------------------------------------------------------

QStringList captionLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n|\u2028|\u2029"));
    return text.split(breaks);
}

// The fill text's width at `size`: the widest line's advance.
double fillTextWidth(const QString& fontName, const QStringList& lines, int size)
{
    const QFontMetricsF metrics(captionFont(fontName, size));
    double width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return width;
}

int captionLocation(int location)
{
    return location >= 0 && location <= 8 ? location : 6;
}

int captionTargetWidth(int outputWidth, int outputHeight, float widthValue)
{
    const int m = std::max(outputWidth, outputHeight);
    const float t = std::roundf(float(m / 100) * widthValue);
    if (!(t > 0))
        return 0;
    return int(std::min(t, float(std::numeric_limits<int>::max() / 2)));
}

// Where each line's baseline starts in a tw × th block whose top-left corner is (0, 0).
struct CaptionLine {
    QPointF origin;
    QString text;
};
std::vector<CaptionLine> captionLineOrigins(
    const QFont& font, const QStringList& lines, double blockWidth, int location)
{
    const QFontMetricsF metrics(font);
    const int column = captionLocation(location) % 3;
    std::vector<CaptionLine> placed;
    double baseline = metrics.ascent();
    for (const QString& line : lines) {
        const double w = metrics.horizontalAdvance(line);
        const double x = column == 0 ? 0.0 : column == 1 ? (blockWidth - w) / 2 : blockWidth - w;
        placed.push_back({ QPointF(x, baseline), line });
        baseline += metrics.lineSpacing();
    }
    return placed;
}

// The outline is a stroke of 4 % of the size centred on the glyph outlines, under the fill.
// The fill hides the stroke's inner half, so what shows is the glyphs grown by half the
// stroke: drawn here as the glyphs shifted around rings of that radius. Stroking the text's
// outlines costs milliseconds per caption in the raster engine; this costs a few dozen
// cached-glyph draws.
void drawCaptionOutline(QPainter& painter, const std::vector<CaptionLine>& lines, double strokeWidth)
{
    const double radius = strokeWidth / 2;
    if (!(radius > 0))
        return;
    constexpr double kPi = 3.14159265358979323846;
    // Rings a pixel and a half apart, points at most three quarters of a pixel apart.
    const int rings = std::clamp(int(std::ceil(radius / 1.5)), 1, 4);
    for (int ring = 1; ring <= rings; ++ring) {
        const double r = radius * ring / rings;
        const int points = std::clamp(int(std::ceil(2 * kPi * r / 0.75)), 8, 48);
        for (int i = 0; i < points; ++i) {
            const double angle = 2 * kPi * i / points;
            const QPointF shift(r * std::cos(angle), r * std::sin(angle));
            for (const CaptionLine& line : lines)
                painter.drawText(line.origin + shift, line.text);
        }
    }
}

} // namespace

// --- Borders --------------------------------------------------------------------------

BorderGeometry borderGeometry(const BorderSettings& border, int outputWidth, int outputHeight)
{
    const float m = float(std::max(outputWidth, outputHeight));
    const int left = truncToInt(border.offsetLeft * m / 100.0f);
    const int right = truncToInt(border.offsetRight * m / 100.0f);
    const int top = truncToInt(border.offsetTop * m / 100.0f);
    const int bottom = truncToInt(border.offsetBottom * m / 100.0f);
    BorderGeometry g;
    g.pen = truncToInt(border.penSize * m / 100.0f);
    if (g.pen <= 0)
        g.pen = 1;
    g.x = left;
    g.y = bottom;
    auto extent = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, -1, std::numeric_limits<int>::max())); };
    g.width = extent(std::int64_t(outputWidth) - left - right);
    g.height = extent(std::int64_t(outputHeight) - top - bottom);
    return g;
}

void drawBorders(BitmapImageRep& output, const DecorationSettings& settings)
{
    if (!settings.bordersOn || !isDrawable(output))
        return;
    const int w = output.pixelsWide(), h = output.pixelsHigh();
    for (const BorderSettings& border : settings.borders) {
        if (!border.show)
            continue;
        const BorderGeometry g = borderGeometry(border, w, h);
        if (g.width <= 0 || g.height <= 0)
            continue;
        const std::uint32_t f16 = fraction16(border.penOpaque);
        if (f16 == 0)
            continue;
        // The colour's own alpha is ignored: an opaque pixel blended at the pen's opacity.
        const QColor c = border.color.toRgb();
        const std::uint32_t pixel
            = 0xff000000u | (std::uint32_t(c.red()) << 16) | (std::uint32_t(c.green()) << 8) | std::uint32_t(c.blue());
        // Four bands that never overlap, so no corner is blended twice; 64-bit so far-off
        // rectangles cannot overflow before clipping.
        const std::int64_t top = std::int64_t(h) - g.y - g.height;
        const std::int64_t bottom = top + g.height, left = g.x, right = left + g.width;
        const std::int64_t pen = std::min<std::int64_t>(g.pen, std::max(g.width, g.height));
        auto box = [](std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
            auto c = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, -1, 1'000'000'000)); };
            return PixelBox { c(l), c(t), c(r), c(b) };
        };
        const std::int64_t topBand = std::min(top + pen, bottom);
        const std::int64_t bottomBand = std::max(bottom - pen, topBand);
        blendSolid(output, box(left, top, right, topBand), pixel, f16);
        blendSolid(output, box(left, bottomBand, right, bottom), pixel, f16);
        const std::int64_t leftBand = std::min(left + pen, right);
        const std::int64_t rightBand = std::max(right - pen, leftBand);
        blendSolid(output, box(left, topBand, leftBand, bottomBand), pixel, f16);
        blendSolid(output, box(rightBand, topBand, right, bottomBand), pixel, f16);
    }
}

// --- Logo -----------------------------------------------------------------------------

LogoPlacement logoPlacement(const LogoSettings& logo, int outputWidth, int outputHeight)
{
    const double w = outputWidth, h = outputHeight;
    const double ux = logo.proportionalResize ? std::max(w, h) / 100.0 : w / 100.0;
    const double uy = logo.proportionalResize ? std::max(w, h) / 100.0 : h / 100.0;
    LogoPlacement p;
    p.width = logo.widthValue * ux;
    p.height = logo.heightValue * uy;
    const double ox = logo.offsetXValue * ux, oy = logo.offsetYValue * uy;
    const int location = logo.locationValue >= 0 && logo.locationValue <= 8 ? logo.locationValue : 4;
    const double halfW = w / 2, halfH = h / 2; // unlike the captions', not whole pixels
    switch (location % 3) {
    case 0:
        p.x = ox;
        break;
    case 1:
        p.x = halfW - p.width / 2;
        break;
    default:
        p.x = w - p.width - ox;
    }
    switch (location / 3) {
    case 0:
        p.y = h - p.height - oy;
        break;
    case 1:
        p.y = halfH - p.height / 2;
        break;
    default:
        p.y = oy;
    }
    return p;
}

void drawLogo(BitmapImageRep& output, const LogoSettings& logo, const QImage& image)
{
    if (!logo.drawLogo || image.isNull() || !isDrawable(output))
        return;
    const LogoPlacement p = logoPlacement(logo, output.pixelsWide(), output.pixelsHigh());
    if (!(p.width > 0) || !(p.height > 0))
        return;
    const double top = output.pixelsHigh() - p.y - p.height;
    const PixelBox box = coveringBox(p.x, top, p.width, p.height, output);
    if (box.isEmpty())
        return;

    // Only the visible part of the logo is drawn, from the matching part of the image, so a
    // logo far larger than the output costs no more than the output.
    const double sx = image.width() / p.width, sy = image.height() / p.height;
    const QRectF visible
        = QRectF(p.x, top, p.width, p.height).intersected(QRectF(box.left, box.top, box.width(), box.height()));
    if (visible.isEmpty())
        return;
    QRectF source((visible.left() - p.x) * sx, (visible.top() - top) * sy, visible.width() * sx, visible.height() * sy);

    // Shrinking by more than half in one bilinear step skips pixels: area-average the part
    // in use down to about its final size first, and let the painter place it.
    QImage scaled = image;
    const double shrink = std::min(visible.width() / source.width(), visible.height() / source.height());
    if (shrink < 0.5 && source.width() >= 2 && source.height() >= 2) {
        const QRect whole = source.toAlignedRect().intersected(image.rect());
        const QSize target(std::max(1, int(std::ceil(whole.width() * visible.width() / source.width()))),
            std::max(1, int(std::ceil(whole.height() * visible.height() / source.height()))));
        scaled = image.copy(whole).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double kx = double(target.width()) / whole.width(), ky = double(target.height()) / whole.height();
        source = QRectF((source.left() - whole.left()) * kx, (source.top() - whole.top()) * ky, source.width() * kx,
            source.height() * ky);
    }

    QImage layer(box.width(), box.height(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(-box.left, -box.top);
        painter.drawImage(visible, scaled, source);
    }
    compositeImage(output, layer, box.left, box.top, logo.opaqueValue);
}

// --- Captions -------------------------------------------------------------------------

QFont captionFont(const QString& fontName, int pointSize)
{
    // Without a GUI application there is no font database to ask (and nothing is drawn).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QFont font;
        font.setFamily(fontName);
        return font;
    }
    QFont font = !fontName.isEmpty() && QFontDatabase::hasFamily(fontName)
        ? QFont(fontName)
        : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // A caption point is one output pixel. Unhinted outlines make the advance grow in
    // proportion to the size, which the fast size search relies on.
    font.setPixelSize(std::max(1, pointSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

// A text whose width never reaches the target (nothing but line breaks, or a target wider
// than any sensible caption) stops at a size as large as the output's longer side: no
// larger caption could fit anyway.
int captionSearchLimit(int outputWidth, int outputHeight)
{
    return std::max(6, std::max(outputWidth, outputHeight));
}

int captionFontSizeStepwise(const CaptionSettings& caption, const QString& expandedText, int targetWidth, int limit)
{
    const QStringList lines = captionLines(expandedText);
    int size = 6;
    while (size < limit && fillTextWidth(caption.fontName, lines, size) < targetWidth)
        ++size;
    return size;
}

namespace {

// The stepwise rule's answer without walking every size: the unhinted advance is nearly
// proportional to the size, so one measurement predicts the size, and the sizes either side
// are measured so the answer is the first one that reaches the target, as stepping finds it
// (the advance never shrinks as the size grows).
int captionFontSizeFast(const QString& fontName, const QStringList& lines, int targetWidth, int limit)
{
    auto width = [&](int size) { return fillTextWidth(fontName, lines, size); };
    if (limit <= 6 || width(6) >= targetWidth)
        return 6;
    constexpr int kReference = 100;
    const double perPoint = width(kReference) / kReference;
    if (!(perPoint > 0))
        return limit;
    int size = int(std::clamp(std::ceil(targetWidth / perPoint), 7.0, double(limit)));
    while (size < limit && width(size) < targetWidth)
        ++size;
    while (size > 7 && width(size - 1) >= targetWidth)
        --size;
    return size;
}

} // namespace

CaptionLayout captionLayout(
    const CaptionSettings& caption, const QString& expandedText, int outputWidth, int outputHeight)
{
    CaptionLayout layout;
    const QStringList lines = captionLines(expandedText);
    layout.targetWidth = captionTargetWidth(outputWidth, outputHeight, caption.widthValue);
    layout.fontSize = captionFontSizeFast(
        caption.fontName, lines, layout.targetWidth, captionSearchLimit(outputWidth, outputHeight));

    const QFontMetricsF metrics(captionFont(caption.fontName, layout.fontSize));
    for (const QString& line : lines)
        layout.textWidth = std::max(layout.textWidth, metrics.horizontalAdvance(line));
    layout.textHeight = metrics.lineSpacing() * lines.size();

    const int u = std::max(outputWidth, outputHeight) / 200;
    const double ox = double(caption.offsetXValue) * u, oy = double(caption.offsetYValue) * u;
    const double tw = layout.textWidth, th = layout.textHeight;
    const int halfW = outputWidth / 2, halfH = outputHeight / 2;
    const int location = captionLocation(caption.locationValue);
    switch (location % 3) {
    case 0:
        layout.x = ox;
        break;
    case 1:
        layout.x = halfW - tw / 2;
        break;
    default:
        layout.x = outputWidth - ox - tw;
    }
    switch (location / 3) {
    case 0:
        layout.y = outputHeight - oy - th;
        break;
    case 1:
        layout.y = halfH - th / 2;
        break;
    default:
        layout.y = oy;
    }

    layout.scaledToTarget = layout.fontSize == 6 && layout.targetWidth > 0 && tw >= layout.targetWidth;
    layout.drawnWidth = layout.scaledToTarget ? layout.targetWidth : tw;
    layout.drawnHeight = layout.scaledToTarget && tw > 0 ? th * layout.targetWidth / tw : th;
    return layout;
}

void drawCaption(BitmapImageRep& output, const CaptionSettings& caption, const QString& expandedText)
{
    if (expandedText.isEmpty() || !(caption.widthValue > 0) || !isDrawable(output))
        return;
    const int w = output.pixelsWide(), h = output.pixelsHigh();
    const CaptionLayout layout = captionLayout(caption, expandedText, w, h);
    // The shrunk caption keeps its bottom-left corner: its top comes down.
    const double top = h - layout.y - layout.drawnHeight;
    const PixelBox box = coveringBox(layout.x, top, layout.drawnWidth, layout.drawnHeight, output);
    if (box.isEmpty() || !(layout.textWidth > 0))
        return;

    const QFont font = captionFont(caption.fontName, layout.fontSize);
    const std::vector<CaptionLine> lines
        = captionLineOrigins(font, captionLines(expandedText), layout.textWidth, caption.locationValue);

    QImage layer(box.width(), box.height(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    auto begin = [&](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(layout.x - box.left, top - box.top);
        if (layout.scaledToTarget)
            painter.scale(layout.drawnWidth / layout.textWidth, layout.drawnWidth / layout.textWidth);
        painter.setFont(font);
    };
    if (caption.outlined) {
        const double stroke = 0.04 * layout.fontSize;
        if (caption.outlineColor.alpha() == 255) {
            QPainter painter(&layer);
            begin(painter);
            painter.setPen(caption.outlineColor);
            drawCaptionOutline(painter, lines, stroke);
        } else {
            // The shifted copies overlap: draw them opaque, then lay them down once at the
            // colour's own alpha.
            QImage ring(layer.size(), QImage::Format_ARGB32_Premultiplied);
            ring.fill(Qt::transparent);
            {
                QPainter painter(&ring);
                begin(painter);
                QColor opaque = caption.outlineColor;
                opaque.setAlpha(255);
                painter.setPen(opaque);
                drawCaptionOutline(painter, lines, stroke);
            }
            QPainter painter(&layer);
            painter.setOpacity(caption.outlineColor.alphaF());
            painter.drawImage(0, 0, ring);
        }
    }
    {
        QPainter painter(&layer);
        begin(painter);
        painter.setPen(caption.textColor);
        for (const CaptionLine& line : lines)
            painter.drawText(line.origin, line.text);
    }
    compositeImage(output, layer, box.left, box.top, caption.opaque);
}

// --- The render's decorator -----------------------------------------------------------

Decorator::Decorator(
    const DecorationSettings& settings, std::function<const QImage&()> logoImage, std::function<QString()> sourcePath)
    : m_settings(settings)
    , m_logoImage(std::move(logoImage))
    , m_sourcePath(std::move(sourcePath))
{ }

void Decorator::drawBorders(BitmapImageRep& output)
{
    quillum::drawBorders(output, m_settings);
}

void Decorator::drawLogo(BitmapImageRep& output)
{
    if (m_settings.logo.drawLogo && m_logoImage)
        quillum::drawLogo(output, m_settings.logo, m_logoImage());
}

void Decorator::drawCaptions(BitmapImageRep& output)
{
    // Text needs the fonts of a GUI application; the window and quillum-cli's captions have one.
    if (!m_settings.captionsOn || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QString path = m_sourcePath ? m_sourcePath() : QString();
    for (const CaptionSettings& caption : m_settings.captions) {
        if (caption.show)
            drawCaption(output, caption, formatZentCaption(caption.text, path));
    }
}

} // namespace quillum
