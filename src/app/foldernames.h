#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class TBookmarks;

// The names of the bookmark files and subfolders in each folder of the last scan. Favrake's
// own saves replace a file under its own name, so a folder that still holds the same names
// saw no bookmark or folder come or go.
class TFolderNames final
{
  public:
    void Take(const TBookmarks &list);
    // True when folder holds other bookmark or folder names now, is not one of the scan's,
    // or cannot be listed.
    bool Changed(const QString &folder) const;

  private:
    QHash<QString, QSet<QString>> m_names; // by folder with "/"; subfolders end with "/"
};
