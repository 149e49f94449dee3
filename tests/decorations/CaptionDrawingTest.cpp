#include "DecorationTestSupport.h"

#include "decorations/DecorationDrawing.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QTemporaryDir>

#include <cmath>

using namespace quillum;
using namespace quillum::test;

namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

// A white, unoutlined, fully opaque caption: its ink reads straight off the red channel.
CaptionSettings plainCaption(const QString& text, int location, float offsetX = 3, float offsetY = 3)
{
    CaptionSettings c;
    c.text = text;
    c.fontName = kSans;
    c.textColor = Qt::white;
    c.outlined = false;
    c.opaque = 1.0f;
    c.widthValue = 25;
    c.offsetXValue = offsetX;
    c.offsetYValue = offsetY;
    c.locationValue = location;
    return c;
}

// Where the glyphs' ink should be: the block's top-left corner, the baseline one ascent
// below it, and the glyph outlines around that baseline; bottom-left origin.
QRectF expectedInk(const CaptionLayout& layout, const CaptionSettings& c, const QString& text)
{
    const QFont font = captionFont(c.fontName, layout.fontSize);
    QPainterPath outline;
    outline.addText(QPointF(0, 0), font, text);
    const QRectF ink = outline.boundingRect(); // y grows downwards from the baseline
    const double baseline = layout.y + layout.textHeight - QFontMetricsF(font).ascent();
    return QRectF(layout.x + ink.left(), baseline - ink.bottom(), ink.width(), ink.height());
}

} // namespace

TEST(CaptionDrawing, SitsWhereItsLocationAndOffsetsPutIt)
{
    struct Row {
        const char* name;
        int width, height, location;
        float offsetX, offsetY;
        double x, y; // the block's corner, or NAN when it depends on the text's size
        int target;
    };
    const Row rows[] = {
        { "bottom_left_3000x2000", 3000, 2000, 6, 3, 3, 45, 45, 750 },
        { "location_9_acts_as_6", 3000, 2000, 9, 3, 3, 45, 45, 750 },
        { "top_right_1000x800", 1000, 800, 2, 10, 3, NAN, NAN, 250 },
        { "centre_ignores_offsets", 1000, 800, 4, 40, 40, NAN, NAN, 250 },
        { "bottom_centre", 1200, 900, 7, 10, 10, NAN, 60, 300 },
        { "middle_left", 1200, 900, 3, 10, 10, 60, NAN, 300 },
    };
    const QString text = QStringLiteral("Quillum photo");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const CaptionSettings c = plainCaption(text, r.location, r.offsetX, r.offsetY);
        const CaptionLayout layout = captionLayout(c, text, r.width, r.height);
        EXPECT_EQ(layout.targetWidth, r.target);
        EXPECT_GE(layout.textWidth, r.target);
        EXPECT_FALSE(layout.scaledToTarget);
        if (!std::isnan(r.x)) {
            EXPECT_DOUBLE_EQ(layout.x, r.x);
        }
        if (!std::isnan(r.y)) {
            EXPECT_DOUBLE_EQ(layout.y, r.y);
        }

        BitmapImageRep out = filledOutput(r.width, r.height, { 255, 0, 0, 0 });
        drawCaption(out, c, text);
        const InkBox ink = inkBox(out, 1, 40);
        ASSERT_FALSE(ink.isEmpty());
        const QRectF want = expectedInk(layout, c, text);
        EXPECT_NEAR(ink.left, want.left(), 1.5);
        EXPECT_NEAR(ink.bottom, want.top(), 1.5);
        EXPECT_NEAR(ink.right + 1, want.right(), 1.5);
        EXPECT_NEAR(ink.top + 1, want.bottom(), 1.5);

        // The placement rules, checked on the pixels against the output's edges.
        const double u = std::max(r.width, r.height) / 200;
        const double tw = layout.textWidth;
        switch (r.location) {
        case 2: // right edge at W − ox, top edge at H − oy
            EXPECT_NEAR(layout.x + tw, r.width - r.offsetX * u, 1e-9);
            EXPECT_LE(ink.right + 1, r.width - r.offsetX * u);
            EXPECT_NEAR(layout.y + layout.textHeight, r.height - r.offsetY * u, 1e-9);
            break;
        case 4: // centred both ways whatever the offsets
            EXPECT_NEAR(layout.x + tw / 2, r.width / 2, 1e-9);
            EXPECT_NEAR(layout.y + layout.textHeight / 2, r.height / 2, 1e-9);
            break;
        case 7:
            EXPECT_NEAR(layout.x + tw / 2, r.width / 2, 1e-9);
            break;
        case 3:
            EXPECT_NEAR(layout.y + layout.textHeight / 2, r.height / 2, 1e-9);
            break;
        }
    }
}

