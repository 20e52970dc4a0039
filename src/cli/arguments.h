#pragma once

#include "listcommand.h"
#include "refreshcommand.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// A command's arguments: words, options with a value ("--into X" or "--into=X") and
// switches.
struct CommandArguments
{
    QStringList words;
    QHash<QString, QString> values; // by option name
    QStringList switches;
};

// Splits arguments by the options a command knows; nullopt, with error saying which
// argument is wrong, for an unknown option, one given twice, an option without its value,
// or more than maxWords words.
std::optional<CommandArguments> parseCommandArguments(const QStringList &arguments,
                                                      const QStringList &valueOptions,
                                                      const QStringList &switchOptions,
                                                      qsizetype maxWords, QString &error);

// "[FOLDER] [--verdict LIST] [--format tsv|json]"; an unknown verdict's error names the
// valid ones.
std::optional<ListOptions> parseListArguments(const QStringList &arguments, QString &error);

// "[FOLDER] [--all] [--jobs N]" (also "--jobs=N").
std::optional<RefreshOptions> parseRefreshArguments(const QStringList &arguments, QString &error);
