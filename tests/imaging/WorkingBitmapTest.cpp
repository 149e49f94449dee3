// Every source layout into the working bitmap, byte for byte, and the source description.

#include "imaging/WorkingBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

using namespace quillum;

namespace {

using Pixel = std::vector<int>;

// A 3 x 2 picture whose pixel (x, row) has colour c = (10x + row, 100 + x, 200 - row) and
// alpha 50 + x, written in the layout asked for.
struct Picture {
    static constexpr int W = 3, H = 2;
    static int channel(int c, int x, int row) { return c == 0 ? 10 * x + row : c == 1 ? 100 + x : 200 - row; }
    static int alpha(int x) { return 50 + x; }
};

BitmapImageRep make(int spp, int bpp, bool alpha, unsigned flags, bool planar, std::size_t rowPad = 0)
{
    const BitmapImageRep::Layout l { .width = Picture::W,
        .height = Picture::H,
        .samplesPerPixel = spp,
        .bitsPerPixel = planar ? 8 : bpp,
        .bytesPerRow = (planar ? std::size_t(Picture::W) : std::size_t(Picture::W) * std::size_t(bpp / 8)) + rowPad,
        .hasAlpha = alpha,
        .planar = planar,
        .formatFlags = flags,
        .colorSpace = spp <= 2 ? ColorSpace::CalibratedWhite : ColorSpace::CalibratedRGB };
    BitmapImageRep rep(l);
    std::memset(rep.bitmapData(), 0x5A, rep.planeBytes() * std::size_t(rep.numberOfPlanes()));
    const bool first = flags & BitmapFormatAlphaFirst;
    const int colours = alpha ? spp - 1 : spp;
    for (int row = 0; row < Picture::H; ++row)
        for (int x = 0; x < Picture::W; ++x) {
            std::vector<int> samples;
            if (alpha && first)
                samples.push_back(Picture::alpha(x));
            for (int c = 0; c < colours; ++c)
                samples.push_back(Picture::channel(c, x, row));
            if (alpha && !first)
                samples.push_back(Picture::alpha(x));
            if (!planar && bpp == 32 && spp == 3)
                samples.push_back(77); // the padding byte
            for (std::size_t s = 0; s < samples.size(); ++s) {
                std::uint8_t* p = planar
                    ? rep.plane(int(s)) + std::size_t(row) * l.bytesPerRow + std::size_t(x)
                    : rep.plane(0) + std::size_t(row) * rep.bytesPerRow() + std::size_t(x) * std::size_t(bpp / 8) + s;
                *p = std::uint8_t(samples[s]);
            }
        }
    return rep;
}

Pixel at(const BitmapImageRep& rep, int x, int row)
{
    const std::uint8_t* p = rep.bitmapData() + std::size_t(row) * rep.bytesPerRow() + std::size_t(x) * 4;
    return { p[0], p[1], p[2], p[3] };
}

const Rect whole { 0, 0, Picture::W, Picture::H };

} // namespace

