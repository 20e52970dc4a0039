#pragma once

#include "bookmarktree.h"

#include <QString>

namespace exchange {
// The bookmarks of a Firefox profile's places.sqlite, read while the browser may be
// running and never written: from a copy made together with its write-ahead log, else
// from the file itself opened as immutable. The menu, toolbar, other and mobile roots
// become folders named as Firefox shows them; tags and separators are left out.
SourceRead readFirefoxPlaces(const QString &placesPath);
} // namespace exchange
