#pragma once

#include "exchange/browsers.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <vector>

class Confirmer;
class QWidget;

// The commands on the collection as a whole: choosing its folder, bringing bookmarks in
// from a browser or a bookmark file, and writing it out as a bookmark file. What came of
// them is told through the confirmer, as every other message.
class CollectionCommands final : public QObject
{
    Q_OBJECT
  public:
    explicit CollectionCommands(Confirmer &confirmer, QObject *parent = nullptr);

    // The browser profiles with bookmarks on this computer, looked for once.
    const std::vector<exchange::FoundBrowser> &browsers();
    // What an offer of browser i reads: its name (with the profile's where the browser has
    // bookmarks in several) and its number of bookmarks.
    QString browserOffer(int i);

    void chooseFolder();
    // Imports browser i; the report, for whoever shows it.
    QString importBrowser(int i);
    void importFile();
    void exportFile();
    // Each browser profile found and a bookmark file, to import from (the tray's "Import
    // bookmarks..." and the main window's import button).
    void popupImportMenu(const QPoint &at);

  signals:
    // The folder in use is another, or holds bookmarks it did not hold before.
    void collectionChanged();

  private:
    QString import(const exchange::SourceRead &read, const QString &sourceName);
    void tell(const QString &text, bool failed);

    Confirmer &m_confirmer;
    std::vector<exchange::FoundBrowser> m_browsers;
    bool m_looked = false;
};
