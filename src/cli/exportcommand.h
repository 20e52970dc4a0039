#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

struct ExportArguments
{
    QString folder; // empty: the Favorites folder
    QString output; // empty or "-": standard output
};

// "[FOLDER] [-o FILE]"; nullopt, with error saying why, when they do not fit.
std::optional<ExportArguments> parseExportArguments(const QStringList &arguments, QString &error);

// Writes the collection as a bookmark HTML file; 1 when the folder cannot be read or the
// file cannot be written.
int runExport(const ExportArguments &arguments, QTextStream &out, QTextStream &err);
