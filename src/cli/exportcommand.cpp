#include "exportcommand.h"

#include "arguments.h"
#include "collection.h"
#include "exchange/exporter.h"
#include "store/bookmarks.h"

#include <QSaveFile>

std::optional<ExportArguments> parseExportArguments(const QStringList &arguments)
{
    const std::optional<CommandArguments> parsed =
        parseCommandArguments(arguments, {QStringLiteral("-o")}, {}, 1);
    if (!parsed)
        return std::nullopt;
    return ExportArguments{parsed->words.value(0), parsed->values.value(QStringLiteral("-o"))};
}

int runExport(const ExportArguments &arguments, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<TBookmarks> list = OpenCollection(arguments.folder, err);
    if (!list)
        return 1;
    const QByteArray html = exchange::exportCollection(*list);
    if (arguments.output.isEmpty()) {
        out << QString::fromUtf8(html);
        return 0;
    }
    QSaveFile file(arguments.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit()) {
        err << "favrake-cli: cannot write " << arguments.output << ": " << file.errorString()
            << '\n';
        return 1;
    }
    out << "Exported " << Counted(list->Count(), "bookmark", "bookmarks") << " to "
        << arguments.output << '\n';
    return 0;
}
