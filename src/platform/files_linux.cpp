#include "files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {
const QByteArray temporaryMark = ".favrake-tmp-";
const QByteArray temporaryRandom = "XXXXXX"; // filled in by mkstemp
constexpr int64_t staleAfterSeconds = 3600;

// Read once while the program starts, before any thread could create a file: changing it
// to find it out would give another thread's new file the wrong mode.
mode_t readUmask()
{
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return mode_t(mask);
    }
    const mode_t mask = ::umask(0); // no /proc: still single-threaded here
    ::umask(mask);
    return mask;
}
const mode_t startUmask = readUmask();

FileTime fromStatx(const struct statx_timestamp &t)
{
    return {t.tv_sec, t.tv_nsec};
}

std::optional<FileStamp> stampFromStatx(int dirFd, const char *path, int flags)
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
        stamp.birth = fromStatx(st.stx_btime);
    stamp.access = fromStatx(st.stx_atime);
    stamp.modification = fromStatx(st.stx_mtime);
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

// Reading a bookmark is not a use of it: its access time, part of its reference date, stays
// where the kernel allows that (files of other owners refuse O_NOATIME).
int openForReading(const QByteArray &path)
{
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.constData(), flags | O_NOATIME);
    return fd >= 0 || errno != EPERM ? fd : ::open(path.constData(), flags);
}

// Reads to the end, but never more than limit + 1 bytes: a file that grows while it is
// read, or holds more than its stated size, gives nullopt instead of taking the memory.
// size is what the stat said; asking for one byte more finds the end in the same call,
// since a regular file only reads short at its end.
std::optional<QByteArray> readAtMost(int fd, int64_t size, int64_t limit)
{
    QByteArray content(qMin(size, limit) + 1, Qt::Uninitialized);
    int64_t done = 0;
    for (;;) {
        const ssize_t n = ::read(fd, content.data() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        done += n;
        if (done < int64_t(content.size()))
            break;
        if (done > limit)
            return std::nullopt;
        content.resize(qMin(done * 2, limit + 1)); // the file grew since the stat
    }
    content.resize(done);
    return content;
}

} // namespace

bool writeAll(const FileWriteOps &ops, int fd, const QByteArray &content)
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

