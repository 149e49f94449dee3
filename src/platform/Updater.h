#pragma once
// Checks whether a newer Quillum has been published. It only reads a small feed and says
// what it found; it never downloads or installs a release. Main thread only; needs a
// running Qt event loop (QCoreApplication) for the answer to arrive.
//
// The feed (any URL QNetworkAccessManager reads: https://, http://, file://) is RSS-like XML:
//
//   <?xml version="1.0" encoding="utf-8"?>
//   <rss version="2.0">
//     <channel>
//       <title>Quillum</title>
//       <item>
//         <title>Quillum 1.3</title>
//         <version>1.3</version>
//         <enclosure url="https://quillum.example.org/quillum-1.3.tar.gz" version="1.3"/>
//       </item>
//     </channel>
//   </rss>
//
// An <item> names its release by a <version> element, or failing that by the `version`
// attribute of its <enclosure>; elements are matched by local name, so a namespace prefix
// does no harm. Every item must carry a version; the newest one counts. A version is one to
// eight dot-separated decimal numbers ("1", "1.3", "2.0.11"), compared number by number with
// missing numbers read as 0 (1.3 == 1.3.0). A feed with no <item>, an item without a
// version, a version of another form or broken XML is malformed. Feeds above 1 MiB are
// refused as malformed.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace quillum {

struct UpdateCheckResult {
    // Failed: nothing to check against (no feed address, no event loop, Quillum's own
    // version unknown).
    enum class Outcome { UpToDate, NewerAvailable, Unreachable, MalformedFeed, Failed };
    Outcome outcome = Outcome::Unreachable;
    QString newestVersion; // from the feed; empty unless UpToDate or NewerAvailable
    QString message; // a sentence or two for the user
    QString detail; // the technical cause (network error text, XML error); may be empty
};

class Updater {
public:
    using ResultHandler = std::function<void(const UpdateCheckResult&)>;

    Updater() = default;
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    void setFeedURL(const QUrl& url) { m_feedURL = url; }
    const QUrl& feedURL() const { return m_feedURL; }
    // Empty (the default) means QCoreApplication::applicationVersion() at check time.
    void setCurrentVersion(const QString& version) { m_currentVersion = version; }
    QString currentVersion() const;
    // Receives every result unless a check is given its own handler.
    void setResultHandler(ResultHandler handler) { m_resultHandler = std::move(handler); }

    // Reads the feed and reports exactly once, later from the event loop (never from inside
    // this call, except that without a QCoreApplication it says at once that it cannot
    // check), to `handler` or else to the result handler. A request made while a check is
    // under way joins it: both hear the same result. Gives up after 30 s without data.
    void checkForUpdates(ResultHandler handler = {});
    bool isChecking() const { return m_checking; }

    // The decision on a feed already read; pure.
    static UpdateCheckResult evaluateFeed(const QByteArray& feed, const QString& currentVersion);
    // A version's numbers, or nothing when it is not of the form above.
    static std::optional<std::vector<unsigned>> parseVersion(const QString& version);
    // <0, 0, >0 as a is older than, the same as, newer than b; both must parse.
    static int compareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b);

private:
    void replyFinished();
    void finish(const UpdateCheckResult& result);

    QUrl m_feedURL;
    QString m_currentVersion;
    ResultHandler m_resultHandler;
    std::vector<ResultHandler> m_waiting;
    bool m_checking = false;
    bool m_tooLarge = false;
    // A child of the application, so it dies with it even though the shared updater
    // outlives QCoreApplication.
    QPointer<QNetworkAccessManager> m_network;
    QPointer<QNetworkReply> m_reply;
    // Context of every connection and queued call: they die with the updater.
    QObject m_context;
};

// The application's updater.
Updater& sharedUpdater();

} // namespace quillum
