// Byte-exact checks of the ARGB routines against hand-computed values.

#include "platform/vimage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace quillum;

namespace {

// A small ARGB image with optional row padding.
struct Image {
    std::size_t w, h, rowBytes;
    std::vector<std::uint8_t> bytes;
    Image(std::size_t w_, std::size_t h_, std::size_t pad = 0)
        : w(w_)
        , h(h_)
        , rowBytes(w_ * 4 + pad)
        , bytes(rowBytes * h_, 0xEE)
    { }
    vImage_Buffer buffer() { return { bytes.data(), h, w, rowBytes }; }
    std::uint8_t* px(std::size_t x, std::size_t y) { return bytes.data() + y * rowBytes + x * 4; }
    void set(std::size_t x, std::size_t y, std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        std::uint8_t* p = px(x, y);
        p[0] = a, p[1] = r, p[2] = g, p[3] = b;
    }
    std::vector<int> at(std::size_t x, std::size_t y)
    {
        auto* p = px(x, y);
        return { p[0], p[1], p[2], p[3] };
    }
    void fillPattern()
    {
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x)
                set(x, y, std::uint8_t(255 - x), std::uint8_t(x * 10 + y), std::uint8_t(y * 7), std::uint8_t(x ^ y));
    }
};

} // namespace

TEST(Vimage, PermuteAndConvertKeepPaddingUntouched)
{
    Image src(2, 2, 4), dst(2, 2, 4);
    src.set(0, 0, 1, 2, 3, 4);
    src.set(1, 1, 10, 20, 30, 40);
    const std::uint8_t map[4] = { 3, 0, 1, 2 };
    auto s = src.buffer(), d = dst.buffer();
    ASSERT_EQ(vImagePermuteChannels_ARGB8888(&s, &d, map, 0), kvImageNoError);
    EXPECT_EQ(dst.at(0, 0), (std::vector<int> { 4, 1, 2, 3 }));
    EXPECT_EQ(dst.at(1, 1), (std::vector<int> { 40, 10, 20, 30 }));
    EXPECT_EQ(dst.bytes[8], 0xEE) << "row padding written";

    std::vector<std::uint8_t> rgb = { 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0 };
    vImage_Buffer rgbBuf { rgb.data(), 2, 2, 8 };
    ASSERT_EQ(vImageConvert_RGB888toARGB8888(&rgbBuf, nullptr, 255, &d, false, 0), kvImageNoError);
    EXPECT_EQ(dst.at(0, 0), (std::vector<int> { 255, 1, 2, 3 }));
    EXPECT_EQ(dst.at(1, 1), (std::vector<int> { 255, 10, 11, 12 }));
    ASSERT_EQ(vImageConvert_RGB888toARGB8888(&rgbBuf, nullptr, 128, &d, true, 0), kvImageNoError);
    EXPECT_EQ(dst.at(1, 1), (std::vector<int> { 128, 5, 6, 6 })); // 10*128/255 = 5.02, 11 -> 5.52, 12 -> 6.02
}

TEST(Vimage, RejectsBadBuffers)
{
    Image a(2, 2), b(3, 2);
    auto s = a.buffer(), d = b.buffer();
    vImage_Buffer tooNarrow { a.bytes.data(), 2, 2, 4 };
    vImage_Buffer null {};
    const std::uint8_t map[4] = { 0, 1, 2, 3 };
    EXPECT_EQ(vImagePermuteChannels_ARGB8888(&s, &d, map, 0), kvImageInvalidParameter);
    EXPECT_EQ(vImagePermuteChannels_ARGB8888(&tooNarrow, &s, map, 0), kvImageInvalidParameter);
    EXPECT_EQ(vImagePremultiplyData_ARGB8888(&null, &null, 0), kvImageInvalidParameter);
    EXPECT_EQ(vImageScale_ARGB8888(&s, &s, nullptr, 0), kvImageInvalidParameter);
}

TEST(Vimage, HistogramCountsEveryChannelOnBothThreadPaths)
{
    for (std::size_t h : { 3u, 1100u }) { // 1100 x 1000 takes the two-thread path
        Image img(1000, h);
        img.fillPattern();
        std::vector<vImagePixelCount> counts(4 * 256);
        vImagePixelCount* hist[4] = { &counts[0], &counts[256], &counts[512], &counts[768] };
        auto b = img.buffer();
        ASSERT_EQ(vImageHistogramCalculation_ARGB8888(&b, hist, 0), kvImageNoError);
        std::vector<vImagePixelCount> expected(4 * 256, 0);
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < 1000; ++x)
                for (int c = 0; c < 4; ++c)
                    ++expected[std::size_t(c) * 256 + img.px(x, y)[c]];
        EXPECT_EQ(counts, expected) << "height " << h;
    }
}

