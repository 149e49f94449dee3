// The effects' arithmetic and the output size rule, at the boundaries they probe.

#include "imaging/Effects.h"
#include "imaging/OutputSize.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

using namespace quillum;

namespace {

BitmapImageRep solid(int w, int h, std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(w, h);
    for (int i = 0; i < w * h; ++i) {
        std::uint8_t* p = rep.bitmapData() + 4 * i;
        p[0] = a, p[1] = r, p[2] = g, p[3] = b;
    }
    return rep;
}

std::vector<int> pixel(const BitmapImageRep& rep, int i)
{
    const std::uint8_t* p = rep.bitmapData() + 4 * i;
    return { p[0], p[1], p[2], p[3] };
}

std::vector<std::uint8_t> bytes(const BitmapImageRep& rep)
{
    return { rep.bitmapData(), rep.bitmapData() + rep.planeBytes() };
}

} // namespace

TEST(AutoLevels, BoundsFromOnePercentAtEachEnd)
{
    struct Row {
        const char* name;
        std::vector<std::pair<int, int>> levelCounts; // (level, count)
        int low, high;
        float scale;
    } rows[] = {
        { "100 pixels from 50 to 200: both extremes clip", { { 50, 1 }, { 100, 98 }, { 200, 1 } }, 51, 199,
            255.0f / 148 },
        { "fewer than 50 pixels: identity", { { 10, 20 }, { 240, 29 } }, 0, 255, 1.0f },
        { "flat picture: high raised to low + 1", { { 77, 1000 } }, 78, 79, 255.0f },
        { "all white: low limited to 254", { { 255, 100 } }, 254, 255, 255.0f },
        { "level 0 alone holds the clip: low 1", { { 0, 1 }, { 128, 99 } }, 1, 127, 255.0f / 126 },
    };
    for (const Row& r : rows) {
        vImagePixelCount counts[256] = {};
        for (auto [level, n] : r.levelCounts)
            counts[level] = vImagePixelCount(n);
        const ChannelLevels l = levelsForHistogram(counts);
        EXPECT_EQ(l.low, r.low) << r.name;
        EXPECT_EQ(l.high, r.high) << r.name;
        EXPECT_FLOAT_EQ(l.scale, r.scale) << r.name;
    }
    const LookupTable t = levelsTable(51, 255.0f / 148);
    EXPECT_EQ(t[50], 0);
    EXPECT_EQ(t[51], 0);
    EXPECT_EQ(t[125], 128); // 74 * 1.723 = 127.5 -> 128
    EXPECT_EQ(t[199], 255);
    EXPECT_EQ(t[255], 255);
}

TEST(AutoLevels, LockReusesTheStoredLevelsForAnotherPicture)
{
    HistoVals record;
    BitmapImageRep dark = BitmapImageRep::makeARGB(10, 10);
    for (int i = 0; i < 100; ++i) {
        std::uint8_t* p = dark.bitmapData() + 4 * i;
        p[0] = 255, p[1] = std::uint8_t(i), p[2] = std::uint8_t(i), p[3] = std::uint8_t(i);
    }
    ASSERT_TRUE(applyAutoLevels(dark, record, true).ok()); // nothing stored yet: computes
    ASSERT_TRUE(record.stored);
    EXPECT_EQ(record.redLow, 1);
    EXPECT_EQ(record.redHigh, 98);

    BitmapImageRep other = solid(4, 4, 255, 50, 50, 50);
    ASSERT_TRUE(applyAutoLevels(other, record, true).ok());
    EXPECT_EQ(record.redLow, 1) << "locked: not recomputed";
    EXPECT_EQ(pixel(other, 0)[1], 129); // (50 - 1) * 255/97 = 128.8
}

TEST(PictureCorrection, CurveValues)
{
    const LookupTable identityish = correctionTable(1.0f, 0.0f);
    EXPECT_EQ(identityish[40], 64) << "shadow offset brightens level 40";
    EXPECT_EQ(identityish[0], 0);
    EXPECT_EQ(identityish[255], 255);
    EXPECT_EQ(identityish[128], 129) << "d keeps -0.00625 from level 80 on, so mid-grey lifts";
    const LookupTable steep = correctionTable(1.0f, 1.0f);
    EXPECT_EQ(steep[20], 0) << "negative values give 0";
    EXPECT_EQ(steep[250], 255) << "values above 255 give 255";
    BitmapImageRep rep = solid(1, 1, 10, 40, 40, 40);
    ASSERT_TRUE(applyPictureCorrection(rep, 1.0f, 0.0f, 0.0f, 0.0f, -1.0f).ok());
    EXPECT_EQ(pixel(rep, 0), (std::vector<int> { 10, 64, 64, 0 })) << "alpha kept; blue slider at -1 removes blue";
}

