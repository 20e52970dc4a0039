#include "bookmarks.h"

#include "hextext.h"
#include "ini.h"
#include "scan.h"
#include "statevalues.h"
#include "subject.h"
#include "textutil.h"

#include <array>
#include <atomic>
#include <cmath>
#include <thread>

namespace {
const QString shortcutSection = QStringLiteral("InternetShortcut");
const QString stateSection = QStringLiteral("Merkwerk");

// The keys of the own section, in the order they are written.
const QList<QString> stateKeys = {
    QStringLiteral("Title"),         QStringLiteral("Descr"),      QStringLiteral("URL"),
    QStringLiteral("ReferenceTime"), QStringLiteral("Refreshed"),  QStringLiteral("RefreshState"),
    QStringLiteral("RefreshMsg"),    QStringLiteral("RemindTime"), QStringLiteral("Phrase"),
    QStringLiteral("Match"),         QStringLiteral("Rating"),     QStringLiteral("Checks"),
    QStringLiteral("CheckTimes"),    QStringLiteral("LastOK"),     QStringLiteral("FailSince"),
    QStringLiteral("Verdict"),       QStringLiteral("Evidence")};
// The eleven keys every save writes; the link check's keys follow once a link was checked.
constexpr qsizetype baseKeyCount = 11;

// The fields stored as hex texts, by the number of their key; the others are numbers.
const std::array<QString BookmarkRec::*, 17> textFields = {&BookmarkRec::title,
                                                           &BookmarkRec::descr,
                                                           &BookmarkRec::storedUrl,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           &BookmarkRec::refreshMsg,
                                                           nullptr,
                                                           &BookmarkRec::subjectPhrase,
                                                           &BookmarkRec::match,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           &BookmarkRec::evidence};

// What a load reads: the browser's address and date, and the own section.
const QList<IniQuery> readQueries = {
    {shortcutSection, {QStringLiteral("URL"), QStringLiteral("Modified")}},
    {stateSection, stateKeys}};

constexpr DateTime keptForGood = -1.0;
constexpr DateTime goneFromFolder = -2.0; // never stored: the file is not there to hold it

// FNV-1a over the key's number and its value's code units; cheap enough for every load.
size_t mixIn(size_t hash, qsizetype key, QStringView value)
{
    constexpr uint64_t prime = 0x100000001B3ULL;
    uint64_t h = (uint64_t(hash) ^ uint64_t(key + 1)) * prime;
    for (const QChar c : value)
        h = (h ^ c.unicode()) * prime;
    return size_t((h ^ uint64_t(value.size())) * prime);
}

// Tells whether the own section still holds what was read or last written: a hash over the
// keys that are present and their values.
size_t stateFingerprint(const IniDocument &doc)
{
    size_t hash = 0;
    doc.forEachValue(stateSection, stateKeys,
                     [&](qsizetype k, QStringView value) { hash = mixIn(hash, k, value); });
    return hash;
}

int64_t wholeMsBetween(DateTime a, DateTime b)
{
    return std::llabs(dateTimeToMs(a) - dateTimeToMs(b));
}

// The file still holds the address and state the record was read from (or last wrote).
bool holdsRecord(const IniDocument &doc, const BookmarkRec &rec)
{
    // One pass over the file, as a load reads it.
    bool sameAddress = rec.url.isEmpty();
    size_t fingerprint = 0;
    doc.forEachValue(readQueries, [&](qsizetype query, qsizetype k, QStringView value) {
        if (query == 1)
            fingerprint = mixIn(fingerprint, k, value);
        else if (k == 0)
            sameAddress = value == rec.url;
    });
    return sameAddress && fingerprint == rec.storedState;
}

// A refresh changes neither the address nor what the user decided.
bool sameDecision(const BookmarkRec &a, const BookmarkRec &b)
{
    return a.url == b.url && a.referenceTime == b.referenceTime && a.remindTime == b.remindTime;
}

// Why a save with an address wrote nothing: read tells whether the file could be read,
// current whether it then still held the record.
SaveFailure whyNotSaved(const BookmarkRec &rec, bool read, bool current)
{
    if (read && !current)
        return SaveFailure::Changed;
    const std::optional<platform::SmallFile> file =
        platform::readSmallFile(rec.fileName, maxIniFileSize);
    if (!file)
        return platform::stampOf(rec.fileName) ? SaveFailure::Unwritable : SaveFailure::Changed;
    if (!file->stamp.regular)
        return SaveFailure::Changed;
    if (!file->content)
        return file->stamp.size > maxIniFileSize ? SaveFailure::TooLarge : SaveFailure::Unwritable;
    // The new content was ready but not written: the file changed just then, or it stayed
    // as it was and could not be replaced.
    return holdsRecord(IniDocument::parse(*file->content), rec) ? SaveFailure::Unwritable
                                                                : SaveFailure::Changed;
}

// The values of the link check's keys.
void readCheckValue(BookmarkRec &rec, qsizetype k, QStringView value)
{
    switch (k) {
    case 11:
        rec.history.checks = storedChecks(value);
        break;
    case 12:
        rec.history.checkTimes = storedCheckTimes(value);
        break;
    case 13:
        rec.history.lastOk = storedDateTime(value).value_or(0.0);
        break;
    case 14:
        rec.history.failSince = storedDateTime(value).value_or(0.0);
        break;
    case 15:
        rec.verdict = verdictFromName(trimBlanks(value));
        break;
    }
}
} // namespace

