#include "refresh/checkcode.h"
#include "refresh/linkverdict.h"
#include "rowfile.h"

#include <QTest>
#include <curl/curl.h>

using Bytes = QByteArray;
using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(DownloadResult)

namespace {

// n different words starting at first; texts of one seed share their words.
Bytes prose(int n, int first = 0)
{
    Bytes text;
    for (int i = first; i < first + n; ++i)
        text += "word" + Bytes::number(i) + ' ';
    return text;
}

Bytes page(const Bytes &title, const Bytes &text)
{
    return "<html><head><title>" + title + "</title></head><body><p>" + text + "</p></body></html>";
}

// A download of address whose responses were hops ("301 /new" names a redirect's target),
// the last one with body and headers; curl is libcurl's result.
DownloadResult fetched(const Bytes &address, const QList<Bytes> &hops, const Bytes &body = {},
                       const Bytes &headers = {}, int curl = CURLE_OK)
{
    DownloadResult r;
    r.requestedUrl = QString::fromLatin1(address);
    QUrl at(r.requestedUrl);
    for (const Bytes &hop : hops) {
        const int status = hop.left(3).toInt();
        const Bytes location = hop.mid(4);
        r.hops.push_back({status, "HTTP/1.1 " + hop.left(3) + " Reason", location});
        if (!location.isEmpty()) {
            at = at.resolved(QUrl(QString::fromLatin1(location)));
            ++r.redirects;
        }
    }
    r.url = at.toString().toUtf8();
    r.body = body;
    r.headers = headers;
    r.curlCode = curl;
    r.success = curl == CURLE_OK && !hops.isEmpty() && hops.last().startsWith('2');
    r.errorMsg = r.success ? Bytes() : "failed";
    r.findings.checked = true;
    return r;
}

DownloadResult withSibling(DownloadResult r, int status, const Bytes &finalUrl,
                           const Bytes &body = {})
{
    r.findings.sibling = SiblingProbe{status, finalUrl, readPageText(body, {})};
    return r;
}

DownloadResult withDns(DownloadResult r, bool hostMissing, bool domainMissing,
                       const Bytes &parkingServer = {})
{
    r.findings.dns = {hostMissing, domainMissing, parkingServer};
    return r;
}

const Bytes article = "https://news.example/2020/story";

void row(const char *name, const DownloadResult &result, char code, const QString &stored = {})
{
    QTest::newRow(name) << result << stored << code;
}

const Bytes long1 = page("Story", prose(300));
const Bytes notFound = page("Not found", prose(300, 1000));

// Codes of downloads that failed, were refused or asked for something.
void refusalRows()
{
    const DownloadResult story = fetched(article, {"200"}, long1);
    row("fine article, probe answered 404", withSibling(story, 404, {}), 'O');
    row("fine article, probe on another page", withSibling(story, 200, article + "x", notFound),
        'O');
    row("200 challenge page", fetched(article, {"200"}, page("Just a moment...", "")), 'B');
    row("challenge header", fetched(article, {"200"}, long1, "cf-mitigated: challenge\r\n"), 'B');
    row("challenge marker only in a large page",
        withSibling(fetched(article, {"200"}, page("Bots", prose(20000) + "_cf_chl_opt")), 404, {}),
        'O');
    row("redirect loop", fetched(article, QList<Bytes>(15, "302 /again")), 'B');
    row("other 4xx", fetched(article, {"418"}), 'B');
    row("401", fetched(article, {"401"}), 'L');
    row("login redirect carrying the address",
        fetched(article, {"302 /account/login?next=/2020/story", "200"}, page("Log in", "")), 'L');
    row("consent wall",
        fetched(article,
                {"302 https://consent.example.org/consent?continue=https://news.example/2020/"
                 "story",
                 "200"},
                page("Before you continue", "")),
        'L');
    row("no such domain",
        withDns(fetched(article, {}, {}, {}, CURLE_COULDNT_RESOLVE_HOST), true, true), 'N');
    row("host missing, domain exists",
        withDns(fetched(article, {}, {}, {}, CURLE_COULDNT_RESOLVE_HOST), true, false), 'T');
    row("name service timed out", fetched(article, {}, {}, {}, CURLE_COULDNT_RESOLVE_HOST), 'T');
    row("certificate refused", fetched(article, {}, {}, {}, CURLE_PEER_FAILED_VERIFICATION), 'C');
    row("408", fetched(article, {"408"}), 'T');
    row("404", fetched(article, {"404"}, page("Not found", "")), 'G');
    row("410", fetched(article, {"410"}), 'G');
    DownloadResult offline = story;
    offline.findings.network = {NetworkFailure::Portal, "portal.example"};
    row("the network failed", offline, 0);
}

// Codes of pages that came: parked, a soft 404, moved or fine.
void answerRows()
{
    const DownloadResult story = fetched(article, {"200"}, long1);
    row("parked lander",
        fetched(article, {"302 https://www.sedoparking.com/news.example", "200"}, page("", "")),
        'P');
    row("parking name servers", withDns(story, false, false, "ns1.sedoparking.com"), 'P');
    const Bytes forSale = page("news.example", "This domain is for sale! Make an offer.");
    row("for-sale text alone", withSibling(fetched(article, {"200"}, forSale), 404, {}), 'O');
    row("for-sale text on any address",
        withSibling(fetched(article, {"200"}, forSale), 200, article + "x", forSale), 'P');
    row("deep link redirected to /", fetched(article, {"301 /", "200"}, long1), 'S');
    row("deep link redirected to a language root", fetched(article, {"302 /de/", "200"}, long1),
        'S');
    row("front page redirected to a language root",
        fetched("https://news.example/", {"302 /de/", "200"}, long1), 'O');
    const Bytes shell = page("App", "<div id=root></div>");
    row("page shell filled by scripts",
        withSibling(fetched(article, {"200"}, shell), 200, article + "x", shell), 'O');
    row("article titled HTTP 404 explained",
        withSibling(fetched(article, {"200"}, page("HTTP 404 explained", prose(300))), 404, {}),
        'O');
    row("probe ends at the same address",
        withSibling(fetched(article, {"302 /notfound", "200"}, shell), 200,
                    "https://news.example/notfound", shell),
        'S');
    row("probe sent to the same log-in page",
        withSibling(fetched(article, {"302 /signin", "200"}, shell), 200,
                    "https://news.example/signin", shell),
        'O');
    row("probe serves a 95% alike page",
        withSibling(fetched(article, {"200"}, notFound), 200, article + "x",
                    page("Oops", prose(300, 1000) + "x")),
        'S');
    row("probe serves a 93% alike page",
        withSibling(fetched(article, {"200"}, notFound), 200, article + "x",
                    page("Oops", prose(280, 1000) + prose(20, 5000))),
        'O');
    row("probe gives the same title, the stored one differed",
        withSibling(story, 200, article + "x", page("Story", prose(300, 500))), 'S',
        u"Old story"_s);
    row("probe gives the same title as ever",
        withSibling(story, 200, article + "x", page("Story", prose(300, 500))), 'O', u"Story"_s);
    row("moved for good", fetched(article, {"301 https://other.example/story", "200"}, long1), 'M');
    row("moved through 308", fetched(article, {"308 /2021/story", "200"}, long1), 'M');
    row("only https, www and a slash",
        fetched("http://news.example/2020/story",
                {"301 https://www.news.example/2020/story/", "200"}, long1),
        'O');
    row("temporary redirect", fetched(article, {"302 /2021/story", "200"}, long1), 'O');
}

} // namespace

