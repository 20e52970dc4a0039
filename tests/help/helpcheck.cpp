#include "helpcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {
void ReadElement(QXmlStreamReader &xml, THelpPage &page)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    const auto value = [&](const char *name) {
        return attributes.value(QLatin1StringView(name)).toString();
    };
    const QStringView element = xml.name();
    if (element == u"html")
        page.Lang = value("lang");
    else if (element == u"meta" && attributes.hasAttribute(QLatin1StringView("charset")))
        page.Charset = value("charset");
    else if (element == u"title")
        page.Title = xml.readElementText().trimmed();
    else if (element == u"link" && value("rel") == u"stylesheet")
        page.Stylesheets.append(value("href"));
    for (const char *reference : {"href", "src"}) {
        if (attributes.hasAttribute(QLatin1StringView(reference)))
            page.Links.append(value(reference));
    }
    if (attributes.hasAttribute(QLatin1StringView("id")))
        page.Ids.insert(value("id"));
}

bool HasScheme(const QString &link)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(link).hasMatch();
}

// The fault of one link of the page at path; empty when it leads somewhere.
QString LinkProblem(const QString &path, const THelpPage &page, const QString &link)
{
    if (HasScheme(link))
        return QString();
    const qsizetype hash = link.indexOf(u'#');
    const QString file = link.left(hash);
    const QString anchor = hash < 0 ? QString() : link.mid(hash + 1);
    const QString target =
        file.isEmpty() ? path : QFileInfo(path).dir().absoluteFilePath(QDir::cleanPath(file));
    if (!QFileInfo(target).isFile())
        return QStringLiteral("link to a missing file: %1").arg(link);
    if (anchor.isEmpty())
        return QString();
    const QSet<QString> ids = file.isEmpty() ? page.Ids : ReadHelpPage(target).Ids;
    return ids.contains(anchor) ? QString()
                                : QStringLiteral("link to a missing anchor: %1").arg(link);
}
} // namespace

THelpPage ReadHelpPage(const QString &path)
{
    THelpPage page;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        page.XmlError = QStringLiteral("cannot be read");
        return page;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            ReadElement(xml, page);
    }
    if (xml.hasError())
        page.XmlError = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

QStringList PageProblems(const QString &path, const QString &lang)
{
    const THelpPage page = ReadHelpPage(path);
    QStringList problems;
    if (!page.XmlError.isEmpty())
        problems.append(QStringLiteral("not well-formed, ") + page.XmlError);
    if (page.Lang != lang)
        problems.append(QStringLiteral("language \"%1\" instead of \"%2\"").arg(page.Lang, lang));
    if (page.Charset.compare(u"utf-8", Qt::CaseInsensitive) != 0)
        problems.append(QStringLiteral("no utf-8 charset"));
    if (page.Title.isEmpty())
        problems.append(QStringLiteral("no title"));
    if (page.Stylesheets.size() != 1)
        problems.append(
            QStringLiteral("%1 stylesheets instead of one").arg(page.Stylesheets.size()));
    for (const QString &link : page.Links) {
        const QString problem = LinkProblem(path, page, link);
        if (!problem.isEmpty())
            problems.append(problem);
    }
    return problems;
}