namespace {
QString withSlash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}
} // namespace

Bookmarks::Bookmarks(const QString &favoritesPath, BookmarksEnv env)
    : m_favoritesPath(withSlash(favoritesPath)), m_env(std::move(env))
{
    load();
}

int Bookmarks::loadFrom(const QString &favoritesPath)
{
    m_favoritesPath = withSlash(favoritesPath);
    return load();
}

int Bookmarks::load()
{
    clear();
    QStringList files;
    FolderScan scan(
        [&](const QString &folderPath, const QString &name) { files << folderPath + name; });
    scan.run(m_favoritesPath);
    m_folders = scan.folders();
    // Reading the files is most of a load; several threads share it, each record keeping
    // its place in scan order.
    const int remindInterval = m_env.intervals().remindInterval;
    std::vector<std::unique_ptr<BookmarkRec>> read(size_t(files.size()));
    forEachIndex(files.size(), m_env.readThreads,
                 [&](qsizetype i) { read[size_t(i)] = readRecord(files[i], remindInterval); });
    for (auto &rec : read)
        if (rec)
            m_records.push_back(std::move(rec));
    return count();
}

void Bookmarks::clear()
{
    m_records.clear();
    m_folders.clear();
}

std::unique_ptr<BookmarkRec> Bookmarks::readRecord(const QString &fileName, int remindInterval)
{
    std::optional<platform::SmallFile> file = platform::readSmallFile(fileName, maxIniFileSize);
    if (!file) {
        // Cannot be opened (no permission): still a bookmark when it is a regular file.
        const std::optional<platform::FileStamp> stamp = platform::stampOf(fileName);
        if (!stamp)
            return nullptr;
        file = platform::SmallFile{*stamp, std::nullopt};
    }
    if (!file->stamp.regular)
        return nullptr; // replaced by something else since the listing
    auto rec = std::make_unique<BookmarkRec>();
    rec->fileName = fileName;
    rec->referenceTime = earliestStamp(file->stamp);
    readState(*rec, file->content ? IniDocument::parse(*file->content) : IniDocument(),
              remindInterval);
    return rec;
}

