#pragma once

#include <QByteArray>
#include <QList>
#include <chrono>

namespace platform {

struct DnsAnswer
{
    enum class Status { Found, Missing, Failed }; // Missing: NXDOMAIN; Failed: anything else
    Status status = Status::Failed;
    QList<QByteArray> nameServers; // for a name-server question, lower case
};

enum class DnsQuestion { Address, NameServers };

// A name server to ask instead of the system's: an IPv4 address and its port.
struct NameServer
{
    QByteArray address; // empty: the system's servers
    quint16 port = 53;
};

// Asks the name service one question and waits at most about timeout; safe to call on many
// threads at once.
DnsAnswer queryDns(const QByteArray &name, DnsQuestion question, const NameServer &server,
                   std::chrono::seconds timeout);

} // namespace platform
