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

// What the link check gathered beside the download itself.
struct LinkFindings
{
    bool checked = false; // the link check judges it: the request went out
    bool offline = false; // the check could not reach the network: nothing is recorded
    QUrl requested;       // the address asked for, as it was fetched; parsed once per check
    std::optional<SiblingProbe> sibling;
    DnsFindings dns;
};
