#include "app/helpcontexts.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString HelpDir = QStringLiteral(FAVRAKE_HELP_DIR);

struct THelpPage
{
    QString Text;
    QStringList Links; // every href and src
    QStringList Ids;
};

THelpPage ReadHelpPage(const QString &path)
{
    QFile file(path);
    THelpPage page;
    if (file.open(QIODevice::ReadOnly))
        page.Text = QString::fromUtf8(file.readAll());
    static const QRegularExpression attribute(QStringLiteral("\\b(href|src|id)=\"([^\"]*)\""));
    for (const QRegularExpressionMatch &match : attribute.globalMatch(page.Text))
        (match.captured(1) == u"id" ? page.Ids : page.Links).append(match.captured(2));
    return page;
}

// One line per fault; addresses with a scheme (https:, mailto:) are not followed.
QStringList PageProblems(const QString &path, const QString &lang)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    const THelpPage page = ReadHelpPage(path);
    QStringList problems;
    QXmlStreamReader xml(page.Text);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        problems.append(QStringLiteral("not well-formed, line %1: %2")
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
    static const QRegularExpression title(QStringLiteral("<title>\\s*[^<\\s]"));
    if (!page.Text.contains(QStringLiteral("<html lang=\"%1\">").arg(lang)) ||
        !page.Text.contains(u"<meta charset=\"utf-8\"") || !page.Text.contains(title) ||
        page.Text.count(u"rel=\"stylesheet\"") != 1)
        problems.append("head without language, utf-8, title or its one stylesheet");
    for (const QString &link : page.Links) {
        if (scheme.match(link).hasMatch())
            continue;
        const QString file = link.section(u'#', 0, 0);
        const QString anchor = link.section(u'#', 1);
        const QString target = file.isEmpty() ? path : QFileInfo(path).dir().filePath(file);
        if (!QFileInfo(target).isFile())
            problems.append("link to a missing file: " + link);
        else if (!anchor.isEmpty() && !ReadHelpPage(target).Ids.contains(anchor))
            problems.append("link to a missing anchor: " + link);
    }
    return problems;
}

QStringList PageNames(const QString &folder)
{
    return QDir(folder).entryList({"*.html"}, QDir::Files, QDir::Name);
}
} // namespace

class TestHelp final : public QObject
{
    Q_OBJECT
  private slots:
    void shippedPages_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("twinPrefix");
        QTest::newRow("en") << HelpDir << "de/";
        QTest::newRow("de") << HelpDir + "/de"
                            << "../";
    }
    // Every context has a page in each language, and both languages the same pages; each
    // page is sound, in the index and links to its twin in the other language.
    void shippedPages()
    {
        QFETCH(QString, folder);
        QFETCH(QString, twinPrefix);
        const QStringList names = PageNames(folder);
        QCOMPARE(names, PageNames(HelpDir));
        const QStringList index = ReadHelpPage(folder + "/index.html").Links;
        QStringList problems;
        for (const int context : HelpContexts)
            if (!names.contains(QString::number(context) + ".html"))
                problems.append("no page " + QString::number(context));
        for (const QString &name : names) {
            const QString path = folder + u'/' + name;
            for (const QString &problem : PageProblems(path, QTest::currentDataTag()))
                problems.append(name + ": " + problem);
            if (!ReadHelpPage(path).Links.contains(twinPrefix + name))
                problems.append(name + ": no link to its twin");
            if (!index.contains(name) && name != "index.html")
                problems.append(name + ": not in the index");
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
