#pragma once

#include <QString>

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

// A folder as the user reads it: "~" for the home folder, "/" between the names, no "/"
// at the end.
QString shortFolderName(const QString &path);