TEST(Vimage, TableLookUpLeavesChannelsWithoutTable)
{
    Image img(1, 1);
    img.set(0, 0, 7, 10, 20, 30);
    std::uint8_t inv[256];
    for (int i = 0; i < 256; ++i)
        inv[i] = std::uint8_t(255 - i);
    auto b = img.buffer();
    ASSERT_EQ(vImageTableLookUp_ARGB8888(&b, &b, nullptr, inv, nullptr, inv, 0), kvImageNoError);
    EXPECT_EQ(img.at(0, 0), (std::vector<int> { 7, 245, 20, 225 }));
}

TEST(Vimage, MatrixMultiplyRoundsClampsAndAddsPostBias)
{
    const std::int16_t grey[16] = { 256, 0, 0, 0, 0, 61, 61, 61, 0, 174, 174, 174, 0, 21, 21, 21 };
    const std::int32_t sepia[4] = { 256, 5120, 0, -5120 };
    struct Row {
        const char* name;
        std::vector<int> in;
        const std::int32_t* post;
        std::vector<int> out;
    } rows[] = {
        { "grey of pure red: 60.76", { 255, 255, 0, 0 }, nullptr, { 255, 61, 61, 61 } },
        { "sepia of pure red: 80.76, 60.76, 40.76", { 255, 255, 0, 0 }, sepia, { 255, 81, 61, 41 } },
        { "sepia alpha gains 1", { 100, 0, 0, 0 }, sepia, { 101, 20, 0, 0 } },
        { "sepia of white clamps red", { 255, 255, 255, 255 }, sepia, { 255, 255, 255, 235 } },
        { "blue loses 20 below zero", { 255, 0, 0, 10 }, sepia, { 255, 21, 1, 0 } },
    };
    for (const Row& r : rows) {
        Image img(1, 1);
        img.set(0, 0, std::uint8_t(r.in[0]), std::uint8_t(r.in[1]), std::uint8_t(r.in[2]), std::uint8_t(r.in[3]));
        auto b = img.buffer();
        ASSERT_EQ(vImageMatrixMultiply_ARGB8888(&b, &b, grey, 256, nullptr, r.post, 0), kvImageNoError);
        EXPECT_EQ(img.at(0, 0), r.out) << r.name;
    }
}

TEST(Vimage, ConvolveCopiesPixelsTheKernelCannotCover)
{
    const std::int16_t sharpen[9] = { -1, -1, -1, -1, 16, -1, -1, -1, -1 };
    const Pixel_8888 bg = { 255, 0, 0, 0 };
    for (std::size_t n : { 1u, 2u, 3u }) {
        Image src(n, n), dst(n, n);
        src.fillPattern();
        src.set(n / 2, n / 2, 255, 200, 100, 0);
        auto s = src.buffer(), d = dst.buffer();
        ASSERT_EQ(
            vImageConvolve_ARGB8888(&s, &d, nullptr, 0, 0, sharpen, 3, 3, 8, bg, kvImageCopyInPlace), kvImageNoError);
        for (std::size_t y = 0; y < n; ++y)
            for (std::size_t x = 0; x < n; ++x) {
                if (n == 3 && x == 1 && y == 1)
                    continue;
                EXPECT_EQ(dst.at(x, y), src.at(x, y)) << n << "x" << n << " at " << x << "," << y;
            }
    }
    // The one covered pixel of a flat 3x3 with a bright centre: (16*200 - 8*50) / 8 = 350 -> 255.
    Image src(3, 3), dst(3, 3);
    for (std::size_t y = 0; y < 3; ++y)
        for (std::size_t x = 0; x < 3; ++x)
            src.set(x, y, 255, 50, 50, 50);
    src.set(1, 1, 255, 200, 60, 50);
    auto s = src.buffer(), d = dst.buffer();
    ASSERT_EQ(vImageConvolve_ARGB8888(&s, &d, nullptr, 0, 0, sharpen, 3, 3, 8, bg, kvImageCopyInPlace), kvImageNoError);
    EXPECT_EQ(dst.at(1, 1), (std::vector<int> { 255, 255, 70, 50 }));
}

