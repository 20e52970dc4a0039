#include "files.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {
// File names on Linux are bytes, which Qt reads as UTF-8.
QByteArray NativePath(const QString &path)
{
    return path.toUtf8();
}

bool IsPlainAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

FileTime FromStatx(const struct statx_timestamp &t)
{
    return {t.tv_sec, t.tv_nsec};
}

std::optional<FileStamp> StampFromStatx(int dirFd, const char *path, int flags)
{
    struct statx st
    {
    };
    const unsigned mask =
        STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
    if (statx(dirFd, path, flags, mask, &st) != 0)
        return std::nullopt;
    FileStamp stamp;
    stamp.regular = S_ISREG(st.stx_mode);
    stamp.directory = S_ISDIR(st.stx_mode);
    stamp.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    stamp.inode = st.stx_ino;
    stamp.size = int64_t(st.stx_size);
    if (st.stx_mask & STATX_BTIME)
        stamp.birth = FromStatx(st.stx_btime);
    stamp.access = FromStatx(st.stx_atime);
    stamp.modification = FromStatx(st.stx_mtime);
    return stamp;
}

class FdGuard final
{
  public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    FdGuard(FdGuard &&other) noexcept : m_fd(other.release()) {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard &) = delete;
    FdGuard &operator=(const FdGuard &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// Reads to the end; size is what the file held at its stat. Asking for one byte more finds
// the end in the same call, since a regular file only reads short at its end.
bool ReadAll(int fd, QByteArray &content, int64_t size)
{
    content.resize(size + 1);
    int64_t done = 0;
    for (;;) {
        const ssize_t n = ::read(fd, content.data() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += n;
        if (done < int64_t(content.size()))
            break;
        content.resize(done * 2); // the file grew since the stat
    }
    content.resize(done);
    return true;
}

bool WriteAll(const FileWriteOps &ops, int fd, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const long n = ops.write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

long SystemWrite(int fd, const void *data, unsigned long size)
{
    return ::write(fd, data, size);
}

void SyncFolder(const QByteArray &folder)
{
    const FdGuard fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// The file that a write to path must change: the final target of a symbolic link.
QString WriteTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? QString() : target;
}

// Opens target with an advisory lock on the file itself, which every writer here holds from
// its last check to its rename: two programs replacing one file at once cannot both pass
// the check, the second one finds the first one's content. A lock that someone else holds
// for longer than a moment makes the write give up; a file system without locks is
// written unlocked.
FdGuard OpenLocked(const QByteArray &target)
{
    constexpr int Attempts = 2000; // a millisecond apart
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        FdGuard fd(::open(target.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0)
            return fd;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return fd;
            ::usleep(1000);
            continue;
        }
        struct stat held
        {
        };
        struct stat current
        {
        };
        if (::fstat(fd.get(), &held) == 0 && ::stat(target.constData(), &current) == 0 &&
            held.st_dev == current.st_dev && held.st_ino == current.st_ino)
            return fd;
        // Replaced while this one waited: the lock must be on the file that stands there now.
    }
    return FdGuard(-1);
}

bool StillHolds(int fd, const QByteArray &expected)
{
    struct stat st
    {
    };
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != expected.size())
        return false;
    QByteArray now;
    return ReadAll(fd, now, st.st_size) && now == expected;
}
} // namespace

std::optional<FileStamp> stampOf(const QString &path)
{
    return StampFromStatx(AT_FDCWD, NativePath(path).constData(), 0);
}

bool listFolder(const QString &folder,
                const std::function<void(const QString &name, EntryKind kind)> &visit)
{
    const QByteArray native = NativePath(folder);
    DIR *dir = ::opendir(native.constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView raw(entry->d_name);
        if (raw == "." || raw == "..")
            continue;
        const QString name = QString::fromUtf8(raw);
        if (!IsPlainAscii(raw) && NativePath(name) != raw)
            continue;
        EntryKind kind = entry->d_type == DT_REG   ? EntryKind::File
                         : entry->d_type == DT_DIR ? EntryKind::Folder
                                                   : EntryKind::Other;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // The listing does not tell what a link points to: ask.
            struct stat st
            {
            };
            const bool known = ::fstatat(dirfd(dir), entry->d_name, &st, 0) == 0;
            kind = known && S_ISREG(st.st_mode)   ? EntryKind::File
                   : known && S_ISDIR(st.st_mode) ? EntryKind::Folder
                                                  : EntryKind::Other;
        }
        visit(name, kind);
    }
    ::closedir(dir);
    return true;
}

std::optional<SmallFile> readSmallFile(const QString &path, int64_t maxSize)
{
    const FdGuard fd(::open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    std::optional<FileStamp> stamp = StampFromStatx(fd.get(), "", AT_EMPTY_PATH);
    if (!stamp)
        return std::nullopt;
    SmallFile file{*stamp, std::nullopt};
    if (!stamp->regular || stamp->size > maxSize)
        return file;
    QByteArray content;
    if (ReadAll(fd.get(), content, stamp->size) && content.size() <= maxSize)
        file.content = std::move(content);
    return file;
}

const FileWriteOps &systemFileWriteOps()
{
    static const FileWriteOps ops{SystemWrite, ::fsync, ::rename};
    return ops;
}

const FileWriteOps &batchedFileWriteOps()
{
    static const FileWriteOps ops{SystemWrite, ::fsync, ::rename, true};
    return ops;
}

bool syncFileSystem(const QString &path)
{
    const FdGuard fd(::open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return fd.get() >= 0 && ::syncfs(fd.get()) == 0;
}

bool replaceFileContent(const QString &path, const QByteArray &content, bool mayCreate,
                        const std::optional<QByteArray> &basedOn, const FileWriteOps &ops)
{
    const QString targetPath = WriteTarget(path);
    if (targetPath.isEmpty())
        return false;
    const QByteArray target = NativePath(targetPath);
    struct stat st
    {
    };
    const bool exists = ::stat(target.constData(), &st) == 0;
    if ((exists && !S_ISREG(st.st_mode)) || (!exists && !mayCreate))
        return false;
    // A file marked read-only stays as it is, even for a user who could replace it.
    if (exists && ((st.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0))
        return false;
    const QByteArray folder = NativePath(QFileInfo(targetPath).absolutePath());
    QByteArray temp = folder + "/." + NativePath(QFileInfo(targetPath).fileName()) + ".XXXXXX";
    FdGuard fd(::mkstemp(temp.data()));
    if (fd.get() < 0)
        return false;
    mode_t mode = 0;
    if (exists) {
        mode = st.st_mode & 07777;
        // Keeping another owner needs privileges; without them the file becomes ours.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), st.st_uid, st.st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd.get(), mode) == 0 && WriteAll(ops, fd.get(), content) &&
              (ops.batched || ops.sync(fd.get()) == 0);
    ok = ::close(fd.release()) == 0 && ok;
    // The file must still be what the change was based on, and must still exist when it
    // may not be created: another program's newer content is never overwritten.
    const FdGuard locked(ok && basedOn ? OpenLocked(target) : FdGuard(-1));
    if (ok && basedOn)
        ok = StillHolds(locked.get(), *basedOn);
    if (ok && !mayCreate)
        ok = ::access(target.constData(), F_OK) == 0;
    ok = ok && ops.rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    if (!ops.batched)
        SyncFolder(folder);
    return true;
}
} // namespace platform
