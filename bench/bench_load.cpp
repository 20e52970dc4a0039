// Loading a collection against the least any loader must do: read every file once.
#include "store/bookmarks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {
constexpr int fileCount = 10000;
constexpr int folderCount = 200;
constexpr int repeats = 9;

QStringList makeCollection(const QString &root)
{
    QStringList files;
    for (int i = 0; i < fileCount; ++i) {
        const QString folder = QStringLiteral("%1/Folder%2").arg(root).arg(i % folderCount);
        QDir().mkpath(folder);
        const QString path = QStringLiteral("%1/Bookmark %2.url").arg(folder).arg(i);
        QByteArray content =
            "[DEFAULT]\r\nBASEURL=https://www.site" + QByteArray::number(i) +
            ".test/\r\n[InternetShortcut]\r\nURL=https://www.site" + QByteArray::number(i) +
            ".test/path/page.html\r\nModified=" + "00C09DC88573C001\r\nIconIndex=1\r\n";
        if (i % 2 == 0)
            content +=
                "[Merkwerk]\r\nTitle=0053006900740065\r\nDescr=00410020007000610067006500\r\n"
                "URL=\r\nReferenceTime=40E28E3000000000\r\nRefreshed=40E28E3000000000\r\n"
                "RefreshState=0\r\nRefreshMsg=\r\nRemindTime=40E28E3000000000\r\n"
                "Phrase=\r\nMatch=\r\nRating=0\r\n";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(content);
        files << path;
    }
    return files;
}

qint64 readEveryFileOnce(const QStringList &files)
{
    qint64 total = 0;
    char buffer[4096];
    for (const QString &path : files) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            total += n;
        ::close(fd);
    }
    return total;
}

double ms(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main()
{
    QTemporaryDir dir;
    const QStringList files = makeCollection(dir.path());
    readEveryFileOnce(files); // warm the cache
    int loaded = 0;
    // Alternate the two so that a busy machine slows both alike; keep the best of each.
    double baseline = 1e300;
    double ours = 1e300;
    for (int r = 0; r < repeats; ++r) {
        baseline = std::min(baseline, ms([&] { readEveryFileOnce(files); }));
        ours = std::min(ours, ms([&] { loaded = Bookmarks(dir.path()).count(); }));
    }
    if (loaded != fileCount)
        std::abort();
    std::printf("RESULT load ratio=%.3f load_ms=%.1f read_once_ms=%.1f files=%d folders=%d\n",
                ours / baseline, ours, baseline, fileCount, folderCount);
}
