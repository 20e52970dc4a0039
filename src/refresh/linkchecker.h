#pragma once

#include "refresh/downloader.h"
#include "refresh/resolver.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <set>

struct CheckSeams
{
    std::shared_ptr<DnsResolver> resolver = {}; // none: the system's
    std::function<bool()> systemOffline = {};   // none: the system's word
    std::function<void()> resultReady = {};     // an answer of the name service arrived
    std::function<char()> letter = {};          // random letters for probe addresses
    // A run that asks for everything at once (the command line) decides about the network
    // as soon as nothing is left to download; one asking page by page waits for more pages.
    bool decideWhenIdle = false;
    bool keepOrder = false; // results come out in the order their downloads ended
};

// Gathers what the verdict on a link needs beside its download: a probe of a made-up
// address beside it (one per host and run), what the name service says, and whether the
// network can be reached at all. Results come out with their findings once all are in.
// A run ends an hour after it began, once nothing waits.
class LinkChecker final : public AbstractDownloader
{
  public:
    explicit LinkChecker(std::unique_ptr<AbstractDownloader> downloader, CheckSeams seams = {});
    ~LinkChecker() override;

    void start() override { m_downloader->start(); }
    void stop() override;
    bool hasWorker() const override { return m_downloader->hasWorker(); }
    quint64 request(const QByteArray &address, int index) override;
    void abort() override;
    // Results held back until the network is known to work do not count.
    bool isBusy() const override;
    bool isBusyWith(int index) const override;
    std::optional<TIndyResult> takeResult() override;
    HeldHosts heldHosts() const override { return m_downloader->heldHosts(); }

  private:
    using Clock = std::chrono::steady_clock;
    enum class Network { Unknown, Works, Offline };
    using DnsKey = std::pair<QByteArray, DnsResolver::Question>;
    struct Pending
    {
        TIndyResult result;
        QByteArray requested; // the address asked for
        QByteArray host;      // its host
        bool frontPage;       // it is a site's front page, with no made-up address beside it
    };

    void pump();
    void takeAnswers();
    void route(TIndyResult &&result);
    void gate(Pending &&pending);
    void release(bool offline);
    void publishWhenComplete();
    bool complete(Pending &pending);
    bool siblingKnown(Pending &pending);
    const DnsAnswer *answer(const QByteArray &name, DnsResolver::Question question);
    bool dnsKnown(Pending &pending);
    void newRunWhenDue();
    void forgetRequests();

    std::unique_ptr<AbstractDownloader> m_downloader;
    CheckSeams m_seams;
    std::unique_ptr<LookupThread> m_lookups;
    std::map<quint64, QByteArray> m_asked;  // the caller's requests not yet answered: address
    std::map<quint64, QByteArray> m_probes; // probe requests by serial: their host
    std::vector<Pending> m_held;            // waiting for the word on the network
    std::vector<Pending> m_waiting;         // waiting for probes or the name service
    std::deque<TIndyResult> m_ready;
    // What this run found out.
    Clock::time_point m_runStart = Clock::now();
    Network m_network = Network::Unknown;
    std::set<QByteArray> m_unreachableHosts;
    std::map<QByteArray, std::optional<SiblingProbe>> m_siblings; // none yet: being probed
    std::map<DnsKey, std::optional<DnsAnswer>> m_answers;         // none yet: being asked
};
