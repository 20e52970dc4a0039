#include "refresh/linkchecker.h"

#include "refresh/checkcode.h"
#include "refresh/fetchaddress.h"
#include "refresh/linkaddress.h"
#include "refresh/verdictrules.h"

#include <QRandomGenerator>
#include <QUrl>
#include <curl/curl.h>

namespace {
constexpr std::chrono::hours runLength{1};
// A page this small may be a parking service's lander: ask who serves its domain.
constexpr qsizetype landerSize = 64 * 1024;

bool succeeded(const DownloadResult &result)
{
    return result.success && !result.hops.empty() && result.hops.back().status / 100 == 2;
}

// Refused before any request went out: no scheme to fetch, no address at all.
bool neverSent(const DownloadResult &result)
{
    return !result.success && result.curlCode == CURLE_OK && result.hops.empty();
}

char randomLetter()
{
    return char('a' + QRandomGenerator::global()->bounded(26));
}
} // namespace

LinkChecker::LinkChecker(std::unique_ptr<AbstractDownloader> downloader, CheckSeams seams)
    : m_downloader(std::move(downloader)), m_seams(std::move(seams)), m_run(m_seams.decideWhenIdle)
{
    if (!m_seams.resolver)
        m_seams.resolver = systemResolver();
    if (!m_seams.systemOffline)
        m_seams.systemOffline = systemReportsOffline;
    if (!m_seams.letter)
        m_seams.letter = randomLetter;
    m_lookups =
        std::make_unique<LookupPool>(m_seams.resolver, m_seams.lookups, m_seams.resultReady);
}

LinkChecker::~LinkChecker() = default;

void LinkChecker::stop()
{
    m_downloader->stop();
    forgetRequests();
}

void LinkChecker::abort()
{
    m_downloader->abort();
    forgetRequests();
}

void LinkChecker::forgetRequests()
{
    m_asked.clear();
    m_probes.clear();
    m_held.clear();
    m_waiting.clear();
    m_ready.clear();
    // Probes withdrawn with the rest will not answer.
    std::erase_if(m_siblings, [](const auto &host) { return !host.second; });
}

quint64 LinkChecker::request(const QByteArray &address, int index)
{
    newRunWhenDue();
    const quint64 serial = m_downloader->request(address, index);
    if (serial != 0) {
        m_asked.emplace(serial, address);
        m_run.asked(fetchAddress(address).host);
    }
    return serial;
}

bool LinkChecker::isBusy() const
{
    return m_downloader->isBusy() || !m_waiting.empty() || !m_ready.empty();
}

bool LinkChecker::isBusyWith(int index) const
{
    const auto has = [index](const auto &list) {
        return std::any_of(list.begin(), list.end(),
                           [index](const Pending &p) { return p.result.index == index; });
    };
    return m_downloader->isBusyWith(index) || has(m_held) || has(m_waiting) ||
           std::any_of(m_ready.begin(), m_ready.end(),
                       [index](const DownloadResult &r) { return r.index == index; });
}

std::optional<DownloadResult> LinkChecker::takeResult()
{
    pump();
    if (m_ready.empty())
        return std::nullopt;
    DownloadResult result = std::move(m_ready.front());
    m_ready.pop_front();
    return result;
}

void LinkChecker::pump()
{
    newRunWhenDue();
    while (std::optional<DownloadResult> result = m_downloader->takeResult())
        route(std::move(*result));
    takeAnswers();
    // Everything asked for is in: the run knows all it will know.
    if (m_seams.decideWhenIdle && m_run.undecided() && !m_downloader->isBusy() && m_asked.empty())
        settleHeld(m_run.end());
    publishWhenComplete();
}

void LinkChecker::newRunWhenDue()
{
    if (m_seams.decideWhenIdle || Clock::now() - m_runStart < runLength || !m_waiting.empty() ||
        !m_probes.empty())
        return;
    newRun();
}

// What the ending run holds is settled by it; the next one starts knowing nothing.
void LinkChecker::newRun()
{
    settleHeld(m_run.end());
    m_runStart = Clock::now();
    m_run = NetworkRun(m_seams.decideWhenIdle);
    for (const auto &[serial, address] : m_asked)
        m_run.asked(fetchAddress(address).host);
    m_siblings.clear();
    std::erase_if(m_answers, [](const auto &answer) { return answer.second.has_value(); });
}

void LinkChecker::takeAnswers()
{
    for (LookupPool::Done &done : m_lookups->take())
        m_answers[{done.name, done.question}] = std::move(done.answer);
}

void LinkChecker::route(DownloadResult &&result)
{
    if (const auto probe = m_probes.find(result.serial); probe != m_probes.end()) {
        SiblingProbe sibling{result.hops.empty() ? 0 : result.hops.back().status, result.url, {}};
        if (succeeded(result))
            sibling.page = readPageText(result.body, result.headers);
        m_siblings[probe->second] = std::move(sibling);
        m_probes.erase(probe);
        return;
    }
    const auto asked = m_asked.find(result.serial);
    if (asked == m_asked.end())
        return; // withdrawn
    // An address that is not fetched (ftp:, javascript:) tells nothing about a link on the
    // web or the network: it gets no check.
    result.findings.checked = !neverSent(result);
    // Parsed already, unless the downloader keeps no parse.
    const FetchAddress address =
        result.requested.url.isEmpty() ? fetchAddress(asked->second) : result.requested;
    result.findings.requested = QUrl::fromEncoded(address.url);
    const bool frontPage = isFrontPage(result.findings.requested);
    Pending pending{std::move(result), asked->second, address.host, frontPage};
    m_asked.erase(asked);
    gate(std::move(pending));
}

