#include "refresh/checkcode.h"
#include "refresh/linkverdict.h"
#include "rowfile.h"

#include <QRegularExpression>
#include <QTest>
#include <curl/curl.h>

using Bytes = QByteArray;
using namespace Qt::Literals::StringLiterals;

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

// A page of the table: "title|text", where "{n}" stands for n different words and "{n@f}"
// for n words from word f; no parts: no page.
Bytes pageFrom(const QStringList &spec)
{
    if (spec.isEmpty())
        return {};
    static const QRegularExpression words(u"\\{(\\d+)(?:@(\\d+))?\\}"_s);
    const QString text = spec.value(1);
    Bytes body;
    qsizetype at = 0;
    for (const QRegularExpressionMatch &match : words.globalMatch(text)) {
        body += text.mid(at, match.capturedStart() - at).toUtf8() +
                prose(match.captured(1).toInt(), match.captured(2).toInt());
        at = match.capturedEnd();
    }
    return page(spec[0].toUtf8(), body + text.mid(at).toUtf8());
}

// A download of address whose responses were hops ("301 /new" names a redirect's target),
// the last one with body and headers; curl is libcurl's result.
DownloadResult fetched(const QString &address, const QStringList &hops, const Bytes &body,
                       const Bytes &headers, int curl)
{
    DownloadResult r;
    r.requestedUrl = address;
    QUrl at(r.requestedUrl);
    for (const QString &hop : hops) {
        const Bytes location = hop.mid(4).toUtf8();
        r.hops.push_back(
            {hop.left(3).toInt(), "HTTP/1.1 " + hop.left(3).toUtf8() + " Reason", location});
        if (!location.isEmpty()) {
            at = at.resolved(QUrl(QString::fromUtf8(location)));
            ++r.redirects;
        }
    }
    r.url = at.toString().toUtf8();
    r.body = body;
    r.headers = headers;
    r.curlCode = curl;
    r.success = curl == CURLE_OK && !hops.isEmpty() && hops.last().startsWith(u'2');
    r.errorMsg = r.success ? Bytes() : "failed";
    r.findings.checked = true;
    return r;
}

} // namespace

class TestVerdict final : public QObject
{
    Q_OBJECT

  private slots:
    void code_data() { addRowsFromFile(QStringLiteral("refresh/checkcodes.tsv")); }

    void code()
    {
        QFETCH(QString, address);
        QFETCH(QStringList, hops);
        QFETCH(QStringList, page);
        QFETCH(Bytes, headers);
        QFETCH(int, curl);
        DownloadResult result = fetched(address, hops, pageFrom(page), headers, curl);
        QFETCH(bool, hostMissing);
        QFETCH(bool, domainMissing);
        QFETCH(Bytes, parkingServer);
        result.findings.dns = {hostMissing, domainMissing, parkingServer};
        QFETCH(int, probeStatus);
        QFETCH(Bytes, probeUrl);
        QFETCH(QStringList, probePage);
        if (probeStatus != 0)
            result.findings.sibling =
                SiblingProbe{probeStatus, probeUrl, readPageText(pageFrom(probePage), {})};
        QFETCH(Bytes, portal);
        if (!portal.isEmpty())
            result.findings.network = {NetworkFailure::Portal, portal};
        QFETCH(QString, stored);
        const char code = char(checkCode(result, stored).code);
        QTEST(QString(QChar::fromLatin1(code ? code : '-')), "code");
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
