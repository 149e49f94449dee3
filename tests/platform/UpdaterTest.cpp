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
    return QByteArray("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>") + items + "</channel></rss>";
}

// Network replies need an event loop; one application serves every test.
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
    updater.checkForUpdates([&](const UpdateCheckResult& r) { got = r, loop.quit(); });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    return got;
}

} // namespace

TEST(Updater, FeedDecidesNumberByNumber)
{
    struct Row {
        const char* name;
        QByteArray feed;
        const char* current;
        Outcome outcome;
    } rows[] = {
        { "same version", feedWith("<item><version>1.2</version></item>"), "1.2", Outcome::UpToDate },
        { "10 after 9", feedWith("<item><version>1.10</version></item>"), "1.9", Outcome::NewerAvailable },
        { "missing numbers are 0", feedWith("<item><version>1.3.0</version></item>"), "1.3", Outcome::UpToDate },
        { "enclosure attribute", feedWith("<item><enclosure version=\"2.0\"/></item>"), "1.9",
            Outcome::NewerAvailable },
        { "element wins over enclosure", feedWith("<item><enclosure version=\"9\"/><version> 1.0 </version></item>"),
            "1.0", Outcome::UpToDate },
        { "namespace prefix", feedWith("<item xmlns:q=\"urn:q\"><q:version>1.4</q:version></item>"), "1.3",
            Outcome::NewerAvailable },
        { "newest not first", feedWith("<item><version>1.5</version></item><item><version>1.1</version></item>"), "1.4",
            Outcome::NewerAvailable },
        { "truncated XML", "<rss><channel><item><version>1.2</version></item>", "1.0", Outcome::MalformedFeed },
        { "an HTML page", "<html><body>Sign in</body></html>", "1.0", Outcome::MalformedFeed },
        { "an item without version", feedWith("<item><version>2</version></item><item/>"), "1.0",
            Outcome::MalformedFeed },
        { "letters in the version", feedWith("<item><version>2.0b1</version></item>"), "1.0", Outcome::MalformedFeed },
        { "ten digits overflow", feedWith("<item><version>4294967296</version></item>"), "1", Outcome::MalformedFeed },
        { "own version unknown", feedWith("<item><version>2.0</version></item>"), "", Outcome::Failed },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const UpdateCheckResult got = Updater::evaluateFeed(r.feed, QString::fromLatin1(r.current));
        EXPECT_EQ(got.outcome, r.outcome);
        EXPECT_FALSE(got.message.isEmpty());
    }
}

TEST(Updater, ChecksLocalFeedsAndSaysWhatWentWrong)
{
    ensureApplication();
    QTemporaryDir dir;
    struct Row {
        const char* file; // nullptr: not written
        QByteArray contents;
        Outcome outcome;
        const char* words;
    } rows[] = {
        { "same.xml", feedWith("<item><version>1.2</version></item>"), Outcome::UpToDate, "newest version" },
        { "newer.xml", feedWith("<item><version>1.3</version></item>"), Outcome::NewerAvailable, "1.3 is available" },
        { "bad.xml", "<rss><item>", Outcome::MalformedFeed, "could not be read" },
        { nullptr, {}, Outcome::Unreachable, "could not get the update information" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file ? r.file : "missing file");
        QFile f(dir.filePath(QString::fromLatin1(r.file ? r.file : "absent.xml")));
        if (r.file) {
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(r.contents);
            f.close();
        }
        Updater updater;
        updater.setCurrentVersion(QStringLiteral("1.2"));
        updater.setFeedURL(QUrl::fromLocalFile(f.fileName()));
        const auto got = check(updater);
        ASSERT_TRUE(got.has_value()) << "no answer within 10 s";
        EXPECT_EQ(got->outcome, r.outcome);
        EXPECT_TRUE(got->message.contains(QString::fromLatin1(r.words))) << got->message.toStdString();
    }
}

TEST(Updater, AnswersLaterOnceAndNeverAfterItsEnd)
{
    ensureApplication();
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("feed.xml")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(feedWith("<item><version>3.0</version></item>"));
    f.close();

    QCoreApplication::setApplicationVersion(QStringLiteral("3.0"));
    Updater updater;
    updater.setFeedURL(QUrl::fromLocalFile(f.fileName()));
    int byDefault = 0;
    updater.setResultHandler([&](const UpdateCheckResult& r) { byDefault += r.outcome == Outcome::UpToDate; });
    updater.checkForUpdates();
    EXPECT_EQ(byDefault, 0) << "never from inside the call";
    ASSERT_TRUE(check(updater).has_value()); // joins the running check
    QCoreApplication::setApplicationVersion({});
    EXPECT_EQ(byDefault, 1);
    Updater noAddress;
    const auto failed = check(noAddress);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->outcome, Outcome::Failed);

    bool answered = false;
    for (const QUrl& url : { QUrl::fromLocalFile(f.fileName()), QUrl() }) {
        Updater gone;
        gone.setFeedURL(url);
        gone.checkForUpdates([&](const UpdateCheckResult&) { answered = true; });
    }
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(answered);
}
