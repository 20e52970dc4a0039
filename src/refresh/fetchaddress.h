#pragma once

#include <QByteArray>
#include <QString>

// An address as a browser sends it: blanks around it and line breaks or tabs inside it
// dropped, the fragment left off, and whatever needs it percent-encoded.
struct FetchAddress
{
    QByteArray url;    // for libcurl; the cleaned address itself when it does not parse
    QByteArray scheme; // lower case; empty when the address does not parse
    QByteArray host;   // lower case; empty when the address does not parse
};
FetchAddress fetchAddress(const QByteArray &address);

// The scheme an absolute address names (a redirect's target), lower case; empty when none.
QByteArray namedScheme(const QByteArray &address);

bool isFetchedScheme(const QByteArray &scheme);

// The scheme of an address that is never fetched ("ftp", "file", "mailto"): such a link gets
// no check and no failure. Empty for http, https and an address fetched as http.
QByteArray unfetchedScheme(const QByteArray &address);
// What the command line shows for such a link: "not checked (ftp)".
QString notCheckedText(const QByteArray &scheme);

struct BookmarkRec;
// The last refresh failed; a link that is never fetched never fails, whatever an older
// refresh stored.
bool refreshFailed(const BookmarkRec &rec);

// The proxy libcurl takes from the environment for this address, read as it reads the
// variables (http_proxy, https_proxy, all_proxy, no_proxy); empty when it goes direct.
QByteArray environmentProxy(const FetchAddress &address);
