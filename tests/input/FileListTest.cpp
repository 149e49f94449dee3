// The picture list of a folder: accepted names, order, recursion with link loops, folders
// that vanish before they are read, undecodable names; the recent lists; file facts.
// Folders that cannot be read are simulated by removal: these tests run as root.

#include "input/FileList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillum;

namespace {

void touch(const QString& path, const QByteArray& bytes = {})
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write(bytes);
}

QStringList names(const QStringList& paths, const QString& home)
{
    QStringList out;
    for (const QString& p : paths)
        out << QDir(home).relativeFilePath(p);
    return out;
}

} // namespace

TEST(FileList, AcceptedNamesByExtensionOnly)
{
    for (const char* yes : { "A.JPG", "b.JpEg", "c.tif", "d.TIFF", "e.png", ".png" })
        EXPECT_TRUE(isAcceptedPictureName(QString::fromUtf8(yes))) << yes;
    for (const char* no : { "archive.jpg.txt", "a.jpgx", "a.", "jpg", "" })
        EXPECT_FALSE(isAcceptedPictureName(QString::fromUtf8(no))) << no;
}

TEST(FileList, NotNumericCaseInsensitiveOrderOfTheFolder)
{
    QTemporaryDir dir;
    for (const char* n : { "b2.jpg", "notes.txt", "b10.jpg", "a.JPG", "folder/inner.jpg" })
        touch(dir.filePath(QString::fromUtf8(n)));
    EXPECT_EQ(names(listPictures(dir.path(), false), dir.path()), (QStringList { "a.JPG", "b10.jpg", "b2.jpg" }));
}

TEST(FileList, OnlyVisibleRegularFilesAndVisibleFoldersCount)
{
    QTemporaryDir dir;
    for (const char* n : { "a.jpg", "._IMG_0001.jpg", ".c.png", "album.jpg/inner.jpg", ".hidden/d.jpg", "sub/.e.png",
             "sub/f.png", "sub/.deeper/g.jpg" })
        touch(dir.filePath(QString::fromUtf8(n)));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("a.jpg")), dir.filePath(QStringLiteral("link.jpg"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone.jpg")), dir.filePath(QStringLiteral("dangling.jpg"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.jpg"))).constData(), 0600), 0);
    // Left out: names starting with a dot (resource forks, hidden folders and all beneath
    // them), a folder named like a picture, a link to nothing, a pipe. A link to a picture
    // opens like the picture, so it stays.
    EXPECT_EQ(names(listPictures(dir.path(), false), dir.path()), (QStringList { "a.jpg", "link.jpg" }));
    EXPECT_EQ(names(listPictures(dir.path(), true), dir.path()),
        (QStringList { "a.jpg", "album.jpg/inner.jpg", "link.jpg", "sub/f.png" }));
}

TEST(FileList, TiesUnderCaseInsensitiveOrderFallBackToPlainText)
{
    const QStringList rows[][2] = {
        { { "/p/a.jpg", "/p/A.jpg" }, { "/p/A.jpg", "/p/a.jpg" } },
        { { "/p/A.jpg", "/p/a.jpg" }, { "/p/A.jpg", "/p/a.jpg" } },
        { { "/p/z.jpg", "/p/sub/a.jpg", "/p/a.jpg" }, { "/p/a.jpg", "/p/sub/a.jpg", "/p/z.jpg" } },
    };
    for (const auto& r : rows) {
        QStringList list = r[0];
        sortPicturePaths(list, QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(list, r[1]);
    }
    EXPECT_NE(pictureSortLocale().language(), QLocale::C);
}

TEST(FileList, RecursionJoinsRelativePathsAndEndsOnLinkLoops)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    for (const char* n : { "home/a.jpg", "home/sub/b.jpg", "home/sub/deeper/c.png", "elsewhere/d.jpg" })
        touch(dir.filePath(QString::fromUtf8(n)));
    // Two loops, a second way into a folder already read, and a way out of the tree.
    for (auto [target, link] : { std::pair { "..", "home/sub/up" }, { "home", "home/sub/deeper/self" },
             { "home/sub", "home/again" }, { "elsewhere", "home/out" } }) {
        const QString t = QString::fromUtf8(target);
        ASSERT_TRUE(QFile::link(t == ".." ? t : dir.filePath(t), dir.filePath(QString::fromUtf8(link))));
    }
    EXPECT_EQ(names(listPictures(home, false), home), QStringList { "a.jpg" });
    EXPECT_EQ(
        names(listPictures(home, true), home), (QStringList { "a.jpg", "out/d.jpg", "sub/b.jpg", "sub/deeper/c.png" }));
}