void Bookmarks::readState(BookmarkRec &rec, const IniDocument &doc, int remindInterval)
{
    std::optional<DateTime> modified;
    std::optional<DateTime> storedReference;
    std::optional<DateTime> remindTime;
    bool kept = false;
    size_t fingerprint = 0;
    // One pass over the file for both sections, whichever order they stand in.
    doc.forEachValue(readQueries, [&](qsizetype query, qsizetype k, QStringView value) {
        if (query == 0) {
            if (k == 0)
                rec.url = value.toString();
            else
                modified = modifiedOf(value);
            return;
        }
        fingerprint = mixIn(fingerprint, k, value);
        if (QString BookmarkRec::*text = textFields[size_t(k)]) {
            rec.*text = decodeHexText(value);
            return;
        }
        switch (k) {
        case 3:
            storedReference = storedDateTime(value);
            break;
        case 4:
            rec.refreshed = storedDateTime(value).value_or(0.0);
            break;
        case 5:
            rec.refreshState = parseInteger(value).value_or(0);
            break;
        case 7:
            kept = hexToInt64(value) == int64_t(dateTimeBits(keptForGood));
            remindTime = storedDateTime(value);
            break;
        case 10:
            rec.rating = parseInteger(value).value_or(0);
            break;
        default:
            readCheckValue(rec, k, value);
        }
    });
    // Times beyond the codes belong to no check.
    rec.history.checkTimes.resize(
        std::min(rec.history.checkTimes.size(), rec.history.checks.size()));
    // The earliest date known, unless one was fixed in the file; a new bookmark is due
    // RemindInterval days after it.
    if (modified && *modified > 0 && *modified < rec.referenceTime)
        rec.referenceTime = *modified;
    rec.referenceTime = storedReference.value_or(rec.referenceTime);
    rec.remindTime = kept ? keptForGood : remindTime.value_or(rec.referenceTime + remindInterval);
    rec.evidence.truncate(maxEvidenceLength);
    rec.storedState = fingerprint;
}

bool Bookmarks::isValidIndex(int i) const
{
    return i >= 0 && i < count();
}

BookmarkRec *Bookmarks::item(int i)
{
    return isValidIndex(i) ? m_records[size_t(i)].get() : nullptr;
}

const BookmarkRec *Bookmarks::item(int i) const
{
    return isValidIndex(i) ? m_records[size_t(i)].get() : nullptr;
}

