#include "loopbackserver.h"
#include "refresh/downloader.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

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
TestReply route(const QByteArray &path)
{
    const QByteArray tag = "X-Path: " + path + "\r\n";
    if (path == "/page" || path == "/chain/0" || path == "/echo" || path == "/dir/next?x=1")
        return testPage("200 OK", "hello", tag);
    if (path.startsWith("/chain/"))
        return testPage("302 Found", {},
                        tag + "Location: /chain/" + QByteArray::number(path.mid(7).toInt() - 1) +
                            "\r\n");
    if (path == "/unmodified")
        return testPage("304 Not Modified", {}, tag + "Location: /page\r\n");
    if (path == "/nolocation")
        return testPage("302 Found", {}, tag);
    if (path == "/dir/sub/start")
        return testPage("301 Moved Permanently", {}, tag + "Location: ../next?x=1\r\n");
    if (path == "/to/file")
        return testPage("302 Found", {}, tag + "Location: file:///etc/passwd\r\n");
    if (path == "/to/ftp")
        return testPage("302 Found", {}, tag + "Location: ftp://127.0.0.1/x\r\n");
    if (path == "/to/odd")
        return testPage("302 Found", {}, tag + "Location: javascript:alert(1)\r\n");
    if (path == "/cookie")
        return testPage("302 Found", {}, tag + "Set-Cookie: session=1\r\nLocation: /echo\r\n");
    if (path == "/big")
        return testPage("200 OK", QByteArray(5 * MiB, 'b'), tag);
    if (path == "/headers")
        return testPage("200 OK", {},
                        tag + ("X-Filler: " + QByteArray(990, 'h') + "\r\n").repeated(1000));
    if (path == "/slow")
        return {testPage("200 OK", "late", tag).head, "late", TestReply::Then::Close, 400};
    if (path == "/stall")
        return {testPage("200 OK", QByteArray(100, 's'), tag).head, {}, TestReply::Then::Stall};
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

std::optional<QByteArray> headerValue(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return std::nullopt;
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
    void resultComesOutOnce();
    void stopDuringTransfer();
    void https_data();
    void https();

  private:
    LoopbackServer m_server{route};
    QByteArray m_closed; // a port nobody listens on
};

void TestDownloader::initTestCase()
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        qunsetenv(name);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    m_closed = "http://127.0.0.1:" + QByteArray::number(probe.serverPort());
}

