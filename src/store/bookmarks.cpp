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
const QString ShortcutSection = QStringLiteral("InternetShortcut");
const QString StateSection = QStringLiteral("Merkwerk");

// The keys of the own section, in the order they are written.
const QList<QString> StateKeys = {
    QStringLiteral("Title"),         QStringLiteral("Descr"),      QStringLiteral("URL"),
    QStringLiteral("ReferenceTime"), QStringLiteral("Refreshed"),  QStringLiteral("RefreshState"),
    QStringLiteral("RefreshMsg"),    QStringLiteral("RemindTime"), QStringLiteral("Phrase"),
    QStringLiteral("Match"),         QStringLiteral("Rating"),     QStringLiteral("Checks"),
    QStringLiteral("CheckTimes"),    QStringLiteral("LastOK"),     QStringLiteral("FailSince"),
    QStringLiteral("Verdict"),       QStringLiteral("Evidence")};
// The eleven keys every save writes; the link check's keys follow once a link was checked.
constexpr qsizetype BaseKeyCount = 11;

// The fields stored as hex texts, by the number of their key; the others are numbers.
const std::array<QString TBookmarkRec::*, 17> TextFields = {&TBookmarkRec::Title,
                                                            &TBookmarkRec::Descr,
                                                            &TBookmarkRec::StoredURL,
                                                            nullptr,
                                                            nullptr,
                                                            nullptr,
                                                            &TBookmarkRec::RefreshMsg,
                                                            nullptr,
                                                            &TBookmarkRec::SubjectPhrase,
                                                            &TBookmarkRec::Match,
                                                            nullptr,
                                                            nullptr,
                                                            nullptr,
                                                            nullptr,
                                                            nullptr,
                                                            nullptr,
                                                            &TBookmarkRec::Evidence};

// What a load reads: the browser's address and date, and the own section.
const QList<IniQuery> ReadQueries = {
    {ShortcutSection, {QStringLiteral("URL"), QStringLiteral("Modified")}},
    {StateSection, StateKeys}};

constexpr TDateTime KeptForGood = -1.0;

// FNV-1a over the key's number and its value's code units; cheap enough for every load.
size_t MixIn(size_t hash, qsizetype key, QStringView value)
{
    constexpr uint64_t Prime = 0x100000001B3ULL;
    uint64_t h = (uint64_t(hash) ^ uint64_t(key + 1)) * Prime;
    for (const QChar c : value)
        h = (h ^ c.unicode()) * Prime;
    return size_t((h ^ uint64_t(value.size())) * Prime);
}

// Tells whether the own section still holds what was read or last written: a hash over the
// keys that are present and their values.
size_t StateFingerprint(const IniDocument &doc)
{
    size_t hash = 0;
    doc.forEachValue(StateSection, StateKeys,
                     [&](qsizetype k, QStringView value) { hash = MixIn(hash, k, value); });
    return hash;
}

int64_t WholeMsBetween(TDateTime a, TDateTime b)
{
    return std::llabs(DateTimeToMs(a) - DateTimeToMs(b));
}

// The file still holds the address and state the record was read from (or last wrote).
bool HoldsRecord(const IniDocument &doc, const TBookmarkRec &rec)
{
    // One pass over the file, as a load reads it.
    bool sameAddress = rec.URL.isEmpty();
    size_t fingerprint = 0;
    doc.forEachValue(ReadQueries, [&](qsizetype query, qsizetype k, QStringView value) {
        if (query == 1)
            fingerprint = MixIn(fingerprint, k, value);
        else if (k == 0)
            sameAddress = value == rec.URL;
    });
    return sameAddress && fingerprint == rec.StoredState;
}

// Why a save with an address wrote nothing: read tells whether the file could be read,
// current whether it then still held the record.
SaveFailure WhyNotSaved(const TBookmarkRec &rec, bool read, bool current)
{
    if (read && !current)
        return SaveFailure::Changed;
    const std::optional<platform::SmallFile> file =
        platform::readSmallFile(rec.FileName, MaxIniFileSize);
    if (!file)
        return platform::stampOf(rec.FileName) ? SaveFailure::Unwritable : SaveFailure::Changed;
    if (!file->stamp.regular)
        return SaveFailure::Changed;
    if (!file->content)
        return file->stamp.size > MaxIniFileSize ? SaveFailure::TooLarge : SaveFailure::Unwritable;
    // The new content was ready but not written: the file changed just then, or it stayed
    // as it was and could not be replaced.
    return HoldsRecord(IniDocument::parse(*file->content), rec) ? SaveFailure::Unwritable
                                                                : SaveFailure::Changed;
}

