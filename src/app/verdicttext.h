#pragma once

#include "store/datetime.h"

#include <QString>
#include <functional>

struct BookmarkRec;

// The one line a bookmark window shows about a link that is not fine ("Gone: 404 on 2
// checks since 3 May") or is never checked ("not checked (ftp)"), in the user's language,
// with dates of the year of now without the year; empty for a fine link or one not checked
// yet. fitAddress shortens the new address of a moved link to the room there is.
using AddressFit = std::function<QString(const QString &)>;
QString verdictText(const BookmarkRec &rec, DateTime now, const AddressFit &fitAddress = {});
