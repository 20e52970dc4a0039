#include "loopbackserver.h"
#include "refresh/downloader.h"
#include "refresh/hostqueue.h"
#include "rowfile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Bytes = QByteArray;
using namespace Qt::Literals::StringLiterals;

namespace {

const DownloadLimits shortLimits{.readTimeout = 500ms, .totalTimeout = 2000ms};

// Every answer names its path in "X-Path", so a test sees whose headers were kept.
TestReply route(const Bytes &path)
{
    const Bytes tag = "X-Path: " + path + "\r\n";
    static const QMap<Bytes, std::pair<Bytes, Bytes>> redirects = {
        {"/304", {"304 Not Modified", "/page"}},
        {"/302", {"302 Found", {}}},
        {"/a/b/c", {"301 Moved Permanently", "../d?x=1"}},
        {"/to/file", {"302 Found", "file:///etc/passwd"}},
        {"/cookie", {"302 Found\r\nSet-Cookie: session=1", "/page"}}};
    auto [status, to] = redirects.value(path);      // status, Location; none: not a redirect
    if (path.startsWith("/c/") && path != "/c/0") { // a chain of redirects down to /c/0
        status = "302 Found";
        to = "/c/" + Bytes::number(path.mid(3).toInt() - 1);
    }
    if (!status.isEmpty())
        return testPage(status, {}, tag + (to.isEmpty() ? Bytes() : "Location: " + to + "\r\n"));
    if (path == "/page" || path == "/c/0" || path == "/a/d?x=1" || path == "/a%20b?q=c+d&e=%c3%bc")
        return testPage("200 OK", "hello", tag);
    if (path == "/big")
        return testPage("200 OK", Bytes(5 << 20, 'b'), tag);
    if (path == "/headers")
        return testPage("200 OK", {},
                        tag + ("X-Filler: " + Bytes(990, 'h') + "\r\n").repeated(1000));
    if (path == "/slow")
        return {testPage("200 OK", "late", tag).head, "late", TestReply::Then::Close, 200};
    if (path == "/stall")
        return {testPage("200 OK", Bytes(100, 's'), tag).head, {}, TestReply::Then::Stall};
    if (path == "/trickle")
        return {"HTTP/1.1 200 OK\r\n" + tag, {}, TestReply::Then::Trickle};
    return testPage("404 Not Found", "nope", tag);
}

// No result reads as the empty record.
DownloadResult waitResult(Downloader &downloader, int ms = 5000)
{
    std::optional<DownloadResult> result;
    const auto taken = [&] { return (result = downloader.takeResult()).has_value(); };
    return QTest::qWaitFor(taken, ms) ? *result : DownloadResult();
}

// "<closed port>" in an address stands for a port nobody listens on.
Bytes withClosedPort(const Bytes &address)
{
    QTcpServer probe; // its port is free again once it is gone
    probe.listen(QHostAddress::LocalHost);
    return Bytes(address).replace("<closed port>", Bytes::number(probe.serverPort()));
}

} // namespace

class TestDownloader final : public QObject
{
    Q_OBJECT

  private slots:
    void fetch_data() { addRowsFromFile(QStringLiteral("refresh/fetches.tsv")); }

    void fetch()
    {
        QFETCH(Bytes, address);
        QFETCH(Bytes, url);
        QFETCH(int, redirects);
        QFETCH(Bytes, error);
        QFETCH(Bytes, headersOf);
        QFETCH(int, size);
        address = withClosedPort(address);
        url = url.isEmpty() ? address : url;
        const auto on = [&](const Bytes &t) { return t.startsWith('/') ? m_server.base() + t : t; };
        Downloader downloader(shortLimits, {.jobs = 16});
        downloader.start();
        const quint64 serial = downloader.request(on(address), 42);
        const DownloadResult result = waitResult(downloader);
        QCOMPARE(result.serial, serial);
        QCOMPARE(result.index, 42);
        QCOMPARE(result.errorMsg.left(error.size()), error);
        QVERIFY(result.success == error.isEmpty() && result.errorMsg.isEmpty() == error.isEmpty());
        QCOMPARE(result.redirects, redirects);
        QCOMPARE(result.url, on(url));
        QCOMPARE(result.success ? result.body : Bytes(), route(headersOf).body.left(size));
        // Every response is kept: redirects with their Location, the last one as the result's.
        for (size_t i = 0; i + 1 < result.hops.size(); ++i)
            QVERIFY(result.hops[i].status / 100 == 3 && !result.hops[i].location.isEmpty());
        QCOMPARE(result.hops.empty(), headersOf.isEmpty()); // a response came when it has headers
        const qsizetype tag = result.headers.indexOf("X-Path: ");
        QCOMPARE(tag < 0 ? Bytes() : result.headers.mid(tag + 8).split('\r').front(), headersOf);
        const Bytes cookie = address == "/cookie" ? "Cookie: session=1\r\n" : "";
        if (!headersOf.isEmpty()) // the last request sent only what a browser would
            QCOMPARE(m_server.requests().last(),
                     "GET " + headersOf + " HTTP/1.1\r\nHost: " + m_server.base().mid(7) +
                         "\r\nUser-Agent: Mozilla/5.0 (compatible; Favrake/1.3i)\r\n" + cookie +
                         "Accept: text/html, */*\r\n");
        QVERIFY(!downloader.takeResult() && !downloader.isBusy()); // handed out once
    }

