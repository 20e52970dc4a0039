#pragma once

#include "bookmarktree.h"
#include "platform/files.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>

namespace exchange {
struct ImportOptions
{
    QString favorites; // the collection: its bookmarks are not imported again
    // Below favorites; empty: favorites itself while it holds no bookmark, else
    // "Imported from <source> <date>".
    QString into;
    QString sourceName; // "Firefox", "bookmarks.html"
    bool dryRun = false;
    QDateTime now = QDateTime::currentDateTime();
    const platform::FileWriteOps *ops = &platform::batchedFileWriteOps();
};

struct ImportReport
{
    QString destination; // the folder the source's tree went into
    int imported = 0;
    // The same address was in the collection before, or the same bookmark came twice in one
    // folder (same address, same title).
    int alreadyPresent = 0;
    int failed = 0; // could not be written
    // Addresses ("same" key) this import wrote into more than one folder, as the source has
    // them.
    int addressesInSeveralFolders = 0;
    int foldersCreated = 0;
    int foldersTooDeep = 0;         // their bookmarks went into a folder above
    std::map<QString, int> skipped; // by scheme; "no address" for an empty one
    bool synced = true;             // the written files reached the disk
};

// Writes every bookmark of tree with an http, https or ftp address that the collection did
// not hold when the import began (same "same" key) into each folder where the source has
// it, so that importing a source twice changes nothing the second time. A bookmark that
// comes twice in one folder with one title is written once.
ImportReport importTree(const BookmarkTree &tree, const ImportOptions &options);

// An add date as the source gives it (seconds, milliseconds or microseconds since 1970,
// told apart by size) in seconds; nullopt before 1990, in the future or unreadable.
std::optional<int64_t> addDateSeconds(qint64 raw, qint64 nowSeconds);
} // namespace exchange