TEST(Effects, ColourModesOfPureRed)
{
    struct Row {
        int tag;
        std::vector<int> out;
    } rows[] = { { OutputModeColor, { 255, 255, 0, 0 } }, { OutputModeBlackAndWhite, { 255, 61, 61, 61 } },
        { OutputModeSepia, { 255, 81, 61, 41 } }, { 7, { 255, 255, 0, 0 } } };
    for (const Row& r : rows) {
        BitmapImageRep rep = solid(2, 2, 255, 255, 0, 0);
        ASSERT_TRUE(applyOutputMode(rep, r.tag).ok());
        EXPECT_EQ(pixel(rep, 3), r.out) << "tag " << r.tag;
    }
    BitmapImageRep rep = solid(1, 1, 9, 0, 100, 255);
    ASSERT_TRUE(applyInvert(rep).ok());
    EXPECT_EQ(pixel(rep, 0), (std::vector<int> { 9, 255, 155, 0 }));
}

TEST(Effects, SharpenLevels)
{
    // A vertical edge in a 6 x 5 picture.
    auto edge = [] {
        BitmapImageRep rep = solid(6, 5, 255, 40, 40, 40);
        for (int y = 0; y < 5; ++y)
            for (int x = 3; x < 6; ++x)
                rep.bitmapData()[4 * (y * 6 + x) + 1] = 200;
        return rep;
    };
    BitmapImageRep none = edge(), half = edge(), one = edge(), two = edge();
    for (auto [rep, level] : { std::pair { &none, 0 }, { &half, 1 }, { &one, 2 }, { &two, 3 } })
        ASSERT_TRUE(applySharpen(*rep, level).ok()) << level;
    EXPECT_EQ(bytes(none), bytes(edge()));
    // Left of the edge: (16*40 - 5*40 - 3*200) / 8 = -20 -> 0; right: (16*200 - 5*200 - 3*40) / 8 = 260 -> 255.
    const int left = 4 * (2 * 6 + 2) + 1, right = 4 * (2 * 6 + 3) + 1;
    EXPECT_EQ(one.bitmapData()[left], 0);
    EXPECT_EQ(one.bitmapData()[right], 255);
    EXPECT_EQ(one.bitmapData()[1], 40) << "edge pixels are copied";
    // Half strength: 127/255 of 40 + 128/255 of 0 = 19.9; 127/255 of 200 + 128/255 of 255 = 227.6.
    EXPECT_EQ(half.bitmapData()[left], 20);
    EXPECT_EQ(half.bitmapData()[right], 228);
    EXPECT_NE(bytes(two), bytes(one)) << "level 3 is two passes";
    for (int n : { 1, 2 }) {
        BitmapImageRep tiny = solid(n, n, 255, 10, 200, 90);
        tiny.bitmapData()[1] = 250;
        const auto before = bytes(tiny);
        ASSERT_TRUE(applySharpen(tiny, 4).ok());
        EXPECT_EQ(bytes(tiny), before) << n << "x" << n << " is all edge";
    }
}

TEST(Effects, MirrorOrder)
{
    BitmapImageRep rep = BitmapImageRep::makeARGB(2, 2);
    for (int i = 0; i < 16; ++i)
        rep.bitmapData()[i] = std::uint8_t(i);
    ASSERT_TRUE(applyMirror(rep, true, true).ok());
    EXPECT_EQ(pixel(rep, 0), (std::vector<int> { 12, 13, 14, 15 })) << "both mirrors turn it half round";
}

TEST(Effects, AnEffectThatCannotRunSaysSo)
{
    // A bitmap the routines refuse (no pixels) must not pass as processed.
    HistoVals record;
    BitmapImageRep none;
    const std::pair<const char*, Status> rows[] = {
        { "auto levels", applyAutoLevels(none, record, false) },
        { "picture correction", applyPictureCorrection(none, 1, 0, 0, 0, 0) },
        { "vertical mirror", applyMirror(none, true, false) },
        { "horizontal mirror", applyMirror(none, false, true) },
        { "invert", applyInvert(none) },
        { "black and white", applyOutputMode(none, OutputModeBlackAndWhite) },
        { "sepia", applyOutputMode(none, OutputModeSepia) },
        { "half sharpen", applySharpen(none, 1) },
        { "full sharpen", applySharpen(none, 2) },
        { "premultiply", premultiply(none) },
    };
    for (const auto& [name, status] : rows) {
        EXPECT_FALSE(status.ok()) << name;
        EXPECT_FALSE(status.error().isEmpty()) << name;
    }
    EXPECT_FALSE(record.stored) << "a failed histogram is not stored as the lock";
    EXPECT_TRUE(applyOutputMode(none, OutputModeColor).ok()) << "colour mode does nothing";
    EXPECT_TRUE(applyMirror(none, false, false).ok());
}

