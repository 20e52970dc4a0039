#pragma once

#include "store/datetime.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <span>

class Languages;

// The English text of every phrase key, kept in one table so that translations and the
// template can be checked against it.
struct PhraseDefault
{
    const char *key;
    const char *english;
};
std::span<const PhraseDefault> phraseDefaults();

// The text of key in the current language file, else its English default from the table
// (an "Elem." key defaults to the element name after the dot; unknown keys to "").
QString phrase(QByteArrayView key);
// The same with the English default given at the call.
QString phrase(QByteArrayView key, const QString &englishDefault);
// The same from a language module the caller was handed.
QString phrase(const Languages &language, QByteArrayView key);

// Fills each "%s" of a message template with the next argument, literally; any other "%"
// stays as it is, a missing argument leaves "" and extra arguments are dropped.
QString fillPhrase(const QString &pattern, const QStringList &arguments);

// A date, with the time of day without seconds when withTime is set, as the current
// language writes it: its phrases "Locale" (for the names of months) and "FmtDate" or
// "FmtDateTime" (a Qt date format). Empty for a value that is no date.
QString dateText(DateTime value, bool withTime);
QString dateText(const Languages &language, DateTime value, bool withTime);
// A day as the current language writes it, without the year ("FmtDay") when it lies in the
// year of now, else as dateText does; empty for none.
QString dayText(DateTime value, DateTime now);

// The letter appended to a count-dependent phrase key ("S", "L", "H" or "M").
QByteArray countSuffix(qint64 count);

QString stripHotkeys(const QString &text);
