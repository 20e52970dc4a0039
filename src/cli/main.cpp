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
const char usage[] =
    "usage: favrake-cli list [FOLDER] [--verdict LIST] [--format tsv|json]\n"
    "       favrake-cli refresh [FOLDER] [--all] [--jobs N]\n"
    "       favrake-cli import SOURCE [--into SUBFOLDER] [--profile DIR] [--dry-run]\n"
    "       favrake-cli export [FOLDER] [-o FILE]\n"
    "       favrake-cli duplicates [FOLDER]\n"
    "       favrake-cli --help | --version\n"
    "  list        show every bookmark below FOLDER (default: the Favorites folder);\n"
    "              --verdict: only those with one of these verdicts (ok, moved, login,\n"
    "              blocked, failing, gone, parked, no-domain, unreachable), comma-separated;\n"
    "              --format: every field, as a table with a head line or as JSON; dates\n"
    "              in ISO 8601 with the local offset\n"
    "  refresh     download the page of every bookmark due for it and store title and\n"
    "              outcome in its file; --all: every bookmark not kept for good;\n"
    "              --jobs: pages fetched at once (1-64, default 32; 1 keeps the list order);\n"
    "              ftp and other addresses that are never fetched are not checked\n"
    "  import      write the bookmarks of SOURCE as .URL files into the Favorites folder:\n"
    "              SOURCE is a file (bookmark HTML, a Chromium Bookmarks file or a Firefox\n"
    "              places.sqlite, told by its content) or a browser (firefox, chromium,\n"
    "              chrome, brave, edge, vivaldi; --profile picks a profile by folder or\n"
    "              name); a bookmark goes into every folder where SOURCE has it, but an\n"
    "              address the collection held before is not written again; --into: a\n"
    "              folder below the Favorites folder (default: the Favorites folder while\n"
    "              it holds no bookmark, else \"Imported from SOURCE DATE\"); --dry-run:\n"
    "              only report what would be written\n"
    "  export      write the bookmarks below FOLDER as a bookmark HTML file that browsers\n"
    "              import, to FILE or (without -o, or with -o -) the standard output\n"
    "  duplicates  list the groups of bookmarks below FOLDER that are one (same address,\n"
    "              probably the same, or the same target) and the copy to keep\n"
    "exit status: 0 done; 1 an error (a folder, a file, the output); 2 a command line that\n"
    "  does not fit; 3 refresh recorded nothing because the network, the proxy or a sign-in\n"
    "  page failed (one line says which); 130 interrupted\n";

// A command gets the arguments after its name and returns the exit status.
using Command = std::function<int(const QStringList &, QTextStream &, QTextStream &)>;

// A command line that does not fit: one line that names what is wrong, and where to look.
int argumentError(QTextStream &err, const QString &what)
{
    err << "favrake-cli: " << what << "\nTry 'favrake-cli --help'.\n";
    return 2;
}

// Runs a command with the arguments parse makes of args, or tells what is wrong with them.
template <typename Arguments, typename Run>
int withArguments(std::optional<Arguments> (*parse)(const QStringList &, QString &),
                  const QStringList &args, QTextStream &err, const Run &run)
{
    QString error;
    const std::optional<Arguments> arguments = parse(args, error);
    return arguments ? run(*arguments) : argumentError(err, error);
}

std::optional<CommandArguments> oneFolder(const QStringList &args, QString &error)
{
    return parseCommandArguments(args, {}, {}, 1, error);
}

std::optional<CommandArguments> noArguments(const QStringList &args, QString &error)
{
    return parseCommandArguments(args, {}, {}, 0, error);
}

int listCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(parseListArguments, args, err, [&](const ListOptions &options) {
        const std::unique_ptr<Bookmarks> list = openCollection(options.folder, err);
        if (list)
            printBookmarkList(*list, options, out);
        return list ? 0 : 1;
    });
}

int refreshCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(parseRefreshArguments, args, err, [&](const RefreshOptions &options) {
        return runRefresh(options, out, err);
    });
}

int importCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(parseImportArguments, args, err, [&](const ImportArguments &arguments) {
        return runImport(arguments, out, err);
    });
}

int exportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(parseExportArguments, args, err, [&](const ExportArguments &arguments) {
        return runExport(arguments, out, err);
    });
}

int duplicatesCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(oneFolder, args, err, [&](const CommandArguments &arguments) {
        return runDuplicates(arguments.words.value(0), out, err);
    });
}

int helpCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(noArguments, args, err, [&](const CommandArguments &) {
        out << usage;
        return 0;
    });
}

int versionCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return withArguments(noArguments, args, err, [&](const CommandArguments &) {
        out << "favrake-cli " << FavrakeRelease << '\n';
        return 0;
    });
}

const std::map<QString, Command> &commands()
{
    static const std::map<QString, Command> commands = {
        {QStringLiteral("list"), listCommand},
        {QStringLiteral("refresh"), refreshCommand},
        {QStringLiteral("import"), importCommand},
        {QStringLiteral("export"), exportCommand},
        {QStringLiteral("duplicates"), duplicatesCommand},
        {QStringLiteral("--help"), helpCommand},
        {QStringLiteral("-h"), helpCommand},
        {QStringLiteral("--version"), versionCommand},
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
    const QString name = args.value(1);
    const auto command = commands().find(name);
    if (command != commands().end())
        return command->second(args.mid(2), out, err);
    if (name.isEmpty())
        return argumentError(err, QStringLiteral("no command given"));
    return argumentError(err, QStringLiteral("unknown %1 '%2'")
                                  .arg(name.startsWith(u'-') ? u"option" : u"command", name));
}
