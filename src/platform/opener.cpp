#include "opener.h"

#include "webaddress.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace platform {
namespace {
// An opener that gives up does so at once; one still running after this has started the
// browser, which may run in it for hours.
constexpr int watchMs = 10000;
// xdg-open's status when no program is there for the address.
constexpr int noProgramStatus = 3;

// Runs xdg-open itself where there is one, so that its verdict is heard; else Qt's own
// choice of browser. The opener's process is left alone when it outlives the program.
OpenFailure openUrl(const QUrl &url, const LateFailure &later)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(url) ? OpenFailure::None : OpenFailure::NoOpener;
    auto *process = new QProcess;
    process->setProgram(opener);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    // Nothing it starts may hang on a pipe of ours once we are gone.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto *watch = new QTimer(process);
    watch->setSingleShot(true);
    watch->start(watchMs);
    QObject::connect(process, &QProcess::finished, process,
                     [process, watch, later](int status, QProcess::ExitStatus how) {
                         const bool failed = how != QProcess::NormalExit || status != 0;
                         if (watch->isActive() && failed && later)
                             later(status == noProgramStatus ? OpenFailure::NoHandler
                                                             : OpenFailure::OpenerFailed);
                         process->deleteLater();
                     });
    process->start();
    if (process->waitForStarted())
        return OpenFailure::None;
    delete process;
    return OpenFailure::OpenerFailed;
}
} // namespace

OpenFailure openAddress(const QString &address, const LateFailure &later)
{
    if (!isWebAddress(address))
        return OpenFailure::NotWeb;
    return openUrl(QUrl(address.trimmed(), QUrl::StrictMode), later);
}

OpenFailure openLocalFile(const QString &path, const LateFailure &later)
{
    if (!QFileInfo(path).isFile())
        return OpenFailure::OpenerFailed;
    return openUrl(QUrl::fromLocalFile(path), later);
}
} // namespace platform
