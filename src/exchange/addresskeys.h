#pragma once

#include <QString>
#include <QStringView>

namespace exchange {
// The address as a .URL file keeps it: plain ASCII, with an international host name in
// its ASCII form (punycode) and every other non-ASCII character, control and space
// percent-encoded as UTF-8. Nothing else changes.
QString asciiAddress(QStringView url);

// The scheme, lower-cased; empty when the address has none.
QString schemeOf(QStringView url);

// Whether the address is one Favrake imports and checks: http, https or ftp.
bool isWebAddress(QStringView url);

// When two addresses are one bookmark. Import, the duplicate listing and the bookmark
// windows all use these keys.
struct AddressKeys
{
    // The same address: scheme and host lower-cased, the host in ASCII form without a
    // trailing dot, a default port dropped, percent-escapes upper-cased and those of
    // unreserved characters decoded, dot segments removed, an empty path written "/".
    QString same;
    // Probably the same page: on top of that http counts as https, a leading "www." (or
    // "www2." ...) and one trailing "/" and a final index.html, .htm or .php are dropped,
    // tracking parameters are removed and the others sorted, and a fragment is dropped
    // unless it starts with "!" or "/" (a route of the page). Path and query keep case.
    QString probablySame;
};
AddressKeys addressKeys(QStringView url);
QString sameKey(QStringView url);

// Whether a query parameter name only tracks where a visitor came from.
bool isTrackingParameter(QStringView name);
} // namespace exchange