TEST(FileList, FolderThatVanishesBeforeReadingIsSkipped)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.jpg")));
    touch(dir.filePath(QStringLiteral("gone/b.jpg")));
    touch(dir.filePath(QStringLiteral("kept/c.jpg")));
    const QString gone = dir.filePath(QStringLiteral("gone"));
    int probes = 0;
    const QStringList list = listPictures(dir.path(), true, [&](const QString& folder) {
        ++probes;
        if (folder == gone)
            QDir(gone).removeRecursively();
    });
    EXPECT_EQ(names(list, dir.path()), (QStringList { "a.jpg", "kept/c.jpg" }));
    EXPECT_EQ(probes, 3);
}

TEST(FileList, UndecodableNamesDoNotBreakTheList)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.jpg")));
    const QByteArray raws[] = { QByteArray("bad\xff.jpg"), QByteArray("\xc3(.png"), QByteArray("z\xe9.tif") };
    for (const QByteArray& raw : raws)
        ::close(::open((QFile::encodeName(dir.path()) + '/' + raw).constData(), O_CREAT | O_WRONLY, 0600));
    const QStringList list = listPictures(dir.path(), true);
    ASSERT_FALSE(list.isEmpty());
    EXPECT_TRUE(list.contains(dir.filePath(QStringLiteral("a.jpg"))));
    // Whatever is listed can be reached again through the file-name encoding.
    for (const QString& p : list) {
        struct stat st;
        EXPECT_EQ(::lstat(QFile::encodeName(p).constData(), &st), 0) << qPrintable(p);
    }
    // Names that do not decode cannot be removed through QDir either.
    for (const QByteArray& raw : raws)
        ::unlink((QFile::encodeName(dir.path()) + '/' + raw).constData());
}

TEST(FileList, RecentListKeepsTenNewestFirst)
{
    const QString temp = QStringLiteral("/scratch/tmp");
    QStringList ten;
    for (int i = 10; i >= 1; --i)
        ten << QStringLiteral("/photos/%1.jpg").arg(i);

    struct Row {
        const char* name;
        QStringList before;
        const char* path;
        bool changed;
        QStringList after;
    } rows[] = {
        { "eleventh drops the oldest", ten, "/photos/11.jpg", true,
            QStringList { QStringLiteral("/photos/11.jpg") } + ten.mid(0, 9) },
        { "existing moves to the front", ten, "/photos/3.jpg", true,
            QStringList { QStringLiteral("/photos/3.jpg") } + ten.mid(0, 7) + ten.mid(8) },
        { "already first", ten, "/photos/10.jpg", false, ten },
        { "platform temporary location", ten, "/private/var/folders/xy/T/a.jpg", false, ten },
        { "under the temporary directory", ten, "/scratch/tmp/quillum/a.jpg", false, ten },
        { "the temporary directory itself", ten, "/scratch/tmp", false, ten },
        { "a sibling sharing the prefix is recorded", {}, "/scratch/tmpfiles/a.jpg", true,
            { "/scratch/tmpfiles/a.jpg" } },
        { "an overlong stored list is cut", ten + ten, "/photos/new.jpg", true,
            QStringList { QStringLiteral("/photos/new.jpg") } + ten.mid(0, 9) },
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(addRecentItem(QString::fromUtf8(r.path), r.before, temp), r.changed);
        EXPECT_EQ(r.before, r.after);
        EXPECT_LE(r.before.size(), kMaxRecentItems);
    }
}

TEST(FileList, FileFactsDoNotFollowAFinalLink)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file.jpg"));
    touch(file, QByteArray(5000, 'x'));
    const QString link = dir.filePath(QStringLiteral("link.jpg"));
    ASSERT_TRUE(QFile::link(file, link));

    EXPECT_EQ(fileSizeNoFollow(file), 5000);
    ASSERT_TRUE(fileSizeNoFollow(link));
    EXPECT_EQ(*fileSizeNoFollow(link), file.toUtf8().size()) << "a link's size is its target text";
    EXPECT_FALSE(fileSizeNoFollow(dir.filePath(QStringLiteral("none.jpg"))));

    QFile f(file);
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(modDateNoFollow(file), old);
    ASSERT_TRUE(modDateNoFollow(link));
    EXPECT_NE(*modDateNoFollow(link), old);
    EXPECT_FALSE(modDateNoFollow(dir.filePath(QStringLiteral("none.jpg"))));
}
