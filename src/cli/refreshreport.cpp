#include "refreshreport.h"

#include "collection.h"
#include "refresh/engine.h"
#include "refresh/fetchaddress.h"
#include "refresh/networkevidence.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QDir>

namespace {
QString notWrittenNote(SaveFailure why)
{
    switch (why) {
    case SaveFailure::TooLarge:
        return QStringLiteral("(not written: the file grew over the size limit)");
    case SaveFailure::Unwritable:
        return QStringLiteral("(not written: the file cannot be written)");
    default:
        return QStringLiteral("(not written: the file changed meanwhile)");
    }
}
} // namespace

RefreshReport::RefreshReport(QTextStream &out, const Bookmarks &list, int requested, bool terminal)
    : m_out(out), m_list(list), m_requested(requested), m_terminal(terminal)
{
    m_clock.start();
}

void RefreshReport::add(const RefreshStep &step)
{
    const DownloadResult &result = step.result;
    ++m_done;
    QStringList fields = {
        displayFileName(QDir(m_list.favoritesPath()).relativeFilePath(result.fileName))};
    const QByteArray scheme = unfetchedScheme(toNarrow(result.requestedUrl));
    if (step.stored == StoreOutcome::Dropped) {
        fields << QStringLiteral("SKIPPED") << QStringLiteral("the bookmark changed meanwhile");
        ++m_notWritten;
    } else if (step.stored == StoreOutcome::NotRecorded) {
        const QString why = networkFailureText(result.findings.network);
        fields << QStringLiteral("SKIPPED")
               << QStringLiteral("not recorded: ") +
                      (why.isEmpty() ? QStringLiteral("the check could not tell") : why);
        ++m_notRecorded;
    } else if (result.requestedUrl.isEmpty()) {
        fields << QStringLiteral("SKIPPED") << QStringLiteral("no address");
        ++m_noAddress;
    } else if (!scheme.isEmpty()) {
        fields << QStringLiteral("SKIPPED") << notCheckedText(scheme);
        ++m_notChecked;
    } else {
        fields << (result.success ? QStringLiteral("OK") : QStringLiteral("FAILED"))
               << (result.success ? result.title : fromNarrow(result.errorMsg));
        ++(result.success ? m_ok : m_failed);
        if (const BookmarkRec *rec = m_list.item(result.index))
            ++m_verdicts[rec->verdict];
        if (step.stored == StoreOutcome::NotWritten) {
            fields << notWrittenNote(step.notWritten);
            ++m_notWritten;
        }
    }
    // Above the progress line, which is drawn again below it.
    if (m_terminal)
        m_out << "\r\033[K";
    m_out << oneLineFields(fields) << '\n' << Qt::flush;
}

QString RefreshReport::progressLine(const HeldHosts &held) const
{
    const int done = m_done;
    QString line = QStringLiteral("[%1/%2] %3 OK, %4 failed, %5 not written")
                       .arg(done)
                       .arg(m_requested)
                       .arg(m_ok)
                       .arg(m_failed)
                       .arg(m_notWritten);
    const double seconds = double(m_clock.elapsed()) / 1000.0;
    if (done > 0 && seconds > 0) {
        const double rate = done / seconds;
        line += QStringLiteral(", %1 pages/s, %2 s left")
                    .arg(rate, 0, 'f', 1)
                    .arg(qRound((m_requested - done) / rate));
    }
    if (held.hosts > 0)
        line += QStringLiteral(", %1 host(s) asked to wait up to %2 s")
                    .arg(held.hosts)
                    .arg((held.longest.count() + 999) / 1000);
    return line;
}

void RefreshReport::showProgress(const HeldHosts &held)
{
    if (m_terminal)
        m_out << "\r\033[K" << progressLine(held) << Qt::flush;
}

void RefreshReport::finish(bool interrupted, const RunFailure &failure)
{
    if (m_terminal)
        m_out << "\r\033[K";
    if (interrupted)
        m_out << "interrupted: the downloads still running or waiting were abandoned\n";
    m_out << m_ok + m_failed << " refreshed: " << m_ok << " OK, " << m_failed << " failed; "
          << m_notWritten << " not written; ";
    if (m_noAddress > 0)
        m_out << m_noAddress << " no address; ";
    if (m_notChecked > 0)
        m_out << m_notChecked << " not checked; ";
    if (m_notRecorded > 0)
        m_out << m_notRecorded << " not recorded; ";
    m_out << m_list.refreshDueCount() << " still due\n";
    QStringList verdicts;
    for (const auto &[verdict, count] : m_verdicts)
        if (verdict != LinkVerdict::None)
            verdicts << QStringLiteral("%1 %2").arg(count).arg(verdictName(verdict));
    if (!verdicts.isEmpty())
        m_out << "verdicts: " << verdicts.join(QStringLiteral(", ")) << '\n';
    if (failure.kind != NetworkFailure::None)
        m_out << "not recorded: " << networkFailureText(failure) << '\n';
    m_out << Qt::flush;
}
