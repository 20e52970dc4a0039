#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Writes content as the file name in folder and gives back its path.
inline QString WriteLngFile(const QTemporaryDir &folder, const QString &name,
                            const QByteArray &content)
{
    const QString path = QDir(folder.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
