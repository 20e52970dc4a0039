#include "loopbackserver.h"
#include "refresh/downloader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Bytes = QByteArray;

namespace {

constexpr qsizetype MiB = 1024 * 1024;

DownloadLimits shortLimits()
{
    DownloadLimits limits;
    limits.readTimeout = 300ms;
    limits.totalTimeout = 2000ms;
    return limits;
}

// Every answer names its path in "X-Path", so a test sees whose headers were kept.
TestReply route(const Bytes &path)
{
    const Bytes tag = "X-Path: " + path + "\r\n";
    auto redirect = [&](const Bytes &status, const Bytes &to) {
        return testPage(status, {}, tag + (to.isEmpty() ? Bytes() : "Location: " + to + "\r\n"));
    };
    if (path == "/page" || path == "/chain/0" || path == "/echo" || path == "/dir/next?x=1")
        return testPage("200 OK", "hello", tag);
    if (path.startsWith("/chain/"))
        return redirect("302 Found", "/chain/" + Bytes::number(path.mid(7).toInt() - 1));
    if (path == "/unmodified")
        return redirect("304 Not Modified", "/page");
    if (path == "/nolocation")
        return redirect("302 Found", {});
    if (path == "/dir/sub/start")
        return redirect("301 Moved Permanently", "../next?x=1");
    if (path == "/to/file")
        return redirect("302 Found", "file:///etc/passwd");
    if (path == "/to/ftp")
        return redirect("302 Found", "ftp://127.0.0.1/x");
    if (path == "/to/script")
        return redirect("302 Found", "javascript:alert(1)");
    if (path == "/cookie")
        return redirect("302 Found\r\nSet-Cookie: session=1", "/echo");
    if (path == "/big")
        return testPage("200 OK", Bytes(5 * MiB, 'b'), tag);
    if (path == "/headers")
        return testPage("200 OK", {},
                        tag + ("X-Filler: " + Bytes(990, 'h') + "\r\n").repeated(1000));
    if (path == "/slow")
        return {testPage("200 OK", "late", tag).head, "late", TestReply::Then::Close, 400};
    if (path == "/stall")
        return {testPage("200 OK", Bytes(100, 's'), tag).head, {}, TestReply::Then::Stall};
    if (path == "/trickle")
        return {"HTTP/1.1 200 OK\r\n" + tag, {}, TestReply::Then::Trickle};
    return testPage("404 Not Found", "nope", tag);
}

std::optional<TIndyResult> waitResult(AbstractDownloader &downloader, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (auto result = downloader.takeResult())
            return result;
        QTest::qWait(10);
    } while (clock.elapsed() < ms);
    return std::nullopt;
}

std::optional<Bytes> headerValue(const Bytes &head, const Bytes &name)
{
    for (const Bytes &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return std::nullopt;
}

// url empty: the address itself; error empty: a success
void fetchRow(const char *name, const Bytes &address, const Bytes &url, int redirects,
              const Bytes &error, const Bytes &headersOf, qsizetype size = 0)
{
    QTest::newRow(name) << address << (url.isEmpty() ? address : url) << redirects << error
                        << headersOf << size;
}

} // namespace

class TestDownloader final : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void fetch_data();
    void fetch();
    void requestHeaders_data();
    void requestHeaders();
    void abort_data();
    void abort();
    void stopDuringTransfer();
    void https_data();
    void https();

  private:
    LoopbackServer m_server{route};
    Bytes m_closed; // a port nobody listens on
};

void TestDownloader::initTestCase()
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        qunsetenv(name);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    m_closed = "http://127.0.0.1:" + Bytes::number(probe.serverPort());
}

