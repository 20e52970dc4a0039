#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class HtmlScanner;

// What a page shows a reader: its title and the words of its visible text (lower case,
// without scripts, styles and the title), enough to tell two pages apart.
struct PageText
{
    QString title; // trimmed
    QStringList words;
};
PageText readPageText(const QByteArray &body, const QByteArray &rawHeaders);
// The same for a page scanned already.
PageText readPageText(const HtmlScanner &scanner);

// How alike two texts are, from 0 to 1: the share of runs of three words they have in
// common (a text under three words counts as one run).
double textSimilarity(const QStringList &a, const QStringList &b);