TEST(WorkingBitmap, EveryLayoutConvertsToTheSamePixels)
{
    struct Row {
        const char* layout;
        BitmapImageRep rep;
        // Expected pixel for (x, row) as a function of the picture.
        Pixel (*expect)(int x, int row);
    };
    auto rgbA = [](int x, int row) -> Pixel {
        return { Picture::alpha(x), Picture::channel(0, x, row), Picture::channel(1, x, row),
            Picture::channel(2, x, row) };
    };
    auto rgbOpaque = [](int x, int row) -> Pixel {
        return { 255, Picture::channel(0, x, row), Picture::channel(1, x, row), Picture::channel(2, x, row) };
    };
    std::vector<Row> rows;
    rows.push_back({ "ARGB bulk", make(4, 32, true, BitmapFormatAlphaFirst, false, 8), rgbA });
    rows.push_back({ "RGBA sample by sample", make(4, 32, true, 0, false), rgbA });
    rows.push_back({ "ARGB non-premultiplied flag",
        make(4, 32, true, BitmapFormatAlphaFirst | BitmapFormatAlphaNonpremultiplied, false), rgbA });
    rows.push_back({ "packed RGB", make(3, 24, false, 0, false, 3), rgbOpaque });
    rows.push_back(
        { "padded RGB: alpha is the padding byte", make(3, 32, false, 0, false), [](int x, int row) -> Pixel {
             return { 77, Picture::channel(0, x, row), Picture::channel(1, x, row), Picture::channel(2, x, row) };
         } });
    rows.push_back({ "planar RGB", make(3, 8, false, 0, true, 5), rgbOpaque });
    rows.push_back({ "planar RGBA", make(4, 8, true, 0, true), rgbA });
    rows.push_back({ "planar ARGB", make(4, 8, true, BitmapFormatAlphaFirst, true), rgbA });
    rows.push_back({ "grey", make(1, 8, false, 0, false), [](int x, int row) -> Pixel {
                        const int g = Picture::channel(0, x, row);
                        return { 255, g, g, g };
                    } });
    rows.push_back({ "grey + alpha last", make(2, 16, true, 0, false), [](int x, int row) -> Pixel {
                        const int g = Picture::channel(0, x, row);
                        return { Picture::alpha(x), g, g, g };
                    } });
    rows.push_back({ "two colours: blue is 0", make(2, 16, false, 0, false), [](int x, int row) -> Pixel {
                        return { 255, Picture::channel(0, x, row), Picture::channel(1, x, row), 0 };
                    } });
    for (Row& r : rows) {
        const BitmapImageRep out = convertToWorkingBitmap(r.rep, whole);
        ASSERT_FALSE(out.isNull()) << r.layout;
        ASSERT_TRUE(out.isWorkingFormat()) << r.layout;
        for (int row = 0; row < Picture::H; ++row)
            for (int x = 0; x < Picture::W; ++x)
                EXPECT_EQ(at(out, x, row), r.expect(x, row)) << r.layout << " at " << x << "," << row;
    }
}

TEST(WorkingBitmap, RectanglesCountFromTheBottomAndTruncate)
{
    const BitmapImageRep rgb = make(3, 24, false, 0, false);
    struct Row {
        const char* name;
        Rect rect;
        int width, height, firstX, firstRow;
    } rows[] = {
        { "y = 0 takes the bottom row", { 1, 0, 2, 1 }, 2, 1, 1, 1 },
        { "y = 1 takes the top row", { 0, 1, 1, 1 }, 1, 1, 0, 0 },
        { "fractional size truncates", { 0.7, 0, 2.9, 1.2 }, 2, 1, 0, 0 },
    };
    for (const Row& r : rows) {
        const BitmapImageRep out = convertToWorkingBitmap(rgb, r.rect);
        ASSERT_EQ(out.pixelsWide(), r.width) << r.name;
        ASSERT_EQ(out.pixelsHigh(), r.height) << r.name;
        EXPECT_EQ(at(out, 0, 0)[1], Picture::channel(0, r.firstX, r.firstRow)) << r.name;
    }
    // 10.9 x 5.2 -> 10 x 5.
    const BitmapImageRep big = convertToWorkingBitmap(BitmapImageRep::makeARGB(20, 20), { 0, 0, 10.9, 5.2 });
    EXPECT_EQ(std::pair(big.pixelsWide(), big.pixelsHigh()), std::pair(10, 5));
}

TEST(WorkingBitmap, RefusesWhatItCannotReadSafely)
{
    const BitmapImageRep rgb = make(3, 24, false, 0, false);
    const Rect bad[] = { { -1, 0, 2, 1 }, { 2, 0, 2, 1 }, { 0, 0, 0.5, 1 }, { 0, 1, 1, 2 }, { 0, 0, -3, 1 } };
    for (const Rect& r : bad)
        EXPECT_TRUE(convertToWorkingBitmap(rgb, r).isNull()) << r.x << "," << r.y << " " << r.width << "x" << r.height;
    const BitmapImageRep::Layout floats { .width = 2, .height = 2, .formatFlags = BitmapFormatFloatingPointSamples };
    EXPECT_TRUE(convertToWorkingBitmap(BitmapImageRep(floats), { 0, 0, 2, 2 }).isNull());
    EXPECT_FALSE(isInteger(BitmapImageRep(floats)));
}

TEST(WorkingBitmap, CarriesTheColourProfile)
{
    BitmapImageRep rgb = make(3, 24, false, 0, false);
    rgb.setColorProfile(QByteArray("profile-bytes"));
    EXPECT_EQ(convertToWorkingBitmap(rgb, whole).colorProfile(), QByteArray("profile-bytes"));
}

