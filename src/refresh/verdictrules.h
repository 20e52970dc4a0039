#pragma once

#include <QByteArray>
#include <QByteArrayMatcher>
#include <QList>
#include <QString>
#include <QStringMatcher>

// The patterns the link check compares with, read from the data files built into the
// program (parking.txt, challenges.txt, login.txt).
struct VerdictRules
{
    QList<QByteArray> parkingHosts;
    QList<QByteArray> parkingNameServers;
    // The texts looked for in every page are prepared for searching once.
    QList<QStringMatcher> forSalePhrases;
    QList<QString> challengeTitles;
    QList<QByteArrayMatcher> challengeMarkers;
    QList<QString> loginPathParts;
    QList<QByteArray> loginHosts;
    QList<QByteArray> returnParams;

    static const VerdictRules &builtIn();
    // Lines "kind value"; blank lines and lines starting with "#" are skipped, unknown
    // kinds too.
    void read(const QByteArray &text);
};

// host is one of names, or a name below one of them ("a.b.example" is below "example").
bool isHostOrBelow(const QByteArray &host, const QList<QByteArray> &names);
