#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// What a help page declares and where it points, as far as the checks need it.
struct THelpPage
{
    QString XmlError; // empty when the page is well-formed
    QString Lang;     // the lang attribute of <html>
    QString Charset;  // of <meta charset>
    QString Title;
    QStringList Stylesheets; // href of each <link rel="stylesheet">
    QStringList Links;       // every href and src, in document order
    QSet<QString> Ids;
};

THelpPage ReadHelpPage(const QString &path);

// Everything wrong with the page at path, one line per fault: not well-formed, another
// language than lang, no utf-8, no title, not exactly one stylesheet, and any link to a
// missing file or to a missing anchor. Addresses with a scheme (https:, mailto:) are not
// followed.
QStringList PageProblems(const QString &path, const QString &lang);