TEST(OutputSize, Rule)
{
    struct Row {
        const char* name;
        int w, h;
        OutputSizeSettings s;
        int outW, outH;
        bool scales, writesBack;
    } rows[] = {
        { "free", 1000, 500, { 300, 300, false, false, false }, 1000, 500, false, true },
        { "fixed width 800", 1000, 500, { 800, 300, true, false, false }, 800, 400, true, true },
        { "fixed width rounds the height", 1000, 333, { 800, 0, true, false, false }, 800, 266, true, true },
        { "fixed height truncates the width", 1001, 500, { 300, 400, false, true, false }, 800, 400, true, true },
        { "both, fitted", 1000, 500, { 800, 800, true, true, false }, 800, 400, true, false },
        { "both, stretched", 1000, 500, { 800, 800, true, true, true }, 800, 800, true, true },
        { "both, width short by 1 snaps", 1001, 500, { 800, 400, true, true, false }, 800, 400, true, false },
        { "both, height short by 1 snaps", 300, 299, { 300, 300, true, true, false }, 300, 300, true, false },
        { "both, short by 2 stays", 302, 299, { 300, 300, true, true, false }, 300, 297, true, false },
        { "never below 1 pixel", 1000, 1, { 10, 0, true, false, false }, 10, 1, true, true },
        { "huge request shrinks to the area bound", 1000, 1000, { 1000000, 0, true, false, false }, 10000, 10000, true,
            true },
    };
    for (const Row& r : rows) {
        const OutputSize o = outputSizeFor(r.w, r.h, r.s);
        EXPECT_EQ(o.width, r.outW) << r.name;
        EXPECT_EQ(o.height, r.outH) << r.name;
        EXPECT_EQ(o.scales, r.scales) << r.name;
        EXPECT_EQ(o.writesBackSize, r.writesBack) << r.name;
    }
    const OutputSize huge = outputSizeFor(1000, 1000, { 1000000, 0, true, false, false });
    EXPECT_EQ(std::pair(huge.ruleWidth, huge.ruleHeight), std::pair(1000000, 1000000)) << "the fields get the request";
}

TEST(Effects, PixelEffectsInOnePassEqualTheStepByStepCalls)
{
    // Every level in every channel, under combinations that exercise each table and the
    // colour modes (sepia's bias clamps at both ends).
    auto ramp = [] {
        BitmapImageRep rep = BitmapImageRep::makeARGB(256, 3);
        for (int i = 0; i < 256 * 3; ++i) {
            std::uint8_t* p = rep.bitmapData() + 4 * i;
            p[0] = 255, p[1] = std::uint8_t(i), p[2] = std::uint8_t(i * 7), p[3] = std::uint8_t(255 - i);
        }
        return rep;
    };
    const PixelEffects cases[] = {
        {},
        { .correction = true, .gamma = 0.6f, .contrast = 0.3f, .red = 0.4f, .green = -0.2f, .blue = -1.5f },
        { .invert = true },
        { .modeTag = OutputModeSepia },
        { .correction = true, .gamma = 1.4f, .contrast = -0.5f, .invert = true, .modeTag = OutputModeBlackAndWhite },
        { .correction = true, .gamma = 1.0f, .invert = true, .modeTag = OutputModeSepia },
    };
    for (const PixelEffects& e : cases) {
        BitmapImageRep steps = ramp(), fused = ramp();
        if (e.correction) {
            ASSERT_TRUE(applyPictureCorrection(steps, e.gamma, e.contrast, e.red, e.green, e.blue).ok());
        }
        if (e.invert) {
            ASSERT_TRUE(applyInvert(steps).ok());
        }
        ASSERT_TRUE(applyOutputMode(steps, e.modeTag).ok());
        ASSERT_TRUE(applyPixelEffects(fused, e).ok());
        EXPECT_EQ(bytes(fused), bytes(steps)) << e.correction << e.invert << e.modeTag;
    }
}
