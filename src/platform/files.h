#pragma once

#include "filenames.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace platform {
struct FileTime
{
    int64_t seconds = 0; // since 1970, UTC
    uint32_t nanoseconds = 0;
};

struct FileStamp
{
    bool regular = false;
    bool directory = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    std::optional<FileTime> birth; // only where the file system records it
    FileTime access;
    FileTime modification;
};

// Follows symbolic links; nullopt when the path cannot be examined.
std::optional<FileStamp> stampOf(const QString &path);

// What a folder entry is, symbolic links followed: a regular file, a folder, or anything
// else (a FIFO, a device, a link to nothing).
enum class EntryKind { File, Folder, Other };

// Calls visit for every entry except "." and "..", in the order the file system lists
// them; false when the folder cannot be listed. A name that would not lead back to its
// entry is reported as Other, so it is never taken for a bookmark or for nothing.
bool listFolder(const QString &folder,
                const std::function<void(const QString &name, EntryKind kind)> &visit);

// True when path is a folder (symbolic links followed).
bool isFolder(const QString &path);

// Copies the regular file from to a new file to (not there yet); false when from is no
// readable regular file or to cannot be made and written. Reading leaves the access time.
bool copyFile(const QString &from, const QString &to);

// Creates folder and the folders above it as needed; true when it is a folder afterwards.
bool makeFolderPath(const QString &folder);
// Creates folder, and the folders above it when they are missing; false when the name was
// taken already (by a folder or anything else) or the folder cannot be made.
bool makeNewFolder(const QString &folder);
// True when path is gone afterwards (removed, or not there).
bool removeFile(const QString &path);

// The atomic replace writes into ".<name>.favrake-tmp-XXXXXX" beside the file. Removes
// folder + name when it is such a regular file unchanged for more than an hour (left by a
// writer killed before its rename); true when it did. Any other name is never touched.
bool removeStaleTemporaryFile(const QString &folder, const QString &name);

// The whole content of a regular file of at most maxSize bytes, and its stamp taken before
// the read; nullopt for anything else (never blocks on a FIFO or device, and never reads
// more than maxSize + 1 bytes, whatever the file claims). Reading leaves the access time.
struct SmallFile
{
    FileStamp stamp;
    std::optional<QByteArray> content; // nullopt: not readable as a small regular file
};
std::optional<SmallFile> readSmallFile(const QString &path, int64_t maxSize);

// The first bytes of a regular file, at most size of them; nullopt for anything else.
std::optional<QByteArray> readFileStart(const QString &path, qsizetype size);

// Seam for the atomic replace, so that tests can make a write, sync or rename fail.
struct FileWriteOps
{
    long (*write)(int fd, const void *data, unsigned long size);
    int (*sync)(int fd);
    int (*rename)(const char *from, const char *to);
    // A batch writer (many files in a row) leaves flushing to one syncFileSystem call per
    // batch: each file is still replaced atomically, only its way to the disk waits.
    bool batched = false;
};
const FileWriteOps &systemFileWriteOps();
const FileWriteOps &batchedFileWriteOps();

// Writes all of content to fd through ops.write, again after an interruption.
bool writeAll(const FileWriteOps &ops, int fd, const QByteArray &content);

// A temporary file for name in folder, as mkstemp takes it: ".<name>.favrake-tmp-XXXXXX",
// a long name cut so that the whole fits. The scan clears away such files left by a crash.
QByteArray temporaryTemplate(const QByteArray &folder, const QByteArray &name);
// The mode of a new file: 0666 less the umask the program started with.
unsigned newFileMode();

// Flushes everything written on the file system that holds path (the end of a batch);
// false when it could not.
bool syncFileSystem(const QString &path);

// What a whole-file write came to.
struct FileWriteResult
{
    QString error; // why nothing was written, in words for the user; empty when it was
    bool ok() const { return error.isEmpty(); }
};

// Writes a whole file (an export, a desktop entry, a page, the settings) in one step: a
// temporary file beside it gets all of content, checked, flushed and renamed over path.
// The file it replaces keeps its mode (and its owner where that is allowed); a new file
// gets 0666 less the umask the program started with; a symbolic link stays a link and
// its target gets the content. A path that is there but is no regular file (a folder, a
// FIFO, a device, a socket), or is read-only, is refused without being opened.
FileWriteResult writeWholeFile(const QString &path, const QByteArray &content,
                               const FileWriteOps &ops = systemFileWriteOps());

// Replaces the content of a bookmark file in one step: temporary file in the same folder,
// flush, rename; mode, access and modification times kept (a new file gets 0666 less the umask
// the program started with); a symbolic link is written through to its target. When
// basedOn is given, nothing is written if the file no longer holds exactly those bytes.
// A missing file is created only when mayCreate.
bool replaceFileContent(const QString &path, const QByteArray &content, bool mayCreate,
                        const std::optional<QByteArray> &basedOn, const FileWriteOps &ops);
} // namespace platform
