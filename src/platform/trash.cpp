#include "trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
bool moveToTrash(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).exists())
        return false;
    // The home trash lies in the user's data folder; Qt only creates its last level and,
    // when the data folder itself is missing, would file the item below the current
    // working folder instead.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return QFile::moveToTrash(path);
}
} // namespace platform
