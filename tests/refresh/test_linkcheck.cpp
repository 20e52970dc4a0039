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
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("probe letters seeded with %u", seed);
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

    void offline_data()
    {
        QTest::addColumn<int>("hosts"); // refused, each asked for twice
        QTest::addColumn<bool>("systemOffline");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("the first three hosts refuse: nothing recorded") << 3 << false << false;
        QTest::newRow("two hosts refuse, then nothing left to ask") << 2 << false << true;
        QTest::newRow("no network says the system, but the host is local") << 1 << true << true;
    }

    // Whether the network is down; a fine host asked afterwards shares the word.
    void offline()
    {
        QFETCH(int, hosts);
        QFETCH(bool, systemOffline);
        QFETCH(bool, recorded);
        std::vector<std::unique_ptr<QTcpServer>> closed;
        LinkChecker checker(std::make_unique<Downloader>(),
                            CheckSeams{.resolver = std::make_shared<TestResolver>(),
                                       .systemOffline = [=] { return systemOffline; },
                                       .decideWhenIdle = true});
        checker.start();
        LoopbackServer fine([](const Bytes &) { return html("200 OK", "Fine", "fine"); },
                            u"127.0.0.9"_s);
        for (int host = 6; host < 6 + hosts; ++host) {
            closed.push_back(std::make_unique<QTcpServer>());
            closed.back()->listen(QHostAddress(u"127.0.0.%1"_s.arg(host)));
            const Bytes address = "http://127.0.0." + Bytes::number(host) + ':' +
                                  Bytes::number(closed.back()->serverPort()) + '/';
            closed.back()->close();
            checker.request(address, host);
            checker.request(address + "again", host);
        }
        QList<bool> offline;
        const auto collect = [&] {
            while (const std::optional<TIndyResult> result = checker.takeResult()) {
                offline << result->Findings.offline;
                if (offline.size() == 2 * hosts)
                    checker.request(fine.base() + "/page", 9);
            }
            return offline.size() == 2 * hosts + 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(collect(), 20000);
        QCOMPARE(offline, QList<bool>(2 * hosts + 1, !recorded));
    }

  private:
    QRandomGenerator m_random;
};

QTEST_GUILESS_MAIN(TestLinkCheck)
#include "test_linkcheck.moc"
