#pragma once

class QString;

namespace platform {
bool moveToTrash(const QString &path); // false when nothing was moved
}
