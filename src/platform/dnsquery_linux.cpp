#include "platform/dnsquery.h"

#include <algorithm>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <netinet/in.h>
#include <resolv.h>

namespace platform {
namespace {
QList<QByteArray> nameServersIn(const unsigned char *reply, int length)
{
    QList<QByteArray> servers;
    ns_msg message;
    if (ns_initparse(reply, length, &message) != 0)
        return servers;
    for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
        ns_rr record;
        char name[NS_MAXDNAME];
        if (ns_parserr(&message, ns_s_an, i, &record) == 0 && ns_rr_type(record) == ns_t_ns &&
            ns_name_uncompress(ns_msg_base(message), ns_msg_end(message), ns_rr_rdata(record), name,
                               sizeof name) >= 0)
            servers.append(QByteArray(name).toLower());
    }
    return servers;
}

// Points the resolver state at server alone; false when its address is no IPv4 address.
bool useServer(struct __res_state &state, const NameServer &server)
{
    sockaddr_in &address = state.nsaddr_list[0];
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(server.port);
    state.nscount = 1;
    return inet_pton(AF_INET, server.address.constData(), &address.sin_addr) == 1;
}
} // namespace

// res_nquery with a state of its own per call: no lock shared with other lookups, unlike
// QDnsLookup, whose lookups queue for a few threads and always ask port 53.
DnsAnswer queryDns(const QByteArray &name, DnsQuestion question, const NameServer &server,
                   std::chrono::seconds timeout)
{
    struct __res_state state = {};
    if (res_ninit(&state) != 0)
        return {};
    DnsAnswer answer;
    if (server.address.isEmpty() || useServer(state, server)) {
        // One try per server, the time shared among them.
        state.retry = 1;
        state.retrans = std::max(1, int(timeout.count()) / std::max(1, state.nscount));
        unsigned char reply[4096];
        const int type = question == DnsQuestion::Address ? ns_t_a : ns_t_ns;
        const int length =
            res_nquery(&state, name.constData(), ns_c_in, type, reply, int(sizeof reply));
        if (length >= 0)
            answer = {DnsAnswer::Status::Found, question == DnsQuestion::NameServers
                                                    ? nameServersIn(reply, length)
                                                    : QList<QByteArray>()};
        else if (state.res_h_errno == HOST_NOT_FOUND)
            answer.status = DnsAnswer::Status::Missing;
        else if (state.res_h_errno == NO_DATA)
            answer.status = DnsAnswer::Status::Found; // the name exists, without such records
    }
    res_nclose(&state);
    return answer;
}

} // namespace platform
