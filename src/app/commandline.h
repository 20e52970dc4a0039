#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {
class TSingleInstance;
}

// What the command line asks for: the first parameter only counts, compared exactly.
enum class TCommand { Run, Uninstall, CreateTemplate, Unknown };

TCommand ParseCommandLine(const QStringList &arguments);
QString UsageText();

// Settles whether this copy runs. Returns the exit status when it must end at once: an
// unknown parameter (2, with the usage on standard error), parameters handed to the running
// copy (its answer), or a running copy that could not be reached (1). A template is always
// written by the copy that was asked for it.
std::optional<int> EndBeforeStart(TCommand command, const QStringList &arguments,
                                  platform::TSingleInstance &guard);
