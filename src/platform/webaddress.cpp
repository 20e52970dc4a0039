#include "webaddress.h"

#include <QString>
#include <QUrl>

namespace platform {
bool isWebAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == u"http" || scheme == u"https" || scheme == u"ftp");
}
} // namespace platform
