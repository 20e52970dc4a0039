#include "loopbackserver.h"
#include "refresh/checkcode.h"
#include "refresh/engine.h"
#include "refresh/linkchecker.h"
#include "rowfile.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <condition_variable>
#include <mutex>

using Bytes = QByteArray;
using namespace Qt::Literals::StringLiterals;

namespace {

// The name service as the scenarios have it: names missing, domains parked, the rest found.
struct TestResolver final : DnsResolver
{
    QList<Bytes> missing;
    QMap<Bytes, Bytes> parkedBy; // domain -> its name server
    DnsAnswer lookup(const Bytes &name, Question question) override
    {
        if (missing.contains(name))
            return {DnsAnswer::Status::Missing, {}};
        if (question == Question::NameServers && parkedBy.contains(name))
            return {DnsAnswer::Status::Found, {parkedBy.value(name)}};
        return {DnsAnswer::Status::Found, {"ns1.example.net"}};
    }
};

Bytes text(const Bytes &first, int words)
{
    Bytes t;
    for (int i = 0; i < words; ++i)
        t += first + Bytes::number(i) + ' ';
    return t;
}

TestReply html(const Bytes &status, const Bytes &title, const Bytes &body,
               const Bytes &headers = {})
{
    return testPage(status, "<title>" + title + "</title><p>" + body + "</p>", headers);
}

// A news site: unknown addresses get a real 404.
TestReply news(const Bytes &path)
{
    if (path == "/story")
        return html("200 OK", "Story", text("story", 300));
    if (path == "/old")
        return testPage("301 Moved Permanently", {}, "Location: /\r\n");
    if (path == "/renamed")
        return testPage("301 Moved Permanently", {}, "Location: /2021/renamed\r\n");
    if (path == "/members")
        return testPage("302 Found", {}, "Location: /login?next=%2Fmembers\r\n");
    if (path == "/wall")
        return html("403 Forbidden", "Just a moment...", "checking");
    if (path == "/" || path == "/2021/renamed" || path.startsWith("/login"))
        return html("200 OK", "Front", text("front", 300));
    return html("404 Not Found", "Not found", "nothing here");
}

// A shop that answers every unknown address with the same "not found" page and 200.
TestReply shop(const Bytes &path)
{
    if (path == "/item/7")
        return html("200 OK", "Item 7", text("item", 200) + text("shop", 300));
    return html("200 OK", "Shop", text("sorry", 20) + text("shop", 300));
}

Bytes portOf(const LoopbackServer &server)
{
    return server.base().split(':').last();
}

// A site that sends every address but its own page to that page, on a host name of its own.
LoopbackServer::Handler sender(const Bytes &host, const Bytes &port, const Bytes &page,
                               const Bytes &text)
{
    return [host, &port, page, text](const Bytes &path) {
        return path == page ? html("200 OK", "Welcome", text)
                            : testPage("302 Found", {},
                                       "Location: http://" + host + ':' + port + page + "\r\n");
    };
}

// The sites of the scenarios on loopback hosts, and the address of each bookmark there.
struct Sites
{
    Bytes portalPort, parkingPort, consentPort;
    LoopbackServer live{news, u"127.0.0.2"_s};
    LoopbackServer portal{sender("portal.test", portalPort, "/login", "Sign in"), u"127.0.0.3"_s};
    LoopbackServer parking{sender("parking.test", parkingPort, "/lander", "Buy this domain"),
                           u"127.0.0.4"_s};
    LoopbackServer shopSite{shop, u"127.0.0.6"_s};
    LoopbackServer consent{sender("consent.co1.test", consentPort, "/ask", "Your choices"),
                           u"127.0.0.7"_s};
    Bytes down; // a port nobody listens on
    QList<Bytes> resolve;

    Sites()
    {
        // The servers send to these ports, known once they listen.
        std::tie(portalPort, parkingPort, consentPort) =
            std::tuple(portOf(portal), portOf(parking), portOf(consent));
        QTcpServer closed;
        closed.listen(QHostAddress(u"127.0.0.5"_s));
        down = Bytes::number(closed.serverPort());
        resolve = {"portal.test:" + portalPort + ":127.0.0.3",
                   "parking.test:" + parkingPort + ":127.0.0.4",
                   "consent.co1.test:" + consentPort + ":127.0.0.7"};
    }
    QList<const LoopbackServer *> all() const
    {
        return {&live, &portal, &parking, &shopSite, &consent};
    }

