#pragma once

class QString;

namespace platform {
// Hands an address to the desktop's browser; only web addresses (IsWebAddress) are passed on.
bool openAddress(const QString &address);
// Opens a file the program itself ships or writes (help pages).
bool openLocalFile(const QString &path);
} // namespace platform
