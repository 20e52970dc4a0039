#pragma once

#include "refresh/downloader.h"
#include "refresh/verdictrules.h"

#include <QString>

// What one check of a link found, as the letter kept in the link's history.
enum class CheckCode : char {
    None = 0, // nothing is recorded: no network, or a proxy failed
    Blocked = 'B',
    Login = 'L',
    NoDomain = 'N',
    Certificate = 'C',
    Temporary = 'T',
    Gone = 'G',
    Parked = 'P',
    Soft404 = 'S',
    Moved = 'M',
    Ok = 'O',
};

struct CheckOutcome
{
    CheckCode code = CheckCode::None;
    bool atOnce = false; // a parking host or name server: no second check needed
    QString evidence;    // the status line, the parking name server or the address reached
};

// The code of a finished download with what the link check found beside it. storedTitle is
// the title the last successful check stored. The page is read from the body unless the
// result holds its text already.
CheckOutcome checkCode(const DownloadResult &result, const QString &storedTitle,
                       const VerdictRules &rules = VerdictRules::builtIn());

// The address the link check probes beside the bookmarked one: same folder, a name of 20
// random letters (drawn by letter).
QByteArray siblingAddress(const QByteArray &address, const std::function<char()> &letter);
