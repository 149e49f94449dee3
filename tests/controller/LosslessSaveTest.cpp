// "Lossless when possible" through the controller: a save that only crops a JPEG file copies
// its blocks (the corner snapped onto the grid); anything else saves normally and says why.

#include "output/LosslessSave.h"
#include "controller/zent3controller.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageEncoder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include "TestSupport.h"

using namespace quillum;

namespace {

constexpr int kW = 200, kH = 150;

// A 200 × 150 picture; as a JPEG 4:2:0 (16-pixel MCUs), written by the encoder's libjpeg path.
void writePicture(const QString& path, ImageFileType type)
{
    BitmapImageRep b = BitmapImageRep::makeARGB(kW, kH);
    for (int i = 0; i < kW * kH * 4; ++i)
        b.bitmapData()[i] = i % 4 == 0 ? 255 : std::uint8_t(i * 37 / 11);
    EncodeOptions plain;
    plain.withMetadata = false;
    ASSERT_TRUE(writeWorkingBitmap(b, path, type, plain));
}

struct Session {
    QTemporaryDir dir;
    NotificationCenter center;
    zent3controller c { center };
    QString source;
    // `file` "photo.jpg" or "photo.png"; empty: a pasted picture.
    explicit Session(const QString& file = QStringLiteral("photo.jpg"))
    {
        const QString made = dir.filePath(file.isEmpty() ? QStringLiteral("pasted.jpg") : file);
        writePicture(made, made.endsWith(QLatin1String(".png")) ? ImageFileType::Png : ImageFileType::Jpeg);
        if (!file.isEmpty())
            source = made;
        Result<DecodedBitmap> decoded = decodeImageFile(made);
        EXPECT_TRUE(decoded);
        c.awakeFromNib();
        c.setSourcePicture(std::move(decoded->bitmap), decoded->properties, source);
        // Model coordinates, origin bottom-left: pixel columns 20..119, rows 40..119.
        c.leftPanel().selRect()->setFrame({ 20, 30, 100, 80 });
        c.redrawOutput();
    }
    EncodeOptions options() const
    {
        EncodeOptions o;
        o.withMetadata = false;
        o.metadataSourcePath = source;
        return o;
    }
};

QSize decodedSize(const QString& path)
{
    Result<DecodedBitmap> d = decodeImageFile(path);
    return d ? QSize(d->bitmap.pixelsWide(), d->bitmap.pixelsHigh()) : QSize();
}

} // namespace

