#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Small helpers for tests that build Favorites trees on disk.
inline void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Writes a file, with its folders, whose name holds bytes of its own (not UTF-8).
inline void WriteRawFile(const QString &root, const QByteArray &name, const QByteArray &content)
{
    const QByteArray path = QFile::encodeName(root) + '/' + name;
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Sets access and modification time to the same Unix time.
inline void SetFileTimes(const QString &path, qint64 unixSeconds)
{
    const struct timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

inline QByteArray Shortcut(const QByteArray &url, const QByteArray &extra = QByteArray())
{
    return "[InternetShortcut]\r\nURL=" + url + "\r\n" + extra;
}