    void abort_data() { addRowsFromFile(QStringLiteral("refresh/aborts.tsv")); }

    void abort()
    {
        QFETCH(Bytes, first);
        QFETCH(bool, published);
        QFETCH(Bytes, next);
        Downloader downloader(shortLimits);
        downloader.start();
        const qsizetype seen = m_server.requests().size();
        const quint64 serial = downloader.request(m_server.base() + first, 7);
        QVERIFY(downloader.isBusyWith(7) && !downloader.isBusyWith(8));
        QTRY_VERIFY(published ? !downloader.isBusy() : m_server.requests().size() == seen + 1);
        downloader.abort();
        QVERIFY(!downloader.isBusy() && !downloader.isBusyWith(7));
        if (!next.isEmpty()) {
            const quint64 again = downloader.request(m_server.base() + next, 8);
            const DownloadResult result = waitResult(downloader, 1500); // the withdrawn one stops
            QVERIFY2(result.success && again > serial, result.errorMsg.constData());
            QCOMPARE(result.serial, again);
            QCOMPARE(result.index, 8);
        }
        // The withdrawn transfer ends, and only a later request's result comes out.
        QTRY_COMPARE(m_server.openRequests(), 0);
        const quint64 last = downloader.request(m_server.base() + "/page", 9);
        QCOMPARE(waitResult(downloader).serial, last);
        QVERIFY(!downloader.takeResult());
    }

    void stopDuringTransfer()
    {
        // Nothing but the stop may end the transfer before the test's own time limit.
        auto downloader =
            std::make_unique<Downloader>(DownloadLimits{.readTimeout = 600s, .totalTimeout = 600s});
        downloader->start();
        const qsizetype seen = m_server.requests().size();
        downloader->request(m_server.base() + "/trickle", 3);
        QTRY_COMPARE(m_server.requests().size(), seen + 1);
        downloader->stop();
        QVERIFY(!downloader->isBusy() && !downloader->takeResult());

        // A new worker serves while the stopped one still ends.
        downloader->start();
        downloader->request(m_server.base() + "/page", 4);
        QVERIFY(waitResult(*downloader).success);
        downloader->request(m_server.base() + "/trickle", 5);
        QTRY_COMPARE(m_server.requests().size(), seen + 3);
        downloader.reset(); // stops and joins both workers
    }

    // Many hosts at once: none gets more than two transfers, and one that stalls holds up
    // no other.
    void manyHosts()
    {
        std::vector<std::unique_ptr<LoopbackServer>> hosts;
        for (int h = 1; h <= 6; ++h) // the first promises bodies it never sends
            hosts.push_back(std::make_unique<LoopbackServer>(
                [h](const Bytes &) {
                    return TestReply{testPage("200 OK", "x").head, h == 1 ? "" : "x",
                                     h == 1 ? TestReply::Then::Stall : TestReply::Then::Close, 150};
                },
                u"127.0.0.%1"_s.arg(h)));
        Downloader downloader({.readTimeout = 600s, .totalTimeout = 600s}, {.jobs = 8});
        downloader.start();
        for (size_t h = 0; h < hosts.size(); ++h) // host by host: a pool without limits per
            for (int page = 0; page < 4; ++page)  // host would run four of one at once
                downloader.request(hosts[h]->base() + "/p" + Bytes::number(page), int(h));
        QList<int> answered(hosts.size(), 0);
        const auto collect = [&] {
            while (const std::optional<DownloadResult> result = downloader.takeResult())
                answered[result->index] += result->success ? 1 : 100;
            return answered == QList<int>{0, 4, 4, 4, 4, 4};
        };
        QTRY_VERIFY_WITH_TIMEOUT(collect(), 20000);
        int most = 0;
        for (const auto &host : hosts)
            most = std::max(most, host->mostAtOnce());
        QCOMPARE(most, 2);
        QCOMPARE(hosts[0]->requests().size(), 2); // the others wait for a free place
        QVERIFY(downloader.isBusy());             // still waiting for the stalled host
    }

