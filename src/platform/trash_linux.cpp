#include "trash.h"

#include "files.h"
#include "folders.h"

#include <QDateTime>
#include <QString>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// The freedesktop.org trash, on the bytes of the names: a name that is not UTF-8 goes to
// the trash like any other.
namespace platform {
namespace {
constexpr int maxTries = 10000;
const QByteArray infoExtension = ".trashinfo";

std::optional<struct stat> linkStat(const QByteArray &path)
{
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0)
        return std::nullopt;
    return st;
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The highest folder above path on the same file system: where its device is mounted.
QByteArray topFolderOf(const QByteArray &path, dev_t device)
{
    QByteArray top = parentOf(path);
    while (top != "/") {
        const QByteArray parent = parentOf(top);
        const std::optional<struct stat> st = linkStat(parent);
        if (!st || st->st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// A folder made now, or one there already. A trash shared on another file system must be
// the user's own and no link; the home trash may be a link the user made.
bool trashFolder(const QByteArray &path, bool shared)
{
    if (::mkdir(path.constData(), 0700) == 0)
        return true;
    struct stat st
    {
    };
    if ((shared ? ::lstat : ::stat)(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return !shared || st.st_uid == ::getuid();
}

struct TrashPlace
{
    QByteArray folder;
    QByteArray top; // empty for the home trash, which records absolute paths
};

// A file on the home trash's file system goes there; one elsewhere to its file system's
// own trash: $top/.Trash/$uid when the administrator made $top/.Trash (sticky, no link),
// else $top/.Trash-$uid.
std::optional<TrashPlace> trashFor(const QByteArray &source, dev_t device)
{
    const QString data = xdgFolder(XdgFolder::Data);
    if (data.isEmpty() || !makeFolderPath(data))
        return std::nullopt;
    const auto homeTrash = [&]() -> std::optional<TrashPlace> {
        const QByteArray home = encodeFileName(data) + "Trash";
        return trashFolder(home, false) ? std::optional(TrashPlace{home, {}}) : std::nullopt;
    };
    const std::optional<struct stat> dataStat = linkStat(encodeFileName(data));
    if (!dataStat || dataStat->st_dev == device)
        return homeTrash();
    const QByteArray top = topFolderOf(source, device);
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    const std::optional<struct stat> shared = linkStat(base + "/.Trash");
    if (shared && S_ISDIR(shared->st_mode) && (shared->st_mode & S_ISVTX) &&
        trashFolder(base + "/.Trash/" + uid, true))
        return TrashPlace{base + "/.Trash/" + uid, top};
    if (trashFolder(base + "/.Trash-" + uid, true))
        return TrashPlace{base + "/.Trash-" + uid, top};
    return homeTrash(); // the move across file systems fails there: nothing is copied
}

QByteArray infoText(const QByteArray &source, const QByteArray &top)
{
    QByteArray path = source;
    if (!top.isEmpty())
        path = top == "/" ? source.mid(1) : source.mid(top.size() + 1);
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") +
           "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
}

// Moves without replacing: false with EEXIST when the name is taken.
bool renameNew(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL) // a file system without RENAME_NOREPLACE
        return false;
    if (linkStat(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

// The information file is made first and exclusively, so two trashing programs never pick
// the same name; the item follows under that name, "name", then "name-0000" and so on.
bool moveInto(const TrashPlace &trash, const QByteArray &source)
{
    const QByteArray files = trash.folder + "/files/";
    const QByteArray info = trash.folder + "/info/";
    const bool shared = !trash.top.isEmpty();
    if (!trashFolder(files, shared) || !trashFolder(info, shared))
        return false;
    const QByteArray name =
        source.mid(source.lastIndexOf('/') + 1).left(NAME_MAX - infoExtension.size() - 5);
    const QByteArray text = infoText(source, trash.top);
    for (int n = -1; n < maxTries; ++n) {
        const QByteArray unique =
            n < 0 ? name : name + '-' + QByteArray::number(n).rightJustified(4, '0');
        const QByteArray infoFile = info + unique + infoExtension;
        const int fd = ::open(infoFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        const bool written = writeAll(systemFileWriteOps(), fd, text);
        const bool closed = ::close(fd) == 0;
        if (written && closed && renameNew(source, files + unique))
            return true;
        const bool taken = errno == EEXIST; // a leftover item without information
        ::unlink(infoFile.constData());
        if (!taken)
            return false;
    }
    return false;
}
} // namespace

bool moveToTrash(const QString &path)
{
    if (path.isEmpty())
        return false;
    QByteArray source = encodeFileName(absolutePath(path));
    while (source.size() > 1 && source.endsWith('/'))
        source.chop(1);
    const std::optional<struct stat> st = linkStat(source);
    if (!st)
        return false;
    const std::optional<TrashPlace> trash = trashFor(source, st->st_dev);
    return trash && moveInto(*trash, source);
}
} // namespace platform
