#include "trash.h"

#include <QFile>
#include <QFileInfo>

namespace platform {
bool moveToTrash(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).exists())
        return false;
    return QFile::moveToTrash(path);
}
} // namespace platform
