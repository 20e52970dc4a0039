#pragma once

#include <QByteArray>
#include <QString>

class Bookmarks;
class Languages;

// The address that shows the link collection for a subject below the server's base
// address: query is the subject phrase in its query form, origin the letter that tells
// where the offer was made. Both values are percent-encoded.
QString linkCollectionAddress(const QString &base, const QByteArray &query, const QString &origin);

// Without a server, Favrake writes the link collection itself: a page in the user's cache
// folder with the user's own bookmarks on the subject of bookmark index and links that
// search the subject on the web, in language. Returns the page's path; empty when it could
// not be written.
QString writeSubjectPage(const Bookmarks &list, int index, const Languages &language);