QString Bookmarks::displayName(int i) const
{
    if (!isValidIndex(i))
        return QString();
    const QString name = wideExtractFileName(item(i)->fileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    return displayFileName(dot < 0 ? name : name.left(dot));
}

QString Bookmarks::folderName(int i) const
{
    if (!isValidIndex(i))
        return QString();
    QString folder = wideExtractFilePath(item(i)->fileName).mid(m_favoritesPath.size());
    if (folder.endsWith(u'/'))
        folder.chop(1);
    return displayFileName(folder);
}

bool Bookmarks::isActive(int i) const
{
    return isValidIndex(i) && item(i)->remindTime >= 0;
}

bool Bookmarks::isKept(int i) const
{
    return isValidIndex(i) && item(i)->remindTime == keptForGood;
}

bool Bookmarks::isRemindDue(int i) const
{
    return isActive(i) && m_env.now() >= item(i)->remindTime;
}

bool Bookmarks::isRefreshDue(int i) const
{
    if (!isActive(i))
        return false;
    const BookmarkRec &rec = *item(i);
    const DateTime refreshed = isStoredDateTime(rec.refreshed) ? rec.refreshed : 0.0;
    const DateTime now = m_env.now();
    const int64_t ms = wholeMsBetween(isStoredDateTime(now) ? now : 0.0, refreshed);
    const Intervals intervals = m_env.intervals();
    if (now < rec.notBefore)
        return false;
    if (rec.verdict != LinkVerdict::None)
        return ms >= recheckDelayMs(rec.verdict, failedRunLength(rec.history.checks),
                                    intervals.refreshAfterFail, intervals.refreshInterval);
    if (rec.refreshState < 0)
        return ms / 60000 >= intervals.refreshAfterFail;
    return ms / msPerDay >= intervals.refreshInterval;
}

bool Bookmarks::isUnchanged(int i) const
{
    if (!isValidIndex(i) || item(i)->url.isEmpty())
        return false;
    return iniReadString(item(i)->fileName, shortcutSection, QStringLiteral("URL"), QString()) ==
           item(i)->url;
}

bool Bookmarks::hasSuggestion(int i) const
{
    if (!isValidIndex(i))
        return false;
    const BookmarkRec &rec = *item(i);
    return rec.rating >= 1 && !rec.subjectPhrase.isEmpty() && !rec.match.isEmpty();
}

QString Bookmarks::matchText(int i) const
{
    return isValidIndex(i) ? item(i)->match : QString();
}

QByteArray Bookmarks::phraseText(int i) const
{
    return isValidIndex(i) ? toNarrow(item(i)->subjectPhrase) : QByteArray();
}

int Bookmarks::countWhere(bool (Bookmarks::*test)(int) const) const
{
    int found = 0;
    for (int i = 0; i < count(); ++i)
        found += (this->*test)(i) ? 1 : 0;
    return found;
}

int Bookmarks::activeCount() const
{
    return countWhere(&Bookmarks::isActive);
}

int Bookmarks::keptCount() const
{
    return countWhere(&Bookmarks::isKept);
}

int Bookmarks::refreshDueCount() const
{
    return countWhere(&Bookmarks::isRefreshDue);
}

int Bookmarks::notDueCount() const
{
    return count() - refreshDueCount();
}

bool Bookmarks::save(int i)
{
    m_lastSaveFailure = SaveFailure::NoAddress;
    if (!isValidIndex(i) || item(i)->url.isEmpty())
        return false;
    BookmarkRec &rec = *item(i);
    for (QString BookmarkRec::*text : textFields)
        if (text)
            rec.*text = cutStoredText(rec.*text);
    rec.evidence.truncate(maxEvidenceLength);
    const std::array<QString, 17> values = {hexValue(rec.title),
                                            hexValue(rec.descr),
                                            hexValue(rec.storedUrl),
                                            dateTimeValue(rec.referenceTime),
                                            dateTimeValue(rec.refreshed),
                                            QString::number(rec.refreshState),
                                            hexValue(rec.refreshMsg),
                                            dateTimeValue(rec.remindTime),
                                            hexValue(rec.subjectPhrase),
                                            hexValue(rec.match),
                                            QString::number(rec.rating),
                                            rec.history.checks,
                                            checkTimesValue(rec.history.checkTimes),
                                            dateTimeValue(rec.history.lastOk),
                                            dateTimeValue(rec.history.failSince),
                                            verdictName(rec.verdict),
                                            hexValue(rec.evidence)};
    const qsizetype keys = rec.verdict == LinkVerdict::None ? baseKeyCount : stateKeys.size();
    return updateFile(rec, [&](IniDocument &doc) {
        return doc.setValues(stateSection, stateKeys.first(keys),
                             std::span(values).first(size_t(keys)));
    });
}

bool Bookmarks::saveDecision(int i, DateTime remindTime)
{
    if (!isValidIndex(i))
        return save(i);
    BookmarkRec &rec = *item(i);
    const BookmarkRec asRead = rec;
    rec.remindTime = remindTime;
    if (save(i))
        return true;
    const SaveFailure failure = m_lastSaveFailure;
    if (failure != SaveFailure::Changed) {
        rec = asRead; // the file is as it was
        return false;
    }
    // Only the refresh's values differ: the decision holds on the fresh content.
    if (!reread(i) || !sameDecision(rec, asRead)) {
        m_lastSaveFailure = failure;
        return false;
    }
    rec.remindTime = remindTime;
    if (save(i))
        return true;
    const SaveFailure again = m_lastSaveFailure;
    reread(i);
    m_lastSaveFailure = again;
    return false;
}

void Bookmarks::markGone(int i)
{
    if (isValidIndex(i))
        item(i)->remindTime = goneFromFolder;
}

bool Bookmarks::reread(int i)
{
    std::unique_ptr<BookmarkRec> fresh =
        readRecord(item(i)->fileName, m_env.intervals().remindInterval);
    if (!fresh) {
        markGone(i);
        return false;
    }
    adopt(i, std::move(*fresh));
    return true;
}

bool Bookmarks::takeOutsideRefresh(int i)
{
    if (!isValidIndex(i) || item(i)->url.isEmpty())
        return false;
    const BookmarkRec &rec = *item(i);
    std::unique_ptr<BookmarkRec> fresh = readRecord(rec.fileName, m_env.intervals().remindInterval);
    if (!fresh || fresh->storedState == rec.storedState || !sameDecision(*fresh, rec))
        return false;
    adopt(i, std::move(*fresh));
    return true;
}

void Bookmarks::adopt(int i, BookmarkRec &&fresh)
{
    BookmarkRec &rec = *item(i);
    fresh.shown = rec.shown;
    fresh.notBefore = rec.notBefore;
    rec = std::move(fresh);
}

bool Bookmarks::updateFile(BookmarkRec &rec, const std::function<bool(IniDocument &)> &change)
{
    size_t written = 0;
    bool read = false;
    bool current = false;
    const bool saved = iniUpdate(
        rec.fileName,
        [&](IniDocument &doc) {
            read = true;
            current = holdsRecord(doc, rec);
            if (!current || !change(doc))
                return false;
            written = stateFingerprint(doc);
            return true;
        },
        *m_env.writeOps);
    if (saved)
        rec.storedState = written;
    m_lastSaveFailure = saved ? SaveFailure::None : whyNotSaved(rec, read, current);
    return saved;
}

bool Bookmarks::useNewAddress(int i)
{
    m_lastSaveFailure = SaveFailure::NoAddress;
    if (!isValidIndex(i) || item(i)->url.isEmpty())
        return false;
    BookmarkRec &rec = *item(i);
    if (rec.verdict != LinkVerdict::Moved || rec.storedUrl.isEmpty())
        return false;
    const bool saved = updateFile(rec, [&](IniDocument &doc) {
        return doc.setValue(shortcutSection, QStringLiteral("URL"), rec.storedUrl) &&
               doc.setValue(stateSection, stateKeys[15], verdictName(LinkVerdict::Ok));
    });
    if (saved) {
        rec.url = rec.storedUrl;
        rec.verdict = LinkVerdict::Ok;
    } else if (m_lastSaveFailure == SaveFailure::Changed) {
        reread(i); // what the user sees next is what the file holds
        m_lastSaveFailure = SaveFailure::Changed;
    }
    return saved;
}

QStringList Bookmarks::removeAllState()
{
    QStringList notCleaned;
    for (const auto &rec : m_records) {
        const bool erased = !rec->url.isEmpty() &&
                            iniUpdate(
                                rec->fileName,
                                [&](IniDocument &doc) {
                                    if (readString(doc, shortcutSection, QStringLiteral("URL"),
                                                   QString()) != rec->url)
                                        return false;
                                    doc.eraseSection(stateSection);
                                    return true;
                                },
                                *m_env.writeOps);
        if (erased)
            rec->storedState = 0;
        else if (iniSectionExists(rec->fileName, stateSection))
            notCleaned.append(rec->fileName);
    }
    return notCleaned;
}

void Bookmarks::clearShown()
{
    for (const auto &rec : m_records)
        rec->shown = 0;
}

void Bookmarks::putBackAll()
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->remindTime > 0) {
            item(i)->remindTime = 1.0;
            save(i);
        }
    }
}

void Bookmarks::refreshAll()
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->remindTime >= 0) {
            item(i)->refreshed = 1.0;
            save(i);
        }
    }
}

void Bookmarks::findSubject(int i)
{
    if (!isValidIndex(i))
        return;
    BookmarkRec &rec = *item(i);
    PhraseMatch best = matchPhrase(toNarrow(rec.title));
    const PhraseMatch fromDescr = matchPhrase(toNarrow(rec.descr));
    if (fromDescr.rating > best.rating)
        best = fromDescr;
    rec.rating = best.rating;
    rec.subjectPhrase = fromNarrow(best.phrase);
    rec.match = fromNarrow(best.match);
}
