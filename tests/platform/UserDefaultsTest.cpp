// The settings store: every kind survives the file, the defaults layer, and damaged or
// unwritable files that must never stop the program.

#include "platform/KeyedArchive.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <csignal>

#include <sys/resource.h>

using namespace quillum;

namespace {

using Kind = UserDefaults::Kind;

std::vector<UserDefaults::Default> someDefaults()
{
    return {
        { QStringLiteral("Flag"), Kind::Boolean, true },
        { QStringLiteral("Count"), Kind::Integer, 90 },
        { QStringLiteral("Margin"), Kind::Float, 0.1f },
        { QStringLiteral("Name"), Kind::String, QStringLiteral("ImageCrop-0001") },
        { QStringLiteral("Colour"), Kind::Color, QColor(Qt::blue) },
    };
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(UserDefaults, EveryKindSurvivesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Quillum.ini"));
    const QColor deep = QColor::fromRgba64(QRgba64::fromRgba64(1, 65534, 32769, 12345));
    const QStringList paths { QStringLiteral("/a, b/c.jpg"), QStringLiteral("@x"), QStringLiteral("ünï \"q\"") };
    {
        UserDefaults store(path);
        store.setBool(QStringLiteral("Flag"), false);
        store.setInteger(QStringLiteral("Count"), -7);
        store.setFloat(QStringLiteral("Margin"), 0.3f);
        store.setString(QStringLiteral("Name"), QStringLiteral("@odd, name = \"x\""));
        store.setColor(QStringLiteral("Colour"), deep);
        store.setArray(QStringLiteral("Many"), paths);
        store.setArray(QStringLiteral("One"), { QStringLiteral("/only/one.jpg") });
        store.setArray(QStringLiteral("None"), {});
        store.setData(QStringLiteral("Blob"), QByteArray("\0\xff\n[x]=", 7));
        store.saveFrameUsingName(QStringLiteral("panel"), { 10.5, -20, 300, 200 });
        ASSERT_TRUE(store.synchronize().ok());
    }
    UserDefaults store(path);
    store.registerDefaults(someDefaults());
    EXPECT_FALSE(store.boolForKey(QStringLiteral("Flag")));
    EXPECT_EQ(store.integerForKey(QStringLiteral("Count")), -7);
    EXPECT_EQ(store.floatForKey(QStringLiteral("Margin")), 0.3f);
    EXPECT_EQ(store.stringForKey(QStringLiteral("Name")), QStringLiteral("@odd, name = \"x\""));
    EXPECT_EQ(store.colorForKey(QStringLiteral("Colour"))->rgba64(), deep.rgba64());
    EXPECT_EQ(store.arrayForKey(QStringLiteral("Many")), paths);
    EXPECT_EQ(store.arrayForKey(QStringLiteral("One")), QStringList { QStringLiteral("/only/one.jpg") });
    EXPECT_TRUE(store.arrayForKey(QStringLiteral("None")).isEmpty());
    EXPECT_EQ(store.dataForKey(QStringLiteral("Blob")), QByteArray("\0\xff\n[x]=", 7));
    EXPECT_EQ(store.frameUsingName(QStringLiteral("panel")), (Rect { 10.5, -20, 300, 200 }));
    EXPECT_FALSE(store.fileWasDamaged());
}

TEST(UserDefaults, MissingKeysReadAsTheirDefaultOrTheEmptyValue)
{
    UserDefaults store; // no file
    store.registerDefaults(someDefaults());
    EXPECT_TRUE(store.boolForKey(QStringLiteral("Flag")));
    EXPECT_EQ(store.integerForKey(QStringLiteral("Count")), 90);
    EXPECT_EQ(store.floatForKey(QStringLiteral("Margin")), 0.1f);
    EXPECT_EQ(store.stringForKey(QStringLiteral("Name")), QStringLiteral("ImageCrop-0001"));
    EXPECT_EQ(store.colorForKey(QStringLiteral("Colour")), QColor(Qt::blue));
    // Unregistered: the kind's empty value.
    EXPECT_FALSE(store.boolForKey(QStringLiteral("Other")));
    EXPECT_EQ(store.integerForKey(QStringLiteral("Other")), 0);
    EXPECT_EQ(store.floatForKey(QStringLiteral("Other")), 0.0f);
    EXPECT_FALSE(store.stringForKey(QStringLiteral("Other")));
    EXPECT_FALSE(store.colorForKey(QStringLiteral("Other")));
    EXPECT_TRUE(store.arrayForKey(QStringLiteral("Other")).isEmpty());
    EXPECT_TRUE(store.dataForKey(QStringLiteral("Other")).isEmpty());
    EXPECT_FALSE(store.frameUsingName(QStringLiteral("panel")));
}

// A damaged, truncated or hand-edited file: what cannot be read takes its default, what can
// be read is kept, and nothing crashes.
TEST(UserDefaults, DamagedValuesReadAsTheirDefault)
{
    struct Row {
        const char* name;
        QByteArray file;
        bool flag;
        int count;
        float margin;
        bool colourIsDefault;
    } rows[] = {
        { "wrong kinds", "[General]\nFlag=maybe\nCount=abc\nMargin=nan\nColour=blue\n", true, 90, 0.1f, true },
        { "out of the int range", "[General]\nCount=99999999999\nMargin=inf\n", true, 90, 0.1f, true },
        { "a list where one value belongs", "[General]\nCount=1, 2\nFlag=false\n", false, 90, 0.1f, true },
        { "truncated in a line", "[General]\nFlag=false\nCount=4\nMarg", false, 4, 0.1f, true },
        { "binary garbage", QByteArray::fromHex("00fffe5b5b5b3d0102"), true, 90, 0.1f, true },
        { "a colour archive that is not one", "[General]\nColour=@ByteArray(\\xa1\\x01)\n", true, 90, 0.1f, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quillum.ini"));
        writeFile(path, r.file);
        UserDefaults store(path);
        store.registerDefaults(someDefaults());
        EXPECT_EQ(store.boolForKey(QStringLiteral("Flag")), r.flag);
        EXPECT_EQ(store.integerForKey(QStringLiteral("Count")), r.count);
        EXPECT_EQ(store.floatForKey(QStringLiteral("Margin")), r.margin);
        EXPECT_EQ(store.colorForKey(QStringLiteral("Colour")) == QColor(Qt::blue), r.colourIsDefault);
    }
}

// A folder that cannot be made, or a disk that fills up during the write, is reported and
// the file that was there stays whole (run as root, permissions cannot stop a write).
TEST(UserDefaults, AFailedWriteSaysSoAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillum.ini"));
    {
        UserDefaults store(path);
        store.setInteger(QStringLiteral("Count"), 5);
        store.setString(QStringLiteral("Long"), QString(4000, QLatin1Char('x')));
        ASSERT_TRUE(store.synchronize().ok());
    }
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    // A file where the folder should be.
    writeFile(dir.filePath(QStringLiteral("blocked")), "x");
    UserDefaults blocked(dir.filePath(QStringLiteral("blocked/Quillum.ini")));
    const Status noFolder = blocked.synchronize();
    ASSERT_FALSE(noFolder.ok());
    EXPECT_TRUE(noFolder.error().contains(QStringLiteral("blocked")));

    // A full disk: the file may not grow past 1 KB while it is written.
    UserDefaults store(path);
    store.setInteger(QStringLiteral("Count"), 6);
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status full = store.synchronize();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previous);
    ASSERT_FALSE(full.ok());
    EXPECT_TRUE(full.error().contains(path));
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(UserDefaults(path).integerForKey(QStringLiteral("Count")), 5);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase),
        (QStringList { QStringLiteral("blocked"), QStringLiteral("Quillum.ini") }))
        << "no temporary file is left";
}

TEST(KeyedArchive, ColoursRoundTripAndForeignDataIsRefused)
{
    for (const QColor& c : { QColor(Qt::transparent), QColor(255, 255, 0), QColor(0, 0, 255, 128),
             QColor::fromRgba64(QRgba64::fromRgba64(65535, 1, 2, 3)) })
        EXPECT_EQ(unarchiveColor(archivedColor(c))->rgba64(), c.rgba64());
    QByteArray trailing = archivedColor(Qt::red) + QByteArray("x");
    for (const QByteArray& bad : { QByteArray(), QByteArray("garbage"), trailing,
             archivedDataWithRootObject(QCborMap { { QStringLiteral("$class"), QStringLiteral("Font") } }) })
        EXPECT_FALSE(unarchiveColor(bad));
}
