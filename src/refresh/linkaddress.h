#pragma once

#include <QByteArray>
#include <QUrl>

// The part of a host name that its owner registered ("example.co.uk" for
// "www.example.co.uk"), from the public suffix list; empty for an address or a suffix.
QByteArray registrableDomain(const QByteArray &host);

// What one owner runs: the registrable domain, or the host itself when it has none (an
// address, a single name).
QByteArray siteOf(const QByteArray &host);

// Whether an address is a host on this machine or in a private network, which the
// system's word on the network says nothing about.
bool isLocalHost(const QByteArray &host);

// A site's front page: no path (or "/", an index file) or only a language ("/en", "/de-at/").
bool isFrontPage(const QUrl &url);

// The same page for a reader: b differs from a at most in http turned https, a leading
// "www." or a trailing slash.
bool isSameAddress(const QUrl &a, const QUrl &b);