void TestDownloader::fetch_data()
{
    // "{s}" stands for the test server, "{closed}" for a port nobody listens on.
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<bool>("success");
    QTest::addColumn<int>("redirects");
    QTest::addColumn<QByteArray>("url");       // final address
    QTest::addColumn<QByteArray>("error");     // the error text starts so
    QTest::addColumn<QByteArray>("headersOf"); // the path whose response headers are kept
    QTest::addColumn<qsizetype>("size");       // of the body kept

    QTest::newRow("page") << QByteArray("{s}/page") << true << 0 << QByteArray("{s}/page")
                          << QByteArray() << QByteArray("/page") << qsizetype(5);
    QTest::newRow("404 gives its status line")
        << QByteArray("{s}/missing") << false << 0 << QByteArray("{s}/missing")
        << QByteArray("HTTP/1.1 404 Not Found") << QByteArray("/missing") << qsizetype(0);
    QTest::newRow("one redirect") << QByteArray("{s}/chain/1") << true << 1
                                  << QByteArray("{s}/chain/0") << QByteArray()
                                  << QByteArray("/chain/0") << qsizetype(5);
    QTest::newRow("14 redirects are followed")
        << QByteArray("{s}/chain/14") << true << 14 << QByteArray("{s}/chain/0") << QByteArray()
        << QByteArray("/chain/0") << qsizetype(5);
    QTest::newRow("a redirect as 15th response is a loop")
        << QByteArray("{s}/chain/15") << false << 15 << QByteArray("{s}/chain/0")
        << QByteArray("Redirect loop") << QByteArray("/chain/1") << qsizetype(0);
    QTest::newRow("304 is not followed")
        << QByteArray("{s}/unmodified") << false << 0 << QByteArray("{s}/unmodified")
        << QByteArray("HTTP/1.1 304 Not Modified") << QByteArray("/unmodified") << qsizetype(0);
    QTest::newRow("302 without Location")
        << QByteArray("{s}/nolocation") << false << 0 << QByteArray("{s}/nolocation")
        << QByteArray("HTTP/1.1 302 Found") << QByteArray("/nolocation") << qsizetype(0);
    QTest::newRow("relative Location")
        << QByteArray("{s}/dir/sub/start") << true << 1 << QByteArray("{s}/dir/next?x=1")
        << QByteArray() << QByteArray("/dir/next?x=1") << qsizetype(5);
    QTest::newRow("redirect to file: refused")
        << QByteArray("{s}/to/file") << false << 1 << QByteArray("file:///etc/passwd")
        << QByteArray("Redirect to a \"file\" address refused") << QByteArray("/to/file")
        << qsizetype(0);
    QTest::newRow("redirect to ftp: refused")
        << QByteArray("{s}/to/ftp") << false << 1 << QByteArray("ftp://127.0.0.1/x")
        << QByteArray("Redirect to a \"ftp\" address refused") << QByteArray("/to/ftp")
        << qsizetype(0);
    QTest::newRow("redirect to javascript: refused")
        << QByteArray("{s}/to/odd") << false << 1 << QByteArray("javascript:alert(1)")
        << QByteArray("Redirect to a \"javascript\" address refused") << QByteArray("/to/odd")
        << qsizetype(0);
    QTest::newRow("ftp address refused")
        << QByteArray("ftp://127.0.0.1/x") << false << 0 << QByteArray("ftp://127.0.0.1/x")
        << QByteArray("Cannot fetch a \"ftp\" address") << QByteArray() << qsizetype(0);
    QTest::newRow("file address refused")
        << QByteArray("FILE:///etc/passwd") << false << 0 << QByteArray("FILE:///etc/passwd")
        << QByteArray("Cannot fetch a \"file\" address") << QByteArray() << qsizetype(0);
    QTest::newRow("empty address") << QByteArray() << false << 0 << QByteArray()
                                   << QByteArray("No address") << QByteArray() << qsizetype(0);
    QTest::newRow("address with a NUL byte")
        << (QByteArray("{s}/page") + '\0' + ".evil") << false << 0
        << (QByteArray("{s}/page") + '\0' + ".evil") << QByteArray("Malformed address")
        << QByteArray() << qsizetype(0);
    QTest::newRow("connection refused")
        << QByteArray("{closed}/") << false << 0 << QByteArray("{closed}/")
        << QByteArray("Failed to connect to 127.0.0.1 port") << QByteArray() << qsizetype(0);
    QTest::newRow("body over 4 MiB is cut, still a success")
        << QByteArray("{s}/big") << true << 0 << QByteArray("{s}/big") << QByteArray()
        << QByteArray("/big") << 4 * MiB;
    QTest::newRow("silence after the headers is a read timeout")
        << QByteArray("{s}/stall") << false << 0 << QByteArray("{s}/stall")
        << QByteArray("Read timeout: no data for 0.3 s") << QByteArray("/stall") << qsizetype(0);
    QTest::newRow("trickle ends at the total limit")
        << QByteArray("{s}/trickle") << false << 0 << QByteArray("{s}/trickle")
        << QByteArray("Operation timed out after") << QByteArray("/trickle") << qsizetype(0);
    QTest::newRow("endless header lines")
        << QByteArray("{s}/headers") << false << 0 << QByteArray("{s}/headers")
        << QByteArray("Too large response header") << QByteArray("/headers") << qsizetype(0);
}