TEST(CaptionDrawing, AnchorsBeyondTheGridDrawAsBottomLeft)
{
    const QString text = QStringLiteral("Edge");
    BitmapImageRep reference = filledOutput(800, 600, { 255, 0, 0, 0 });
    drawCaption(reference, plainCaption(text, 6), text);
    for (int location : { 9, 12, -1 }) {
        BitmapImageRep out = filledOutput(800, 600, { 255, 0, 0, 0 });
        drawCaption(out, plainCaption(text, location), text);
        EXPECT_TRUE(samePixels(out, reference)) << location;
    }
}

TEST(CaptionDrawing, TextWiderThanTheTargetAtSize6IsShrunkToIt)
{
    // 200 x 100: T = 2 × 25 = 50 pixels; forty characters at 6 pixels are far wider.
    const QString text = QStringLiteral("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH");
    const CaptionSettings c = plainCaption(text, 6, 2, 2);
    const CaptionLayout layout = captionLayout(c, text, 200, 100);
    EXPECT_EQ(layout.fontSize, 6);
    EXPECT_TRUE(layout.scaledToTarget);
    EXPECT_EQ(layout.drawnWidth, 50);
    EXPECT_NEAR(layout.drawnHeight, layout.textHeight * 50 / layout.textWidth, 1e-9);

    BitmapImageRep out = filledOutput(200, 100, { 255, 0, 0, 0 });
    drawCaption(out, c, text);
    const InkBox ink = inkBox(out, 1, 40);
    ASSERT_FALSE(ink.isEmpty());
    // Block at (2, 2), 50 wide: the ink fills it but for the H's thin bearings.
    EXPECT_GE(ink.left, 2);
    EXPECT_LE(ink.left, 3);
    EXPECT_LE(ink.right + 1, 52);
    EXPECT_GE(ink.right + 1, 51);
    EXPECT_GE(ink.bottom, 2);
}

TEST(CaptionDrawing, BelowOneHundredPixelsTheTargetIsZero)
{
    const QString text = QStringLiteral("Tiny");
    const CaptionLayout layout = captionLayout(plainCaption(text, 6), text, 99, 60);
    EXPECT_EQ(layout.targetWidth, 0);
    EXPECT_EQ(layout.fontSize, 6);
    EXPECT_FALSE(layout.scaledToTarget);
    EXPECT_DOUBLE_EQ(layout.drawnWidth, layout.textWidth);
}

