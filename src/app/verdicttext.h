#pragma once

#include "store/datetime.h"

#include <QString>

struct BookmarkRec;

// The one line a bookmark window shows about a link that is not fine ("Gone: 404 on 2
// checks since 3 May") or is never checked ("not checked (ftp)"), in the user's language,
// with dates of the year of now without the year; empty for a fine link or one not checked
// yet.
QString verdictText(const BookmarkRec &rec, DateTime now);
