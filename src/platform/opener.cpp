#include "opener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {
bool IsOpenableAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == "http" || scheme == "https" || scheme == "ftp");
}

bool openAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    return IsOpenableAddress(url) && QDesktopServices::openUrl(url);
}

bool openLocalFile(const QString &path)
{
    return QFileInfo(path).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
} // namespace platform
