#include "importcommand.h"

#include "config/settings.h"

#include "arguments.h"
#include "collection.h"
#include "exchange/browsers.h"
#include "exchange/importer.h"
#include "platform/folders.h"

#include <QDir>

namespace {
// A folder below the Favorites folder: relative and never climbing out of it.
bool staysBelow(const QString &folder)
{
    return !folder.isEmpty() && !QDir::isAbsolutePath(folder) &&
           !folder.split(u'/').contains(QStringLiteral(".."));
}

struct Source
{
    QString name;
    exchange::SourceRead read;
};

std::optional<Source> readSource(const ImportArguments &arguments, QTextStream &err)
{
    const exchange::Browser *browser = exchange::findBrowser(arguments.source);
    if (!browser) {
        exchange::SourceRead read = exchange::readBookmarkSource(arguments.source);
        return Source{arguments.source.section(u'/', -1), std::move(read)};
    }
    const std::optional<exchange::BrowserProfile> profile =
        exchange::pickProfile(*browser, arguments.profile);
    if (!profile) {
        err << "favrake-cli: no " << browser->name << " profile with bookmarks found"
            << (arguments.profile.isEmpty() ? QString() : QStringLiteral(": ") + arguments.profile)
            << '\n';
        return std::nullopt;
    }
    return Source{browser->name, exchange::readProfile(*profile)};
}

void printReport(const exchange::ImportReport &report, bool dryRun, QTextStream &out)
{
    const QString where = report.destination.isEmpty()
                              ? QStringLiteral("the Favorites folder")
                              : QStringLiteral("\"%1\"").arg(report.destination);
    out << (dryRun ? "Would import: " : "Imported: ") << report.imported << " (into " << where
        << ")\n"
        << (dryRun ? "Folders to create: " : "Folders created: ") << report.foldersCreated << '\n';
    out << "Already present: " << report.alreadyPresent << '\n';
    if (!report.skipped.empty()) {
        QStringList reasons;
        for (const auto &[reason, count] : report.skipped)
            reasons << QStringLiteral("%1 %2").arg(count).arg(reason);
        out << "Skipped: " << reasons.join(QStringLiteral(", ")) << '\n';
    }
    if (report.addressesInSeveralFolders > 0)
        out << (dryRun ? counted(report.addressesInSeveralFolders, "address would be",
                                 "addresses would be")
                       : counted(report.addressesInSeveralFolders, "address is", "addresses are"))
            << " saved in more than one folder\n";
    if (report.foldersTooDeep > 0)
        out << "Folders nested too deep: " << report.foldersTooDeep
            << " (their bookmarks went into the deepest folder that fits)\n";
}
} // namespace

std::optional<ImportArguments> parseImportArguments(const QStringList &arguments, QString &error)
{
    const std::optional<CommandArguments> parsed =
        parseCommandArguments(arguments, {QStringLiteral("--into"), QStringLiteral("--profile")},
                              {QStringLiteral("--dry-run")}, 1, error);
    if (!parsed)
        return std::nullopt;
    ImportArguments result{parsed->words.value(0), parsed->values.value(QStringLiteral("--into")),
                           parsed->values.value(QStringLiteral("--profile")),
                           parsed->switches.contains(QStringLiteral("--dry-run"))};
    if (parsed->words.isEmpty())
        error = QStringLiteral("import needs a SOURCE: a bookmark file or a browser");
    else if (parsed->values.contains(QStringLiteral("--into")) && !staysBelow(result.into))
        error = QStringLiteral("'--into %1' does not name a folder below the Favorites folder")
                    .arg(result.into);
    else if (parsed->values.contains(QStringLiteral("--profile")) &&
             !exchange::findBrowser(result.source))
        error = QStringLiteral("'--profile' needs a browser as SOURCE, not %1").arg(result.source);
    else if (parsed->values.contains(QStringLiteral("--profile")) && result.profile.isEmpty())
        error = QStringLiteral("'--profile' needs a profile's folder or name");
    return error.isEmpty() ? std::optional(result) : std::nullopt;
}

int runImport(const ImportArguments &arguments, QTextStream &out, QTextStream &err)
{
    loadSettings({}, platform::appDataFolder());
    const QString favorites = QDir::cleanPath(favoritesFolderInUse());
    if (favorites.isEmpty() || favorites == u".") {
        err << "favrake-cli: the Favorites folder is unknown\n";
        return 1;
    }
    const std::optional<Source> source = readSource(arguments, err);
    if (!source)
        return 1;
    if (!source->read.ok()) {
        err << "favrake-cli: " << source->read.error << '\n';
        return 1;
    }
    exchange::ImportOptions options;
    options.favorites = favorites;
    options.into = QDir::cleanPath(arguments.into);
    options.sourceName = source->name;
    options.dryRun = arguments.dryRun;
    const exchange::ImportReport report = exchange::importTree(source->read.tree, options);
    printReport(report, arguments.dryRun, out);
    if (report.failed > 0) {
        err << "favrake-cli: " << counted(report.failed, "bookmark", "bookmarks")
            << " could not be written below " << favorites << '\n';
        return 1;
    }
    if (!report.synced) {
        err << "favrake-cli: the written files could not be flushed to the disk\n";
        return 1;
    }
    return 0;
}
