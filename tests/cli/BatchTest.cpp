// quillum-cli batch end to end: what a folder with broken files gives, the names across a
// batch, dry runs, existing files, shards and their reports, exit codes, and Ctrl+C leaving
// nothing partial behind.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

struct Batch {
    int exitCode = -1;
    QString out;
    QString err;
};

// With `interruptWhenIn`, Ctrl+C comes as soon as a first output is in that folder.
Batch runBatch(const QStringList& args, const QString& interruptWhenIn = {})
{
    QProcess p;
    p.start(QStringLiteral(QUILLUM_CLI), QStringList { QStringLiteral("batch") } + args);
    if (!p.waitForStarted())
        return {};
    if (!interruptWhenIn.isEmpty()) {
        while (p.state() == QProcess::Running
            && QDir(interruptWhenIn).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty())
            p.waitForFinished(20);
        ::kill(pid_t(p.processId()), SIGINT);
    }
    p.waitForFinished(120000);
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
        QString::fromUtf8(p.readAllStandardError()) };
}

// A folder of photos: the samples (one copy each, or `copies`), plus any extra files.
QString makeFolder(const QTemporaryDir& dir, const QString& name, int copies = 1, const QStringList& extra = {})
{
    const QString folder = dir.filePath(name);
    QDir().mkpath(folder);
    const QStringList samples { QStringLiteral("astronaut.jpg"), QStringLiteral("coffee.jpg"),
        QStringLiteral("rocket.jpg") };
    for (int c = 0; c < copies; ++c)
        for (const QString& s : samples)
            QFile::copy(quillum::test::samplePath(qPrintable(s)),
                folder + QLatin1Char('/')
                    + (copies > 1 ? QStringLiteral("%1-").arg(c, 3, 10, QLatin1Char('0')) : QString()) + s);
    for (const QString& e : extra)
        QFile::copy(quillum::test::dataPath(qPrintable(e)), folder + QLatin1Char('/') + e);
    return folder;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

TEST(Batch, AFolderWithBrokenFilesNamesEachAndWritesTheRest)
{
    QTemporaryDir dir;
    const QString in = makeFolder(dir, QStringLiteral("in"), 1,
        { QStringLiteral("notanimage.jpg"), QStringLiteral("truncated.jpg"), QStringLiteral("empty.jpg") });
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString report = dir.filePath(QStringLiteral("report.jsonl"));
    const Batch b = runBatch({ in, QStringLiteral("--out"), out, QStringLiteral("--width"), QStringLiteral("300"),
        QStringLiteral("--report"), report, QStringLiteral("--jobs"), QStringLiteral("2") });
    EXPECT_EQ(b.exitCode, 1) << b.err.toStdString();
    for (const char* broken : { "notanimage.jpg", "empty.jpg" })
        EXPECT_TRUE(b.out.contains(QString::fromLatin1(broken))) << broken << b.out.toStdString();
    for (const char* good : { "astronaut.jpg", "coffee.jpg", "rocket.jpg" })
        EXPECT_EQ(
            quillum::test::fileFormatByContent(out + QLatin1Char('/') + QLatin1String(good)), QStringLiteral("jpeg"))
            << good;

    QFile r(report);
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    int lines = 0, failed = 0;
    for (const QByteArray& line : r.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        ++lines;
        failed += o.value(QStringLiteral("status")).toString() == QLatin1String("failed");
        EXPECT_FALSE(o.value(QStringLiteral("input")).toString().isEmpty());
        if (o.value(QStringLiteral("status")).toString() == QLatin1String("failed")) {
            EXPECT_FALSE(o.value(QStringLiteral("reason")).toString().isEmpty());
        }
    }
    EXPECT_EQ(lines, 6);
    EXPECT_GE(failed, 2); // a truncated JPEG may still decode
}

TEST(Batch, NamesDryRunsExistingFilesAndExitCodes)
{
    QTemporaryDir dir;
    const QString a = makeFolder(dir, QStringLiteral("a"));
    const QString b = makeFolder(dir, QStringLiteral("b"));
    const QString out = dir.filePath(QStringLiteral("out"));

    // Same names from two folders never share an output; nothing is written by a dry run.
    Batch dry = runBatch({ a, b, QStringLiteral("--out"), out, QStringLiteral("--dry-run") });
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_EQ(dry.out.count(QStringLiteral(" -> ")), 6);
    EXPECT_FALSE(QFileInfo::exists(out));

    struct Naming {
        QStringList args;
        QStringList names;
    } namings[] = {
        { {}, { "astronaut.jpg", "astronaut1.jpg", "coffee.jpg", "coffee1.jpg", "rocket.jpg", "rocket1.jpg" } },
        { { "--rule", "count", "--type", "png" },
            { "astronaut-0001.png", "astronaut-0002.png", "coffee-0001.png", "coffee-0002.png", "rocket-0001.png",
                "rocket-0002.png" } },
        { { "--rule", "running", "--first-name", "Trip-0098" },
            { "Trip-0098.jpg", "Trip-0099.jpg", "Trip-0100.jpg", "Trip-0101.jpg", "Trip-0102.jpg", "Trip-0103.jpg" } },
    };
    for (const Naming& n : namings) {
        const QString o = dir.filePath(QStringLiteral("named-%1").arg(n.names.first()));
        const Batch run = runBatch(
            QStringList { a, b, QStringLiteral("--out"), o, QStringLiteral("--width"), QStringLiteral("64") } + n.args);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(filesIn(o), n.names);
    }

    // An existing output is kept unless --overwrite.
    QDir().mkpath(out);
    QFile mine(out + QStringLiteral("/coffee.jpg"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    Batch kept = runBatch({ a, QStringLiteral("--out"), out, QStringLiteral("--width"), QStringLiteral("64") });
    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_EQ(QFileInfo(mine.fileName()).size(), 4);
    EXPECT_TRUE(kept.out.contains(QStringLiteral("1 already there")));
    Batch replaced = runBatch({ a, QStringLiteral("--out"), out, QStringLiteral("--overwrite"),
        QStringLiteral("--width"), QStringLiteral("64") });
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_EQ(quillum::test::fileFormatByContent(mine.fileName()), QStringLiteral("jpeg"));

    const QStringList usage[] = {
        { a, QStringLiteral("--out"), out, QStringLiteral("--crop"), QStringLiteral("0,0,5,5") },
        { a, QStringLiteral("--out"), out, QStringLiteral("--frobnicate") },
        { a },
        { a, QStringLiteral("--out"), out, QStringLiteral("--shard"), QStringLiteral("3/2") },
        { a, QStringLiteral("--out"), out, QStringLiteral("--preset"), dir.filePath(QStringLiteral("none.zentpres")) },
        { a, QStringLiteral("--out"), out, QStringLiteral("--name"), QStringLiteral("x") },
    };
    for (const QStringList& args : usage)
        EXPECT_EQ(runBatch(args).exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
}

TEST(Batch, ShardsSplitTheListAndTheirReportsJoin)
{
    QTemporaryDir dir;
    const QString in = makeFolder(dir, QStringLiteral("in"), 3);
    QStringList all;
    for (int k = 1; k <= 3; ++k) {
        const QString report = dir.filePath(QStringLiteral("r%1.jsonl").arg(k));
        const Batch b = runBatch({ in, QStringLiteral("--out"), dir.filePath(QStringLiteral("out")),
            QStringLiteral("--shard"), QStringLiteral("%1/3").arg(k), QStringLiteral("--width"), QStringLiteral("64"),
            QStringLiteral("--report"), report });
        EXPECT_EQ(b.exitCode, 0) << b.err.toStdString();
        QFile r(report);
        ASSERT_TRUE(r.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = r.readAll().trimmed().split('\n');
        EXPECT_EQ(lines.size(), 3) << k;
        for (const QByteArray& line : lines)
            all << QJsonDocument::fromJson(line).object().value(QStringLiteral("output")).toString();
    }
    all.sort();
    EXPECT_EQ(all.size(), 9);
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size());
    EXPECT_EQ(filesIn(dir.filePath(QStringLiteral("out"))).size(), 9);
}

TEST(Batch, CtrlCLeavesOnlyWholeFiles)
{
    QTemporaryDir dir;
    const QString in = makeFolder(dir, QStringLiteral("in"), 20);
    const QString out = dir.filePath(QStringLiteral("out"));
    const Batch b = runBatch(
        { in, QStringLiteral("--out"), out, QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--width"),
            QStringLiteral("2000"), QStringLiteral("--sharpen"), QStringLiteral("2") },
        out);
    EXPECT_EQ(b.exitCode, 1) << b.out.toStdString() << b.err.toStdString();
    EXPECT_TRUE(b.out.contains(QStringLiteral("not done (stopped)"))) << b.out.toStdString();
    const QStringList files = filesIn(out);
    EXPECT_LT(files.size(), 60);
    for (const QString& f : files) {
        EXPECT_FALSE(f.startsWith(QLatin1Char('.'))) << "a temporary file was left: " << f.toStdString();
        QFile file(out + QLatin1Char('/') + f);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().endsWith("\xff\xd9")) << f.toStdString() << " is cut short";
    }
}
