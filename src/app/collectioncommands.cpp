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
constexpr int reportIcon = 6;

QString fileFilter()
{
    // Browsers' own stores are taken as well, told by their content.
    return phrase("FilterBookmarkFiles") +
           QStringLiteral(" (*.html *.htm *.json Bookmarks places.sqlite);;") +
           phrase("FilterAllFiles") + QStringLiteral(" (*)");
}

int skipped(const exchange::ImportReport &report)
{
    int skipped = 0;
    for (const auto &[scheme, count] : report.skipped)
        skipped += count;
    return skipped;
}

QString reportText(const exchange::ImportReport &report, const QString &sourceName,
                   const QString &favorites)
{
    // The destination is given below the collection's folder; empty is that folder itself.
    const QString into = QDir::cleanPath(favorites + u'/' + report.destination);
    QString text =
        fillPhrase(phrase("MsgImportDone"),
                   {sourceName, shortFolderName(into), QString::number(report.imported),
                    QString::number(report.alreadyPresent), QString::number(skipped(report))});
    if (report.failed > 0)
        text += fillPhrase(phrase("MsgImportFailed"), {QString::number(report.failed)});
    if (const int copies = report.addressesInSeveralFolders; copies > 0)
        text +=
            fillPhrase(phrase("MsgImportCopies" + countSuffix(copies)), {QString::number(copies)});
    return text;
}
} // namespace

CollectionCommands::CollectionCommands(Confirmer &confirmer, QObject *parent)
    : QObject(parent), m_confirmer(confirmer)
{
}

const std::vector<exchange::FoundBrowser> &CollectionCommands::browsers()
{
    if (!m_looked) {
        m_browsers = exchange::findBrowsers();
        m_looked = true;
    }
    return m_browsers;
}

QString CollectionCommands::browserOffer(int i)
{
    const exchange::FoundBrowser &found = browsers().at(size_t(i));
    // A browser with bookmarks in more than one profile names the profile too.
    const bool several =
        std::count_if(browsers().begin(), browsers().end(), [&](const exchange::FoundBrowser &b) {
            return b.profile.browser == found.profile.browser;
        }) > 1;
    const QString name = several ? fillPhrase(phrase("ImportProfile"),
                                              {found.profile.browser->name, found.profile.name})
                                 : found.profile.browser->name;
    return fillPhrase(phrase("ImportFrom" + countSuffix(found.bookmarkCount)),
                      {name, QString::number(found.bookmarkCount)});
}

void CollectionCommands::chooseFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        nullptr, phrase("CapChooseFolder"), favoritesFolderInUse(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    settings.favoritesFolder = QDir::cleanPath(chosen);
    if (const QString failed = saveSettings(); !failed.isEmpty())
        tell(failed, true);
    emit collectionChanged();
}

QString CollectionCommands::importBrowser(int i)
{
    const exchange::FoundBrowser &found = browsers().at(size_t(i));
    const QString text = import(exchange::readProfile(found.profile), found.profile.browser->name);
    return text;
}

void CollectionCommands::importFile()
{
    const QString file = QFileDialog::getOpenFileName(nullptr, phrase("CapImportFile"),
                                                      QDir::homePath(), fileFilter());
    if (!file.isEmpty())
        tell(import(exchange::readBookmarkSource(file), file.section(u'/', -1)), false);
}

QString CollectionCommands::import(const exchange::SourceRead &read, const QString &sourceName)
{
    if (!read.ok())
        return fillPhrase(phrase("ErrImport"), {sourceName, read.error});
    exchange::ImportOptions options;
    options.favorites = QDir::cleanPath(favoritesFolderInUse());
    options.sourceName = sourceName;
    const exchange::ImportReport report = exchange::importTree(read.tree, options);
    if (report.imported > 0)
        emit collectionChanged();
    return reportText(report, sourceName, options.favorites);
}

void CollectionCommands::exportFile()
{
    const QString file = QFileDialog::getSaveFileName(
        nullptr, phrase("CapExportFile"), QDir::home().filePath(QStringLiteral("bookmarks.html")),
        fileFilter());
    if (file.isEmpty())
        return;
    const Bookmarks list(favoritesFolderInUse()); // as the files are now
    const platform::FileWriteResult written =
        platform::writeWholeFile(file, exchange::exportCollection(list));
    if (written.ok())
        tell(fillPhrase(phrase("MsgExportDone"),
                        {shortFolderName(file), QString::number(list.count())}),
             false);
    else
        tell(fillPhrase(phrase("ErrExport"), {shortFolderName(file), written.error}), true);
}

void CollectionCommands::popupImportMenu(const QPoint &at)
{
    auto *menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(phrase("ImportChoose"))->setEnabled(false);
    for (int i = 0; i < int(browsers().size()); ++i)
        connect(menu->addAction(browserOffer(i)), &QAction::triggered, this,
                [this, i] { tell(importBrowser(i), false); });
    menu->addSeparator();
    connect(menu->addAction(phrase("ImportAFile")), &QAction::triggered, this,
            &CollectionCommands::importFile);
    menu->popup(at);
}

void CollectionCommands::tell(const QString &text, bool failed)
{
    m_confirmer.showConfirm(Information, text, QString(), failed ? errorIcon : reportIcon,
                            NoCancel);
}
