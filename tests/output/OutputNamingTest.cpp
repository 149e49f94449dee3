// The counter arithmetic on output names, the rules and the extensions.

#include "output/OutputNaming.h"

#include <gtest/gtest.h>

using namespace quillum;

TEST(OutputNaming, IncrementAtEveryCounterBoundary)
{
    struct Row {
        const char* name;
        const char* before;
        const char* after;
    } rows[] = {
        { "plain step", "ImageCrop-0001", "ImageCrop-0002" },
        { "carry inside the width", "IMG_0099", "IMG_0100" },
        { "carry grows beyond the width", "Crop-9999", "Crop-10000" },
        { "no counter starts at width one", "Holiday", "Holiday1" },
        { "hashes are counter places", "Shot-###", "Shot-001" },
        { "whole name in the set: leading digits only", "12#4", "0013" },
        { "hash first reads as zero", "#12", "001" },
        { "digit before a letter is prefix", "A1B", "A1B1" },
        { "empty name", "", "1" },
        { "single nine grows", "9", "10" },
        { "beyond 32 bits", "n4294967296", "n4294967297" },
        { "beyond 64 bits grows", "99999999999999999999", "100000000000000000000" },
        { "beyond 64 bits padded", "p-000099999999999999999999", "p-000100000000000000000000" },
        { "other scripts' digits are prefix", "x\u0663", "x\u06631" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(incrementCurrentFileName(QString::fromUtf8(r.before)), QString::fromUtf8(r.after));
    }
}

TEST(OutputNaming, RulesAndExtensionsAtTheirValueBoundaries)
{
    const QString running = QStringLiteral("ImageCrop-0007");
    struct Row {
        int value;
        const char* name;
        bool counts;
        const char* ext;
    } rows[] = {
        { -1, "DSC-0001", true, "jpg" },
        { 0, "DSC-0001", true, "jpg" },
        { 1, "ImageCrop-0007", true, "tif" },
        { 2, "DSC", false, "png" },
        { 3, "ImageCrop-0007", true, "webp" },
        { 4, "ImageCrop-0007", true, "jpg" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.value);
        EXPECT_EQ(outputFileNameForShownPicture(r.value, running, QStringLiteral("DSC")), QString::fromLatin1(r.name));
        EXPECT_EQ(outputFileRuleCounts(r.value), r.counts);
        EXPECT_EQ(imageFileTypeExtension(imageFileTypeFromIndex(r.value)), QString::fromLatin1(r.ext));
    }
    EXPECT_EQ(outputFilePath(QStringLiteral("/out/"), QStringLiteral("New Image"), ImageFileType::Tiff),
        QStringLiteral("/out/New Image.tif"));
}