void TestDownloader::fetch()
{
    QFETCH(QByteArray, address);
    QFETCH(bool, success);
    QFETCH(int, redirects);
    QFETCH(QByteArray, url);
    QFETCH(QByteArray, error);
    QFETCH(QByteArray, headersOf);
    QFETCH(qsizetype, size);
    for (QByteArray *text : {&address, &url})
        text->replace("{s}", m_server.base()).replace("{closed}", m_closed);

    Downloader downloader(shortLimits());
    downloader.start();
    const quint64 serial = downloader.request(address, 42);
    const auto result = waitResult(downloader);
    QVERIFY(result);
    QCOMPARE(result->Serial, serial);
    QCOMPARE(result->Index, 42);
    QCOMPARE(result->ErrorMsg.left(error.size()), error);
    QCOMPARE(result->Success, success);
    QCOMPARE(result->ErrorMsg.isEmpty(), success);
    QCOMPARE(result->Redirects, redirects);
    QCOMPARE(result->URL, url);
    QCOMPARE(result->Content.size(), size);
    if (size > 0)
        QCOMPARE(result->Content.front(), route(url.mid(m_server.base().size())).body.front());
    QCOMPARE(headerValue(result->Headers, "X-Path").value_or(QByteArray()), headersOf);
}

void TestDownloader::requestHeaders_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value"); // null: the header must not be sent

    QTest::newRow("User-Agent") << QByteArray("User-Agent")
                                << QByteArray("Mozilla/5.0 (compatible; Favrake/1.3i)");
    QTest::newRow("Accept") << QByteArray("Accept") << QByteArray("text/html, */*");
    QTest::newRow("no compression") << QByteArray("Accept-Encoding") << QByteArray();
    QTest::newRow("no Content-Type") << QByteArray("Content-Type") << QByteArray();
    QTest::newRow("no cookie from the redirect") << QByteArray("Cookie") << QByteArray();
}

void TestDownloader::requestHeaders()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);

    Downloader downloader(shortLimits());
    downloader.start();
    downloader.request(m_server.base() + "/cookie", 0);
    const auto result = waitResult(downloader);
    QVERIFY(result && result->Success);
    const QByteArray sent = m_server.requests().last();
    QVERIFY(sent.startsWith("GET /echo HTTP/1.1\r\n"));
    const auto found = headerValue(sent, name);
    QCOMPARE(found.has_value(), !value.isNull());
    if (found)
        QCOMPARE(*found, value);
}

void TestDownloader::abort_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<bool>("published"); // abort after the first result came out
    QTest::addColumn<QByteArray>("next");

    QTest::newRow("while fetching") << QByteArray("/slow") << false << QByteArray();
    QTest::newRow("after publishing") << QByteArray("/page") << true << QByteArray();
    QTest::newRow("while trickling, then another page")
        << QByteArray("/trickle") << false << QByteArray("/page");
    QTest::newRow("while fetching, then the same address")
        << QByteArray("/slow") << false << QByteArray("/slow");
}

void TestDownloader::abort()
{
    QFETCH(QByteArray, first);
    QFETCH(bool, published);
    QFETCH(QByteArray, next);

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

void TestDownloader::resultComesOutOnce()
{
    Downloader downloader(shortLimits());
    downloader.start();
    downloader.request(m_server.base() + "/page", 1);
    QVERIFY(waitResult(downloader));
    QVERIFY(!downloader.takeResult());
    QVERIFY(!downloader.isBusy());
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
    QVERIFY2(clock.elapsed() < 1300, QByteArray::number(clock.elapsed()));
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
                             "key.pem", "-www"});
    QByteArray said;
    QTRY_VERIFY((said += server.readAllStandardOutput()).contains("ACCEPT 127.0.0.1:") &&
                said.endsWith('\n'));
    const QByteArray port = said.mid(said.indexOf("ACCEPT 127.0.0.1:") + 17).trimmed();

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
