// The install rules end to end: `cmake --install` of this build into a temporary prefix puts
// every file where desktops and package tools look for it, the files agree with each other,
// and the installed programs run from there. The tree is installed once for all cases.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

// Titles, paths and lists in failure messages as text, not as UTF-16 code units.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '"' << list.join(QStringLiteral("\", \"")).toStdString() << '"';
}

using namespace quillum::test;

namespace {

const QString kAppId = QStringLiteral("org.quillum.Quillum");

struct ProcessResult {
    bool finished = false; // false: did not start or was stopped at the time limit
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString& program, const QStringList& args,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), int timeoutMs = 15000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    ProcessResult r;
    r.finished = p.waitForStarted() && p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The [Desktop Entry] group as key -> value (no localised keys in ours).
QHash<QString, QString> desktopEntry(const QString& path)
{
    QHash<QString, QString> entry;
    for (const QByteArray& line : readAll(path).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && !line.startsWith('#'))
            entry.insert(QString::fromUtf8(line.left(eq)).trimmed(), QString::fromUtf8(line.mid(eq + 1)).trimmed());
    }
    return entry;
}

QStringList listValue(const QString& value)
{
    return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_prefix->isValid());
        const ProcessResult install = run(QStringLiteral(QUILLUM_CMAKE),
            { QStringLiteral("--install"), QStringLiteral(QUILLUM_BUILD_DIR), QStringLiteral("--prefix"),
                s_prefix->path() },
            QProcessEnvironment::systemEnvironment(), 60000);
        s_installed = install.finished && install.exitCode == 0;
        ASSERT_TRUE(s_installed) << qPrintable(install.out + install.err);
    }
    static void TearDownTestSuite() { s_prefix.reset(); }

    void SetUp() override
    {
        if (!s_installed)
            GTEST_SKIP() << "the install itself failed";
    }

    static QString installed(const QString& relative) { return s_prefix->filePath(relative); }
    static QString desktopFile() { return installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId)); }
    static QString metainfoFile() { return installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId)); }

    static inline std::unique_ptr<QTemporaryDir> s_prefix;
    static inline bool s_installed = false;
};

TEST_F(InstalledTree, HoldsEveryFileWhereDesktopsLook)
{
    struct Row {
        QString path;
        bool executable;
    };
    const Row rows[] = {
        { QStringLiteral("bin/quillum"), true },
        { QStringLiteral("bin/quillum-cli"), true },
        { QStringLiteral("share/applications/%1.desktop").arg(kAppId), false },
        { QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId), false },
        { QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId), false },
        { QStringLiteral("share/man/man1/quillum-cli.1"), false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(qPrintable(row.path));
        const QFileInfo info(installed(row.path));
        EXPECT_TRUE(info.isFile());
        EXPECT_GT(info.size(), 0);
        EXPECT_EQ(info.isExecutable(), row.executable);
    }

    // A PNG in the wrong size folder is scaled by the desktop, blurred, or skipped.
    for (int size : { 16, 32, 48, 64, 128, 256 }) {
        const QString path = installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId));
        SCOPED_TRACE(qPrintable(path));
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), "png");
        EXPECT_EQ(reader.size(), QSize(size, size));
    }

    // Every help page the window shows, byte for byte.
    const QString help = QStringLiteral(QUILLUM_SOURCE_DIR "/src/app/resources/help");
    int pages = 0;
    for (QDirIterator it(help, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); ++pages) {
        const QString source = it.next();
        const QString copy = installed(QStringLiteral("share/doc/quillum/help/") + QDir(help).relativeFilePath(source));
        SCOPED_TRACE(qPrintable(copy));
        EXPECT_EQ(readAll(copy), readAll(source));
    }
    EXPECT_GT(pages, 0);
}

