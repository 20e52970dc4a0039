#include "refresh/linkaddress.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <libpsl.h>

namespace {
const psl_ctx_t *suffixList()
{
    // The system's list when there is one, the library's built-in one otherwise.
    static const psl_ctx_t *const list = [] {
        const psl_ctx_t *latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return list;
}

QString withoutWww(const QString &host)
{
    return host.startsWith(u"www.") ? host.mid(4) : host;
}

QString withoutTrailingSlash(QString path)
{
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}
} // namespace

QByteArray registrableDomain(const QByteArray &host)
{
    const QByteArray name = host.toLower();
    if (name.isEmpty() || !QHostAddress(QString::fromLatin1(name)).isNull())
        return {};
    const psl_ctx_t *list = suffixList();
    const char *domain = list ? psl_registrable_domain(list, name.constData()) : nullptr;
    return domain ? QByteArray(domain) : QByteArray();
}

QByteArray siteOf(const QByteArray &host)
{
    const QByteArray domain = registrableDomain(host);
    return domain.isEmpty() ? host.toLower() : domain;
}

bool isLocalHost(const QByteArray &host)
{
    const QByteArray name = host.toLower();
    if (name == "localhost" || name.endsWith(".localhost"))
        return true;
    QByteArray bare = name;
    if (bare.startsWith('[') && bare.endsWith(']'))
        bare = bare.mid(1, bare.size() - 2);
    const QHostAddress address(QString::fromLatin1(bare));
    if (address.isNull())
        return false;
    static const std::array<std::pair<QHostAddress, int>, 4> privateNets = {
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("fc00::/7"))};
    return address.isLoopback() || address.isLinkLocal() ||
           std::any_of(privateNets.begin(), privateNets.end(),
                       [&](const auto &net) { return address.isInSubnet(net); });
}

bool isFrontPage(const QUrl &url)
{
    static const QRegularExpression front(
        QStringLiteral("^/?((index|default|home)\\.[a-z]{2,5}|[a-z]{2}([-_][a-z]{2,4})?/?)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return front.match(url.path()).hasMatch();
}

bool isSameAddress(const QUrl &a, const QUrl &b)
{
    const bool secured = a.scheme() == u"http" && b.scheme() == u"https";
    return (a.scheme() == b.scheme() || secured) && withoutWww(a.host()) == withoutWww(b.host()) &&
           a.port() == b.port() &&
           withoutTrailingSlash(a.path()) == withoutTrailingSlash(b.path()) &&
           a.query() == b.query();
}
