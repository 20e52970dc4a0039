#pragma once

class QString;

namespace platform {
// An address the web browser may be given: a valid http, https or ftp address with a host.
// Local files and every other scheme are refused, so a bookmark can never make the desktop
// run something.
bool isWebAddress(const QString &address);
} // namespace platform
