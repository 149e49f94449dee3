#include "Updater.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QXmlStreamReader>

#include <algorithm>

namespace quillum {

namespace {

constexpr qint64 kMaxFeedBytes = 1 << 20;
constexpr int kTransferTimeoutMs = 30'000;

QString unreachableMessage()
{
    return QCoreApplication::translate(
        "Updater", "Quillum could not get the update information. Check your internet connection and try again later.");
}

UpdateCheckResult malformed(const QString& detail)
{
    return { UpdateCheckResult::Outcome::MalformedFeed, {},
        QCoreApplication::translate(
            "Updater", "The update information Quillum received could not be read. Try again later."),
        detail };
}

UpdateCheckResult failed(const QString& message)
{
    return { UpdateCheckResult::Outcome::Failed, {}, message, {} };
}

} // namespace

Updater::~Updater()
{
    if (m_reply) {
        // abort() emits finished at once: no handler may run from a dying updater.
        QObject::disconnect(m_reply, nullptr, &m_context, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

QString Updater::currentVersion() const
{
    return m_currentVersion.isEmpty() ? QCoreApplication::applicationVersion() : m_currentVersion;
}

void Updater::checkForUpdates(ResultHandler handler)
{
    m_waiting.push_back(handler ? std::move(handler) : m_resultHandler);
    if (m_checking)
        return;
    m_checking = true;
    m_tooLarge = false;

    if (!QCoreApplication::instance()) {
        finish(failed(QCoreApplication::translate("Updater", "Quillum cannot check for updates right now.")));
        return;
    }
    auto later = [this](UpdateCheckResult result) {
        QMetaObject::invokeMethod(
            &m_context, [this, result] { finish(result); }, Qt::QueuedConnection);
    };
    if (!m_feedURL.isValid() || m_feedURL.isEmpty()) {
        later(failed(QCoreApplication::translate("Updater", "Quillum has no address to check for updates.")));
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(QCoreApplication::instance());

    QNetworkRequest request(m_feedURL);
    request.setTransferTimeout(kTransferTimeoutMs);
    // An old cached feed would hide a release.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_reply = m_network->get(request);
    QObject::connect(m_reply, &QNetworkReply::downloadProgress, &m_context, [this](qint64 received, qint64) {
        if (received > kMaxFeedBytes && m_reply) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    QObject::connect(m_reply, &QNetworkReply::finished, &m_context, [this] { replyFinished(); });
}

void Updater::replyFinished()
{
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    if (m_tooLarge) {
        finish(malformed(QStringLiteral("feed larger than %1 bytes").arg(kMaxFeedBytes)));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finish({ UpdateCheckResult::Outcome::Unreachable, {}, unreachableMessage(), reply->errorString() });
        return;
    }
    const QByteArray feed = reply->read(kMaxFeedBytes + 1);
    if (feed.size() > kMaxFeedBytes) {
        finish(malformed(QStringLiteral("feed larger than %1 bytes").arg(kMaxFeedBytes)));
        return;
    }
    finish(evaluateFeed(feed, currentVersion()));
}

void Updater::finish(const UpdateCheckResult& result)
{
    // Handlers may start the next check: hand over the list first.
    std::vector<ResultHandler> waiting;
    waiting.swap(m_waiting);
    m_checking = false;
    for (const ResultHandler& h : waiting)
        if (h)
            h(result);
}

std::optional<std::vector<unsigned>> Updater::parseVersion(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() > 8)
        return std::nullopt;
    std::vector<unsigned> numbers;
    for (const QString& part : parts) {
        // Nine digits always fit; signs, spaces and letters are not versions.
        if (part.isEmpty() || part.size() > 9
            || !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return std::nullopt;
        numbers.push_back(part.toUInt());
    }
    return numbers;
}

int Updater::compareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b)
{
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned x = i < a.size() ? a[i] : 0;
        const unsigned y = i < b.size() ? b[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

UpdateCheckResult Updater::evaluateFeed(const QByteArray& feed, const QString& currentVersion)
{
    QXmlStreamReader xml(feed);
    bool inItem = false;
    int items = 0;
    QString itemVersion, enclosureVersion, newestText;
    std::vector<unsigned> newest;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"item") {
                if (inItem)
                    return malformed(QStringLiteral("an <item> inside an <item>"));
                inItem = true;
                ++items;
                itemVersion.clear();
                enclosureVersion.clear();
            } else if (inItem && name == u"version") {
                itemVersion = xml.readElementText().trimmed();
            } else if (inItem && name == u"enclosure") {
                enclosureVersion = xml.attributes().value(QLatin1StringView("version")).toString().trimmed();
            }
        } else if (xml.isEndElement() && xml.name() == u"item") {
            const QString text = itemVersion.isEmpty() ? enclosureVersion : itemVersion;
            const auto version = parseVersion(text);
            if (!version)
                return malformed(
                    QStringLiteral("item %1 has no usable version (\"%2\")").arg(QString::number(items), text));
            if (newestText.isEmpty() || compareVersions(*version, newest) > 0) {
                newest = *version;
                newestText = text;
            }
            inItem = false;
        }
    }
    if (xml.hasError())
        return malformed(QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString()));
    if (items == 0)
        return malformed(QStringLiteral("no <item>"));

    const auto current = parseVersion(currentVersion);
    if (!current)
        return failed(QCoreApplication::translate(
            "Updater", "Quillum does not know its own version, so it cannot tell whether %1 is newer.")
                          .arg(newestText));
    if (compareVersions(newest, *current) > 0)
        return { UpdateCheckResult::Outcome::NewerAvailable, newestText,
            QCoreApplication::translate(
                "Updater", "Quillum %1 is available; you have %2. Download it from the Quillum home page.")
                .arg(newestText, currentVersion),
            {} };
    return { UpdateCheckResult::Outcome::UpToDate, newestText,
        QCoreApplication::translate("Updater", "You have the newest version of Quillum (%1).").arg(currentVersion),
        {} };
}

Updater& sharedUpdater()
{
    static Updater updater;
    return updater;
}

} // namespace quillum
