#pragma once

#include <QString>

struct BookmarkRec;

// The line a bookmark window shows about a link that is not fine ("Gone: 404 on 2 checks
// since 03.05.24") or is never checked ("not checked (ftp)"), in the user's language; empty
// for a fine link or one not checked yet.
QString verdictText(const BookmarkRec &rec);
