#pragma once

#include <QString>
#include <functional>

// Texts taken from bookmark files and web pages, made safe to show.

// Control characters become blanks and bidirectional formatting characters go, so a page
// title can neither break the layout nor turn the text around.
QString displayText(QStringView text);

// A tool tip that shows text literally, also when it looks like markup; empty text gives
// no tool tip.
QString plainToolTip(const QString &text);

// Why a download failed, as a short cause in the user's language, from the message the
// refresh stored (the HTTP client's own wording, which the hint shows).
QString failureCause(const QString &message);

// Why a check failed, as short as a verdict line wants it: the status code of an answer
// ("404"), else the short cause of the transfer failure in the user's language.
QString shortCause(const QString &evidence);

// An address as a card shows it within width (as advance measures texts), without
// "http://" or "https://": when it is too wide, the middle of the path gives way first
// ("127.0.0.1:18457/…/python.html"), then the middle of the host, then the end of the last
// part.
using TextAdvance = std::function<int(const QString &)>;
QString elidedAddress(const QString &address, int width, const TextAdvance &advance);

// A folder as the user reads it: "~" for the home folder, "/" between the names, no "/"
// at the end.
QString shortFolderName(const QString &path);

// A button's caption in at most two lines within width: unchanged when it fits, else broken
// at the blank that leaves the wider line narrowest.
QString captionInLines(const QString &caption, int width, const TextAdvance &advance);
