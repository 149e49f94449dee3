// Every file of tests/data/hostile (scripts/make-hostile-corpus.py) goes through
// quillum-cli under a time and a memory limit, and must end in an output file or in a
// refusal that names the file: never a signal, a hang, or success without a file.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <map>

namespace {

// Sanitizers' shadow memory reserves terabytes of address space up front (GCC and clang
// announce them differently).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kLimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif
#else
constexpr bool kLimitAddressSpace = true;
#endif
constexpr rlim_t kAddressSpace = rlim_t(2) << 30;
constexpr int kMillisecondsPerFile = 20000;

// How some files must end: the tail of the refusal, or "" for a rendered output. The
// files not listed need only end cleanly.
const std::map<QString, QString> kExpected = {
    { "scan-bomb.jpg", " has too many progressive scans (3000, the limit is 100)." },
    { "huge-dimensions.jpg", " is too large: 65500 × 65500 pixels (the limit is 200 megapixels)." },
    { "huge-dimensions.png", " is too large: 60000 × 60000 pixels (the limit is 200 megapixels)." },
    { "huge-dimensions.tif", " is too large: 50000 × 50000 pixels (the limit is 200 megapixels)." },
    { "huge-dimensions.webp", " is too large: 15000 × 15000 pixels (the limit is 200 megapixels)." },
    { "svg-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "pdf-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "ppm-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "fits-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "matlab-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "matrix-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "vips-native-named.jpg", " is not a JPEG, PNG, TIFF, WebP, HEIF/AVIF or GIF picture." },
    { "truncated-progressive.jpg", " is damaged or incomplete (" },
    { "png-named.tif", "" },
    { "jpeg-named.png", "" },
    { "exif-loop.jpg", "" },
    { "bad-icc.jpg", "" },
    { "deflate-bomb.png", "" },
};

TEST(HostileCorpus, EveryFileEndsInAnOutputOrARefusalNamingIt)
{
    const QDir corpus(quillum::test::dataPath("hostile"));
    const QFileInfoList files = corpus.entryInfoList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), int(kExpected.size())) << "run scripts/make-hostile-corpus.py";
    for (const auto& [name, tail] : kExpected)
        EXPECT_TRUE(corpus.exists(name)) << name.toStdString();

    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        SCOPED_TRACE(name.toStdString());
        const QString output = out.filePath(name + QStringLiteral(".jpg"));
        QProcess cli;
        cli.setChildProcessModifier([] {
            const rlimit noCore { 0, 0 };
            setrlimit(RLIMIT_CORE, &noCore);
            if (kLimitAddressSpace) {
                const rlimit memory { kAddressSpace, kAddressSpace };
                setrlimit(RLIMIT_AS, &memory);
            }
        });
        cli.start(QStringLiteral(QUILLUM_CLI), { QStringLiteral("render"), file.absoluteFilePath(), output });
        if (!cli.waitForFinished(kMillisecondsPerFile)) {
            cli.kill();
            cli.waitForFinished();
            ADD_FAILURE() << "still running after " << kMillisecondsPerFile << " ms";
            continue;
        }
        const QString errors = QString::fromUtf8(cli.readAllStandardError());
        ASSERT_EQ(cli.exitStatus(), QProcess::NormalExit) << "ended by a signal\n" << errors.toStdString();
        const bool written = QFileInfo(output).size() > 0;
        const QString refusal = QStringLiteral("quillum-cli: “%1”").arg(name);
        if (cli.exitCode() == 0)
            EXPECT_TRUE(written) << "succeeded without writing a file";
        else
            EXPECT_TRUE(errors.contains(refusal)) << "no message naming the file:\n" << errors.toStdString();

        const auto expected = kExpected.find(name);
        if (expected == kExpected.end())
            continue;
        if (expected->second.isEmpty())
            EXPECT_EQ(cli.exitCode(), 0) << errors.toStdString();
        else
            EXPECT_TRUE(errors.contains(refusal + expected->second)) << errors.toStdString();
    }
}

} // namespace
