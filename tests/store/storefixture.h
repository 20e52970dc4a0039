#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

// Small helpers for tests that build Favorites trees on disk.
inline void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
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