TEST(WorkingBitmap, CmykBecomesRgbThroughColourManagement)
{
    BitmapImageRep cmyk(
        { .width = 2, .height = 1, .hasAlpha = false, .formatFlags = 0, .colorSpace = ColorSpace::DeviceCMYK });
    const std::uint8_t px[8] = { 0, 0, 0, 0, 0, 0, 0, 255 }; // paper white, full black
    std::memcpy(cmyk.bitmapData(), px, 8);
    Result<BitmapImageRep> rgb = convertCMYKToRGB(cmyk);
    ASSERT_TRUE(rgb.ok()) << rgb.error().toStdString();
    const BitmapImageRep out = convertToWorkingBitmap(*rgb, { 0, 0, 2, 1 });
    const Pixel white = at(out, 0, 0), black = at(out, 1, 0);
    EXPECT_EQ(white[0], 255);
    EXPECT_GT(white[1] + white[2] + white[3], 3 * 235);
    EXPECT_LT(black[1] + black[2] + black[3], 3 * 80);
}

TEST(WorkingBitmap, DescriptionNamesHeightFirst)
{
    EXPECT_EQ(imageInfoFor(BitmapImageRep({ .width = 4000,
                  .height = 3000,
                  .samplesPerPixel = 3,
                  .bitsPerPixel = 24,
                  .hasAlpha = false,
                  .formatFlags = 0 })),
        QStringLiteral("3000 x 4000 (3 channels, interleaved, integer, Calibrated RGB)"));
    EXPECT_EQ(imageInfoFor(BitmapImageRep({ .width = 2,
                  .height = 2,
                  .bitsPerPixel = 24,
                  .planar = true,
                  .formatFlags = BitmapFormatFloatingPointSamples })),
        QStringLiteral("2 x 2 (4 channels, planar w/alpha, floating point, Calibrated RGB)"));
}

TEST(WorkingBitmap, LookUpAtFullSizeEqualsConvertingThenLookingUp)
{
    // No resampling at the crop's own size: the one-pass path must still give the
    // step-by-step bytes, for grey and RGB, with and without tables, on both thread paths.
    LookupTable tables[3];
    for (int i = 0; i < 256; ++i) {
        tables[0][std::size_t(i)] = std::uint8_t(255 - i);
        tables[1][std::size_t(i)] = std::uint8_t(i / 2);
        tables[2][std::size_t(i)] = std::uint8_t(i * 3);
    }
    const std::array<LookupTable, 3> all { tables[0], tables[1], tables[2] };
    struct Case {
        int channels, w, h;
        bool withTables;
        Rect crop;
    };
    for (const Case c : { Case { 3, 31, 17, true, { 3, 2, 21, 11 } }, { 1, 31, 17, true, { 0, 0, 31, 17 } },
             { 3, 31, 17, false, { 5, 1, 7, 9 } }, { 3, 1200, 1000, true, { 10, 20, 1150, 960 } } }) {
        BitmapImageRep::Layout l;
        l.width = c.w, l.height = c.h, l.hasAlpha = false, l.formatFlags = 0;
        l.samplesPerPixel = c.channels, l.bitsPerPixel = 8 * c.channels;
        l.colorSpace = c.channels == 1 ? ColorSpace::CalibratedWhite : ColorSpace::CalibratedRGB;
        BitmapImageRep source(l);
        for (std::size_t i = 0; i < source.planeBytes(); ++i)
            source.bitmapData()[i] = std::uint8_t(i * 37 + i / 91);
        BitmapImageRep expected = convertToWorkingBitmap(source, c.crop);
        ASSERT_FALSE(expected.isNull());
        if (c.withTables) {
            vImage_Buffer b = bufferFor(expected);
            ASSERT_EQ(
                vImageTableLookUp_ARGB8888(&b, &b, nullptr, tables[0].data(), tables[c.channels == 1 ? 0 : 1].data(),
                    tables[c.channels == 1 ? 0 : 2].data(), kvImageNoFlags),
                kvImageNoError);
            if (c.channels == 1) // grey goes through the red table only
                for (std::size_t i = 0; i < expected.planeBytes(); i += 4)
                    expected.bitmapData()[i + 2] = expected.bitmapData()[i + 3] = expected.bitmapData()[i + 1];
        }
        const BitmapImageRep oneStep = convertLookUpAndScale(
            source, c.crop, c.withTables ? &all : nullptr, expected.pixelsWide(), expected.pixelsHigh());
        ASSERT_FALSE(oneStep.isNull());
        EXPECT_TRUE(
            std::equal(expected.bitmapData(), expected.bitmapData() + expected.planeBytes(), oneStep.bitmapData()))
            << c.channels << " channels, " << c.w << " x " << c.h;
    }
}