    void retryAfter_data() { addRowsFromFile(QStringLiteral("refresh/retryafter.tsv")); }

    void retryAfter()
    {
        QFETCH(Bytes, retryAfter);
        QFETCH(bool, always);
        QFETCH(int, capMs);
        QFETCH(int, requests);
        QFETCH(bool, success);
        QFETCH(int, waitMs);
        int busyRequests = 0;
        LoopbackServer busy([&](const Bytes &path) {
            if (path != "/busy" || (busyRequests++ > 0 && !always))
                return testPage("200 OK", "fine");
            return testPage("429 Too Many Requests", {},
                            retryAfter.isEmpty() ? Bytes() : "Retry-After: " + retryAfter + "\r\n");
        });
        LoopbackServer other([](const Bytes &) { return testPage("200 OK", "fine"); },
                             u"127.0.0.2"_s);
        Downloader downloader(shortLimits, {.jobs = 1,
                                            .honourRetryAfter = true,
                                            .maxRetryAfter = std::chrono::milliseconds(capMs)});
        downloader.start();
        const QList<Bytes> addresses = {busy.base() + "/busy", busy.base() + "/next", other.base()};
        for (const Bytes &address : addresses)
            downloader.request(address, int(addresses.indexOf(address)));
        QList<bool> succeeded(3);
        for (int i = 0; i < 3; ++i) {
            const DownloadResult result = waitResult(downloader, 10000);
            succeeded[result.index] = result.success;
        }
        QCOMPARE(succeeded, QList<bool>({success, true, true}));
        QCOMPARE(busyRequests, requests);
        // The host's other page waited as well; another host did not.
        const QList<qint64> at = busy.arrivals();
        QVERIFY(at.last() - at.first() >= waitMs);
        QVERIFY(waitMs == 0 || other.arrivals().first() < at[1]);
    }

    void askedPause_data() { addRowsFromFile(QStringLiteral("refresh/askedpauses.tsv")); }

    void askedPause()
    {
        QFETCH(int, status);
        QFETCH(Bytes, headers);
        QFETCH(int, pauseMs);
        DownloadResult result;
        result.headers = headers;
        result.hops = {{status, "HTTP/1.1 " + Bytes::number(status), {}}};
        const auto now = std::chrono::system_clock::from_time_t(1700000000); // 22:13:20 GMT
        QCOMPARE(::askedPause(result, 120s, now).value_or(-1ms),
                 std::chrono::milliseconds(pauseMs));
    }

    void https_data() { addRowsFromFile(QStringLiteral("refresh/certificates.tsv")); }
    void https()
    {
        QFETCH(bool, trusted);
        QTemporaryDir dir;
        QProcess openssl;
        openssl.setWorkingDirectory(dir.path());
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", "key.pem", "-out", "cert.pem", "-days", "2", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        if (!openssl.waitForFinished(5000) || openssl.exitCode() != 0)
            QSKIP("no openssl tool to make a certificate");
        openssl.start("openssl", {"s_server", "-accept", "127.0.0.1:0", "-cert", "cert.pem", "-key",
                                  "key.pem", "-www", "-naccept", "1"});
        Bytes said;
        QTRY_VERIFY((said += openssl.readAllStandardOutput()).contains("ACCEPT 127.0.0.1:") &&
                    said.endsWith('\n'));
        DownloadLimits limits = shortLimits;
        limits.caFile = trusted ? dir.filePath("cert.pem").toLocal8Bit() : Bytes();
        Downloader downloader(limits);
        downloader.start();
        downloader.request("https://127.0.0.1:" + said.mid(said.lastIndexOf(':') + 1).trimmed(), 0);
        const DownloadResult result = waitResult(downloader);
        QCOMPARE(result.success, trusted);
        QCOMPARE(result.errorMsg.contains("certificate"), !trusted);
    }

  private:
    LoopbackServer m_server{route};
};

QTEST_GUILESS_MAIN(TestDownloader)
#include "test_downloader.moc"