// The desktop entry, the AppStream data, the icons and the programs name each other; a
// rename in one of them leaves a menu entry without icon or program, or a store page
// without an application.
TEST_F(InstalledTree, DesktopEntryAndMetainfoNameWhatIsInstalled)
{
    const QHash<QString, QString> entry = desktopEntry(desktopFile());
    const QString program = entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0);
    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/") + program)).isExecutable()) << qPrintable(program);
    EXPECT_EQ(entry.value(QStringLiteral("TryExec")), program);
    EXPECT_EQ(entry.value(QStringLiteral("Icon")), kAppId);
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId))));
    // Folders open as lists too, but a file manager must not offer Quillum for every folder.
    EXPECT_FALSE(listValue(entry.value(QStringLiteral("MimeType"))).contains(QStringLiteral("inode/directory")));

    const QString metainfo = QString::fromUtf8(readAll(metainfoFile()));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<id>%1</id>").arg(kAppId)));
    EXPECT_TRUE(
        metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(kAppId)));
    const QRegularExpression binary(QStringLiteral("<binary>([^<]+)</binary>"));
    QStringList binaries;
    for (const QRegularExpressionMatch& m : binary.globalMatch(metainfo))
        binaries << m.captured(1);
    EXPECT_EQ(binaries, QStringList({ QStringLiteral("quillum"), QStringLiteral("quillum-cli") }));
    for (const QString& b : binaries)
        EXPECT_TRUE(QFileInfo(installed(QStringLiteral("bin/") + b)).isExecutable()) << qPrintable(b);
    // The store's "opens these files" list and the file manager's "Open with" list agree.
    const QRegularExpression mediatype(QStringLiteral("<mediatype>([^<]+)</mediatype>"));
    QStringList mediatypes;
    for (const QRegularExpressionMatch& m : mediatype.globalMatch(metainfo))
        mediatypes << m.captured(1);
    EXPECT_EQ(mediatypes, listValue(entry.value(QStringLiteral("MimeType"))));
}

// What a software centre reads from an installed tree: the metainfo and the desktop entry it
// launches, in their places. Warnings fail; pedantic notes do not.
TEST_F(InstalledTree, AppStreamAcceptsTheInstalledTree)
{
    const ProcessResult check = run(QStringLiteral("appstreamcli"),
        { QStringLiteral("validate-tree"), QStringLiteral("--no-net"), s_prefix->path() });
    ASSERT_TRUE(check.finished) << "appstreamcli (Debian package appstream) did not run";
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.out + check.err);
}

