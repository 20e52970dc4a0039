#include "singleinstance.h"
#include "singleinstance_os.h"

#include "folders.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace instance {
namespace {
QString systemError(const QString &what)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

QString prepareFolder(const QString &folder)
{
    // Without a trailing "/", so that lstat looks at a link itself.
    const QString clean = QDir::cleanPath(folder);
    const QByteArray path = QFile::encodeName(clean);
    const QString quoted = QLatin1Char('"') + clean + QLatin1Char('"');
    const QByteArray socket = path + '/' + socketFileName;
    if (socket.size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return quoted + QStringLiteral(" is too long a path for a local socket");
    if (::mkdir(path.constData(), 0700) == 0)
        ::chmod(path.constData(), 0700); // the umask narrows what mkdir gives
    else if (errno != EEXIST)
        return systemError(quoted);
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return systemError(quoted);
    if (!S_ISDIR(info.st_mode))
        return quoted + QStringLiteral(" is not a folder");
    if (info.st_uid != ::geteuid())
        return quoted + QStringLiteral(" belongs to another user");
    if ((info.st_mode & 07777) != 0700)
        return quoted + QStringLiteral(" is open to other users");
    return QString();
}

LockFile::LockFile(const QString &path) : m_path(QFile::encodeName(path)) {}

LockFile::~LockFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

LockFile::State LockFile::tryLock()
{
    if (m_fd < 0)
        m_fd = ::open(m_path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_error = systemError(QFile::decodeName(m_path));
        return State::Broken;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return State::Held;
    if (errno == EWOULDBLOCK || errno == EINTR)
        return State::Busy;
    m_error = systemError(QFile::decodeName(m_path));
    return State::Broken;
}

bool peerIsSameUser(qintptr descriptor)
{
    ucred peer = {};
    socklen_t size = sizeof peer;
    const int fd = int(descriptor);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}
} // namespace instance
} // namespace platform