void TestDownloader::fetch_data()
{
    // "{s}" stands for the test server, "{closed}" for a port nobody listens on.
    QTest::addColumn<Bytes>("address");
    QTest::addColumn<Bytes>("url"); // final address
    QTest::addColumn<int>("redirects");
    QTest::addColumn<Bytes>("error");     // the error text starts so
    QTest::addColumn<Bytes>("headersOf"); // the path whose response headers are kept
    QTest::addColumn<qsizetype>("size");  // of the body kept

    fetchRow("page", "{s}/page", {}, 0, {}, "/page", 5);
    fetchRow("404 gives its status line", "{s}/missing", {}, 0, "HTTP/1.1 404 Not Found",
             "/missing");
    fetchRow("one redirect", "{s}/chain/1", "{s}/chain/0", 1, {}, "/chain/0", 5);
    fetchRow("14 redirects are followed", "{s}/chain/14", "{s}/chain/0", 14, {}, "/chain/0", 5);
    fetchRow("a redirect as 15th response is a loop", "{s}/chain/15", "{s}/chain/0", 15,
             "Redirect loop", "/chain/1");
    fetchRow("304 is not followed", "{s}/unmodified", {}, 0, "HTTP/1.1 304 Not Modified",
             "/unmodified");
    fetchRow("302 without Location", "{s}/nolocation", {}, 0, "HTTP/1.1 302 Found", "/nolocation");
    fetchRow("relative Location", "{s}/dir/sub/start", "{s}/dir/next?x=1", 1, {}, "/dir/next?x=1",
             5);
    fetchRow("redirect to file: refused", "{s}/to/file", "file:///etc/passwd", 1,
             "Redirect to a \"file\" address refused", "/to/file");
    fetchRow("redirect to ftp: refused", "{s}/to/ftp", "ftp://127.0.0.1/x", 1,
             "Redirect to a \"ftp\" address refused", "/to/ftp");
    fetchRow("redirect to javascript: refused", "{s}/to/script", "javascript:alert(1)", 1,
             "Redirect to a \"javascript\" address refused", "/to/script");
    fetchRow("ftp address refused", "ftp://127.0.0.1/x", {}, 0, "Cannot fetch a \"ftp\" address",
             {});
    fetchRow("file address refused", "FILE:///etc/passwd", {}, 0, "Cannot fetch a \"file\" address",
             {});
    fetchRow("empty address", {}, {}, 0, "No address", {});
    fetchRow("address with a NUL byte", Bytes("{s}/page") + '\0' + ".evil", {}, 0,
             "Malformed address", {});
    fetchRow("connection refused", "{closed}/", {}, 0, "Failed to connect to 127.0.0.1 port", {});
    fetchRow("body over 4 MiB is cut, still a success", "{s}/big", {}, 0, {}, "/big", 4 * MiB);
    fetchRow("silence after the headers is a read timeout", "{s}/stall", {}, 0,
             "Read timeout: no data for 0.3 s", "/stall");
    fetchRow("trickle ends at the total limit", "{s}/trickle", {}, 0, "Operation timed out after",
             "/trickle");
    fetchRow("endless header lines", "{s}/headers", {}, 0, "Too large response header", "/headers");
}

void TestDownloader::fetch()
{
    QFETCH(Bytes, address);
    QFETCH(Bytes, url);
    QFETCH(int, redirects);
    QFETCH(Bytes, error);
    QFETCH(Bytes, headersOf);
    QFETCH(qsizetype, size);
    for (Bytes *text : {&address, &url})
        text->replace("{s}", m_server.base()).replace("{closed}", m_closed);

    Downloader downloader(shortLimits());
    downloader.start();
    const quint64 serial = downloader.request(address, 42);
    const auto result = waitResult(downloader);
    QVERIFY(result);
    QCOMPARE(result->Serial, serial);
    QCOMPARE(result->Index, 42);
    QCOMPARE(result->ErrorMsg.left(error.size()), error);
    QCOMPARE(result->Success, error.isEmpty());
    QCOMPARE(result->ErrorMsg.isEmpty(), error.isEmpty());
    QCOMPARE(result->Redirects, redirects);
    QCOMPARE(result->URL, url);
    QCOMPARE(result->Content.size(), size);
    if (size > 0)
        QCOMPARE(result->Content.front(), route(headersOf).body.front());
    QCOMPARE(headerValue(result->Headers, "X-Path").value_or(Bytes()), headersOf);
    QVERIFY(!downloader.takeResult()); // handed out once
    QVERIFY(!downloader.isBusy());
}

void TestDownloader::requestHeaders_data()
{
    QTest::addColumn<Bytes>("name");
    QTest::addColumn<Bytes>("value"); // null: the header must not be sent

    QTest::newRow("User-Agent") << Bytes("User-Agent")
                                << Bytes("Mozilla/5.0 (compatible; Favrake/1.3i)");
    QTest::newRow("Accept") << Bytes("Accept") << Bytes("text/html, */*");
    QTest::newRow("no compression") << Bytes("Accept-Encoding") << Bytes();
    QTest::newRow("no Content-Type") << Bytes("Content-Type") << Bytes();
    QTest::newRow("no cookie from the redirect") << Bytes("Cookie") << Bytes();
}

void TestDownloader::requestHeaders()
{
    QFETCH(Bytes, name);
    QFETCH(Bytes, value);

    Downloader downloader(shortLimits());
    downloader.start();
    downloader.request(m_server.base() + "/cookie", 0);
    const auto result = waitResult(downloader);
    QVERIFY(result && result->Success);
    const Bytes sent = m_server.requests().last();
    QVERIFY(sent.startsWith("GET /echo HTTP/1.1\r\n"));
    const auto found = headerValue(sent, name);
    QCOMPARE(found.has_value(), !value.isNull());
    if (found)
        QCOMPARE(*found, value);
}

