#pragma once

#include "refresh/downloader.h"
#include "refresh/networkevidence.h"
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
    // A run that asks for everything at once (the command line) is one run, which decides
    // about the network when nothing is left to download; one asking page by page (the
    // tray program) goes in runs of an hour.
    bool decideWhenIdle = false;
    bool keepOrder = false; // results come out in the order their downloads ended
    int lookups = 1;        // questions to the name service at once
};

// Gathers what the verdict on a link needs beside its download: a probe of a made-up
// address beside it (one per host and run), what the name service says (each question once
// a run), and what the run's answers say about the network (see NetworkRun). Results come
// out with their findings once all are in. A run of the tray program ends an hour after it
// began, once nothing waits.
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
    std::optional<DownloadResult> takeResult() override;
    HeldHosts heldHosts() const override { return m_downloader->heldHosts(); }
    RunFailure runFailure() const override { return m_run.failure(); }
    void newRun() override;

  private:
    using Clock = std::chrono::steady_clock;
    using DnsKey = std::pair<QByteArray, DnsResolver::Question>;
    struct Pending
    {
        DownloadResult result;
        QByteArray requested; // the address asked for
        QByteArray host;      // its host
        bool frontPage;       // it is a site's front page, with no made-up address beside it
    };

    void pump();
    void takeAnswers();
    void route(DownloadResult &&result);
    void gate(Pending &&pending);
    void apply(NetworkRun::Action action, Pending &&pending);
    void settleHeld(NetworkRun::Action action);
    void publishWhenComplete();
    bool complete(Pending &pending);
    bool siblingKnown(Pending &pending);
    const DnsAnswer *answer(const QByteArray &name, DnsResolver::Question question);
    bool dnsKnown(Pending &pending);
    void newRunWhenDue();
    void forgetRequests();

    std::unique_ptr<AbstractDownloader> m_downloader;
    CheckSeams m_seams;
    std::unique_ptr<LookupPool> m_lookups;
    std::map<quint64, QByteArray> m_asked;  // the caller's requests not yet answered: address
    std::map<quint64, QByteArray> m_probes; // probe requests by serial: their host
    std::vector<Pending> m_held;            // waiting for the run's word on the network
    std::vector<Pending> m_waiting;         // waiting for probes or the name service
    std::deque<DownloadResult> m_ready;
    // What this run found out.
    Clock::time_point m_runStart = Clock::now();
    NetworkRun m_run;
    std::map<QByteArray, std::optional<SiblingProbe>> m_siblings; // none yet: being probed
    std::map<DnsKey, std::optional<DnsAnswer>> m_answers;         // none yet: being asked
};
