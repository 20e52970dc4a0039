#include "app/helpcontexts.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString HelpDir = QStringLiteral(FAVRAKE_HELP_DIR);

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
            page.Charset = value("charset").toLower();
        else if (xml.name() == u"title")
            page.Title = xml.readElementText().trimmed();
        page.Stylesheets += xml.name() == u"link" && value("rel") == u"stylesheet";
        for (const char *name : {"href", "src"})
            if (attributes.hasAttribute(name))
                page.Links.append(value(name));
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
    if (page.Lang != lang || page.Charset != u"utf-8" || page.Title.isEmpty() ||
        page.Stylesheets != 1)
        problems.append("head without language, utf-8, title or its one stylesheet");
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
    // Every context has a page in each language (English in the help folder, German in
    // de/); each page is sound, in the index and links to its twin in the other language.
    void shippedPages()
    {
        const struct
        {
            const char *Lang;
            QString Folder, TwinPrefix;
        } languages[] = {{"en", HelpDir, "de/"}, {"de", HelpDir + "/de", "../"}};
        const auto pageNames = [](const QString &folder) {
            return QDir(folder).entryList({"*.html"}, QDir::Files, QDir::Name);
        };
        QCOMPARE(pageNames(languages[1].Folder), pageNames(languages[0].Folder));
        QStringList problems;
        for (const auto &language : languages) {
            const QStringList names = pageNames(language.Folder);
            const QStringList index = ReadHelpPage(language.Folder + "/index.html").Links;
            QVERIFY(index.size() >= int(std::size(HelpContexts))); // the reader finds links
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
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
