#pragma once

class QString;
class QUrl;

namespace platform {
// Hands an address to the desktop's browser; only http, https and ftp addresses are
// passed on, so a bookmark can never make the desktop run a local file.
bool IsOpenableAddress(const QUrl &url);
bool openAddress(const QString &address);
// Opens a file the program itself ships or writes (help pages).
bool openLocalFile(const QString &path);
} // namespace platform
