#include "app/helpcontexts.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString HelpDir = QStringLiteral(FAVRAKE_HELP_DIR);

// English pages lie in the help folder itself, German ones in de/; each links to its twin.
const struct
{
    const char *Lang;
    QString Folder, TwinPrefix;
} Languages[] = {{"en", HelpDir, "de/"}, {"de", HelpDir + "/de", "../"}};

QStringList PageNames(const QString &folder)
{
    return QDir(folder).entryList({"*.html"}, QDir::Files, QDir::Name);
}

struct THelpPage
{
    QString XmlError, Lang, Charset, Title;
    int Stylesheets = 0;
    QStringList Links; // every href and src
    QSet<QString> Ids;
};

THelpPage ReadHelpPage(const QString &path)
{
    THelpPage page;
    QFile file(path);
    QXmlStreamReader xml;
    if (file.open(QIODevice::ReadOnly))
        xml.setDevice(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto value = [&](const QString &name) { return attributes.value(name).toString(); };
        if (xml.name() == u"html")
            page.Lang = value("lang");
        else if (xml.name() == u"meta" && attributes.hasAttribute("charset"))
            page.Charset = value("charset");
        else if (xml.name() == u"title")
            page.Title = xml.readElementText().trimmed();
        else if (xml.name() == u"link" && value("rel") == u"stylesheet")
            ++page.Stylesheets;
        for (const char *name : {"href", "src"}) {
            if (attributes.hasAttribute(name))
                page.Links.append(value(name));
        }
        if (attributes.hasAttribute("id"))
            page.Ids.insert(value("id"));
    }
    if (xml.hasError())
        page.XmlError = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

// One line per fault; addresses with a scheme (https:, mailto:) are not followed.
QStringList PageProblems(const QString &path, const QString &lang)
{
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]*:");
    const THelpPage page = ReadHelpPage(path);
    QStringList problems;
    if (!page.XmlError.isEmpty())
        problems.append("not well-formed, " + page.XmlError);
    if (page.Lang != lang)
        problems.append(QStringLiteral("language \"%1\" instead of \"%2\"").arg(page.Lang, lang));
    if (page.Charset.compare(u"utf-8", Qt::CaseInsensitive) != 0)
        problems.append("no utf-8 charset");
    if (page.Title.isEmpty())
        problems.append("no title");
    if (page.Stylesheets != 1)
        problems.append(QStringLiteral("%1 stylesheets instead of one").arg(page.Stylesheets));
    for (const QString &link : page.Links) {
        if (scheme.match(link).hasMatch())
            continue;
        const QString file = link.section(u'#', 0, 0);
        const QString anchor = link.section(u'#', 1);
        const QString target = file.isEmpty() ? path : QFileInfo(path).dir().filePath(file);
        if (!QFileInfo(target).isFile())
            problems.append("link to a missing file: " + link);
        else if (!anchor.isEmpty() &&
                 !(file.isEmpty() ? page : ReadHelpPage(target)).Ids.contains(anchor))
            problems.append("link to a missing anchor: " + link);
    }
    return problems;
}
} // namespace

class TestHelp final : public QObject
{
    Q_OBJECT
  private slots:
    // Every context has a page in each language; each page is sound, in the index and links
    // to its twin in the other language.
    void shippedPages()
    {
        QCOMPARE(PageNames(Languages[1].Folder), PageNames(Languages[0].Folder));
        QStringList problems;
        for (const auto &language : Languages) {
            const QStringList names = PageNames(language.Folder);
            const QStringList index = ReadHelpPage(language.Folder + "/index.html").Links;
            for (const int context : HelpContexts)
                if (!names.contains(QString::number(context) + ".html"))
                    problems.append(language.Folder + ": no page " + QString::number(context));
            for (const QString &name : names) {
                const QString path = language.Folder + u'/' + name;
                for (const QString &problem : PageProblems(path, language.Lang))
                    problems.append(path + ": " + problem);
                if (!ReadHelpPage(path).Links.contains(language.TwinPrefix + name))
                    problems.append(path + ": no link to its twin");
                if (!index.contains(name) && name != "index.html")
                    problems.append(path + ": not in the index");
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The checks themselves: each fault is caught and named.
    void problemsFound_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("problems");
        const QString head = "<html lang=\"en\"><head><meta charset=\"UTF-8\" /><title>T</title>"
                             "<link rel=\"stylesheet\" href=\"o.html\" /></head>";
        QTest::newRow("sound") << head + "<body id=\"t\"><a href=\"mailto:a@b.c\" />"
                                         "<a href=\"o.html#a\" /><a href=\"#t\" /></body></html>"
                               << QStringList();
        QTest::newRow("broken links")
            << head + "<body><a href=\"gone.html\" /><a href=\"o.html#b\" /><img src=\"#n\" />"
                      "</body></html>"
            << QStringList{"link to a missing file: gone.html",
                           "link to a missing anchor: o.html#b", "link to a missing anchor: #n"};
        QTest::newRow("bad head")
            << "<html lang=\"de\"><head><meta charset=\"latin1\" /><title> </title></head></html>"
            << QStringList{"language \"de\" instead of \"en\"", "no utf-8 charset", "no title",
                           "0 stylesheets instead of one"};
        QTest::newRow("unclosed element")
            << head + "<body><p></body></html>"
            << QStringList{"not well-formed, line 1: Opening and ending tag mismatch."};
    }
    void problemsFound()
    {
        QFETCH(QString, page);
        QTemporaryDir dir;
        QFile other(dir.filePath("o.html")), file(dir.filePath("page.html"));
        QVERIFY(other.open(QIODevice::WriteOnly) && file.open(QIODevice::WriteOnly));
        other.write("<html><p id=\"a\" /></html>");
        file.write(page.toUtf8());
        other.close();
        file.close();
        QTEST(PageProblems(file.fileName(), "en"), "problems");
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
