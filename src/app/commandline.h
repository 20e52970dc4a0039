#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {
class SingleInstance;
}

// What the command line asks for: the first parameter only counts, compared exactly.
enum class Command { Run, Uninstall, CreateTemplate, Help, Version, Unknown };

Command parseCommandLine(const QStringList &arguments);
QString usageText();

// The commands answered without a display or a running copy: "--help" and "--version" (0,
// on standard output) and an unknown parameter (2, the usage on standard error).
std::optional<int> answerAtOnce(Command command);

// Settles whether this copy runs. Returns the exit status when it must end at once:
// parameters handed to the running
// copy (its answer), or a running copy that could not be reached (1). A template is always
// written by the copy that was asked for it.
std::optional<int> endBeforeStart(Command command, const QStringList &arguments,
                                  platform::SingleInstance &guard);
