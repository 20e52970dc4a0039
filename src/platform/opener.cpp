#include "opener.h"

#include "webaddress.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {
bool openAddress(const QString &address)
{
    return IsWebAddress(address) &&
           QDesktopServices::openUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

bool openLocalFile(const QString &path)
{
    return QFileInfo(path).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
} // namespace platform
