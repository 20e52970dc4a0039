#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Small helpers for tests that build Favorites trees on disk. A path in bytes may hold a
// name that is not UTF-8.
inline void writeRawFile(const QByteArray &path, const QByteArray &content)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0777);
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0666);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

inline void writeFile(const QString &path, const QByteArray &content)
{
    writeRawFile(QFile::encodeName(path), content);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Sets access and modification time to the same Unix time.
inline void setFileTimes(const QString &path, qint64 unixSeconds)
{
    const struct timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

inline QByteArray shortcut(const QByteArray &url, const QByteArray &extra = QByteArray())
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n" + extra;
}

// A write step that fails as on a full disk, for the write operations of the atomic replace.
inline long failingWrite(int, const void *, unsigned long)
{
    errno = ENOSPC;
    return -1;
}