void TestDownloader::abort_data()
{
    QTest::addColumn<Bytes>("first");
    QTest::addColumn<bool>("published"); // abort after the first result came out
    QTest::addColumn<Bytes>("next");

    QTest::newRow("while fetching") << Bytes("/slow") << false << Bytes();
    QTest::newRow("after publishing") << Bytes("/page") << true << Bytes();
    QTest::newRow("while trickling, then another page")
        << Bytes("/trickle") << false << Bytes("/page");
    QTest::newRow("while fetching, then the same address")
        << Bytes("/slow") << false << Bytes("/slow");
}

void TestDownloader::abort()
{
    QFETCH(Bytes, first);
    QFETCH(bool, published);
    QFETCH(Bytes, next);

    Downloader downloader(shortLimits());
    downloader.start();
    const qsizetype seen = m_server.requests().size();
    const quint64 serial = downloader.request(m_server.base() + first, 7);
    QVERIFY(downloader.isBusyWith(7));
    QVERIFY(!downloader.isBusyWith(8));
    if (published)
        QTRY_VERIFY(!downloader.isBusy());
    else
        QTRY_COMPARE(m_server.requests().size(), seen + 1);
    downloader.abort();
    QVERIFY(!downloader.isBusy());
    QVERIFY(!downloader.isBusyWith(7));
    if (!next.isEmpty()) {
        const quint64 again = downloader.request(m_server.base() + next, 8);
        QVERIFY(again > serial);
        const auto result = waitResult(downloader, 1500); // the withdrawn one is abandoned
        QVERIFY(result);
        QCOMPARE(result->Serial, again);
        QCOMPARE(result->Index, 8);
        QVERIFY(result->Success);
    }
    QTest::qWait(600); // the withdrawn transfer has ended by now
    QVERIFY(!downloader.takeResult());
}

void TestDownloader::stopDuringTransfer()
{
    DownloadLimits limits; // nothing but the stop may end the transfer in time
    limits.readTimeout = limits.totalTimeout = 5s;
    auto downloader = std::make_unique<Downloader>(limits);
    downloader->start();
    const qsizetype seen = m_server.requests().size();
    downloader->request(m_server.base() + "/trickle", 3);
    QTRY_COMPARE(m_server.requests().size(), seen + 1);
    QElapsedTimer clock;
    clock.start();
    downloader->stop();
    QVERIFY(clock.elapsed() < 50);
    QVERIFY(!downloader->isBusy());
    QVERIFY(!downloader->takeResult());

    // A new worker serves while the stopped one still ends.
    downloader->start();
    downloader->request(m_server.base() + "/page", 4);
    const auto result = waitResult(*downloader);
    QVERIFY(result && result->Success);

    downloader->request(m_server.base() + "/trickle", 5);
    QTRY_COMPARE(m_server.requests().size(), seen + 3);
    clock.restart();
    downloader.reset(); // stops and joins both workers
    QVERIFY2(clock.elapsed() < 1300, Bytes::number(clock.elapsed()));
}

void TestDownloader::https_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("self-signed certificate is refused") << false;
    QTest::newRow("certificate from the given store") << true;
}

void TestDownloader::https()
{
    QFETCH(bool, trusted);
    QTemporaryDir dir;
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start("openssl",
               {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                "-nodes", "-keyout", "key.pem", "-out", "cert.pem", "-days", "2", "-subj",
                "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    if (!tool.waitForFinished(5000) || tool.exitCode() != 0)
        QSKIP("no openssl tool to make a certificate");
    QProcess server;
    server.setWorkingDirectory(dir.path());
    server.start("openssl", {"s_server", "-accept", "127.0.0.1:0", "-cert", "cert.pem", "-key",
                             "key.pem", "-www", "-naccept", "1"});
    Bytes said;
    QTRY_VERIFY((said += server.readAllStandardOutput()).contains("ACCEPT 127.0.0.1:") &&
                said.endsWith('\n'));
    const Bytes port = said.mid(said.indexOf("ACCEPT 127.0.0.1:") + 17).trimmed();

    DownloadLimits limits = shortLimits();
    if (trusted)
        limits.caFile = dir.filePath("cert.pem").toLocal8Bit();
    Downloader downloader(limits);
    downloader.start();
    downloader.request("https://127.0.0.1:" + port + "/", 0);
    const auto result = waitResult(downloader);
    QVERIFY(result);
    QCOMPARE(result->Success, trusted);
    QCOMPARE(result->ErrorMsg.contains("certificate"), !trusted);
    server.kill();
    server.waitForFinished();
}

QTEST_GUILESS_MAIN(TestDownloader)
#include "test_downloader.moc"
