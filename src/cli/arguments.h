#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// A command's arguments: words, options with a value ("--into X") and switches.
struct CommandArguments
{
    QStringList words;
    QHash<QString, QString> values; // by option name
    QStringList switches;
};

// Splits arguments by the options a command knows; nullopt for an unknown option, one
// given twice, an option without its value, or more than maxWords words.
std::optional<CommandArguments> parseCommandArguments(const QStringList &arguments,
                                                      const QStringList &valueOptions,
                                                      const QStringList &switchOptions,
                                                      qsizetype maxWords);
