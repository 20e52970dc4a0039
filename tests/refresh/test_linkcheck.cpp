#include "loopbackserver.h"
#include "refresh/checkcode.h"
#include "refresh/linkchecker.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTest>

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
            return {DnsAnswer::Status::Found, {parkedBy[name]}};
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

    // Every scenario on the loopback hosts ends with its code; each host is probed once.
    void scenarios()
    {
        LoopbackServer newsSite(news, u"127.0.0.2"_s);
        LoopbackServer shopSite(shop, u"127.0.0.3"_s);
        LoopbackServer lander(
            [](const Bytes &) { return html("200 OK", "parked.test", "Buy this domain"); },
            u"127.0.0.4"_s);
        QTcpServer closed; // its port refuses once it is gone
        closed.listen(QHostAddress(u"127.0.0.5"_s));
        const quint16 closedPort = closed.serverPort();
        closed.close();
        const auto port = [](const LoopbackServer &s) { return s.base().split(':').last(); };
        const QList<Bytes> resolve = {"news.test:" + port(newsSite) + ":127.0.0.2",
                                      "shop.test:" + port(shopSite) + ":127.0.0.3",
                                      "parked.test:" + port(lander) + ":127.0.0.4",
                                      "down.test:" + Bytes::number(closedPort) + ":127.0.0.5"};
        auto resolver = std::make_shared<TestResolver>();
        // A name service that calls even the suffix "nowhere" missing tells nothing.
        resolver->missing = {"nosuch.invalid", "gone.nowhere", "nowhere"};
        resolver->parkedBy = {{"parked.test", "ns2.sedoparking.com"}};
        auto checking = std::make_unique<LinkChecker>(
            std::make_unique<Downloader>(DownloadLimits{.resolve = resolve},
                                         PoolOptions{.jobs = 4}),
            CheckSeams{.resolver = resolver,
                       .systemOffline = [] { return false; },
                       .letter = [this] { return char('a' + m_random.bounded(26)); },
                       .decideWhenIdle = true});
        LinkChecker &checker = *checking;
        TRefreshEngine engine(std::move(checking));
        engine.InitDownloader();
        const auto on = [](const LoopbackServer &s, const char *host, const Bytes &path) {
            return "http://" + Bytes(host) + ':' + s.base().split(':').last() + path;
        };
        const QList<std::pair<Bytes, char>> expected = {
            {on(newsSite, "news.test", "/story"), 'O'},
            {on(newsSite, "news.test", "/old"), 'S'},
            {on(newsSite, "news.test", "/gone"), 'G'},
            {on(newsSite, "news.test", "/renamed"), 'M'},
            {on(newsSite, "news.test", "/members"), 'L'},
            {on(newsSite, "news.test", "/wall"), 'B'},
            {on(shopSite, "shop.test", "/item/7"), 'O'},
            {on(shopSite, "shop.test", "/item/8"), 'S'},
            {on(shopSite, "shop.test", "/"), 'O'},
            {on(lander, "parked.test", "/"), 'P'},
            {"http://nosuch.invalid/page", 'N'},
            {"http://gone.nowhere/page", 'T'},
            {"http://down.test:" + Bytes::number(closedPort) + "/page", 'T'},
            {"file:///etc/passwd", '-'}, // not a web link: never judged
        };
        for (qsizetype i = 0; i < expected.size(); ++i)
            engine.RequestDownload(QString::fromLatin1(expected[i].first), int(i), {});
        QMap<qsizetype, char> codes;
        const auto collect = [&] {
            for (TDownloadResult r = engine.GetDownloadResult(); r.Valid;
                 r = engine.GetDownloadResult())
                codes[r.Index] = r.Findings.checked ? char(checkCode(r, QString()).code) : '-';
            return codes.size() == expected.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(collect(), 20000);
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(codes[i] == expected[i].second, expected[i].first + " gave " + codes[i]);
        // One probe per host: the only request for an address nobody bookmarked.
        const auto probes = [](const LoopbackServer &s, const QList<Bytes> &known) {
            return std::count_if(s.requests().begin(), s.requests().end(), [&](const Bytes &r) {
                return !known.contains(r.split(' ').value(1));
            });
        };
        QCOMPARE(probes(newsSite, {"/story", "/old", "/gone", "/renamed", "/members",
                                   "/login?next=%2Fmembers", "/wall", "/", "/2021/renamed"}),
                 1);
        QCOMPARE(probes(shopSite, {"/item/7", "/item/8", "/"}), 1);
        QVERIFY(!checker.isBusy());
    }

    // What a run's answers say about the network. Each bookmark is "host/path=code" ('-':
    // nothing recorded); hosts named live*, news* answer, down* refuse, nosuch* do not exist,
    // p* send everything to one sign-in page, parked* to one parking host. The first run
    // takes the order given, the others a seeded shuffle of it.
    void network_data()
    {
        QTest::addColumn<QStringList>("bookmarks");
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("failure"); // NetworkFailure
        const auto row = [](const char *name, const char *bookmarks, int jobs,
                            NetworkFailure failure = NetworkFailure::None) {
            QTest::newRow(name) << QString::fromLatin1(bookmarks).split(u' ') << jobs
                                << int(failure);
        };
        const char *deadFirst =
            "down1/=T down2/=T down3/=T down4/=T live1/=O live2/story=O live3/=O "
            "live4/story=O live5/=O";
        row("dead hosts first, one job", deadFirst, 1);
        row("dead hosts first, 16 jobs", deadFirst, 16);
        row("dead hosts first, 64 jobs", deadFirst, 64);
        row("names that do not exist beside a site", "nosuch1/=N nosuch2/x=N live1/=O", 16);
        row("only names that do not exist", "nosuch1/=- nosuch2/x=-", 16, NetworkFailure::NoAnswer);
        row("no answer at all", "down1/=- down2/=- down3/=- down4/=-", 16,
            NetworkFailure::NoAnswer);
        row("a sign-in page for every site", "p1/=- p2/x=- p3/=- p4/y=- down1/=-", 16,
            NetworkFailure::Portal);
        row("a sign-in page, one job", "down1/=- p1/=- p2/x=- p3/=-", 1, NetworkFailure::Portal);
        row("parked domains beside live sites", "parked1/=P parked2/=P parked3/=P live1/=O", 16);
        row("two domains sent to one host tell nothing", "parked1/=P parked2/=P down1/=T", 16);
        row("a site sends its old pages home", "news/old=S www.news/old=S old.news/old=S", 16);
        row("an ftp link needs no network", "down1/=- ftp=-", 1, NetworkFailure::NoAnswer);
    }

    void network()
    {
        QFETCH(QStringList, bookmarks);
        QFETCH(int, jobs);
        QFETCH(int, failure);
        Bytes portalPort, parkingPort; // for the addresses they send to
        const auto sender = [](const Bytes &host, const Bytes &port, const Bytes &page) {
            return [&host, &port, page](const Bytes &path) {
                return path == page
                           ? html("200 OK", "Sign in or buy", "Buy this domain")
                           : testPage("302 Found", {},
                                      "Location: http://" + host + ':' + port + page + "\r\n");
            };
        };
        const Bytes portalHost = "portal.test", parkingHost = "parking.test";
        LoopbackServer live(news, u"127.0.0.2"_s);
        LoopbackServer portal(sender(portalHost, portalPort, "/login"), u"127.0.0.3"_s);
        LoopbackServer parking(sender(parkingHost, parkingPort, "/lander"), u"127.0.0.4"_s);
        QTcpServer closed;
        closed.listen(QHostAddress(u"127.0.0.5"_s));
        const Bytes down = Bytes::number(closed.serverPort());
        closed.close();
        const auto port = [](const LoopbackServer &s) { return s.base().split(':').last(); };
        portalPort = port(portal);
        parkingPort = port(parking);
        QList<Bytes> resolve = {portalHost + ':' + portalPort + ":127.0.0.3",
                                parkingHost + ':' + parkingPort + ":127.0.0.4"};
        QMap<QString, Bytes> addressOf;
        for (const QString &bookmark : bookmarks) {
            const QString host = bookmark.section(u'=', 0, 0).section(u'/', 0, 0);
            const Bytes path = '/' + bookmark.section(u'=', 0, 0).section(u'/', 1).toLatin1();
            const auto [ip, at] = host.startsWith(u"parked") ? std::pair("127.0.0.4", parkingPort)
                                  : host.startsWith(u'p')    ? std::pair("127.0.0.3", portalPort)
                                  : host.startsWith(u"down") ? std::pair("127.0.0.5", down)
                                                             : std::pair("127.0.0.2", port(live));
            const bool missing = host.startsWith(u"nosuch");
            const Bytes name = host.toLatin1() + (missing ? ".invalid" : ".test");
            if (!missing)
                resolve << name + ':' + at + ':' + ip;
            addressOf[bookmark] =
                host == u"ftp" ? Bytes("ftp://files.example/") : "http://" + name + ':' + at + path;
        }
        auto resolver = std::make_shared<TestResolver>();
        resolver->missing = {"nosuch1.invalid", "nosuch2.invalid"};
        for (int run = 0; run < 3; ++run) {
            QStringList order = bookmarks;
            if (run > 0)
                std::shuffle(order.begin(), order.end(), m_random);
            TRefreshEngine engine(std::make_unique<LinkChecker>(
                std::make_unique<Downloader>(DownloadLimits{.resolve = resolve},
                                             PoolOptions{.jobs = jobs}),
                CheckSeams{.resolver = resolver,
                           .systemOffline = [] { return false; },
                           .decideWhenIdle = true,
                           .keepOrder = jobs == 1,
                           .lookups = jobs}));
            engine.InitDownloader();
            for (qsizetype i = 0; i < order.size(); ++i)
                engine.RequestDownload(QString::fromLatin1(addressOf[order[i]]), int(i), {});
            QStringList got;
            const auto collect = [&] {
                for (TDownloadResult r = engine.GetDownloadResult(); r.Valid;
                     r = engine.GetDownloadResult()) {
                    const char code = r.Findings.checked ? char(checkCode(r, {}).code) : 0;
                    got << order[r.Index].section(u'=', 0, 0) + u'=' +
                               QChar::fromLatin1(code ? code : '-');
                }
                return got.size() == order.size();
            };
            QTRY_VERIFY_WITH_TIMEOUT(collect(), 20000);
            got.sort();
            order.sort();
            QCOMPARE(got, order);
            QCOMPARE(int(engine.networkFailure().kind), failure);
        }
    }

  private:
    QRandomGenerator m_random;
};

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "test_linkcheck.moc"
