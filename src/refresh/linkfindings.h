#pragma once

#include "refresh/pagetext.h"

#include <QByteArray>
#include <QUrl>
#include <optional>

// What a probe of a random address beside the bookmarked one (same folder) found.
struct SiblingProbe
{
    int status = 0;      // of the final response; 0 when none came
    QByteArray finalUrl; // after its redirects
    PageText page;       // of a 2xx answer
};

// What the name service said about the bookmark's host.
struct DnsFindings
{
    bool hostMissing = false;     // the host name does not exist (NXDOMAIN)
    bool domainMissing = false;   // its registrable domain does not exist either
    QByteArray parkingNameServer; // a name server of the domain that parks domains
};

// Why the checks of a run could tell nothing about their links: the network failed, not
// the sites.
enum class NetworkFailure {
    None,
    NoAnswer,      // requests went out and no site answered
    SystemOffline, // the system reports no network
    Proxy,         // the proxy wants credentials, refused the tunnel or cannot be reached
    Portal,        // every answer came from one sign-in page
};

struct RunFailure
{
    NetworkFailure kind = NetworkFailure::None;
    QByteArray detail; // the proxy and what it said, or the sign-in page's host
};

// What the link check gathered beside the download itself.
struct LinkFindings
{
    bool checked = false; // the link check judges it: the request went out
    RunFailure network;   // not None: nothing is recorded from this check
    QUrl requested;       // the address asked for, as it was fetched; parsed once per check
    std::optional<SiblingProbe> sibling;
    DnsFindings dns;
};