// What the run's word on the network makes of a result; one that was never sent needs no
// network and only keeps its place among those held.
void LinkChecker::gate(Pending &&pending)
{
    if (!pending.result.findings.checked) {
        (m_held.empty() ? m_waiting : m_held).push_back(std::move(pending));
        return;
    }
    const Evidence evidence = evidenceOf(pending.result, pending.host, m_run.sites());
    // The system's word counts for hosts beyond this machine and its network only.
    const auto systemOffline = [&] {
        return !isLocalHost(pending.host) && m_seams.systemOffline();
    };
    const NetworkRun::Action action = m_run.add(evidence, systemOffline);
    if (action == NetworkRun::Action::Drop)
        pending.result.findings.network = {evidence.kind == Evidence::Kind::ProxyRefused
                                               ? NetworkFailure::Proxy
                                               : NetworkFailure::SystemOffline,
                                           evidence.detail};
    apply(action, std::move(pending));
}

void LinkChecker::apply(NetworkRun::Action action, Pending &&pending)
{
    if (action == NetworkRun::Action::Hold) {
        m_held.push_back(std::move(pending));
        return;
    }
    if (action == NetworkRun::Action::Release || action == NetworkRun::Action::Fail)
        settleHeld(action);
    if (action == NetworkRun::Action::Fail)
        pending.result.findings.network = m_run.failure();
    m_waiting.push_back(std::move(pending));
}

// Passes the held results on, in the order they came: judged as usual, or (Fail) marked
// with the run's failure so that nothing is recorded from them.
void LinkChecker::settleHeld(NetworkRun::Action action)
{
    for (Pending &held : m_held) {
        if (action == NetworkRun::Action::Fail && held.result.findings.checked)
            held.result.findings.network = m_run.failure();
        m_waiting.push_back(std::move(held));
    }
    m_held.clear();
}

void LinkChecker::publishWhenComplete()
{
    // Every question goes out at once; with keepOrder the results come out in the order
    // their downloads ended.
    std::vector<bool> done;
    for (Pending &pending : m_waiting)
        done.push_back(complete(pending));
    bool blocked = false;
    size_t kept = 0;
    for (size_t i = 0; i < m_waiting.size(); ++i) {
        blocked = blocked || (!done[i] && m_seams.keepOrder);
        if (done[i] && !blocked)
            m_ready.push_back(std::move(m_waiting[i].result));
        else if (kept++ != i)
            m_waiting[kept - 1] = std::move(m_waiting[i]);
    }
    m_waiting.resize(kept);
}

// Asks every question the result still needs; true when all are answered. Both kinds are
// asked at once.
bool LinkChecker::complete(Pending &pending)
{
    if (pending.result.findings.network.kind != NetworkFailure::None)
        return true; // nothing is recorded: nothing to ask
    const bool sibling = siblingKnown(pending);
    return dnsKnown(pending) && sibling;
}

bool LinkChecker::siblingKnown(Pending &pending)
{
    DownloadResult &result = pending.result;
    if (!succeeded(result) || pending.frontPage || result.findings.sibling)
        return true;
    const auto known = m_siblings.find(pending.host);
    if (known == m_siblings.end()) {
        const quint64 serial =
            m_downloader->requestFirst(siblingAddress(pending.requested, m_seams.letter), -1);
        if (serial == 0)
            return true; // no worker: judged without
        m_probes[serial] = pending.host;
        m_siblings[pending.host] = std::nullopt;
        return false;
    }
    if (!known->second)
        return false;
    result.findings.sibling = known->second;
    return true;
}

const DnsAnswer *LinkChecker::answer(const QByteArray &name, DnsResolver::Question question)
{
    const auto [it, asked] = m_answers.try_emplace({name, question});
    if (asked)
        m_lookups->ask(name, question);
    return it->second ? &*it->second : nullptr;
}

bool LinkChecker::dnsKnown(Pending &pending)
{
    const QByteArray &host = pending.host;
    const DownloadResult &result = pending.result;
    const QByteArray domain = registrableDomain(host);
    if (domain.isEmpty())
        return true;
    DnsFindings &dns = pending.result.findings.dns;
    if (result.curlCode == CURLE_COULDNT_RESOLVE_HOST) {
        // A name service that calls the suffix ("com") missing as well says nothing.
        const QByteArray suffix = domain.mid(domain.indexOf('.') + 1);
        const DnsAnswer *ofHost = answer(host, DnsResolver::Question::Address);
        const DnsAnswer *ofDomain = answer(domain, DnsResolver::Question::Address);
        const DnsAnswer *ofSuffix = answer(suffix, DnsResolver::Question::NameServers);
        if (!ofHost || !ofDomain || !ofSuffix)
            return false;
        const bool trusted = ofSuffix->status == DnsAnswer::Status::Found;
        dns.hostMissing = trusted && ofHost->status == DnsAnswer::Status::Missing;
        dns.domainMissing = trusted && ofDomain->status == DnsAnswer::Status::Missing;
    }
    if (succeeded(result) && result.body.size() < landerSize) {
        const DnsAnswer *servers = answer(domain, DnsResolver::Question::NameServers);
        if (!servers)
            return false;
        for (const QByteArray &server : servers->nameServers)
            if (isHostOrBelow(server, VerdictRules::builtIn().parkingNameServers))
                dns.parkingNameServer = server;
    }
    return true;
}
