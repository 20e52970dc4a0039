#pragma once

#include "refresh/downloader.h"

#include <QString>
#include <functional>
#include <set>

// What one checked download says about the network of its run.
struct Evidence
{
    enum class Kind {
        Answer,       // a server answered, on the site asked for or one of the run's sites
        Foreign,      // answered only after redirects to a host of no site of the run
        Failure,      // no answer: the name did not resolve, no connection or handshake
        ProxyDown,    // the proxy wants credentials or cannot be reached
        ProxyRefused, // the proxy refused the tunnel to this host
    };
    Kind kind = Kind::Failure;
    QByteArray site;   // of the address asked for
    QByteArray detail; // Foreign: the host it ended at; Proxy*: the proxy and what it said
};

// runSites: the sites of the bookmarks asked for in the run.
Evidence evidenceOf(const DownloadResult &result, const QByteArray &requestedHost,
                    const std::set<QByteArray> &runSites);

// The word on the network during one run. Any answer proves it works. Failures to resolve
// or connect, and answers that all end at one foreign host, are held until an answer
// settles them. A run that got no answer, or only a sign-in page's from at least three
// sites, records nothing; so does a run whose proxy failed or whose system reports no
// network, from then on.
class NetworkRun final
{
  public:
    enum class Action {
        Pass,    // judge it as usual
        Hold,    // keep it until the run knows more
        Release, // judge it and every held one as usual
        Drop,    // record nothing from it alone: the proxy refused its tunnel, or the
                 // system says there is no network while local hosts may still answer
        Fail,    // record nothing from it nor from those held: failure() says why
    };
    static constexpr size_t portalSites = 3;

    // decideAtEnd: the run ends once everything asked for is in, and only then decides on a
    // sign-in page; else (runs of the tray program) it decides as soon as it sees one.
    explicit NetworkRun(bool decideAtEnd) : m_decideAtEnd(decideAtEnd) {}

    void asked(const QByteArray &host);
    const std::set<QByteArray> &sites() const { return m_sites; }
    // systemOffline is asked about failures only (of hosts beyond this machine's network).
    Action add(const Evidence &evidence, const std::function<bool()> &systemOffline);
    // The run is over: Release or Fail for what is held.
    Action end();
    const RunFailure &failure() const { return m_failure; }
    bool undecided() const { return !m_proven && m_failure.kind == NetworkFailure::None; }

  private:
    Action fail(NetworkFailure kind, const QByteArray &detail);
    Action prove();

    bool m_decideAtEnd;
    std::set<QByteArray> m_sites;
    bool m_proven = false;
    RunFailure m_failure;
    bool m_local = false;               // a host of the run is on this machine's network
    bool m_unanswered = false;          // a request went out and got no answer
    QByteArray m_refusedBy;             // the proxy that refused a tunnel, and how
    QByteArray m_portal;                // the one foreign host every answer ended at
    std::set<QByteArray> m_portalSites; // the sites that were sent there
};

// Why nothing was recorded, as a user reads it; empty for none.
QString networkFailureText(const RunFailure &failure);
