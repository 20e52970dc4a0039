#include "bookmarks.h"

#include "hextext.h"
#include "ini.h"
#include "scan.h"
#include "subject.h"
#include "textutil.h"

#include <array>
#include <cmath>

namespace {
const QString ShortcutSection = QStringLiteral("InternetShortcut");
const QString StateSection = QStringLiteral("Merkwerk");

// The keys of the own section, in the order they are written.
const QList<QString> StateKeys = {
    QStringLiteral("Title"),         QStringLiteral("Descr"),      QStringLiteral("URL"),
    QStringLiteral("ReferenceTime"), QStringLiteral("Refreshed"),  QStringLiteral("RefreshState"),
    QStringLiteral("RefreshMsg"),    QStringLiteral("RemindTime"), QStringLiteral("Phrase"),
    QStringLiteral("Match"),         QStringLiteral("Rating")};

constexpr TDateTime KeptForGood = -1.0;

std::vector<std::optional<QString>> StateOf(const IniDocument &doc)
{
    return doc.values(StateSection, StateKeys);
}

// A stored date-time, or nothing when it is missing or no date this program writes.
std::optional<TDateTime> StoredDateTime(const std::optional<QString> &text)
{
    const int64_t bits = text && !text->isEmpty() ? HexToInt64(*text) : 0;
    const TDateTime value = DateTimeFromBits(uint64_t(bits));
    if (bits == 0 || !IsStoredDateTime(value))
        return std::nullopt;
    return value;
}

QString HexTextOf(const std::optional<QString> &text)
{
    return text ? DecodeHexText(*text) : QString();
}

int IntegerOf(const std::optional<QString> &text)
{
    return text ? ParseInteger(*text).value_or(0) : 0;
}

// The browser's "Modified" value: a FILETIME as 16 hex digits, least significant byte first.
std::optional<TDateTime> ReadModified(const IniDocument &doc)
{
    const QString text = ReadString(doc, ShortcutSection, QStringLiteral("Modified"), QString());
    const QStringView digits = TrimBlanks(QStringView(text));
    if (digits.size() < 16)
        return std::nullopt;
    uint64_t fileTime = 0;
    for (int byte = 7; byte >= 0; --byte) {
        const QStringView pair = digits.sliced(byte * 2, 2);
        const int64_t value = HexToInt64(pair.toString());
        if (value < 0 || pair[0].unicode() <= u' ' || pair[1].unicode() <= u' ')
            return std::nullopt;
        fileTime = (fileTime << 8) | uint64_t(value);
    }
    const TDateTime value = FileTimeToDateTime(fileTime);
    return IsStoredDateTime(value) ? std::optional(value) : std::nullopt;
}

TDateTime EarliestStamp(const platform::FileStamp &stamp)
{
    std::optional<TDateTime> earliest;
    auto consider = [&](const platform::FileTime &t) {
        const TDateTime value = UnixTimeToDateTime(t.seconds, t.nanoseconds);
        if (IsStoredDateTime(value) && (!earliest || value < *earliest))
            earliest = value;
    };
    if (stamp.birth)
        consider(*stamp.birth);
    consider(stamp.access);
    consider(stamp.modification);
    return earliest.value_or(0.0);
}

int64_t WholeMsBetween(TDateTime a, TDateTime b)
{
    return std::llabs(DateTimeToMs(a) - DateTimeToMs(b));
}

QString HexValue(const QString &text)
{
    return QString::fromLatin1(EncodeHexText(text));
}

QString DateTimeValue(TDateTime value)
{
    return QString::fromLatin1(Int64ToHex(int64_t(DateTimeBits(value))));
}
} // namespace

TBookmarks::TBookmarks(const QString &favoritesPath, TBookmarksEnv env)
    : m_favoritesPath(favoritesPath.isEmpty() || favoritesPath.endsWith(u'/')
                          ? favoritesPath
                          : favoritesPath + u'/'),
      m_env(std::move(env))
{
    Load();
}

int TBookmarks::Load()
{
    Clear();
    TFolderScan scan([this](const QString &folderPath, const QString &name) {
        return AddRecord(folderPath, name);
    });
    scan.Run(m_favoritesPath);
    m_folderCount = scan.FolderCount();
    return Count();
}

void TBookmarks::Clear()
{
    m_records.clear();
    m_folderCount = 0;
}

