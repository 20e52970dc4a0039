#pragma once

#include "bookmarktree.h"

#include <QByteArray>
#include <QString>

namespace exchange {
// The bookmarks of a Chromium-family profile's "Bookmarks" file (JSON): the bookmark bar,
// other and mobile roots become folders under their own names; dates are microseconds
// since 1601.
SourceRead readChromiumBookmarks(const QString &bookmarksPath);
SourceRead readChromiumJson(const QByteArray &json);
} // namespace exchange