namespace {
long systemWrite(int fd, const void *data, unsigned long size)
{
    return ::write(fd, data, size);
}

void syncFolder(const QByteArray &folder)
{
    const FdGuard fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// The file that a write to path must change: where its chain of symbolic links ends, also
// when the last link leads to nothing yet; nullopt (errno set) for a loop or an unreadable link.
std::optional<QByteArray> writeTarget(QByteArray path)
{
    constexpr int maxLinks = 40; // as the kernel follows them
    for (int link = 0; link < maxLinks; ++link) {
        struct stat st
        {
        };
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray next(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = ::readlink(path.constData(), next.data(), size_t(next.size()));
        if (size < 0 || size >= next.size())
            return std::nullopt;
        next.resize(size);
        const qsizetype slash = path.lastIndexOf('/');
        path = next.startsWith('/') || slash < 0 ? next : path.left(slash + 1) + next;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Where a write lands and what stands there now.
struct Target
{
    QByteArray path;
    QByteArray folder;
    bool exists = false;
    struct stat st
    {
    };
};

std::optional<Target> findTarget(const QString &path)
{
    const std::optional<QByteArray> resolved = writeTarget(encodeFileName(path));
    if (!resolved)
        return std::nullopt;
    Target target;
    target.path = *resolved;
    const qsizetype slash = target.path.lastIndexOf('/');
    target.folder = slash < 0 ? "." : slash == 0 ? "/" : target.path.left(slash);
    target.exists = ::stat(target.path.constData(), &target.st) == 0;
    if (!target.exists && errno != ENOENT)
        return std::nullopt;
    return target;
}

// A file marked read-only stays as it is, even for a user who could replace it.
bool isReadOnly(const Target &target)
{
    return (target.st.st_mode & 0222) == 0 || ::access(target.path.constData(), W_OK) != 0;
}

constexpr int writtenShort = -1; // the write step stopped before the end of the content

// Writes content into a new temporary file beside target: the replaced file's mode (its
// owner where that is allowed, and with keepTimes its times), else the mode of a new file;
// flushed unless the ops are batched. The temporary file's path, or nullopt with the
// reason in error (an errno value or WrittenShort).
std::optional<QByteArray> writeTemporary(const Target &target, const QByteArray &content,
                                         bool keepTimes, const FileWriteOps &ops, int &error)
{
    const qsizetype slash = target.path.lastIndexOf('/');
    QByteArray temp = temporaryTemplate(target.folder, target.path.mid(slash + 1));
    FdGuard fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = errno;
        return std::nullopt;
    }
    if (target.exists) {
        // Keeping another owner needs privileges; without them the file becomes ours.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), target.st.st_uid, target.st.st_gid);
    }
    errno = 0;
    bool ok = ::fchmod(fd.get(), target.exists ? target.st.st_mode & 07777 : newFileMode()) == 0 &&
              writeAll(ops, fd.get(), content);
    error = errno != 0 ? errno : writtenShort;
    if (ok && keepTimes && target.exists) {
        const struct timespec times[2] = {target.st.st_atim, target.st.st_mtim};
        [[maybe_unused]] const int kept = ::futimens(fd.get(), times);
    }
    if (ok && !ops.batched && ops.sync(fd.get()) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(fd.release()) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return std::nullopt;
    }
    return temp;
}

// Renames the temporary file over target when proceed holds; else, or when the rename
// fails, removes it. errno tells why it failed.
bool renameOver(const QByteArray &temp, const Target &target, bool proceed, const FileWriteOps &ops)
{
    if (!proceed || ops.rename(temp.constData(), target.path.constData()) != 0) {
        const int error = errno; // what the caller may report, not the cleanup's
        ::unlink(temp.constData());
        errno = error;
        return false;
    }
    if (!ops.batched)
        syncFolder(target.folder);
    return true;
}

// Why a write to target is refused before anything is written; empty when it is not.
QString refusal(const Target &target)
{
    if (!target.exists)
        return QString();
    const mode_t type = target.st.st_mode & S_IFMT;
    if (type == S_IFDIR)
        return QStringLiteral("it is a folder, not a file");
    if (type == S_IFIFO)
        return QStringLiteral("it is a named pipe (FIFO), not a regular file");
    if (type == S_IFCHR || type == S_IFBLK)
        return QStringLiteral("it is a device, not a regular file");
    if (type != S_IFREG)
        return QStringLiteral("it is not a regular file");
    return isReadOnly(target) ? QStringLiteral("the file is read-only") : QString();
}

QString systemReason(int error)
{
    if (error == writtenShort)
        return QStringLiteral("only part of the content could be written");
    if (error == ENOENT)
        return QStringLiteral("its folder does not exist");
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens target with an advisory lock on the file itself, which every writer here holds from
// its last check to its rename: two programs replacing one file at once cannot both pass
// the check, the second one finds the first one's content. A lock that someone else holds
// for longer than a moment makes the write give up; a file system without locks is
// written unlocked.
FdGuard openLocked(const QByteArray &target)
{
    constexpr int attempts = 2000; // a millisecond apart
    for (int attempt = 0; attempt < attempts; ++attempt) {
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

bool stillHolds(int fd, const QByteArray &expected)
{
    struct stat st
    {
    };
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != expected.size())
        return false;
    return readAtMost(fd, st.st_size, st.st_size) == expected;
}

bool isOwnTemporaryName(QStringView name)
{
    const qsizetype suffix = temporaryMark.size() + temporaryRandom.size();
    if (name.size() < suffix + 2 || !name.startsWith(u'.'))
        return false;
    const QStringView tail = name.last(suffix);
    return tail.startsWith(QLatin1StringView(temporaryMark)) &&
           std::all_of(tail.end() - temporaryRandom.size(), tail.end(),
                       [](QChar c) { return c.unicode() < 0x80 && (c.isLetter() || c.isDigit()); });
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}
} // namespace

std::optional<FileStamp> stampOf(const QString &path)
{
    return stampFromStatx(AT_FDCWD, encodeFileName(path).constData(), 0);
}

bool listFolder(const QString &folder,
                const std::function<void(const QString &name, EntryKind kind)> &visit)
{
    DIR *dir = ::opendir(encodeFileName(folder).constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView raw(entry->d_name);
        if (raw == "." || raw == "..")
            continue;
        const QString name = decodeFileName(raw);
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
        if (encodeFileName(name) != raw)
            kind = EntryKind::Other;
        visit(name, kind);
    }
    ::closedir(dir);
    return true;
}

bool isFolder(const QString &path)
{
    const std::optional<FileStamp> stamp = stampOf(path);
    return stamp && stamp->directory;
}

bool copyFile(const QString &from, const QString &to)
{
    const FdGuard in(openForReading(encodeFileName(from)));
    struct stat st
    {
    };
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const QByteArray target = encodeFileName(to);
    FdGuard out(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0)
        return false;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    const FileWriteOps &ops = systemFileWriteOps();
    ssize_t n = 0;
    while ((n = ::read(in.get(), buffer.data(), size_t(buffer.size()))) > 0 ||
           (n < 0 && errno == EINTR))
        if (n > 0 && !writeAll(ops, out.get(), QByteArray::fromRawData(buffer.constData(), n)))
            break;
    const bool ok = n == 0 && ::close(out.release()) == 0;
    if (!ok)
        ::unlink(target.constData());
    return ok;
}

bool makeFolderPath(const QString &folder)
{
    const QByteArray path = encodeFileName(folder);
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0777);
    ::mkdir(path.constData(), 0777);
    const std::optional<FileStamp> stamp = stampOf(folder);
    return stamp && stamp->directory;
}

bool makeNewFolder(const QString &folder)
{
    return ::mkdir(encodeFileName(folder).constData(), 0777) == 0 ||
           (errno == ENOENT && makeFolderPath(folder));
}

bool removeFile(const QString &path)
{
    return ::unlink(encodeFileName(path).constData()) == 0 || errno == ENOENT;
}

bool removeStaleTemporaryFile(const QString &folder, const QString &name)
{
    if (!isOwnTemporaryName(name))
        return false;
    const QByteArray path = encodeFileName(withSlash(folder) + name);
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // A clock set back makes a file from the future just as stale.
    if (std::llabs(int64_t(std::time(nullptr)) - int64_t(st.st_mtime)) <= staleAfterSeconds)
        return false;
    return ::unlink(path.constData()) == 0;
}

std::optional<SmallFile> readSmallFile(const QString &path, int64_t maxSize)
{
    const FdGuard fd(openForReading(encodeFileName(path)));
    if (fd.get() < 0)
        return std::nullopt;
    std::optional<FileStamp> stamp = stampFromStatx(fd.get(), "", AT_EMPTY_PATH);
    if (!stamp)
        return std::nullopt;
    SmallFile file{*stamp, std::nullopt};
    if (stamp->regular && stamp->size <= maxSize)
        file.content = readAtMost(fd.get(), stamp->size, maxSize);
    return file;
}

std::optional<QByteArray> readFileStart(const QString &path, qsizetype size)
{
    const FdGuard fd(openForReading(encodeFileName(path)));
    struct stat st
    {
    };
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    QByteArray start(size, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd.get(), start.data() + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        done += n;
    }
    start.resize(done);
    return start;
}

const FileWriteOps &systemFileWriteOps()
{
    static const FileWriteOps ops{systemWrite, ::fsync, ::rename};
    return ops;
}

QByteArray temporaryTemplate(const QByteArray &folder, const QByteArray &name)
{
    const qsizetype room = NAME_MAX - 1 - temporaryMark.size() - temporaryRandom.size();
    return folder + "/." + name.left(room) + temporaryMark + temporaryRandom;
}

unsigned newFileMode()
{
    return 0666 & ~startUmask;
}

const FileWriteOps &batchedFileWriteOps()
{
    static const FileWriteOps ops{systemWrite, ::fsync, ::rename, true};
    return ops;
}

bool syncFileSystem(const QString &path)
{
    const FdGuard fd(::open(encodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    return fd.get() >= 0 && ::syncfs(fd.get()) == 0;
}

bool replaceFileContent(const QString &path, const QByteArray &content, bool mayCreate,
                        const std::optional<QByteArray> &basedOn, const FileWriteOps &ops)
{
    const std::optional<Target> target = findTarget(path);
    if (!target || (target->exists && (!S_ISREG(target->st.st_mode) || isReadOnly(*target))) ||
        (!target->exists && !mayCreate))
        return false;
    int error = 0;
    // Storing state is no change of the bookmark: its times, which give its reference date,
    // stay.
    const std::optional<QByteArray> temp = writeTemporary(*target, content, true, ops, error);
    if (!temp) {
        errno = error > 0 ? error : EIO;
        return false;
    }
    // The file must still be what the change was based on, and must still exist when it
    // may not be created: another program's newer content is never overwritten.
    const FdGuard locked(basedOn ? openLocked(target->path) : FdGuard(-1));
    bool proceed = !basedOn || stillHolds(locked.get(), *basedOn);
    proceed = proceed && (mayCreate || ::access(target->path.constData(), F_OK) == 0);
    return renameOver(*temp, *target, proceed, ops);
}

FileWriteResult writeWholeFile(const QString &path, const QByteArray &content,
                               const FileWriteOps &ops)
{
    const std::optional<Target> target = findTarget(path);
    if (!target)
        return {systemReason(errno)};
    if (const QString refused = refusal(*target); !refused.isEmpty())
        return {refused};
    int error = 0;
    const std::optional<QByteArray> temp = writeTemporary(*target, content, false, ops, error);
    if (!temp)
        return {systemReason(error)};
    if (!renameOver(*temp, *target, true, ops))
        return {systemReason(errno)};
    return {};
}
} // namespace platform
