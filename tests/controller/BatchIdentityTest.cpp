// A batch writes exactly what the window writes for the same preset and options: the
// same bytes, file for file.

#include "controller/zent3controller.h"
#include "presets/PresetLibrary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "TestSupport.h"

using namespace quillum;

TEST(BatchIdentity, BatchOutputsEqualTheWindowsSaves)
{
    QTemporaryDir dir;
    ZentFullPresetRec p;
    p.setName(QStringLiteral("Gallery"));
    p.setChangeSizeControls(true);
    p.setFixedAspect(true);
    p.setAspectX(4);
    p.setAspectY(3);
    p.setFixedWidth(true);
    p.setFixedsizeX(640);
    p.setChangeOtherControls(true);
    p.setPictureOutputMode(2);
    p.setSharpenLevel(1);
    const QString presets = dir.filePath(QStringLiteral("mine.zentpres"));
    ASSERT_TRUE(writePresetFile(presets, { PresetLibrary::defaultSet()[0], std::nullopt, p }));

    const QString out = dir.filePath(QStringLiteral("batch"));
    QProcess cli;
    cli.start(QStringLiteral(QUILLUM_CLI),
        { QStringLiteral("batch"), QStringLiteral(QUILLUM_SAMPLES), QStringLiteral("--out"), out,
            QStringLiteral("--preset"), presets, QStringLiteral("--name"), QStringLiteral("Gallery"),
            QStringLiteral("--autolevels"), QStringLiteral("--quality"), QStringLiteral("85") });
    ASSERT_TRUE(cli.waitForFinished(120000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    // The window: the preset chosen from the menu, the option set by hand, each photo opened
    // and saved.
    NotificationCenter center;
    zent3controller c(center);
    c.awakeFromNib();
    c.setUseEXIfRotation(true);
    c.setLookAheadEnabled(false);
    // Nothing shows the rotation buttons here; the batch leaves them out too.
    c.setRotationThumbnailsEnabled(false);
    c.loadPresetToController(p);
    c.setAutoLevelsIsOn(true);
    c.setCurrentJpegQuality(85);
    const QStringList samples = QDir(QStringLiteral(QUILLUM_SAMPLES)).entryList({ QStringLiteral("*.jpg") });
    ASSERT_GE(samples.size(), 3);
    for (const QString& s : samples) {
        SCOPED_TRACE(s.toStdString());
        ASSERT_TRUE(c.openPicture(QStringLiteral(QUILLUM_SAMPLES "/") + s));
        const QString mine = dir.filePath(s);
        ASSERT_TRUE(c.saveCropToPath(mine));
        QFile a(mine), b(out + QLatin1Char('/') + s);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_TRUE(a.readAll() == b.readAll());
        EXPECT_EQ(c.outPict()->pixelsWide(), 640);
    }
}
