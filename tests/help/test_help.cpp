#include "app/helpcontexts.h"
#include "rowfile.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString helpDir = QStringLiteral(FAVRAKE_HELP_DIR);

struct HelpPage
{
    QString text;
    QStringList links; // every href and src
    QStringList ids;
};

HelpPage readHelpPage(const QString &path)
{
    QFile file(path);
    HelpPage page;
    if (file.open(QIODevice::ReadOnly))
        page.text = QString::fromUtf8(file.readAll());
    static const QRegularExpression attribute(QStringLiteral("\\b(href|src|id)=\"([^\"]*)\""));
    for (const QRegularExpressionMatch &match : attribute.globalMatch(page.text))
        (match.captured(1) == u"id" ? page.ids : page.links).append(match.captured(2));
    return page;
}

// One line per fault; addresses with a scheme (https:, mailto:) are not followed.
QStringList pageProblems(const QString &path, const QString &lang)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    const HelpPage page = readHelpPage(path);
    QStringList problems;
    QXmlStreamReader xml(page.text);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        problems.append(QStringLiteral("not well-formed, line %1: %2")
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
    static const QRegularExpression title(QStringLiteral("<title>\\s*[^<\\s]"));
    if (!page.text.contains(QStringLiteral("<html lang=\"%1\">").arg(lang)) ||
        !page.text.contains(u"<meta charset=\"utf-8\"") || !page.text.contains(title) ||
        page.text.count(u"rel=\"stylesheet\"") != 1)
        problems.append("head without language, utf-8, title or its one stylesheet");
    for (const QString &link : page.links) {
        if (scheme.match(link).hasMatch())
            continue;
        const QString file = link.section(u'#', 0, 0);
        const QString anchor = link.section(u'#', 1);
        const QString target = file.isEmpty() ? path : QFileInfo(path).dir().filePath(file);
        if (!QFileInfo(target).isFile())
            problems.append("link to a missing file: " + link);
        else if (!anchor.isEmpty() && !readHelpPage(target).ids.contains(anchor))
            problems.append("link to a missing anchor: " + link);
    }
    return problems;
}

QStringList pageNames(const QString &folder)
{
    return QDir(folder).entryList({"*.html"}, QDir::Files, QDir::Name);
}
} // namespace

class TestHelp final : public QObject
{
    Q_OBJECT
  private slots:
    void shippedPages_data() { addRowsFromFile(QStringLiteral("help/languages.tsv")); }
    // Every context has a page in each language, and both languages the same pages; each
    // page is sound, in the index and links to its twin in the other language.
    void shippedPages()
    {
        QFETCH(QString, below);
        QFETCH(QString, twinPrefix);
        const QString folder = helpDir + below;
        const QStringList names = pageNames(folder);
        QCOMPARE(names, pageNames(helpDir));
        const QStringList index = readHelpPage(folder + "/index.html").links;
        QStringList problems;
        for (const int context : helpContexts)
            if (!names.contains(QString::number(context) + ".html"))
                problems.append("no page " + QString::number(context));
        for (const QString &name : names) {
            const QString path = folder + u'/' + name;
            for (const QString &problem : pageProblems(path, QTest::currentDataTag()))
                problems.append(name + ": " + problem);
            if (!readHelpPage(path).links.contains(twinPrefix + name))
                problems.append(name + ": no link to its twin");
            if (!index.contains(name) && name != "index.html")
                problems.append(name + ": not in the index");
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