TEST(Vimage, ReflectionsAndQuarterTurns)
{
    Image img(3, 2);
    img.fillPattern();
    const Image original = img;

    Image v = img;
    auto vb = v.buffer();
    ASSERT_EQ(vImageVerticalReflect_ARGB8888(&vb, &vb, 0), kvImageNoError);
    Image hz = img;
    auto hb = hz.buffer();
    ASSERT_EQ(vImageHorizontalReflect_ARGB8888(&hb, &hb, 0), kvImageNoError);
    for (std::size_t y = 0; y < 2; ++y)
        for (std::size_t x = 0; x < 3; ++x) {
            EXPECT_EQ(v.at(x, y), img.at(x, 1 - y));
            EXPECT_EQ(hz.at(x, y), img.at(2 - x, y));
        }

    // Quarter turn counter-clockwise: the top-right pixel becomes the top-left one.
    Image ccw(2, 3), back(3, 2), half(3, 2);
    auto s = img.buffer(), c = ccw.buffer(), bk = back.buffer(), hf = half.buffer();
    ASSERT_EQ(vImageRotate90_ARGB8888(&s, &c, 1, nullptr, 0), kvImageNoError);
    EXPECT_EQ(ccw.at(0, 0), img.at(2, 0));
    EXPECT_EQ(ccw.at(1, 2), img.at(0, 1));
    ASSERT_EQ(vImageRotate90_ARGB8888(&c, &bk, 3, nullptr, 0), kvImageNoError);
    EXPECT_EQ(back.bytes, original.bytes) << "1 then 3 is the identity";
    ASSERT_EQ(vImageRotate90_ARGB8888(&s, &hf, 2, nullptr, 0), kvImageNoError);
    EXPECT_EQ(half.at(0, 0), img.at(2, 1));
    EXPECT_EQ(vImageRotate90_ARGB8888(&s, &hf, 1, nullptr, 0), kvImageInvalidParameter) << "wrong dest size";
}

TEST(Vimage, FreeRotationMatchesQuarterTurnAndFillsCorners)
{
    Image img(5, 3), quarter(3, 5), turned(3, 5);
    img.fillPattern();
    auto s = img.buffer(), q = quarter.buffer(), t = turned.buffer();
    const Pixel_8888 white = { 0, 255, 255, 255 };
    ASSERT_EQ(vImageRotate90_ARGB8888(&s, &q, 1, nullptr, 0), kvImageNoError);
    ASSERT_EQ(vImageRotate_ARGB8888(&s, &t, nullptr, float(std::numbers::pi / 2), white, kvImageBackgroundColorFill),
        kvImageNoError);
    EXPECT_EQ(turned.bytes, quarter.bytes) << "a free quarter turn has the same sense as constant 1";

    // 45 degrees into a larger canvas: the corners are outside the turned picture.
    Image opaque(10, 10), big(16, 16);
    for (std::size_t y = 0; y < 10; ++y)
        for (std::size_t x = 0; x < 10; ++x)
            opaque.set(x, y, 255, 10, 20, 30);
    auto o = opaque.buffer(), g = big.buffer();
    ASSERT_EQ(vImageRotate_ARGB8888(&o, &g, nullptr, float(std::numbers::pi / 4), white, kvImageBackgroundColorFill),
        kvImageNoError);
    EXPECT_EQ(big.at(0, 0), (std::vector<int> { 0, 255, 255, 255 }));
    EXPECT_EQ(big.at(8, 8), (std::vector<int> { 255, 10, 20, 30 }));
}

TEST(Vimage, PremultiplyAndConstAlphaBlend)
{
    Image img(2, 1);
    img.set(0, 0, 128, 200, 255, 1);
    img.set(1, 0, 255, 9, 8, 7);
    auto b = img.buffer();
    ASSERT_EQ(vImagePremultiplyData_ARGB8888(&b, &b, 0), kvImageNoError);
    EXPECT_EQ(img.at(0, 0), (std::vector<int> { 128, 100, 128, 1 })); // 100.39, 128, 0.50 -> 1
    EXPECT_EQ(img.at(1, 0), (std::vector<int> { 255, 9, 8, 7 }));

    Image top(1, 1), bottom(1, 1), out(1, 1);
    top.set(0, 0, 255, 200, 0, 255);
    bottom.set(0, 0, 255, 100, 255, 0);
    auto t = top.buffer(), bt = bottom.buffer(), o = out.buffer();
    ASSERT_EQ(vImagePremultipliedConstAlphaBlend_ARGB8888(&t, 127, &bt, &o, 0), kvImageNoError);
    // 127/255 of the top plus 128/255 of the bottom.
    EXPECT_EQ(out.at(0, 0), (std::vector<int> { 255, 150, 128, 127 }));
}

