#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

struct ImportArguments
{
    QString source;  // a bookmark file or a browser's name
    QString into;    // below the Favorites folder; empty: the default
    QString profile; // a browser profile's folder or name
    bool dryRun = false;
};

// "SOURCE [--into SUBFOLDER] [--profile DIR] [--dry-run]"; nullopt, with error saying why,
// when they do not fit (no source, --profile with a file, a folder that leaves the
// Favorites folder).
std::optional<ImportArguments> parseImportArguments(const QStringList &arguments, QString &error);

// Imports the source into the Favorites folder and prints the report; 0 when every
// bookmark was written or present already, 1 when the source cannot be read or a file
// could not be written.
int runImport(const ImportArguments &arguments, QTextStream &out, QTextStream &err);
