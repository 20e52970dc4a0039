#pragma once

#include <QByteArray>

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
