// quillum-cli's output end to end: a missing folder is made, a name is written byte for
// byte or refused, and memory running out ends in a message, never a signal. Run with raw
// argument bytes (QProcess would re-encode them) and, where asked, an address-space limit.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true; // the shadow memory reserves terabytes of address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct CliRun {
    bool exited = false; // false: ended by a signal
    int status = -1; // the exit status, or the signal
    QString errors;
};

// quillum-cli with `args` as given, standard output discarded. One libvips worker and one
// malloc arena keep its address space the same on any machine.
CliRun runCli(const std::vector<QByteArray>& args, rlim_t addressSpace = 0)
{
    QTemporaryFile errors;
    if (!errors.open())
        return {};
    QByteArray program(QUILLUM_CLI);
    std::vector<char*> argv { program.data() };
    std::vector<QByteArray> owned(args);
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QByteArray concurrency("VIPS_CONCURRENCY=1"), arenas("MALLOC_ARENA_MAX=1");
    std::vector<char*> env { concurrency.data(), arenas.data() };
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    env.push_back(nullptr);
    const int errorsFd = errors.handle();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const rlimit noCore { 0, 0 };
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (addressSpace) {
            const rlimit memory { addressSpace, addressSpace };
            ::setrlimit(RLIMIT_AS, &memory);
        }
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(errorsFd, 2);
        ::execve(argv[0], argv.data(), env.data());
        ::_exit(127);
    }
    CliRun run;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return run;
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    QFile written(errors.fileName());
    if (written.open(QIODevice::ReadOnly))
        run.errors = QString::fromUtf8(written.readAll());
    return run;
}

// A folder's entries as the file system spells them.
std::vector<QByteArray> rawEntries(const QByteArray& folder)
{
    std::vector<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool copyBytes(const QString& from, const QByteArray& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = in.readAll();
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 && ::write(fd, data.constData(), std::size_t(data.size())) == data.size();
    return ::close(fd) == 0 && ok;
}

} // namespace

TEST(CliOutput, AMissingFolderIsMadeAndOneThatCannotBeIsSaidWhy)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("blocker"))).open(QIODevice::WriteOnly));
    const struct {
        const char* out;
        const char* message; // nullptr: written
    } rows[] = {
        { "new/out.jpg", nullptr },
        { "new/deeper/still/out.tif", nullptr },
        { "blocker/inside/out.jpg", "cannot be made: “%1/blocker” is a file, not a folder." },
        { "blocker/out.jpg", "cannot be made: “%1/blocker” is a file, not a folder." },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.out);
        const QByteArray out = root + '/' + r.out;
        const CliRun run = runCli({ "render", QFile::encodeName(quillum::test::samplePath("coffee.jpg")), out });
        ASSERT_TRUE(run.exited) << "signal " << run.status;
        struct stat info { };
        if (!r.message) {
            EXPECT_EQ(run.status, 0) << run.errors.toStdString();
            EXPECT_EQ(::stat(out.constData(), &info), 0);
        } else {
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(run.errors.contains(QString::fromUtf8(r.message).arg(dir.path()))) << run.errors.toStdString();
            EXPECT_NE(::stat(out.constData(), &info), 0);
        }
    }
}

// Qt spells names in UTF-8: a name in any other encoding is refused by name, never opened
// as another file or written under another name.
TEST(CliOutput, ANameThatIsNotUtf8IsRefusedNotRewritten)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray latin1 = root + "/caf\xe9.jpg", utf8 = root + "/caf\xc3\xa9.jpg";
    ASSERT_TRUE(copyBytes(quillum::test::samplePath("coffee.jpg"), latin1));
    ASSERT_TRUE(copyBytes(quillum::test::samplePath("coffee.jpg"), utf8));
    const struct {
        const char* name;
        QByteArray in, out;
        const char* refusal; // nullptr: written under exactly `out`
    } rows[] = {
        { "UTF-8 both ways", utf8, root + "/out-\xc3\xa9.jpg", nullptr },
        { "Latin-1 input", latin1, root + "/out.jpg", "cannot be opened: its name is not valid UTF-8" },
        { "Latin-1 output", utf8, root + "/out-\xe9.jpg", "cannot be saved: its name is not valid UTF-8" },
        { "Latin-1 output folder", utf8, root + "/d\xe9/out.jpg", "cannot be saved: its name is not valid UTF-8" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::vector<QByteArray> before = rawEntries(root);
        const CliRun run = runCli({ "render", r.in, r.out });
        ASSERT_TRUE(run.exited) << "signal " << run.status;
        std::vector<QByteArray> after = rawEntries(root);
        if (!r.refusal) {
            EXPECT_EQ(run.status, 0) << run.errors.toStdString();
            struct stat info { };
            EXPECT_EQ(::stat(r.out.constData(), &info), 0) << "under the very bytes asked for";
            after.erase(std::remove(after.begin(), after.end(), r.out.mid(root.size() + 1)), after.end());
        } else {
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(run.errors.contains(QLatin1String(r.refusal))) << run.errors.toStdString();
        }
        EXPECT_EQ(after, before) << "nothing written under another name";
    }
    ::unlink(latin1.constData()); // Qt cannot see it to remove it with the folder
}

// An output that does not fit ends with the message and a failure status. The limits sit
// in the middle of each window measured on Debian 12's libraries (the output alone needs
// about 375 MB; the TIFF's EXIF rewrite or the packed alpha copy needs 550 MB or more).
TEST(CliOutput, MemoryRunningOutEndsInAMessageNotASignal)
{
    if (kSanitized)
        GTEST_SKIP() << "address-space limits do not apply under a sanitizer";
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray in = QFile::encodeName(quillum::test::samplePath("coffee.jpg"));
    const std::vector<QByteArray> size { "--width", "8000", "--height", "6000", "--stretch" };
    const struct {
        const char* name;
        const char* out;
        std::vector<QByteArray> options;
        rlim_t megabytes;
        const char* message; // %1: the input, %2: the output
    } rows[] = {
        { "the output does not fit", "a.jpg", {}, 280,
            "quillum-cli: “%1” could not be rendered: there is not enough memory for the output size." },
        { "the TIFF's metadata does not fit", "b.tif", {}, 480,
            "quillum-cli: There is not enough memory to save “%2” (adding the metadata)." },
        { "the kept alpha does not fit", "c.png", { "--keep-alpha" }, 480,
            "quillum-cli: There is not enough memory to save “%2” (preparing the pixels)." },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QByteArray out = root + '/' + r.out;
        std::vector<QByteArray> args { "render", in, out };
        args.insert(args.end(), size.begin(), size.end());
        args.insert(args.end(), r.options.begin(), r.options.end());
        const CliRun run = runCli(args, r.megabytes << 20);
        ASSERT_TRUE(run.exited) << "ended by signal " << run.status << "\n" << run.errors.toStdString();
        EXPECT_EQ(run.status, 2) << run.errors.toStdString();
        const QString message = QString::fromUtf8(r.message)
                                    .replace(QLatin1String("%1"), QFile::decodeName(in))
                                    .replace(QLatin1String("%2"), QFile::decodeName(out));
        EXPECT_TRUE(run.errors.contains(message)) << run.errors.toStdString();
        EXPECT_TRUE(rawEntries(root).empty()) << "no output and no temporary file";
    }
}
