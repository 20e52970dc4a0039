#include "programbench.h"

#include "app/baseform.h"
#include "app/program.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "store/datetime.h"
#include "store/hextext.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <unistd.h>

namespace {
const char childFlag[] = "--child";
constexpr int settleMs = 2500;

// Milliseconds since this process started, from the kernel's record of its start.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now = {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 -
           startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble();
    return -1;
}

// Reports the moment the first floating window appears.
class FirstShow final : public QObject
{
  public:
    double ms = -1;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (ms < 0 && event->type() == QEvent::Show && qobject_cast<BaseForm *>(watched))
            ms = msSinceProcessStart();
        return false;
    }
};

QByteArray timeToHex(DateTime time)
{
    return int64ToHex(int64_t(dateTimeBits(time)));
}

void makeDueCollection(const QString &root, int count)
{
    const QByteArray fresh = timeToHex(nowDateTime() - 1);
    for (int i = 0; i < count; ++i) {
        const QString folder = QStringLiteral("%1/Folder%2").arg(root).arg(i % 100);
        QDir().mkpath(folder);
        QFile file(QStringLiteral("%1/Bookmark %2.url").arg(folder).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        const QByteArray site = "https://www.site" + QByteArray::number(i) + ".test/";
        file.write("[InternetShortcut]\r\nURL=" + site +
                   "\r\n[Merkwerk]\r\nTitle=" + encodeHexText(QStringLiteral("Site %1").arg(i)) +
                   "\r\nURL=" + site + "\r\nRefreshed=" + fresh +
                   "\r\nRefreshState=0\r\nRemindTime=" + timeToHex(1.0) + "\r\n");
    }
}

ProgramRun runProgram(const QString &self, const QString &favorites, const QString &home)
{
    QDir(home).mkpath(QStringLiteral(".config"));
    QFile settings(home + QStringLiteral("/.config/Favrake.ini"));
    if (!settings.open(QIODevice::WriteOnly))
        std::abort();
    settings.write("[Config]\nInstalled=1\n");
    settings.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("FAVRAKE_FAVORITES"), favorites);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(self, {QString::fromLatin1(childFlag)});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        std::abort();
    ProgramRun run;
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    run.firstShownMs = figures.value(0).toDouble();
    run.residentKb = figures.value(1).toDouble();
    return run;
}

int runChild(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    loadSettings({}, QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
    languages().scan(defaultLanguageFolders());
    FirstShow firstShow;
    application.installEventFilter(&firstShow);
    double resident = -1;
    {
        Program program({});
        QTimer::singleShot(settleMs, [&] {
            resident = residentKb();
            QCoreApplication::quit();
        });
        application.exec();
    }
    std::printf("%.1f %.0f\n", firstShow.ms, resident);
    return 0;
}
} // namespace

int programBenchMain(int argc, char *argv[],
                     const std::function<int(const QString &favorites, const RunOn &run)> &bench)
{
    if (argc >= 2 && qstrcmp(argv[1], childFlag) == 0)
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    QTemporaryDir favorites(QStringLiteral("/dev/shm/favrake-bench-XXXXXX"));
    QTemporaryDir home;
    makeDueCollection(favorites.path(), benchBookmarks);
    return bench(favorites.path(), [&](const QString &folder) {
        return runProgram(QCoreApplication::applicationFilePath(), folder, home.path());
    });
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}