TEST(Vimage, ScaleGivesExactSizesAndKeepsFlatColour)
{
    struct Row {
        std::size_t sw, sh, dw, dh;
    } rows[] = { { 640, 480, 200, 151 }, { 100, 100, 1, 1 }, { 3, 2, 17, 9 }, { 1, 1, 4, 4 }, { 997, 13, 1000, 7 } };
    for (const Row& r : rows) {
        Image src(r.sw, r.sh, 8), dst(r.dw, r.dh);
        for (std::size_t y = 0; y < r.sh; ++y)
            for (std::size_t x = 0; x < r.sw; ++x)
                src.set(x, y, 255, 90, 140, 200);
        auto s = src.buffer(), d = dst.buffer();
        ASSERT_EQ(vImageScale_ARGB8888(&s, &d, nullptr, kvImageHighQualityResampling), kvImageNoError)
            << r.sw << "x" << r.sh << " -> " << r.dw << "x" << r.dh;
        for (std::size_t y = 0; y < r.dh; ++y)
            for (std::size_t x = 0; x < r.dw; ++x)
                ASSERT_EQ(dst.at(x, y), (std::vector<int> { 255, 90, 140, 200 }))
                    << r.sw << "x" << r.sh << " -> " << r.dw << "x" << r.dh << " at " << x << "," << y;
    }
}

TEST(Vimage, ConvolveThenBlendOverEqualsItsThreeSteps)
{
    const std::int16_t sharpen[9] = { -1, -1, -1, -1, 16, -1, -1, -1, -1 };
    const Pixel_8888 bg = { 255, 0, 0, 0 };
    // Sizes probe all-edge pictures, one inner pixel, and the two-thread split; alphas mix
    // opaque pixels with translucent ones.
    struct Case {
        std::size_t w, h;
        bool opaque;
    };
    for (const Case c : { Case { 1, 1, true }, { 2, 7, false }, { 3, 3, true }, { 17, 9, false }, { 1100, 1000, false },
             { 1024, 1030, true } }) {
        Image src(c.w, c.h);
        std::uint32_t seed = 12345;
        for (std::uint8_t& b : src.bytes) {
            seed = seed * 1103515245u + 12345u;
            b = std::uint8_t(seed >> 24);
        }
        for (std::size_t y = 0; y < c.h; ++y)
            for (std::size_t x = 0; x < c.w; ++x)
                if (c.opaque || (x + y) % 3 == 0)
                    src.px(x, y)[0] = 255;
        Image convolved(c.w, c.h), expected(c.w, c.h), fused(c.w, c.h), top = src;
        vImage_Buffer s = src.buffer(), k = convolved.buffer(), t = top.buffer(), e = expected.buffer(),
                      f = fused.buffer();
        ASSERT_EQ(
            vImageConvolve_ARGB8888(&s, &k, nullptr, 0, 0, sharpen, 3, 3, 8, bg, kvImageCopyInPlace), kvImageNoError);
        ASSERT_EQ(vImagePremultiplyData_ARGB8888(&t, &t, kvImageNoFlags), kvImageNoError);
        ASSERT_EQ(vImagePremultipliedConstAlphaBlend_ARGB8888(&t, 127, &k, &e, kvImageNoFlags), kvImageNoError);
        ASSERT_EQ(vImageConvolveThenBlendOver_ARGB8888(&s, &f, sharpen, 8, 127, kvImageNoFlags), kvImageNoError);
        EXPECT_EQ(fused.bytes, expected.bytes) << c.w << " x " << c.h;
    }
    Image img(4, 4);
    vImage_Buffer b = img.buffer();
    EXPECT_EQ(vImageConvolveThenBlendOver_ARGB8888(&b, &b, sharpen, 8, 127, kvImageNoFlags), kvImageInvalidParameter)
        << "in place";
}
