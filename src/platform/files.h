#pragma once

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
// them; false when the folder cannot be listed. Names that cannot be turned into a path
// again are left out.
bool listFolder(const QString &folder,
                const std::function<void(const QString &name, EntryKind kind)> &visit);

// The whole content of a regular file of at most maxSize bytes, and its stamp taken before
// the read; nullopt for anything else (never blocks on a FIFO or device).
struct SmallFile
{
    FileStamp stamp;
    std::optional<QByteArray> content; // nullopt: not readable as a small regular file
};
std::optional<SmallFile> readSmallFile(const QString &path, int64_t maxSize);

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

// Flushes everything written on the file system that holds path (the end of a batch);
// false when it could not.
bool syncFileSystem(const QString &path);

// Replaces the content of path in one step: temporary file in the same folder, flush,
// rename, permissions kept; a symbolic link is written through to its target. When
// basedOn is given, nothing is written if the file no longer holds exactly those bytes.
// A missing file is created only when mayCreate.
bool replaceFileContent(const QString &path, const QByteArray &content, bool mayCreate,
                        const std::optional<QByteArray> &basedOn, const FileWriteOps &ops);
} // namespace platform