TEST(CaptionDrawing, FastSizeSearchEqualsTheStepwiseRule)
{
    const QString fonts[]
        = { QStringLiteral("DejaVu Serif"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("No Such Font Family") };
    const QString texts[] = {
        QStringLiteral("Quillum"),
        QStringLiteral("il"),
        QStringLiteral("WWW"),
        QStringLiteral("IMG_2041.jpg\r\n2.4 MB"),
        QStringLiteral("a\r\nmuch longer second line\r\nmid"),
        QStringLiteral("Ünïcödé – ÆØÅ ß “quotes”"),
        QStringLiteral("The quick brown fox jumps over the lazy"),
        QStringLiteral(" "),
    };
    struct Target {
        int width, height;
        float widthValue;
    };
    const Target targets[] = { { 1000, 800, 15 }, { 640, 480, 7.5f }, { 3000, 2000, 5 }, { 150, 100, 80 },
        { 99, 99, 50 }, { 400, 300, 0.5f } };
    for (const QString& font : fonts)
        for (const QString& text : texts)
            for (const Target& t : targets) {
                CaptionSettings c = plainCaption(text, 6);
                c.fontName = font;
                c.widthValue = t.widthValue;
                const CaptionLayout layout = captionLayout(c, text, t.width, t.height);
                const int stepwise
                    = captionFontSizeStepwise(c, text, layout.targetWidth, captionSearchLimit(t.width, t.height));
                EXPECT_EQ(layout.fontSize, stepwise)
                    << qPrintable(font) << " / " << qPrintable(text) << " / T " << layout.targetWidth;
            }
}

TEST(CaptionDrawing, TextThatNeverWidensEndsAtTheLimit)
{
    const QString breaks = QStringLiteral("\r\n");
    const CaptionSettings c = plainCaption(breaks, 6);
    const int limit = captionSearchLimit(300, 200);
    EXPECT_EQ(limit, 300);
    EXPECT_EQ(captionFontSizeStepwise(c, breaks, 75, limit), limit);
    EXPECT_EQ(captionLayout(c, breaks, 300, 200).fontSize, limit);
    EXPECT_EQ(captionLayout(c, breaks, 30000, 20000).fontSize, 30000);
    BitmapImageRep out = filledOutput(300, 200, { 255, 0, 0, 0 });
    drawCaption(out, c, breaks);
    EXPECT_TRUE(inkBox(out, 1, 0).isEmpty());
}

TEST(CaptionDrawing, OutlineOpacityAndSkipping)
{
    const QString text = QStringLiteral("Outline");
    const Argb grey { 255, 128, 128, 128 };
    struct Row {
        const char* name;
        bool outlined;
        int outlineAlpha;
        float opacity, widthValue;
        QString text;
        bool expectDark, expectWhite;
        int maxRed;
    };
    const Row rows[] = {
        { "outlined", true, 255, 1.0f, 25, text, true, true, 255 },
        { "fill_only", false, 255, 1.0f, 25, text, false, true, 255 },
        { "half_strength", false, 255, 0.5f, 25, text, false, false, 192 },
        // A translucent outline stays translucent where its shifted copies overlap.
        { "half_alpha_outline", true, 128, 1.0f, 25, text, false, true, 255 },
        { "width_zero_skips", true, 255, 1.0f, 0, text, false, false, 128 },
        { "empty_text_skips", true, 255, 1.0f, 25, QString(), false, false, 128 },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CaptionSettings c = plainCaption(r.text, 6);
        c.outlined = r.outlined;
        c.outlineColor = QColor(0, 0, 0, r.outlineAlpha);
        c.opaque = r.opacity;
        c.widthValue = r.widthValue;
        BitmapImageRep out = filledOutput(1000, 600, grey);
        drawCaption(out, c, r.text);
        int dark = 0, white = 0, maxRed = 0, minRed = 255;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 1000; ++x) {
                const Argb p = pixelAt(out, x, y);
                dark += p[1] < 20;
                white += p[1] > 235;
                maxRed = std::max<int>(maxRed, p[1]);
                minRed = std::min<int>(minRed, p[1]);
                ASSERT_EQ(p[0], 255);
            }
        EXPECT_EQ(dark > 0, r.expectDark) << dark;
        EXPECT_EQ(white > 0, r.expectWhite) << white;
        EXPECT_LE(maxRed, r.maxRed);
        EXPECT_GE(maxRed, r.maxRed - 1);
        if (r.outlineAlpha < 255) {
            EXPECT_GE(minRed, 63) << "black at half alpha over grey";
            EXPECT_LE(minRed, 65);
        }
    }
}

TEST(CaptionDrawing, UnknownFamilyFallsBackToTheInterfaceFont)
{
    const QFont fallback = captionFont(QStringLiteral("No Such Font Family"), 20);
    EXPECT_EQ(fallback.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_EQ(captionFont(kSans, 20).family(), kSans);
    EXPECT_EQ(captionFont(QString(), 20).family(), fallback.family());
}

TEST(CaptionDrawing, DecoratorExpandsTagsForTheSourceFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
    QFile f(photo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("jpeg");
    f.close();

    struct Row {
        const char* name;
        bool captionsOn;
        const char* text0;
        bool show1;
        QString path;
        bool drawn;
    };
    const Row rows[] = {
        { "file_name_drawn", true, "$f", false, photo, true },
        { "master_off", false, "$f", false, photo, false },
        { "no_source_file_leaves_nothing", true, "$f$P", false, dir.filePath(QStringLiteral("gone.jpg")), false },
        { "second_caption_alone", true, "$f", true, QString(), true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        DecorationSettings settings;
        settings.captionsOn = r.captionsOn;
        settings.captions[0] = plainCaption(QString::fromLatin1(r.text0), 6);
        settings.captions[1] = plainCaption(QStringLiteral("Second"), 0);
        settings.captions[1].show = r.show1;
        const QImage noLogo;
        Decorator decorator(
            settings, [&]() -> const QImage& { return noLogo; }, [&] { return r.path; });
        BitmapImageRep out = filledOutput(600, 400, { 255, 0, 0, 0 });
        decorator.drawBorders(out);
        decorator.drawLogo(out);
        decorator.drawCaptions(out);
        EXPECT_EQ(!inkBox(out, 1, 127).isEmpty(), r.drawn);
    }
}
