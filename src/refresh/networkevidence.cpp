#include "refresh/networkevidence.h"

#include "refresh/fetchaddress.h"
#include "refresh/linkaddress.h"

#include <QUrl>
#include <algorithm>
#include <curl/curl.h>

namespace {
// The proxy as a user can name it: without the credentials it may carry.
QByteArray shownProxy(const QByteArray &proxy)
{
    if (proxy.isEmpty())
        return "the proxy";
    const QUrl url = QUrl::fromEncoded(proxy.contains("://") ? proxy : "http://" + proxy);
    return url.isValid() ? url.adjusted(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash).toEncoded()
                         : proxy;
}

bool wantsCredentials(const DownloadResult &r)
{
    return r.connectCode == 407 ||
           std::any_of(r.hops.begin(), r.hops.end(), [](const auto &h) { return h.status == 407; });
}

// No connection to the proxy was made, or its name did not resolve.
bool proxyUnreachable(const DownloadResult &r)
{
    if (r.curlCode == CURLE_COULDNT_RESOLVE_PROXY || r.curlCode == CURLE_PROXY)
        return true;
    return !r.proxy.isEmpty() && r.connectCode == 0 && !r.connected && r.hops.empty() &&
           (r.curlCode == CURLE_COULDNT_CONNECT || r.curlCode == CURLE_OPERATION_TIMEDOUT);
}

// A status came, or a TLS handshake was completed: a server is there.
bool answered(const DownloadResult &r)
{
    return !r.hops.empty() || (r.connected && namedScheme(r.url) == "https");
}

QByteArray statusOf(const DownloadResult &r)
{
    for (const DownloadHop &hop : r.hops)
        if (hop.status == 407)
            return hop.statusLine;
    return "CONNECT answered " + QByteArray::number(r.connectCode);
}
} // namespace

Evidence evidenceOf(const DownloadResult &r, const QByteArray &requestedHost,
                    const std::set<QByteArray> &runSites)
{
    using Kind = Evidence::Kind;
    Evidence evidence{Kind::Failure, siteOf(requestedHost), {}};
    const QByteArray proxy = shownProxy(r.proxy);
    if (wantsCredentials(r))
        return {Kind::ProxyDown, evidence.site, proxy + ": " + statusOf(r)};
    if (proxyUnreachable(r))
        return {Kind::ProxyDown, evidence.site, proxy + ": " + r.errorMsg};
    // A proxy that could not reach the host (5xx) says nothing about the network.
    if (r.connectCode >= 400 && r.connectCode < 500)
        return {Kind::ProxyRefused, evidence.site, proxy + ": " + statusOf(r)};
    if (!answered(r))
        return evidence;
    evidence.kind = Kind::Answer;
    if (r.redirects == 0)
        return evidence;
    const QByteArray endHost = fetchAddress(r.url).host;
    const QByteArray endSite = siteOf(endHost);
    if (endSite != evidence.site && !runSites.contains(endSite))
        evidence = {Kind::Foreign, evidence.site, endHost};
    return evidence;
}

void NetworkRun::asked(const QByteArray &host)
{
    if (host.isEmpty())
        return;
    m_sites.insert(siteOf(host));
    m_local = m_local || isLocalHost(host);
}

NetworkRun::Action NetworkRun::add(const Evidence &evidence,
                                   const std::function<bool()> &systemOffline)
{
    using Kind = Evidence::Kind;
    if (evidence.kind == Kind::ProxyDown && m_failure.kind == NetworkFailure::None)
        return fail(NetworkFailure::Proxy, evidence.detail);
    // A good answer is recorded whatever else the run found.
    if (m_failure.kind != NetworkFailure::None)
        return evidence.kind == Kind::Answer ? Action::Pass : Action::Fail;
    if (evidence.kind == Kind::ProxyRefused) {
        m_refusedBy = evidence.detail;
        m_unanswered = true;
        return Action::Drop;
    }
    // The system's word on the network stops the run, unless hosts on this machine or its
    // network, which it says nothing about, can still answer.
    if (evidence.kind == Kind::Failure && systemOffline && systemOffline())
        return m_local ? Action::Drop : fail(NetworkFailure::SystemOffline, {});
    if (m_proven)
        return Action::Pass;
    switch (evidence.kind) {
    case Kind::Answer:
        return prove();
    case Kind::Foreign:
        // Two foreign hosts are no sign-in page: parking and consent services are real.
        if (!m_portal.isEmpty() && m_portal != evidence.detail)
            return prove();
        m_portal = evidence.detail;
        m_portalSites.insert(evidence.site);
        if (!m_decideAtEnd && m_portalSites.size() >= portalSites)
            return fail(NetworkFailure::Portal, m_portal);
        return Action::Hold;
    default:
        m_unanswered = true;
        return Action::Hold;
    }
}

NetworkRun::Action NetworkRun::end()
{
    if (!undecided())
        return Action::Pass;
    if (m_portalSites.size() >= portalSites)
        return fail(NetworkFailure::Portal, m_portal);
    if (!m_portal.isEmpty())
        return prove(); // too few sites to tell: the answers count
    if (!m_unanswered)
        return Action::Release; // nothing that needs the network was held
    return m_refusedBy.isEmpty() ? fail(NetworkFailure::NoAnswer, {})
                                 : fail(NetworkFailure::Proxy, m_refusedBy);
}

NetworkRun::Action NetworkRun::fail(NetworkFailure kind, const QByteArray &detail)
{
    m_failure = {kind, detail};
    return Action::Fail;
}

NetworkRun::Action NetworkRun::prove()
{
    m_proven = true;
    return Action::Release;
}

QString networkFailureText(const RunFailure &failure)
{
    const QString detail = QString::fromUtf8(failure.detail);
    switch (failure.kind) {
    case NetworkFailure::NoAnswer:
        return QStringLiteral("no site answered: the network is down");
    case NetworkFailure::SystemOffline:
        return QStringLiteral("the system reports no network");
    case NetworkFailure::Proxy:
        return QStringLiteral("the proxy failed (%1)").arg(detail);
    case NetworkFailure::Portal:
        return QStringLiteral("the network asks you to sign in first (every site led to %1)")
            .arg(detail);
    default:
        return QString();
    }
}