class TestVerdict final : public QObject
{
    Q_OBJECT

  private slots:
    void code_data()
    {
        QTest::addColumn<DownloadResult>("result");
        QTest::addColumn<QString>("stored"); // the title the last check stored
        QTest::addColumn<char>("code");      // 0: nothing recorded
        refusalRows();
        answerRows();
    }

    void code()
    {
        QFETCH(DownloadResult, result);
        QFETCH(QString, stored);
        QFETCH(char, code);
        QCOMPARE(char(checkCode(result, stored).code), code);
    }

    // The verdict after a series of checks, with checks every 60 days and 45 minutes after
    // a failure.
    void history_data() { addRowsFromFile(QStringLiteral("refresh/linkhistory.tsv")); }

    void history()
    {
        QFETCH(QString, checks);
        QFETCH(QString, verdict);
        QFETCH(double, nextInHours);
        const DateTime first = 45000.0;
        LinkHistory h;
        DateTime last = first;
        const auto untimed = checks.count(u'!');
        for (const QString &check : checks.split(u' ')) {
            const CheckCode code =
                check[0] == u'-' ? CheckCode::None : CheckCode(check[0].toLatin1());
            const DateTime at =
                first + check.mid(2).chopped(check.endsWith(u'!')).toDouble() / 24.0;
            h = addCheck(h, code, at);
            last = code == CheckCode::None ? last : at;
        }
        QVERIFY(h.checks.size() <= LinkHistory::maxChecks);
        h.checkTimes.resize(h.checkTimes.size() - untimed);
        const LinkJudgement judged = judgeLink(h, last, false, Intervals{7, 60, 45});
        QCOMPARE(verdictName(judged.verdict), verdict);
        QCOMPARE(qRound((judged.nextCheck - last) * 24 * 60), qRound(nextInHours * 60));
    }

    void parkingHostCountsAtOnce()
    {
        const LinkHistory h = addCheck({}, CheckCode::Parked, 45000.0);
        QCOMPARE(judgeLink(h, 45000.0, true, {}).verdict, LinkVerdict::Parked);
    }
};

QTEST_GUILESS_MAIN(TestVerdict)
#include "test_verdict.moc"
