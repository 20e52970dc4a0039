#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class Bookmarks;

// The names of the bookmark files and subfolders in each folder of the last scan. Favrake's
// own saves replace a file under its own name, so a folder that still holds the same names
// saw no bookmark or folder come or go.
class FolderNames final
{
  public:
    void take(const Bookmarks &list);
    // True when folder holds other bookmark or folder names now, is not one of the scan's,
    // or cannot be listed.
    bool changed(const QString &folder) const;

  private:
    QHash<QString, QSet<QString>> m_names; // by folder with "/"; subfolders end with "/"
};