    // "host/path=code" as the address of its host's kind (see network_data).
    Bytes address(const QString &bookmark)
    {
        const QString host = bookmark.section(u'=', 0, 0).section(u'/', 0, 0);
        const Bytes path = '/' + bookmark.section(u'=', 0, 0).section(u'/', 1).toLatin1();
        const bool parks = host.startsWith(u"parked") || host.startsWith(u"lander");
        const auto [ip, at] = parks                      ? std::pair("127.0.0.4", parkingPort)
                              : host.startsWith(u"p")    ? std::pair("127.0.0.3", portalPort)
                              : host.startsWith(u"down") ? std::pair("127.0.0.5", down)
                              : host.startsWith(u"co")   ? std::pair("127.0.0.7", consentPort)
                              : host.startsWith(u"shop") ? std::pair("127.0.0.6", portOf(shopSite))
                                                         : std::pair("127.0.0.2", portOf(live));
        static const QMap<QString, Bytes> unresolved = {{u"nosuch1"_s, "nosuch1.invalid"},
                                                        {u"nosuch2"_s, "nosuch2.invalid"},
                                                        {u"nowhere"_s, "gone.nowhere"}};
        const Bytes name = unresolved.value(host, host.toLatin1() + ".test");
        if (!unresolved.contains(host))
            resolve << name + ':' + at + ':' + ip;
        return host == u"file" ? Bytes("file:///etc/passwd") : "http://" + name + ':' + at + path;
    }
};

// A probe asks for 20 letters nobody bookmarked; no host gets two in one run.
bool eachHostProbedOnce(const Sites &sites, const QList<qsizetype> &before)
{
    static const QRegularExpression probe(u"^GET /[^ ]*[a-z]{20} .*\r\nHost: ([^\r]+)"_s,
                                          QRegularExpression::DotMatchesEverythingOption);
    QStringList probed;
    for (qsizetype s = 0; s < sites.all().size(); ++s)
        for (const Bytes &head : sites.all()[s]->requests().mid(before[s]))
            if (const auto match = probe.match(QString::fromLatin1(head)); match.hasMatch())
                probed << match.captured(1);
    return QSet(probed.begin(), probed.end()).size() == probed.size();
}

QString failureName(NetworkFailure failure)
{
    static const QStringList names = {u"None"_s, u"NoAnswer"_s, u"SystemOffline"_s, u"Proxy"_s,
                                      u"Portal"_s};
    return names.value(int(failure));
}

} // namespace

