#include "refresh/verdictrules.h"

#include <QFile>

const VerdictRules &VerdictRules::builtIn()
{
    static const VerdictRules rules = [] {
        Q_INIT_RESOURCE(verdictrules); // the files live in this static library
        VerdictRules read;
        for (const char *name :
             {":/verdict/parking.txt", ":/verdict/challenges.txt", ":/verdict/login.txt"}) {
            QFile file(QString::fromLatin1(name));
            if (file.open(QIODevice::ReadOnly))
                read.read(file.readAll());
        }
        return read;
    }();
    return rules;
}

void VerdictRules::read(const QByteArray &text)
{
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype blank = line.indexOf(' ');
        if (line.startsWith('#') || blank <= 0)
            continue;
        const QByteArray kind = line.left(blank);
        const QByteArray value = line.mid(blank + 1).trimmed();
        const QString text = QString::fromUtf8(value);
        if (kind == "host")
            parkingHosts.append(value);
        else if (kind == "nameserver")
            parkingNameServers.append(value);
        else if (kind == "phrase")
            forSalePhrases.append(QStringMatcher(text));
        else if (kind == "title")
            challengeTitles.append(text);
        else if (kind == "marker")
            challengeMarkers.append(QByteArrayMatcher(value));
        else if (kind == "path")
            loginPathParts.append(text);
        else if (kind == "loginhost")
            loginHosts.append(value);
        else if (kind == "param")
            returnParams.append(value);
    }
}

bool isHostOrBelow(const QByteArray &host, const QList<QByteArray> &names)
{
    QByteArray name = host.toLower();
    if (name.endsWith('.'))
        name.chop(1);
    for (const QByteArray &known : names)
        if (name == known || (name.endsWith(known) && name[name.size() - known.size() - 1] == '.'))
            return true;
    return false;
}
