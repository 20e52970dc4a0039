#include "arguments.h"

std::optional<CommandArguments> parseCommandArguments(const QStringList &arguments,
                                                      const QStringList &valueOptions,
                                                      const QStringList &switchOptions,
                                                      qsizetype maxWords)
{
    CommandArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (valueOptions.contains(argument)) {
            if (parsed.values.contains(argument) || i + 1 >= arguments.size())
                return std::nullopt;
            parsed.values.insert(argument, arguments[++i]);
        } else if (switchOptions.contains(argument) && !parsed.switches.contains(argument)) {
            parsed.switches << argument;
        } else if (!argument.startsWith(u'-') && parsed.words.size() < maxWords) {
            parsed.words << argument;
        } else {
            return std::nullopt;
        }
    }
    return parsed;
}