// The values of the link check's keys.
void readCheckValue(TBookmarkRec &rec, qsizetype k, QStringView value)
{
    switch (k) {
    case 11:
        rec.History.Checks = StoredChecks(value);
        break;
    case 12:
        rec.History.CheckTimes = StoredCheckTimes(value);
        break;
    case 13:
        rec.History.LastOK = StoredDateTime(value).value_or(0.0);
        break;
    case 14:
        rec.History.FailSince = StoredDateTime(value).value_or(0.0);
        break;
    case 15:
        rec.Verdict = VerdictFromName(TrimBlanks(value));
        break;
    }
}
} // namespace

namespace {
QString WithSlash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}
} // namespace

TBookmarks::TBookmarks(const QString &favoritesPath, TBookmarksEnv env)
    : m_favoritesPath(WithSlash(favoritesPath)), m_env(std::move(env))
{
    Load();
}

int TBookmarks::LoadFrom(const QString &favoritesPath)
{
    m_favoritesPath = WithSlash(favoritesPath);
    return Load();
}

int TBookmarks::Load()
{
    Clear();
    QStringList files;
    TFolderScan scan(
        [&](const QString &folderPath, const QString &name) { files << folderPath + name; });
    scan.Run(m_favoritesPath);
    m_folders = scan.Folders();
    // Reading the files is most of a load; several threads share it, each record keeping
    // its place in scan order.
    const int remindInterval = m_env.Intervals().RemindInterval;
    std::vector<std::unique_ptr<TBookmarkRec>> read(size_t(files.size()));
    ForEachIndex(files.size(), m_env.ReadThreads,
                 [&](qsizetype i) { read[size_t(i)] = ReadRecord(files[i], remindInterval); });
    for (auto &rec : read)
        if (rec)
            m_records.push_back(std::move(rec));
    return Count();
}

void TBookmarks::Clear()
{
    m_records.clear();
    m_folders.clear();
}

std::unique_ptr<TBookmarkRec> TBookmarks::ReadRecord(const QString &fileName, int remindInterval)
{
    std::optional<platform::SmallFile> file = platform::readSmallFile(fileName, MaxIniFileSize);
    if (!file) {
        // Cannot be opened (no permission): still a bookmark when it is a regular file.
        const std::optional<platform::FileStamp> stamp = platform::stampOf(fileName);
        if (!stamp)
            return nullptr;
        file = platform::SmallFile{*stamp, std::nullopt};
    }
    if (!file->stamp.regular)
        return nullptr; // replaced by something else since the listing
    auto rec = std::make_unique<TBookmarkRec>();
    rec->FileName = fileName;
    rec->ReferenceTime = EarliestStamp(file->stamp);
    ReadState(*rec, file->content ? IniDocument::parse(*file->content) : IniDocument(),
              remindInterval);
    return rec;
}

void TBookmarks::ReadState(TBookmarkRec &rec, const IniDocument &doc, int remindInterval)
{
    std::optional<TDateTime> modified;
    std::optional<TDateTime> storedReference;
    std::optional<TDateTime> remindTime;
    bool kept = false;
    size_t fingerprint = 0;
    // One pass over the file for both sections, whichever order they stand in.
    doc.forEachValue(ReadQueries, [&](qsizetype query, qsizetype k, QStringView value) {
        if (query == 0) {
            if (k == 0)
                rec.URL = value.toString();
            else
                modified = ModifiedOf(value);
            return;
        }
        fingerprint = MixIn(fingerprint, k, value);
        if (QString TBookmarkRec::*text = TextFields[size_t(k)]) {
            rec.*text = DecodeHexText(value);
            return;
        }
        switch (k) {
        case 3:
            storedReference = StoredDateTime(value);
            break;
        case 4:
            rec.Refreshed = StoredDateTime(value).value_or(0.0);
            break;
        case 5:
            rec.RefreshState = ParseInteger(value).value_or(0);
            break;
        case 7:
            kept = HexToInt64(value) == int64_t(DateTimeBits(KeptForGood));
            remindTime = StoredDateTime(value);
            break;
        case 10:
            rec.Rating = ParseInteger(value).value_or(0);
            break;
        default:
            readCheckValue(rec, k, value);
        }
    });
    // Times beyond the codes belong to no check.
    rec.History.CheckTimes.resize(
        std::min(rec.History.CheckTimes.size(), rec.History.Checks.size()));
    // The earliest date known, unless one was fixed in the file; a new bookmark is due
    // RemindInterval days after it.
    if (modified && *modified > 0 && *modified < rec.ReferenceTime)
        rec.ReferenceTime = *modified;
    rec.ReferenceTime = storedReference.value_or(rec.ReferenceTime);
    rec.RemindTime = kept ? KeptForGood : remindTime.value_or(rec.ReferenceTime + remindInterval);
    rec.Evidence.truncate(MaxEvidenceLength);
    rec.StoredState = fingerprint;
}

