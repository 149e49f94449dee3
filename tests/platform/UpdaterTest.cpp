// The update check: the feed's rules on their own, then whole checks over file:// feeds.

#include "platform/Updater.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

using namespace quillum;
using Outcome = UpdateCheckResult::Outcome;

namespace {

QByteArray feedWith(const char* items)
{
    return QByteArray(R"(<?xml version="1.0" encoding="utf-8"?><rss version="2.0"><channel><title>Quillum</title>)")
        + items + "</channel></rss>";
}

// The network replies need an event loop; one application serves every test.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_platform";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives until the process ends
}

// Runs the event loop until the check answers or 10 s pass.
std::optional<UpdateCheckResult> check(Updater& updater)
{
    std::optional<UpdateCheckResult> got;
    QEventLoop loop;
    updater.checkForUpdates([&](const UpdateCheckResult& r) {
        got = r;
        loop.quit();
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    if (!got)
        loop.exec();
    return got;
}

} // namespace

TEST(Updater, VersionsParseOnlyDottedNumbers)
{
    struct Row {
        const char* text;
        std::vector<unsigned> want; // empty: rejected
    } rows[] = {
        { "1", { 1 } },
        { "1.10.0", { 1, 10, 0 } },
        { "007", { 7 } },
        { "1.2.3.4.5.6.7.8", { 1, 2, 3, 4, 5, 6, 7, 8 } },
        { "1.2.3.4.5.6.7.8.9", {} },
        { "999999999", { 999999999 } },
        { "4294967296", {} },
        { "", {} },
        { "1.", {} },
        { ".1", {} },
        { "+1", {} },
        { " 1", {} },
        { "1.2b3", {} },
        { "1..2", {} },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const auto got = Updater::parseVersion(QString::fromLatin1(r.text));
        EXPECT_EQ(got.has_value(), !r.want.empty());
        if (got) {
            EXPECT_EQ(*got, r.want);
        }
    }
}

TEST(Updater, FeedDecidesNumberByNumber)
{
    struct Row {
        const char* name;
        QByteArray feed;
        const char* current;
        Outcome outcome;
        const char* newest;
    } rows[] = {
        { "same version", feedWith("<item><version>1.2</version></item>"), "1.2", Outcome::UpToDate, "1.2" },
        { "10 after 9, not before", feedWith("<item><version>1.10</version></item>"), "1.9", Outcome::NewerAvailable,
            "1.10" },
        { "older feed", feedWith("<item><version>1.2</version></item>"), "1.3", Outcome::UpToDate, "1.2" },
        { "missing numbers are 0", feedWith("<item><version>1.3.0</version></item>"), "1.3", Outcome::UpToDate,
            "1.3.0" },
        { "one more number is newer", feedWith("<item><version>1.3.1</version></item>"), "1.3",
            Outcome::NewerAvailable, "1.3.1" },
        { "enclosure attribute", feedWith(R"(<item><enclosure url="x.tar.gz" version="2.0"/></item>)"), "1.9",
            Outcome::NewerAvailable, "2.0" },
        { "element wins over the enclosure",
            feedWith(R"(<item><enclosure version="9.0"/><version> 1.0 </version></item>)"), "1.0", Outcome::UpToDate,
            "1.0" },
        { "namespace prefix", feedWith(R"(<item xmlns:q="urn:q"><q:version>1.4</q:version></item>)"), "1.3",
            Outcome::NewerAvailable, "1.4" },
        { "newest item need not come first",
            feedWith("<item><version>1.1</version></item><item><version>1.5</version></item>"
                     "<item><version>1.4</version></item>"),
            "1.4", Outcome::NewerAvailable, "1.5" },
        { "broken XML", "<rss><channel><item><version>1.2</version></item>", "1.0", Outcome::MalformedFeed, "" },
        { "empty document", "", "1.0", Outcome::MalformedFeed, "" },
        { "an HTML page", "<html><body>Sign in</body></html>", "1.0", Outcome::MalformedFeed, "" },
        { "item without a version", feedWith("<item><version>2.0</version></item><item><title/></item>"), "1.0",
            Outcome::MalformedFeed, "" },
        { "version with letters", feedWith("<item><version>2.0beta</version></item>"), "1.0",
            Outcome::MalformedFeed, "" },
        { "nested items", feedWith("<item><item><version>2</version></item></item>"), "1.0", Outcome::MalformedFeed,
            "" },
        { "own version unknown", feedWith("<item><version>2.0</version></item>"), "", Outcome::Failed, "" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const UpdateCheckResult got = Updater::evaluateFeed(r.feed, QString::fromLatin1(r.current));
        EXPECT_EQ(got.outcome, r.outcome);
        EXPECT_EQ(got.newestVersion, QString::fromLatin1(r.newest));
        EXPECT_FALSE(got.message.isEmpty());
        if (r.outcome == Outcome::NewerAvailable) {
            EXPECT_TRUE(got.message.contains(QString::fromLatin1(r.newest))) << got.message.toStdString();
        }
    }
}

TEST(Updater, ChecksLocalFeedsAndSaysWhatWentWrong)
{
    ensureApplication();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row {
        const char* name;
        const char* file; // nullptr: not written
        QByteArray contents;
        Outcome outcome;
        const char* words;
    } rows[] = {
        { "up to date", "same.xml", feedWith("<item><version>1.2</version></item>"), Outcome::UpToDate, "newest" },
        { "newer", "newer.xml", feedWith("<item><version>1.3</version></item>"), Outcome::NewerAvailable,
            "1.3 is available" },
        { "malformed", "bad.xml", "<rss><item>", Outcome::MalformedFeed, "could not be read" },
        { "missing file", nullptr, {}, Outcome::Unreachable, "could not get the update information" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const QString path = dir.filePath(QString::fromLatin1(r.file ? r.file : "absent.xml"));
        if (r.file) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(r.contents);
        }
        Updater updater;
        updater.setCurrentVersion(QStringLiteral("1.2"));
        updater.setFeedURL(QUrl::fromLocalFile(path));
        const auto got = check(updater);
        ASSERT_TRUE(got.has_value()) << "no answer within 10 s";
        EXPECT_EQ(got->outcome, r.outcome);
        EXPECT_TRUE(got->message.contains(QString::fromLatin1(r.words))) << got->message.toStdString();
        EXPECT_FALSE(updater.isChecking());
    }
}

TEST(Updater, AnswersLaterOnceToEveryWaitingCaller)
{
    ensureApplication();
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("feed.xml")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(feedWith("<item><version>3.0</version></item>"));
    f.close();

    QCoreApplication::setApplicationVersion(QStringLiteral("2.9"));
    Updater updater;
    updater.setFeedURL(QUrl::fromLocalFile(f.fileName()));
    int first = 0, byDefault = 0;
    updater.setResultHandler([&](const UpdateCheckResult& r) {
        ++byDefault;
        EXPECT_EQ(r.outcome, Outcome::NewerAvailable) << "the application's own version counts";
    });
    updater.checkForUpdates([&](const UpdateCheckResult&) { ++first; });
    updater.checkForUpdates();
    EXPECT_EQ(first + byDefault, 0) << "never from inside the call";
    EXPECT_TRUE(updater.isChecking());
    const auto last = check(updater); // joins the same check
    QCoreApplication::setApplicationVersion({});
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(first, 1);
    EXPECT_EQ(byDefault, 1);

    // No address: said later too.
    Updater empty;
    bool answeredAtOnce = false;
    empty.checkForUpdates([&](const UpdateCheckResult&) { answeredAtOnce = true; });
    EXPECT_FALSE(answeredAtOnce);
    const auto noAddress = check(empty);
    ASSERT_TRUE(noAddress.has_value());
    EXPECT_EQ(noAddress->outcome, Outcome::Failed);
}

TEST(Updater, DestroyedMidCheckNeverAnswers)
{
    ensureApplication();
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("feed.xml")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(feedWith("<item><version>3.0</version></item>"));
    f.close();
    bool answered = false;
    {
        Updater updater;
        updater.setFeedURL(QUrl::fromLocalFile(f.fileName()));
        updater.checkForUpdates([&](const UpdateCheckResult&) { answered = true; });
    }
    {
        Updater noAddress;
        noAddress.checkForUpdates([&](const UpdateCheckResult&) { answered = true; });
    }
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(answered);
}
