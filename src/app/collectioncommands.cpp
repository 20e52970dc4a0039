#include "collectioncommands.h"

#include "config/settings.h"
#include "entrytext.h"
#include "exchange/exporter.h"
#include "exchange/importer.h"
#include "lang/confirm.h"
#include "lang/confirmicons.h"
#include "lang/phrases.h"
#include "platform/files.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <algorithm>

namespace {
constexpr int ReportIcon = 6;

QString FileFilter()
{
    // Browsers' own stores are taken as well, told by their content.
    return Phrase("FilterBookmarkFiles") +
           QStringLiteral(" (*.html *.htm *.json Bookmarks places.sqlite);;") +
           Phrase("FilterAllFiles") + QStringLiteral(" (*)");
}

int Skipped(const exchange::ImportReport &report)
{
    int skipped = 0;
    for (const auto &[scheme, count] : report.skipped)
        skipped += count;
    return skipped;
}

QString ReportText(const exchange::ImportReport &report, const QString &sourceName,
                   const QString &favorites)
{
    // The destination is given below the collection's folder; empty is that folder itself.
    const QString into = QDir::cleanPath(favorites + u'/' + report.destination);
    QString text =
        FillPhrase(Phrase("MsgImportDone"),
                   {sourceName, ShortFolderName(into), QString::number(report.imported),
                    QString::number(report.alreadyPresent), QString::number(Skipped(report))});
    if (report.failed > 0)
        text += FillPhrase(Phrase("MsgImportFailed"), {QString::number(report.failed)});
    if (const int copies = report.addressesInSeveralFolders; copies > 0)
        text +=
            FillPhrase(Phrase("MsgImportCopies" + CountSuffix(copies)), {QString::number(copies)});
    return text;
}
} // namespace

TCollectionCommands::TCollectionCommands(TConfirmer &confirmer, QObject *parent)
    : QObject(parent), m_confirmer(confirmer)
{
}

const std::vector<exchange::FoundBrowser> &TCollectionCommands::Browsers()
{
    if (!m_looked) {
        m_browsers = exchange::findBrowsers();
        m_looked = true;
    }
    return m_browsers;
}

QString TCollectionCommands::BrowserOffer(int i)
{
    const exchange::FoundBrowser &found = Browsers().at(size_t(i));
    // A browser with bookmarks in more than one profile names the profile too.
    const bool several =
        std::count_if(Browsers().begin(), Browsers().end(), [&](const exchange::FoundBrowser &b) {
            return b.profile.browser == found.profile.browser;
        }) > 1;
    const QString name = several ? FillPhrase(Phrase("ImportProfile"),
                                              {found.profile.browser->name, found.profile.name})
                                 : found.profile.browser->name;
    return FillPhrase(Phrase("ImportFrom" + CountSuffix(found.bookmarkCount)),
                      {name, QString::number(found.bookmarkCount)});
}

void TCollectionCommands::ChooseFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        nullptr, Phrase("CapChooseFolder"), FavoritesFolderInUse(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    Settings.FavoritesFolder = QDir::cleanPath(chosen);
    if (const QString failed = SaveSettings(); !failed.isEmpty())
        Tell(failed, true);
    emit collectionChanged();
}

QString TCollectionCommands::ImportBrowser(int i)
{
    const exchange::FoundBrowser &found = Browsers().at(size_t(i));
    const QString text = Import(exchange::readProfile(found.profile), found.profile.browser->name);
    return text;
}

void TCollectionCommands::ImportFile()
{
    const QString file = QFileDialog::getOpenFileName(nullptr, Phrase("CapImportFile"),
                                                      QDir::homePath(), FileFilter());
    if (!file.isEmpty())
        Tell(Import(exchange::readBookmarkSource(file), file.section(u'/', -1)), false);
}

QString TCollectionCommands::Import(const exchange::SourceRead &read, const QString &sourceName)
{
    if (!read.ok())
        return FillPhrase(Phrase("ErrImport"), {sourceName, read.error});
    exchange::ImportOptions options;
    options.favorites = QDir::cleanPath(FavoritesFolderInUse());
    options.sourceName = sourceName;
    const exchange::ImportReport report = exchange::importTree(read.tree, options);
    if (report.imported > 0)
        emit collectionChanged();
    return ReportText(report, sourceName, options.favorites);
}

void TCollectionCommands::ExportFile()
{
    const QString file = QFileDialog::getSaveFileName(
        nullptr, Phrase("CapExportFile"), QDir::home().filePath(QStringLiteral("bookmarks.html")),
        FileFilter());
    if (file.isEmpty())
        return;
    const TBookmarks list(FavoritesFolderInUse()); // as the files are now
    const platform::FileWriteResult written =
        platform::writeWholeFile(file, exchange::exportCollection(list));
    if (written.ok())
        Tell(FillPhrase(Phrase("MsgExportDone"),
                        {ShortFolderName(file), QString::number(list.Count())}),
             false);
    else
        Tell(FillPhrase(Phrase("ErrExport"), {ShortFolderName(file), written.error}), true);
}

void TCollectionCommands::PopupImportMenu(const QPoint &at)
{
    auto *menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(Phrase("ImportChoose"))->setEnabled(false);
    for (int i = 0; i < int(Browsers().size()); ++i)
        connect(menu->addAction(BrowserOffer(i)), &QAction::triggered, this,
                [this, i] { Tell(ImportBrowser(i), false); });
    menu->addSeparator();
    connect(menu->addAction(Phrase("ImportAFile")), &QAction::triggered, this,
            &TCollectionCommands::ImportFile);
    menu->popup(at);
}

void TCollectionCommands::Tell(const QString &text, bool failed)
{
    m_confirmer.ShowConfirm(Information, text, QString(), failed ? ErrorIcon : ReportIcon,
                            NoCancel);
}