bool TBookmarks::IsValidIndex(int i) const
{
    return i >= 0 && i < Count();
}

TBookmarkRec *TBookmarks::Item(int i)
{
    return IsValidIndex(i) ? m_records[size_t(i)].get() : nullptr;
}

const TBookmarkRec *TBookmarks::Item(int i) const
{
    return IsValidIndex(i) ? m_records[size_t(i)].get() : nullptr;
}

QString TBookmarks::DisplayName(int i) const
{
    if (!IsValidIndex(i))
        return QString();
    const QString name = WideExtractFileName(Item(i)->FileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    return displayFileName(dot < 0 ? name : name.left(dot));
}

QString TBookmarks::FolderName(int i) const
{
    if (!IsValidIndex(i))
        return QString();
    QString folder = WideExtractFilePath(Item(i)->FileName).mid(m_favoritesPath.size());
    if (folder.endsWith(u'/'))
        folder.chop(1);
    return displayFileName(folder);
}

bool TBookmarks::IsActive(int i) const
{
    return IsValidIndex(i) && Item(i)->RemindTime >= 0;
}

bool TBookmarks::IsKept(int i) const
{
    return IsValidIndex(i) && Item(i)->RemindTime == KeptForGood;
}

bool TBookmarks::IsRemindDue(int i) const
{
    return IsActive(i) && m_env.Now() >= Item(i)->RemindTime;
}

bool TBookmarks::IsRefreshDue(int i) const
{
    if (!IsActive(i))
        return false;
    const TBookmarkRec &rec = *Item(i);
    const TDateTime refreshed = IsStoredDateTime(rec.Refreshed) ? rec.Refreshed : 0.0;
    const TDateTime now = m_env.Now();
    const int64_t ms = WholeMsBetween(IsStoredDateTime(now) ? now : 0.0, refreshed);
    const TIntervals intervals = m_env.Intervals();
    if (now < rec.NotBefore)
        return false;
    if (rec.Verdict != LinkVerdict::None)
        return ms >= RecheckDelayMs(rec.Verdict, FailedRunLength(rec.History.Checks),
                                    intervals.RefreshAfterFail, intervals.RefreshInterval);
    if (rec.RefreshState < 0)
        return ms / 60000 >= intervals.RefreshAfterFail;
    return ms / MsPerDay >= intervals.RefreshInterval;
}

bool TBookmarks::IsUnchanged(int i) const
{
    if (!IsValidIndex(i) || Item(i)->URL.isEmpty())
        return false;
    return IniReadString(Item(i)->FileName, ShortcutSection, QStringLiteral("URL"), QString()) ==
           Item(i)->URL;
}

bool TBookmarks::HasSuggestion(int i) const
{
    if (!IsValidIndex(i))
        return false;
    const TBookmarkRec &rec = *Item(i);
    return rec.Rating >= 1 && !rec.SubjectPhrase.isEmpty() && !rec.Match.isEmpty();
}

QString TBookmarks::MatchText(int i) const
{
    return IsValidIndex(i) ? Item(i)->Match : QString();
}

QByteArray TBookmarks::PhraseText(int i) const
{
    return IsValidIndex(i) ? ToNarrow(Item(i)->SubjectPhrase) : QByteArray();
}

int TBookmarks::CountWhere(bool (TBookmarks::*test)(int) const) const
{
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        count += (this->*test)(i) ? 1 : 0;
    return count;
}

int TBookmarks::ActiveCount() const
{
    return CountWhere(&TBookmarks::IsActive);
}

int TBookmarks::KeptCount() const
{
    return CountWhere(&TBookmarks::IsKept);
}

int TBookmarks::RefreshDueCount() const
{
    return CountWhere(&TBookmarks::IsRefreshDue);
}

int TBookmarks::NotDueCount() const
{
    return Count() - RefreshDueCount();
}

bool TBookmarks::Save(int i)
{
    m_lastSaveFailure = SaveFailure::NoAddress;
    if (!IsValidIndex(i) || Item(i)->URL.isEmpty())
        return false;
    TBookmarkRec &rec = *Item(i);
    for (QString TBookmarkRec::*text : TextFields)
        if (text)
            rec.*text = CutStoredText(rec.*text);
    rec.Evidence.truncate(MaxEvidenceLength);
    const std::array<QString, 17> values = {HexValue(rec.Title),
                                            HexValue(rec.Descr),
                                            HexValue(rec.StoredURL),
                                            DateTimeValue(rec.ReferenceTime),
                                            DateTimeValue(rec.Refreshed),
                                            QString::number(rec.RefreshState),
                                            HexValue(rec.RefreshMsg),
                                            DateTimeValue(rec.RemindTime),
                                            HexValue(rec.SubjectPhrase),
                                            HexValue(rec.Match),
                                            QString::number(rec.Rating),
                                            rec.History.Checks,
                                            CheckTimesValue(rec.History.CheckTimes),
                                            DateTimeValue(rec.History.LastOK),
                                            DateTimeValue(rec.History.FailSince),
                                            VerdictName(rec.Verdict),
                                            HexValue(rec.Evidence)};
    const qsizetype keys = rec.Verdict == LinkVerdict::None ? BaseKeyCount : StateKeys.size();
    return UpdateFile(rec, [&](IniDocument &doc) {
        return doc.setValues(StateSection, StateKeys.first(keys),
                             std::span(values).first(size_t(keys)));
    });
}

bool TBookmarks::UpdateFile(TBookmarkRec &rec, const std::function<bool(IniDocument &)> &change)
{
    size_t written = 0;
    bool read = false;
    bool current = false;
    const bool saved = IniUpdate(
        rec.FileName,
        [&](IniDocument &doc) {
            read = true;
            current = HoldsRecord(doc, rec);
            if (!current || !change(doc))
                return false;
            written = StateFingerprint(doc);
            return true;
        },
        *m_env.WriteOps);
    if (saved)
        rec.StoredState = written;
    m_lastSaveFailure = saved ? SaveFailure::None : WhyNotSaved(rec, read, current);
    return saved;
}

bool TBookmarks::UseNewAddress(int i)
{
    m_lastSaveFailure = SaveFailure::NoAddress;
    if (!IsValidIndex(i) || Item(i)->URL.isEmpty())
        return false;
    TBookmarkRec &rec = *Item(i);
    if (rec.Verdict != LinkVerdict::Moved || rec.StoredURL.isEmpty())
        return false;
    const bool saved = UpdateFile(rec, [&](IniDocument &doc) {
        return doc.setValue(ShortcutSection, QStringLiteral("URL"), rec.StoredURL) &&
               doc.setValue(StateSection, StateKeys[15], VerdictName(LinkVerdict::Ok));
    });
    if (saved) {
        rec.URL = rec.StoredURL;
        rec.Verdict = LinkVerdict::Ok;
    }
    return saved;
}

QStringList TBookmarks::RemoveAllState()
{
    QStringList notCleaned;
    for (const auto &rec : m_records) {
        const bool erased = !rec->URL.isEmpty() &&
                            IniUpdate(
                                rec->FileName,
                                [&](IniDocument &doc) {
                                    if (ReadString(doc, ShortcutSection, QStringLiteral("URL"),
                                                   QString()) != rec->URL)
                                        return false;
                                    doc.eraseSection(StateSection);
                                    return true;
                                },
                                *m_env.WriteOps);
        if (erased)
            rec->StoredState = 0;
        else if (IniSectionExists(rec->FileName, StateSection))
            notCleaned.append(rec->FileName);
    }
    return notCleaned;
}

void TBookmarks::ClearShown()
{
    for (const auto &rec : m_records)
        rec->Shown = 0;
}

void TBookmarks::PutBackAll()
{
    for (int i = 0; i < Count(); ++i) {
        if (Item(i)->RemindTime > 0) {
            Item(i)->RemindTime = 1.0;
            Save(i);
        }
    }
}

void TBookmarks::RefreshAll()
{
    for (int i = 0; i < Count(); ++i) {
        if (Item(i)->RemindTime >= 0) {
            Item(i)->Refreshed = 1.0;
            Save(i);
        }
    }
}

void TBookmarks::FindSubject(int i)
{
    if (!IsValidIndex(i))
        return;
    TBookmarkRec &rec = *Item(i);
    TPhraseMatch best = MatchPhrase(ToNarrow(rec.Title));
    const TPhraseMatch fromDescr = MatchPhrase(ToNarrow(rec.Descr));
    if (fromDescr.Rating > best.Rating)
        best = fromDescr;
    rec.Rating = best.Rating;
    rec.SubjectPhrase = FromNarrow(best.Phrase);
    rec.Match = FromNarrow(best.Match);
}