class TestLinkCheck final : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        // FAVRAKE_TEST_SEED repeats the orders of a run that failed.
        const quint32 seed = qEnvironmentVariableIsSet("FAVRAKE_TEST_SEED")
                                 ? quint32(qEnvironmentVariable("FAVRAKE_TEST_SEED").toUInt())
                                 : QRandomGenerator::global()->generate();
        qInfo("probe letters and shuffled orders seeded with %u", seed);
        m_random.seed(seed);
    }

    // The code of each link, and what a run's answers say about the network. Each bookmark is
    // "host/path=code" ('-': nothing recorded); hosts named live*, news* are a news site,
    // shop* a shop that serves one page for any address, co* send everything to a consent
    // page on consent.co1.test, lander* a lander of a domain whose
    // name servers park it, down* refuse, nosuch* and nowhere do not exist (the name service
    // calls nowhere's suffix missing too), p* send everything to one sign-in page, parked* to
    // one parking host. The first run takes the order given, the others a seeded shuffle of
    // it; each host is probed at most once a run.
    void network_data() { addRowsFromFile(QStringLiteral("refresh/linkruns.tsv")); }

    void network()
    {
        QFETCH(QString, bookmarkWords);
        QFETCH(int, jobs);
        const QStringList bookmarks = bookmarkWords.split(u' ');
        Sites sites;
        QMap<QString, Bytes> addressOf;
        for (const QString &bookmark : bookmarks)
            addressOf[bookmark] = sites.address(bookmark);
        auto resolver = std::make_shared<TestResolver>();
        resolver->missing = {"nosuch1.invalid", "nosuch2.invalid", "gone.nowhere", "nowhere"};
        resolver->parkedBy = {{"lander.test", "ns2.sedoparking.com"}};
        for (int run = 0; run < 3; ++run) {
            QStringList order = bookmarks;
            if (run > 0)
                std::shuffle(order.begin(), order.end(), m_random);
            QList<qsizetype> before;
            for (const LoopbackServer *server : sites.all())
                before << server->requests().size();
            RefreshEngine engine(std::make_unique<LinkChecker>(
                std::make_unique<Downloader>(DownloadLimits{.resolve = sites.resolve},
                                             PoolOptions{.jobs = jobs}),
                CheckSeams{.resolver = resolver,
                           .systemOffline = [] { return false; },
                           .letter = [this] { return char('a' + m_random.bounded(26)); },
                           .decideWhenIdle = true,
                           .keepOrder = jobs == 1,
                           .lookups = jobs}));
            engine.initDownloader();
            for (qsizetype i = 0; i < order.size(); ++i)
                engine.requestDownload(QString::fromLatin1(addressOf[order[i]]), int(i), {});
            QStringList got;
            const auto collect = [&] {
                for (DownloadResult r = engine.getDownloadResult(); r.valid;
                     r = engine.getDownloadResult()) {
                    const char code = r.findings.checked ? char(checkCode(r, {}).code) : 0;
                    got << order[r.index].section(u'=', 0, 0) + u'=' +
                               QChar::fromLatin1(code ? code : '-');
                }
                return got.size() == order.size();
            };
            QTRY_VERIFY_WITH_TIMEOUT(collect(), 20000);
            got.sort();
            order.sort();
            QCOMPARE(got, order);
            QTEST(failureName(engine.networkFailure().kind), "failure");
            QVERIFY(eachHostProbedOnce(sites, before));
        }
    }

    // The run's word on the network, evidence by evidence: "a" an answer from site a,
    // "a>x" an answer of a that ended at foreign host x, "-" a host that failed, "!" the
    // system saying offline about it, "P" a proxy down, "R" a tunnel refused, "end"; "L"
    // asks for a host on this machine. Each gives Pass, Hold, Release, Drop or Fail.
    void runRules_data() { addRowsFromFile(QStringLiteral("refresh/runrules.tsv")); }
    void runRules()
    {
        QFETCH(bool, decideAtEnd);
        QFETCH(QString, evidence);
        NetworkRun run(decideAtEnd);
        QString actions;
        for (const QString &word : evidence.split(u' ')) {
            using Kind = Evidence::Kind;
            const Bytes site = word.section(u'>', 0, 0).toLatin1(),
                        to = word.section(u'>', 1).toLatin1();
            const Evidence e = word == u"P"   ? Evidence{Kind::ProxyDown, {}, "proxy"}
                               : word == u"R" ? Evidence{Kind::ProxyRefused, {}, "proxy"}
                               : word == u"-" || word == u"!" ? Evidence{Kind::Failure, "h", {}}
                               : to.isEmpty()                 ? Evidence{Kind::Answer, site, {}}
                                                              : Evidence{Kind::Foreign, site, to};
            if (word == u"L") { // a host on this machine is asked for
                run.asked("127.0.0.1");
                continue;
            }
            const NetworkRun::Action action =
                word == u"end" ? run.end() : run.add(e, [&] { return word == u"!"; });
            actions += u"PHRDF"_s[int(action)];
        }
        QTEST(actions, "actions");
        QTEST(failureName(run.failure().kind), "failure");
    }

    // Questions to the name service run as many at once as the pool may, never more: each
    // lookup waits until that many are under way (or a second has passed).
    void lookupsAtOnce()
    {
        struct Gathering final : DnsResolver
        {
            std::mutex mutex;
            std::condition_variable all;
            int inside = 0, most = 0;
            DnsAnswer lookup(const Bytes &, Question) override
            {
                std::unique_lock lock(mutex);
                most = std::max(most, ++inside);
                all.notify_all();
                all.wait_for(lock, std::chrono::seconds(1), [this] { return inside >= 4; });
                --inside;
                return {DnsAnswer::Status::Found, {}};
            }
        };
        auto resolver = std::make_shared<Gathering>();
        LookupPool pool(resolver, 4, {});
        for (int i = 0; i < 8; ++i)
            pool.ask("site" + Bytes::number(i) + ".test", DnsResolver::Question::NameServers);
        qsizetype answered = 0;
        QTRY_VERIFY_WITH_TIMEOUT((answered += qsizetype(pool.take().size())) == 8, 10000);
        const std::lock_guard lock(resolver->mutex);
        QCOMPARE(resolver->most, 4);
    }

  private:
    QRandomGenerator m_random;
};

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "test_linkcheck.moc"