bool TBookmarks::AddRecord(const QString &folderPath, const QString &name)
{
    const QString fileName = folderPath + name;
    std::optional<platform::SmallFile> file = platform::readSmallFile(fileName, MaxIniFileSize);
    if (!file) {
        // Cannot be opened (no permission): still a bookmark when it is a regular file.
        const std::optional<platform::FileStamp> stamp = platform::stampOf(fileName);
        if (!stamp)
            return false;
        file = platform::SmallFile{*stamp, std::nullopt};
    }
    if (!file->stamp.regular)
        return false;
    auto rec = std::make_unique<TBookmarkRec>();
    rec->FileName = fileName;
    rec->ReferenceTime = EarliestStamp(file->stamp);
    ReadState(*rec, file->content ? IniDocument::parse(*file->content) : IniDocument());
    m_records.push_back(std::move(rec));
    return true;
}

void TBookmarks::ReadState(TBookmarkRec &rec, const IniDocument &doc) const
{
    rec.URL = ReadString(doc, ShortcutSection, QStringLiteral("URL"), QString());
    const std::optional<TDateTime> modified = ReadModified(doc);
    if (modified && *modified > 0 && *modified < rec.ReferenceTime)
        rec.ReferenceTime = *modified;
    const std::vector<std::optional<QString>> state = StateOf(doc);
    rec.Title = HexTextOf(state[0]);
    rec.Descr = HexTextOf(state[1]);
    rec.StoredURL = HexTextOf(state[2]);
    rec.ReferenceTime = StoredDateTime(state[3]).value_or(rec.ReferenceTime);
    rec.Refreshed = StoredDateTime(state[4]).value_or(0.0);
    rec.RefreshState = IntegerOf(state[5]);
    rec.RefreshMsg = HexTextOf(state[6]);
    const bool kept = state[7] && HexToInt64(*state[7]) == int64_t(DateTimeBits(KeptForGood));
    rec.RemindTime = kept ? KeptForGood
                          : StoredDateTime(state[7]).value_or(rec.ReferenceTime +
                                                              m_env.Intervals().RemindInterval);
    rec.SubjectPhrase = HexTextOf(state[8]);
    rec.Match = HexTextOf(state[9]);
    rec.Rating = IntegerOf(state[10]);
    rec.StoredState = state;
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
    return dot < 0 ? name : name.left(dot);
}

QString TBookmarks::FolderName(int i) const
{
    if (!IsValidIndex(i))
        return QString();
    QString folder = WideExtractFilePath(Item(i)->FileName).mid(m_favoritesPath.size());
    if (folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
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
    if (!IsValidIndex(i) || Item(i)->URL.isEmpty())
        return false;
    TBookmarkRec &rec = *Item(i);
    for (QString *text :
         {&rec.Title, &rec.Descr, &rec.StoredURL, &rec.RefreshMsg, &rec.SubjectPhrase, &rec.Match})
        *text = CutStoredText(*text);
    const std::array<QString, 11> values = {
        HexValue(rec.Title),          HexValue(rec.Descr),
        HexValue(rec.StoredURL),      DateTimeValue(rec.ReferenceTime),
        DateTimeValue(rec.Refreshed), QString::number(rec.RefreshState),
        HexValue(rec.RefreshMsg),     DateTimeValue(rec.RemindTime),
        HexValue(rec.SubjectPhrase),  HexValue(rec.Match),
        QString::number(rec.Rating)};
    std::vector<std::optional<QString>> written;
    const bool saved = IniUpdate(
        rec.FileName,
        [&](IniDocument &doc) {
            if (ReadString(doc, ShortcutSection, QStringLiteral("URL"), QString()) != rec.URL ||
                StateOf(doc) != rec.StoredState)
                return false;
            for (qsizetype k = 0; k < StateKeys.size(); ++k)
                if (!doc.setValue(StateSection, StateKeys[k], values[size_t(k)]))
                    return false;
            written = StateOf(doc);
            return true;
        },
        *m_env.WriteOps);
    if (saved)
        rec.StoredState = std::move(written);
    return saved;
}

void TBookmarks::RemoveAllState()
{
    for (const auto &rec : m_records) {
        if (rec->URL.isEmpty())
            continue;
        const bool erased = IniUpdate(
            rec->FileName,
            [&](IniDocument &doc) {
                if (ReadString(doc, ShortcutSection, QStringLiteral("URL"), QString()) != rec->URL)
                    return false;
                doc.eraseSection(StateSection);
                return true;
            },
            *m_env.WriteOps);
        if (erased)
            rec->StoredState.assign(size_t(StateKeys.size()), std::nullopt);
    }
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
