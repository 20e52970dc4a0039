#pragma once

#include <functional>

class QString;

namespace platform {
// Why the desktop did not open something.
enum class OpenFailure {
    None,
    NotWeb,       // not an http, https or ftp address: never handed on
    NoOpener,     // no xdg-open, and nothing else that could start a browser
    NoHandler,    // xdg-open found no program for it (no default browser)
    OpenerFailed, // xdg-open or the program it started gave up
};
// A failure the opener reports after it was started, on the event loop.
using LateFailure = std::function<void(OpenFailure)>;

// Hands an address to the desktop's browser; only web addresses (IsWebAddress) are passed on.
OpenFailure openAddress(const QString &address, const LateFailure &later);
// Opens a file the program itself ships or writes (help pages).
OpenFailure openLocalFile(const QString &path, const LateFailure &later);
} // namespace platform
