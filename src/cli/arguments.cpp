#include "arguments.h"

namespace {
constexpr int maxJobs = 64;

QString quoted(const QString &text)
{
    return u'\'' + text + u'\'';
}

// "--name=value" as name and value; the whole argument and no value otherwise.
std::pair<QString, std::optional<QString>> splitOption(const QString &argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    if (!argument.startsWith(u"--") || equals < 0)
        return {argument, std::nullopt};
    return {argument.first(equals), argument.sliced(equals + 1)};
}

QString validVerdicts()
{
    QStringList names;
    for (int verdict = int(LinkVerdict::Ok); verdict <= int(LinkVerdict::Unreachable); ++verdict)
        names << verdictName(LinkVerdict(verdict));
    return names.join(QStringLiteral(", "));
}

std::optional<QList<LinkVerdict>> parseVerdicts(const QString &list, QString &error)
{
    QList<LinkVerdict> verdicts;
    for (const QString &name : list.split(u',')) {
        const LinkVerdict verdict = verdictFromName(name.trimmed());
        if (verdict == LinkVerdict::None) {
            error = QStringLiteral("unknown verdict %1 (valid: %2)")
                        .arg(quoted(name.trimmed()), validVerdicts());
            return std::nullopt;
        }
        verdicts << verdict;
    }
    return verdicts;
}
} // namespace

std::optional<CommandArguments> parseCommandArguments(const QStringList &arguments,
                                                      const QStringList &valueOptions,
                                                      const QStringList &switchOptions,
                                                      qsizetype maxWords, QString &error)
{
    CommandArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const auto [name, attached] = splitOption(arguments[i]);
        const bool valued = valueOptions.contains(name);
        if (valued || switchOptions.contains(name)) {
            if (parsed.values.contains(name) || parsed.switches.contains(name))
                error = QStringLiteral("option %1 is given twice").arg(quoted(name));
            else if (valued && !attached && i + 1 >= arguments.size())
                error = QStringLiteral("option %1 needs a value").arg(quoted(name));
            else if (!valued && attached)
                error = QStringLiteral("option %1 takes no value").arg(quoted(name));
            if (!error.isEmpty())
                return std::nullopt;
            if (valued)
                parsed.values.insert(name, attached ? *attached : arguments[++i]);
            else
                parsed.switches << name;
        } else if (name.startsWith(u'-') && name.size() > 1) {
            error = QStringLiteral("unknown option %1").arg(quoted(name));
            return std::nullopt;
        } else if (parsed.words.size() < maxWords) {
            parsed.words << name;
        } else {
            error = QStringLiteral("unexpected argument %1").arg(quoted(name));
            return std::nullopt;
        }
    }
    return parsed;
}

std::optional<ListOptions> parseListArguments(const QStringList &arguments, QString &error)
{
    const std::optional<CommandArguments> parsed = parseCommandArguments(
        arguments, {QStringLiteral("--verdict"), QStringLiteral("--format")}, {}, 1, error);
    if (!parsed)
        return std::nullopt;
    ListOptions options;
    options.folder = parsed->words.value(0);
    if (const auto verdicts = parsed->values.constFind(QStringLiteral("--verdict"));
        verdicts != parsed->values.cend()) {
        const std::optional<QList<LinkVerdict>> chosen = parseVerdicts(*verdicts, error);
        if (!chosen)
            return std::nullopt;
        options.verdicts = *chosen;
    }
    const QString format = parsed->values.value(QStringLiteral("--format"));
    if (!format.isNull() && format != u"tsv" && format != u"json") {
        error = QStringLiteral("unknown format %1 (valid: tsv, json)").arg(quoted(format));
        return std::nullopt;
    }
    if (!format.isNull())
        options.form = format == u"tsv" ? ListOptions::Format::Tsv : ListOptions::Format::Json;
    return options;
}

std::optional<RefreshOptions> parseRefreshArguments(const QStringList &arguments, QString &error)
{
    const std::optional<CommandArguments> parsed = parseCommandArguments(
        arguments, {QStringLiteral("--jobs")}, {QStringLiteral("--all")}, 1, error);
    if (!parsed)
        return std::nullopt;
    RefreshOptions options;
    options.folder = parsed->words.value(0);
    options.all = parsed->switches.contains(QStringLiteral("--all"));
    if (const auto jobs = parsed->values.constFind(QStringLiteral("--jobs"));
        jobs != parsed->values.cend()) {
        bool ok = false;
        options.jobs = jobs->toInt(&ok);
        if (!ok || options.jobs < 1 || options.jobs > maxJobs) {
            error = QStringLiteral("'--jobs %1' is no number from 1 to %2").arg(*jobs).arg(maxJobs);
            return std::nullopt;
        }
    }
    return options;
}
