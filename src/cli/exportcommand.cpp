#include "exportcommand.h"

#include "arguments.h"
#include "collection.h"
#include "exchange/exporter.h"
#include "platform/files.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

std::optional<ExportArguments> parseExportArguments(const QStringList &arguments, QString &error)
{
    const std::optional<CommandArguments> parsed =
        parseCommandArguments(arguments, {QStringLiteral("-o")}, {}, 1, error);
    if (!parsed)
        return std::nullopt;
    return ExportArguments{parsed->words.value(0), parsed->values.value(QStringLiteral("-o"))};
}

int runExport(const ExportArguments &arguments, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<Bookmarks> list = openCollection(arguments.folder, err);
    if (!list)
        return 1;
    const QByteArray html = exchange::exportCollection(*list);
    if (arguments.output.isEmpty() || arguments.output == u"-") {
        out << QString::fromUtf8(html);
        out.flush();
        if (out.status() == QTextStream::Ok)
            return 0;
        err << "favrake-cli: cannot write to the standard output\n";
        return 1;
    }
    const platform::FileWriteResult written = platform::writeWholeFile(arguments.output, html);
    if (!written.ok()) {
        err << "favrake-cli: cannot write " << displayFileName(arguments.output) << ": "
            << written.error << '\n';
        return 1;
    }
    out << "Exported " << counted(list->count(), "bookmark", "bookmarks") << " to "
        << displayFileName(arguments.output) << '\n';
    return 0;
}
