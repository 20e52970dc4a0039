#include "newfile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {
constexpr qsizetype maxNameBytes = 255;

// A new temporary file beside the target; -1 when none could be made.
int openTemporary(const QByteArray &folder, const QByteArray &name, QByteArray &tempPath)
{
    tempPath = temporaryTemplate(folder, name);
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd >= 0 && ::fchmod(fd, newFileMode()) != 0) {
        ::close(fd);
        ::unlink(tempPath.constData());
        return -1;
    }
    return fd;
}

bool setModified(int fd, std::optional<int64_t> modifiedAt)
{
    if (!modifiedAt)
        return true;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(*modifiedAt), 0}};
    return ::futimens(fd, times) == 0;
}

// Moves the temporary file to a name that must stay free. File systems without an
// exclusive rename get a hard link, which fails just as well on a taken name.
NewFileResult moveIntoPlace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return NewFileResult::Created;
    if (errno == EEXIST)
        return NewFileResult::NameTaken;
    if (errno != EINVAL && errno != ENOSYS)
        return NewFileResult::Failed;
    if (::link(from.constData(), to.constData()) != 0)
        return errno == EEXIST ? NewFileResult::NameTaken : NewFileResult::Failed;
    ::unlink(from.constData());
    return NewFileResult::Created;
}

// The content, the time and, unless batched, the flush.
bool writeContent(int fd, const QByteArray &content, std::optional<int64_t> modifiedAt,
                  const FileWriteOps &ops)
{
    return writeAll(ops, fd, content) && setModified(fd, modifiedAt) &&
           (ops.batched || ops.sync(fd) == 0);
}

// A file without a name until it is linked to its name, which fails on a taken name: a
// crash leaves nothing at all. nullopt where the file system or /proc does not allow it.
std::optional<NewFileResult> createUnnamed(const QByteArray &folder, const QByteArray &target,
                                           const QByteArray &content,
                                           std::optional<int64_t> modifiedAt,
                                           const FileWriteOps &ops)
{
    const int fd = ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::nullopt;
    std::optional<NewFileResult> result = NewFileResult::Failed;
    if (writeContent(fd, content, modifiedAt, ops)) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            result = NewFileResult::Created;
        else
            result = errno == EEXIST ? std::optional(NewFileResult::NameTaken) : std::nullopt;
    }
    ::close(fd);
    return result;
}

// The same through a named temporary file, moved into place without replacing anything.
NewFileResult createNamed(const QByteArray &folder, const QByteArray &name,
                          const QByteArray &target, const QByteArray &content,
                          std::optional<int64_t> modifiedAt, const FileWriteOps &ops)
{
    QByteArray temp;
    const int fd = openTemporary(folder, name, temp);
    if (fd < 0)
        return NewFileResult::Failed;
    bool ok = writeContent(fd, content, modifiedAt, ops);
    ok = ::close(fd) == 0 && ok;
    const NewFileResult result = ok ? moveIntoPlace(temp, target) : NewFileResult::Failed;
    if (result != NewFileResult::Created)
        ::unlink(temp.constData());
    return result;
}

void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

NewFileResult createNewFile(const QString &path, const QByteArray &content,
                            std::optional<int64_t> modifiedAt, const FileWriteOps &ops,
                            NewFileWay way)
{
    const QByteArray target = encodeFileName(path);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.first(qMax(slash, 1));
    const QByteArray name = target.sliced(slash + 1);
    if (name.isEmpty() || name.size() > maxNameBytes)
        return NewFileResult::Failed;
    std::optional<NewFileResult> result;
    if (way == NewFileWay::Any)
        result = createUnnamed(folder, target, content, modifiedAt, ops);
    if (!result)
        result = createNamed(folder, name, target, content, modifiedAt, ops);
    if (*result == NewFileResult::Created && !ops.batched)
        syncFolder(folder);
    return *result;
}
} // namespace platform
