#include "arguments.h"
#include "collection.h"
#include "duplicatescommand.h"
#include "exportcommand.h"
#include "importcommand.h"
#include "listcommand.h"
#include "platform/filenames.h"
#include "refreshcommand.h"
#include "store/bookmarks.h"
#include "version.h"

#include <QCoreApplication>
#include <QTextStream>
#include <functional>
#include <map>
#include <optional>

namespace {
const char Usage[] =
    "usage: favrake-cli list [FOLDER] [--verdict LIST] [--format tsv|json]\n"
    "       favrake-cli refresh [FOLDER] [--all] [--jobs N]\n"
    "       favrake-cli import SOURCE [--into SUBFOLDER] [--profile DIR] [--dry-run]\n"
    "       favrake-cli export [FOLDER] [-o FILE]\n"
    "       favrake-cli duplicates [FOLDER]\n"
    "       favrake-cli --help | --version\n"
    "  list        show every bookmark below FOLDER (default: the Favorites folder);\n"
    "              --verdict: only those with one of these verdicts (ok, moved, login,\n"
    "              blocked, failing, gone, parked, no-domain, unreachable), comma-separated;\n"
    "              --format: every field, as a table with a head line or as JSON\n"
    "  refresh     download the page of every bookmark due for it and store title and\n"
    "              outcome in its file; --all: every bookmark not kept for good;\n"
    "              --jobs: pages fetched at once (1-64, default 32; 1 keeps the list order);\n"
    "              ftp and other addresses that are never fetched are not checked\n"
    "  import      write the bookmarks of SOURCE as .URL files into the Favorites folder:\n"
    "              SOURCE is a bookmark HTML file or a browser (firefox, chromium, chrome,\n"
    "              brave, edge, vivaldi; --profile picks a profile by folder or name);\n"
    "              addresses already in the collection are not written again; --into: a\n"
    "              folder below the Favorites folder (default: the Favorites folder while\n"
    "              it holds no bookmark, else \"Imported from SOURCE DATE\"); --dry-run:\n"
    "              only report what would be written\n"
    "  export      write the bookmarks below FOLDER as a bookmark HTML file that browsers\n"
    "              import, to FILE or the standard output\n"
    "  duplicates  list the groups of bookmarks below FOLDER that are one (same address,\n"
    "              probably the same, or the same target) and the copy to keep\n"
    "exit status: 0 done; 1 an error (a folder, a file, the output); 2 a command line that\n"
    "  does not fit; 3 refresh recorded nothing because the network, the proxy or a sign-in\n"
    "  page failed (one line says which); 130 interrupted\n";

// A command gets the arguments after its name; nullopt means they do not fit (usage, 2).
using Command =
    std::function<std::optional<int>(const QStringList &, QTextStream &, QTextStream &)>;

std::optional<int> List(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<TListOptions> options = ParseListArguments(args);
    if (!options)
        return std::nullopt;
    const std::unique_ptr<TBookmarks> list = OpenCollection(options->Folder, err);
    if (!list)
        return 1;
    PrintBookmarkList(*list, *options, out);
    return 0;
}

std::optional<int> Refresh(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<TRefreshOptions> options = ParseRefreshArguments(args);
    if (!options)
        return std::nullopt;
    return RunRefresh(*options, out, err);
}

std::optional<int> Import(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<ImportArguments> arguments = parseImportArguments(args);
    if (!arguments)
        return std::nullopt;
    return runImport(*arguments, out, err);
}

std::optional<int> Export(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<ExportArguments> arguments = parseExportArguments(args);
    if (!arguments)
        return std::nullopt;
    return runExport(*arguments, out, err);
}

std::optional<int> Duplicates(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<CommandArguments> arguments = parseCommandArguments(args, {}, {}, 1);
    if (!arguments)
        return std::nullopt;
    return runDuplicates(arguments->words.value(0), out, err);
}

std::optional<int> Help(const QStringList &args, QTextStream &out, QTextStream &)
{
    if (!args.isEmpty())
        return std::nullopt;
    out << Usage;
    return 0;
}

std::optional<int> Version(const QStringList &args, QTextStream &out, QTextStream &)
{
    if (!args.isEmpty())
        return std::nullopt;
    out << "favrake-cli " << FavrakeRelease << '\n';
    return 0;
}

const std::map<QString, Command> &Commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("list"), List},
        {QStringLiteral("refresh"), Refresh},
        {QStringLiteral("import"), Import},
        {QStringLiteral("export"), Export},
        {QStringLiteral("duplicates"), Duplicates},
        {QStringLiteral("--help"), Help},
        {QStringLiteral("-h"), Help},
        {QStringLiteral("--version"), Version},
    };
    return commands;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Decoded as file names: a folder named in bytes that are not UTF-8 is found again.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(platform::decodeFileName(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto command = Commands().find(args.value(1));
    if (command != Commands().end())
        if (const std::optional<int> status = command->second(args.mid(2), out, err))
            return *status;
    err << Usage;
    return 2;
}