// Each type the desktop entry claims is opened by the installed window, started by the
// entry's own Exec line as a file manager's "Open with" starts it. The photo shares its
// folder with a decoy that sorts first: opening a file lists its folder, and a type the
// list leaves out would show the decoy instead.
TEST_F(InstalledTree, WindowOpensEveryTypeTheDesktopEntryClaims)
{
    struct Sample {
        QString path;
        QString title; // what the window says once the photo is open
    };
    const QHash<QString, Sample> samples = {
        { QStringLiteral("image/jpeg"), { samplePath("coffee.jpg"), QStringLiteral("coffee.jpg - 600 x 400") } },
        { QStringLiteral("image/png"), { dataPath("rgba.png"), QStringLiteral("rgba.png - 4 x 4") } },
        { QStringLiteral("image/tiff"),
            { dataPath("orientation-1.tif"), QStringLiteral("orientation-1.tif - 3 x 2") } },
        { QStringLiteral("image/webp"), { dataPath("red-block.webp"), QStringLiteral("red-block.webp - 16 x 8") } },
    };
    const QHash<QString, QString> entry = desktopEntry(desktopFile());
    const QStringList exec = entry.value(QStringLiteral("Exec")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_EQ(exec.size(), 2);
    ASSERT_EQ(exec[1], QStringLiteral("%F"));
    const QStringList types = listValue(entry.value(QStringLiteral("MimeType")));
    ASSERT_TRUE(types.contains(QStringLiteral("image/jpeg")));

    // A real X server when there is one to start; the window code is the same either way.
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    const QString timeout = QStandardPaths::findExecutable(QStringLiteral("timeout"));
    for (const QString& type : types) {
        SCOPED_TRACE(qPrintable(type));
        ASSERT_TRUE(samples.contains(type)) << "no sample to prove the window opens " << qPrintable(type);
        const Sample& sample = samples[type];
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString folder = home.filePath(QStringLiteral("photos"));
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::copy(samplePath("rocket.jpg"), folder + QStringLiteral("/0-decoy.jpg")));
        const QString photo = folder + QLatin1Char('/') + QFileInfo(sample.path).fileName();
        ASSERT_TRUE(QFile::copy(sample.path, photo));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), installed(QStringLiteral("bin:")) + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QUILLUM_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
        // Read by sanitizer builds only.
        env.insert(QStringLiteral("LSAN_OPTIONS"),
            env.value(QStringLiteral("LSAN_OPTIONS"))
                + QStringLiteral(":suppressions=" QUILLUM_SOURCE_DIR "/scripts/lsan.supp"));
        const QString program = QStandardPaths::findExecutable(exec[0], { installed(QStringLiteral("bin")) });
        ASSERT_EQ(program, installed(QStringLiteral("bin/quillum")));
        ProcessResult shown;
        if (!xvfbRun.isEmpty() && !timeout.isEmpty()) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            // `timeout` inside, so a window stuck on an alert still lets xvfb-run stop its server.
            const QStringList args = { QStringLiteral("-a"), QStringLiteral("--server-args=-screen 0 1280x800x24"),
                timeout, QStringLiteral("12"), exec[0], photo };
            shown = run(xvfbRun, args, env, 20000);
            // Two servers started at once may pick the same display number; one retry.
            if (shown.exitCode != 0 && shown.err.contains(QStringLiteral("Xvfb failed to start")))
                shown = run(xvfbRun, args, env, 20000);
        } else {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            shown = run(program, { photo }, env, 12000);
        }
        EXPECT_TRUE(shown.finished);
        EXPECT_EQ(shown.exitCode, 0) << qPrintable(shown.err);
        EXPECT_EQ(shown.out.trimmed(), sample.title) << qPrintable(shown.err);
    }
}

TEST_F(InstalledTree, CommandLineRendererRuns)
{
    const QString cli = installed(QStringLiteral("bin/quillum-cli"));
    const ProcessResult help = run(cli, { QStringLiteral("--help") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: quillum-cli render"))) << qPrintable(help.out);

    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString written = out.filePath(QStringLiteral("coffee-300.jpg"));
    const ProcessResult render = run(cli,
        { QStringLiteral("render"), samplePath("coffee.jpg"), written, QStringLiteral("--width"),
            QStringLiteral("300") });
    EXPECT_EQ(render.exitCode, 0) << qPrintable(render.err);
    EXPECT_EQ(fileFormatByContent(written), QStringLiteral("jpeg"));
    EXPECT_EQ(QImageReader(written).size(), QSize(300, 200));
}

// The manual page is written by hand: every option either help text lists must be in it.
TEST(ManPage, DescribesEveryOptionTheHelpLists)
{
    const QString page = QString::fromUtf8(readAll(QStringLiteral(QUILLUM_SOURCE_DIR "/data/quillum-cli.1")));
    ASSERT_FALSE(page.isEmpty());
    const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*[a-z]"));
    for (const QStringList& args : { QStringList { QStringLiteral("--help") },
             QStringList { QStringLiteral("batch"), QStringLiteral("--help") } }) {
        const ProcessResult help = run(QStringLiteral(QUILLUM_CLI), args);
        ASSERT_EQ(help.exitCode, 0);
        QSet<QString> options;
        for (const QRegularExpressionMatch& m : option.globalMatch(help.out))
            options.insert(m.captured(0));
        EXPECT_GT(options.size(), 10);
        for (const QString& o : options) {
            QString roff = o;
            roff.replace(QLatin1Char('-'), QStringLiteral("\\-"));
            EXPECT_TRUE(page.contains(roff)) << qPrintable(o) << " is not in data/quillum-cli.1";
        }
    }
}

} // namespace
