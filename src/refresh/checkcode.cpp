#include "refresh/checkcode.h"

#include "refresh/fetchaddress.h"
#include "refresh/linkaddress.h"
#include "refresh/pagetext.h"
#include "store/textutil.h"

#include <QUrlQuery>
#include <algorithm>
#include <curl/curl.h>

namespace {
// A bot wall or a lander is small; a marker in a large page is most likely an article.
constexpr qsizetype smallPage = 64 * 1024;
constexpr qsizetype smallPageWords = 500;
// Under this many words on both sides two pages cannot be told apart.
constexpr qsizetype fewWords = 50;
constexpr double samePage = 0.95;
constexpr int redirectLoop = 15;

QUrl urlOf(const QByteArray &address)
{
    return QUrl::fromEncoded(fetchAddress(address).url);
}

// The two addresses a check compares, each parsed once.
struct Addresses
{
    QUrl requested;
    QUrl reached;
};

Addresses addressesOf(const DownloadResult &r)
{
    // A result that came through the link check brings its address parsed.
    const QUrl requested =
        r.findings.requested.isEmpty() ? urlOf(r.requestedUrl.toUtf8()) : r.findings.requested;
    const QString reached = fromNarrow(r.url);
    return {requested, reached == r.requestedUrl ? requested : urlOf(reached.toUtf8())};
}

int finalStatus(const DownloadResult &r)
{
    return r.hops.empty() ? 0 : r.hops.back().status;
}

bool hasHeader(const QByteArray &headers, QByteArrayView name, QByteArrayView value)
{
    for (const QByteArray &line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0 &&
            line.mid(colon + 1).trimmed().compare(value, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isChallenge(const DownloadResult &r, const PageText &page, const VerdictRules &rules)
{
    if (hasHeader(r.headers, "cf-mitigated", "challenge"))
        return true;
    if (r.body.isEmpty() || r.body.size() > smallPage)
        return false;
    return rules.challengeTitles.contains(page.title.toLower()) ||
           std::any_of(
               rules.challengeMarkers.begin(), rules.challengeMarkers.end(),
               [&](const QByteArrayMatcher &marker) { return marker.indexIn(r.body) >= 0; });
}

bool isBlocked(const DownloadResult &r, const PageText &page, const VerdictRules &rules)
{
    const int status = finalStatus(r);
    const bool refusing = status == 403 || status == 429 || status == 451 || status == 999 ||
                          (status >= 400 && status < 500 && status != 401 && status != 404 &&
                           status != 408 && status != 410);
    return refusing || r.redirects >= redirectLoop || isChallenge(r, page, rules);
}

// The addresses the redirects led to, in order.
QList<QUrl> redirectTargets(const DownloadResult &r, const QUrl &requested)
{
    QList<QUrl> targets;
    QUrl at = requested;
    for (const DownloadHop &hop : r.hops) {
        if (hop.location.isEmpty() || hop.status / 100 != 3)
            break;
        at = at.resolved(QUrl::fromEncoded(hop.location));
        targets.append(at);
    }
    return targets;
}

bool carriesAddress(const QUrl &target, const QUrl &original, const VerdictRules &rules)
{
    const QString host =
        original.host().startsWith(u"www.") ? original.host().mid(4) : original.host();
    const QString path = original.path();
    for (const auto &[key, value] : QUrlQuery(target).queryItems(QUrl::FullyDecoded)) {
        if (!rules.returnParams.contains(key.toLower().toUtf8()))
            continue;
        if (value.contains(host, Qt::CaseInsensitive) || (path.size() > 1 && value.contains(path)))
            return true;
    }
    return false;
}

bool isLoginPage(const QUrl &target, const VerdictRules &rules)
{
    if (isHostOrBelow(target.host().toUtf8(), rules.loginHosts))
        return true;
    const QStringList parts = target.path().toLower().split(u'/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(),
                       [&](const QString &part) { return rules.loginPathParts.contains(part); });
}

bool asksToLogIn(const DownloadResult &r, const QUrl &requested, const VerdictRules &rules)
{
    if (finalStatus(r) == 401)
        return true;
    const QList<QUrl> targets = redirectTargets(r, requested);
    return std::any_of(targets.begin(), targets.end(), [&](const QUrl &target) {
        return isLoginPage(target, rules) && carriesAddress(target, requested, rules);
    });
}

QString statusEvidence(const DownloadResult &r)
{
    return r.hops.empty() ? fromNarrow(r.errorMsg) : QString::fromLatin1(r.hops.back().statusLine);
}

bool offersDomain(const PageText &page, const VerdictRules &rules)
{
    if (page.words.size() >= smallPageWords)
        return false;
    const QString text = page.title.toLower() + u' ' + page.words.join(u' ');
    return std::any_of(rules.forSalePhrases.begin(), rules.forSalePhrases.end(),
                       [&](const QStringMatcher &phrase) { return phrase.indexIn(text) >= 0; });
}

bool siblingAnswered(const std::optional<SiblingProbe> &sibling)
{
    return sibling && sibling->status >= 200 && sibling->status < 400;
}

// The page is what the site serves for any address: the probe of a made-up address beside
// it came to the same place, or to a page with its title or text.
bool servedForAnyAddress(const DownloadResult &r, const PageText &page, const QUrl &reached,
                         const QString &stored, const VerdictRules &rules)
{
    const std::optional<SiblingProbe> &sibling = r.findings.sibling;
    if (!siblingAnswered(sibling))
        return false;
    // Every address sent to one log-in page says nothing about this one.
    if (r.redirects > 0 && sibling->finalUrl == r.url)
        return !isLoginPage(reached, rules);
    if (page.words.size() < fewWords && sibling->page.words.size() < fewWords)
        return false; // can't tell
    const bool sameTitle = !page.title.isEmpty() && sibling->page.title == page.title &&
                           !stored.isEmpty() && stored != page.title;
    return sameTitle || textSimilarity(page.words, sibling->page.words) >= samePage;
}

std::optional<CheckOutcome> parked(const DownloadResult &r, const PageText &page,
                                   const Addresses &at, const VerdictRules &rules)
{
    const QByteArray requestedHost = at.requested.host().toUtf8();
    const QByteArray reachedHost = at.reached.host().toUtf8();
    if (isHostOrBelow(reachedHost, rules.parkingHosts) &&
        !isHostOrBelow(requestedHost, rules.parkingHosts))
        return CheckOutcome{CheckCode::Parked, true, fromNarrow(r.url)};
    if (!r.findings.dns.parkingNameServer.isEmpty())
        return CheckOutcome{CheckCode::Parked, true,
                            QString::fromLatin1(r.findings.dns.parkingNameServer)};
    if (!offersDomain(page, rules))
        return std::nullopt;
    const bool elsewhere = registrableDomain(requestedHost) != registrableDomain(reachedHost);
    const std::optional<SiblingProbe> &sibling = r.findings.sibling;
    const bool anyAddress =
        siblingAnswered(sibling) &&
        (sibling->finalUrl == r.url || textSimilarity(page.words, sibling->page.words) >= samePage);
    if (elsewhere || anyAddress)
        return CheckOutcome{CheckCode::Parked, false, fromNarrow(r.url)};
    return std::nullopt;
}

bool onlyPermanentRedirects(const DownloadResult &r)
{
    return r.redirects > 0 && std::all_of(r.hops.begin(), r.hops.end() - 1, [](const auto &h) {
               return h.status == 301 || h.status == 308;
           });
}

CheckOutcome answered(const DownloadResult &r, const PageText &page, const Addresses &at,
                      const QString &storedTitle, const VerdictRules &rules)
{
    if (const std::optional<CheckOutcome> parking = parked(r, page, at, rules))
        return *parking;
    const bool deepLink = !isFrontPage(at.requested);
    if (deepLink && r.redirects > 0 && isFrontPage(at.reached))
        return {CheckCode::Soft404, false, fromNarrow(r.url)};
    if (deepLink && servedForAnyAddress(r, page, at.reached, storedTitle, rules))
        return {CheckCode::Soft404, false, fromNarrow(r.url)};
    if (onlyPermanentRedirects(r) && !isSameAddress(at.requested, at.reached))
        return {CheckCode::Moved, false, fromNarrow(r.url)};
    return {CheckCode::Ok, false, {}};
}
} // namespace

CheckOutcome checkCode(const DownloadResult &r, const QString &storedTitle,
                       const VerdictRules &rules)
{
    if (r.findings.network.kind != NetworkFailure::None)
        return {};
    const int status = finalStatus(r);
    const QString evidence = statusEvidence(r);
    // Read once: a small page may be a bot wall, a page that came may be anything.
    const bool read = !r.body.isEmpty() && (r.body.size() <= smallPage || r.success);
    const PageText page = !read ? PageText() : r.text ? *r.text : readPageText(r.body, r.headers);
    if (isBlocked(r, page, rules))
        return {CheckCode::Blocked, false, evidence};
    const Addresses at = addressesOf(r);
    if (asksToLogIn(r, at.requested, rules))
        return {CheckCode::Login, false, evidence};
    if (r.curlCode == CURLE_COULDNT_RESOLVE_HOST && r.findings.dns.hostMissing &&
        r.findings.dns.domainMissing)
        return {CheckCode::NoDomain, false, evidence};
    if (r.curlCode == CURLE_PEER_FAILED_VERIFICATION || r.curlCode == CURLE_SSL_ISSUER_ERROR)
        return {CheckCode::Certificate, false, evidence};
    if (status == 404 || status == 410)
        return {CheckCode::Gone, false, evidence};
    if (!r.success || status < 200 || status >= 300)
        return {CheckCode::Temporary, false, evidence};
    return answered(r, page, at, storedTitle, rules);
}

QByteArray siblingAddress(const QByteArray &address, const std::function<char()> &letter)
{
    QUrl url = urlOf(address);
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    path.truncate(path.lastIndexOf(u'/') + 1);
    if (path.isEmpty())
        path = QStringLiteral("/");
    for (int i = 0; i < 20; ++i)
        path += QLatin1Char(letter());
    url.setPath(path);
    url.setQuery(QString());
    url.setFragment(QString());
    return url.toEncoded();
}
