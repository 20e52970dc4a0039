#pragma once

#include <QString>
#include <QtGlobal>

// What the single-instance guard needs from the operating system.
namespace platform::instance {
inline constexpr char lockFileName[] = "favrake.lock";
inline constexpr char socketFileName[] = "favrake.socket";

// Creates the folder (mode 0700) when it is missing. Empty when the folder can be trusted
// (a real folder, not a link, of this user, closed to everyone else, short enough for the
// socket path); otherwise why it cannot.
QString prepareFolder(const QString &folder);

// A lock on a file that the kernel lets go when the holder ends, however it ends. The
// descriptor is not inherited by programs started later.
class LockFile final
{
  public:
    enum class State { Held, Busy, Broken };

    explicit LockFile(const QString &path);
    ~LockFile();
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;

    State tryLock();
    QString error() const { return m_error; }

  private:
    QByteArray m_path;
    QString m_error;
    int m_fd = -1;
};

// Whether the process at the other end of a connected local socket runs as this user.
bool peerIsSameUser(qintptr descriptor);
} // namespace platform::instance
