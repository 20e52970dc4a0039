#include "reviewlinks.h"

#include <QUrl>

QString LinkCollectionBase()
{
    return QStringLiteral("https://links.favrake.org/");
}

QString LinkCollectionAddress(const QByteArray &query, const QString &origin)
{
    return LinkCollectionBase() + QStringLiteral("route.php?q=") +
           QString::fromLatin1(QUrl::toPercentEncoding(query)) + QStringLiteral("&btn=") +
           QString::fromLatin1(QUrl::toPercentEncoding(origin));
}