TEST(LosslessSave, OnlyAPureCropOfAJpegIsLosslessAndEveryOtherSaySaysWhy)
{
    using Setup = std::function<void(Session&, ImageFileType&, EncodeOptions&)>;
    const auto none = [](Session&, ImageFileType&, EncodeOptions&) {};
    // Lossless: the corner (20, 40) moves to (16, 32) on the 16-pixel grid, the far edges stay.
    const QSize snapped(104, 88), rendered(100, 80);
    const struct {
        const char* name;
        QString file;
        Setup setup;
        QString reason;
        QSize size;
    } cases[] = {
        { "pure-crop", QStringLiteral("photo.jpg"), none, {}, snapped },
        { "png-output", QStringLiteral("photo.jpg"),
            [](Session&, ImageFileType& t, EncodeOptions&) { t = ImageFileType::Png; },
            QStringLiteral("the output is not a JPEG file"), rendered },
        { "png-source", QStringLiteral("photo.png"), none, QStringLiteral("the photo is not a JPEG file"), rendered },
        { "pasted", QString(), none, QStringLiteral("the picture has no file"), rendered },
        { "scaled", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) {
                s.c.setOutputWidthIsFixed(true);
                s.c.setOutputWidthVal(50);
            },
            QStringLiteral("the output is scaled"), { 50, 40 } },
        { "auto-levels", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) { s.c.setAutoLevelsIsOn(true); },
            QStringLiteral("auto levels are on"), rendered },
        { "mirrored", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) { s.c.setFlipHorizontal(true); },
            QStringLiteral("the output is mirrored"), rendered },
        { "sepia", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) { s.c.setOutputModeTag(OutputModeSepia); },
            QStringLiteral("the output is not in colour mode"), rendered },
        { "border", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) { s.c.setBorder1Check(true); },
            QStringLiteral("captions, borders or a logo are on"), rendered },
        { "picture-turned", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) { s.c.inPicRotate180(); },
            QStringLiteral("the picture is turned"), rendered },
        { "portrait-turned-to-landscape", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions& o) {
                s.c.leftPanel().selRect()->setFrame({ 20, 30, 60, 100 });
                o.landscape = true;
            },
            QStringLiteral("the output is turned to landscape"), { 100, 60 } },
        { "landscape-crop-needs-no-turn", QStringLiteral("photo.jpg"),
            [](Session&, ImageFileType&, EncodeOptions& o) { o.landscape = true; }, {}, snapped },
        { "damaged-after-opening", QStringLiteral("photo.jpg"),
            [](Session& s, ImageFileType&, EncodeOptions&) {
                QFile f(s.source);
                ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                const QByteArray head = f.read(f.size() / 2);
                f.resize(0);
                f.write(head);
            },
            QStringLiteral("the photo's JPEG data cannot be copied"), rendered },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s(c.file);
        ImageFileType type = ImageFileType::Jpeg;
        EncodeOptions options = s.options();
        c.setup(s, type, options);
        s.c.redrawOutput();
        ASSERT_TRUE(s.c.outPict());
        const QString out = s.dir.filePath(QStringLiteral("out.img"));
        QString whyNot = QStringLiteral("unset");
        const Status written = s.c.writeCropLosslessWhenPossible(out, type, options, &whyNot);
        ASSERT_TRUE(written) << qPrintable(written.error());
        EXPECT_EQ(whyNot, c.reason);
        EXPECT_EQ(decodedSize(out), c.size);
    }
}

TEST(LosslessSave, TheSavedLabelTellsWhichWayTheCropWasSaved)
{
    Session s;
    const QString out = s.dir.filePath(QStringLiteral("crop.jpg"));
    s.c.setCurrentSaveWithMetadata(false);
    ASSERT_TRUE(s.c.saveCropToPath(out));
    EXPECT_EQ(s.c.savedLabelText(), QStringLiteral("Saved crop.jpg")) << "off: as ever";
    EXPECT_EQ(decodedSize(out), QSize(100, 80));

    s.c.setLosslessWhenPossible(true);
    ASSERT_TRUE(s.c.saveCropToPath(out));
    EXPECT_EQ(s.c.savedLabelText(), QStringLiteral("Saved crop.jpg losslessly"));
    EXPECT_EQ(decodedSize(out), QSize(104, 88));

    s.c.setInvertIsOn(true);
    ASSERT_TRUE(s.c.saveCropToPath(out));
    EXPECT_EQ(s.c.savedLabelText(), QStringLiteral("Saved crop.jpg normally: the output is inverted"));
    EXPECT_EQ(decodedSize(out), QSize(100, 80));
}

TEST(LosslessSave, ReasonsComeInTheirOrderAndNoneMeansLossless)
{
    LosslessSaveState pure;
    pure.sourceHasFile = pure.sourceIsJpeg = pure.sourceMatchesFile = true;
    EXPECT_TRUE(whyNotLossless(pure).isEmpty());
    // Several at once: the output's own type is named before what the picture is.
    LosslessSaveState many = pure;
    many.outputType = ImageFileType::Tiff;
    many.sourceIsCmyk = many.scaled = many.sharpened = true;
    EXPECT_EQ(whyNotLossless(many), QStringLiteral("the output is not a JPEG file"));
    many.outputType = ImageFileType::Jpeg;
    EXPECT_EQ(whyNotLossless(many), QStringLiteral("the photo is CMYK"));
    many.sourceIsCmyk = false;
    EXPECT_EQ(whyNotLossless(many), QStringLiteral("the output is scaled"));
}
