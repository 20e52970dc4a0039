#include "review.h"

#include "config/settings.h"
#include "lang/confirm.h"
#include "lang/phrases.h"
#include "platform/files.h"
#include "platform/webaddress.h"
#include "refresh/engine.h"
#include "reviewlinks.h"
#include "store/bookmarks.h"
#include "store/ini.h"
#include "store/scan.h"
#include "store/subject.h"
#include "store/textutil.h"

#include <cmath>

namespace {
// Keeps ActionDepth raised for as long as an action runs, whichever way it returns.
class TActionScope final
{
  public:
    explicit TActionScope(TReview &review) : m_review(review) { m_review.BeginAction(); }
    ~TActionScope() { m_review.EndAction(); }
    TActionScope(const TActionScope &) = delete;
    TActionScope &operator=(const TActionScope &) = delete;

  private:
    TReview &m_review;
};

bool IsRemindDays(int tag)
{
    return tag == 1 || tag == 3 || tag == 7 || tag == 30;
}
} // namespace

bool TReview::actOnEntry(int row, int tag)
{
    TActionScope scope(*this);
    const int index = EntryAt(row);
    if (!DispatchTag(index, tag))
        return false;
    RemoveShownBookmark(index);
    if (AllEntriesEmpty()) {
        m_view.SayFarewell(-1, NextShowingDay());
    } else {
        UpdateView();
        m_view.ShowAll();
    }
    return true;
}

bool TReview::actInBookmarkWindow(int row, int tag)
{
    TActionScope scope(*this);
    const int index = EntryAt(row);
    if (!DispatchTag(index, tag))
        return false;
    RemoveShownBookmark(index);
    if (AllEntriesEmpty())
        m_view.SayFarewell(row, NextShowingDay());
    else
        m_view.RemoveBookmarkWindow(row);
    return true;
}

bool TReview::openEntry(int row)
{
    return OpenAction(EntryAt(row));
}

bool TReview::DispatchTag(int index, int tag)
{
    switch (tag) {
    case SuggestTag:
        SuggestAction(index, QString());
        return false; // a suggestion never settles the bookmark
    case UseNewAddressTag:
        UseNewAddressAction(index);
        return false; // nor does a new address
    case DeleteTag:
        return DeleteAction(index);
    case KeepTag:
        return KeepAction(index);
    case RemindTag:
        return RemindAction(index, Settings.RemindInterval);
    default:
        return IsRemindDays(tag) && RemindAction(index, tag);
    }
}

// The windows come back by themselves on the first day with a bookmark due, but not before
// tomorrow: what is due today already comes on the next click.
TDateTime TReview::NextShowingDay() const
{
    TDateTime next = -1;
    for (int i = 0; i < m_bookmarks->Count(); ++i) {
        const TDateTime remind = m_bookmarks->Item(i)->RemindTime;
        if (remind >= 0 && (next < 0 || remind < next))
            next = remind;
    }
    return next < 0 ? 0 : std::max(std::floor(next), std::floor(m_now()) + 1);
}

void TReview::RemoveShownBookmark(int index)
{
    for (int &entry : m_entries)
        if (entry == index)
            entry = -1;
    if (m_engine->IsDownloadingIndex(index))
        m_engine->AbortDownload();
}

bool TReview::KeepAction(int index)
{
    TActionScope scope(*this);
    const std::optional<Identity> identity = IdentityOf(index);
    if (!identity || !AskAbout(index, *identity, Information, Phrase("MsgKeep"),
                               QStringLiteral("Keep"), 1, CheckedByDefault))
        return false;
    SuggestAction(index, QStringLiteral("K"));
    return Decide(index, *identity, -1.0);
}

// Only on this explicit wish does the bookmark's own address change.
bool TReview::UseNewAddressAction(int index)
{
    TActionScope scope(*this);
    const TBookmarkRec *rec = m_bookmarks->Item(index);
    if (!rec || rec->Verdict != LinkVerdict::Moved)
        return false; // nothing to take
    if (m_engine->IsDownloadingIndex(index))
        m_engine->AbortDownload();
    if (!m_bookmarks->UseNewAddress(index)) {
        ReportSaveFailure(index);
        return false;
    }
    UpdateView();
    return true;
}

bool TReview::RemindAction(int index, int days)
{
    TActionScope scope(*this);
    const std::optional<Identity> identity = IdentityOf(index);
    if (!identity || days < 0 ||
        !AskAbout(index, *identity, Information, Phrase("MsgRemind"), QStringLiteral("Remind"), 2,
                  CheckedByDefault))
        return false;
    return Decide(index, *identity, m_now() + days);
}

bool TReview::DeleteAction(int index)
{
    TActionScope scope(*this);
    const std::optional<Identity> identity = IdentityOf(index);
    if (!identity)
        return false;
    SuggestAction(index, QStringLiteral("D"));
    if (Settings.DontDelete) // the file stays, out of the rotation for good
        return Decide(index, *identity, -1.0);
    if (!AskAbout(index, *identity, Confirmation, DeleteQuestion(index), QStringLiteral("Delete"),
                  3, YesNo))
        return false;
    if (!MoveBookmarkToTrash(index))
        return false;
    // Not selected again until the folder is read anew.
    m_bookmarks->Item(index)->RemindTime = -1.0;
    return true;
}

bool TReview::OpenAction(int index)
{
    TActionScope scope(*this);
    const std::optional<Identity> identity = IdentityOf(index);
    if (!identity || !AskAbout(index, *identity, Information, Phrase("MsgWebLink"),
                               QStringLiteral("WebLink"), 4, CheckedByDefault))
        return false;
    // The address itself: no handler for shortcut files is to be relied on.
    return OpenInBrowser(identity->URL);
}

bool TReview::SuggestAction(int index, const QString &origin)
{
    TActionScope scope(*this);
    const std::optional<Identity> identity = IdentityOf(index);
    if (!identity || !m_bookmarks->HasSuggestion(index))
        return false;
    const bool offered = !origin.isEmpty();
    const QString text = FillPhrase(Phrase(offered ? "MsgSuggestBTW" : "MsgSuggest"),
                                    {m_bookmarks->MatchText(index)});
    const TConfirmOptions options =
        offered ? YesNo | StoreOnNo | SkippedMeansNo : YesNo | CheckedByDefault;
    if (!AskAbout(index, *identity, Information, text, QStringLiteral("Suggest") + origin, 14,
                  options))
        return false;
    if (Settings.SuggestServer.isEmpty())
        return OpenSubjectPage(index);
    const QByteArray query = QueryForm(m_bookmarks->PhraseText(index));
    return OpenInBrowser(LinkCollectionAddress(Settings.SuggestServer, query,
                                               offered ? origin : QStringLiteral("S")));
}

bool TReview::OpenSubjectPage(int index)
{
    const QString page = WriteSubjectPage(*m_bookmarks, index);
    const QString why = page.isEmpty() ? Phrase("ErrPageNotWritten") : m_opener.OpenFile(page);
    if (!why.isEmpty())
        m_view.ShowError(FillPhrase(Phrase("ErrOpenBrowser"), {displayFileName(page), why}));
    return why.isEmpty();
}

std::optional<TReview::Identity> TReview::IdentityOf(int index) const
{
    const TBookmarkRec *rec = m_bookmarks->Item(index);
    if (!rec)
        return std::nullopt;
    return Identity{rec->FileName, rec->URL};
}

bool TReview::StillNames(int index, const Identity &identity) const
{
    const TBookmarkRec *rec = m_bookmarks->Item(index);
    return rec && rec->FileName == identity.FileName && rec->URL == identity.URL;
}

bool TReview::AskAbout(int index, const Identity &identity, int kind, const QString &text,
                       const QString &key, quint16 image, quint8 options)
{
    // The list may have been read anew while the question was open; then the index may
    // name another bookmark, and the action is given up.
    return m_confirmer.ShowConfirm(kind, text, key, image, options) && StillNames(index, identity);
}

bool TReview::Decide(int index, const Identity &identity, TDateTime remindTime)
{
    if (!StillNames(index, identity))
        return false;
    TBookmarkRec &rec = *m_bookmarks->Item(index);
    const TDateTime before = rec.RemindTime;
    rec.RemindTime = remindTime;
    if (m_bookmarks->Save(index))
        return true;
    // Not stored means not decided: the bookmark stays as it was, and the user learns why.
    rec.RemindTime = before;
    ReportSaveFailure(index);
    return false;
}

void TReview::ReportSaveFailure(int index)
{
    const QString name = m_bookmarks->DisplayName(index);
    if (m_bookmarks->Item(index)->URL.isEmpty())
        m_view.ShowError(FillPhrase(Phrase("ErrSaveNoAddress"), {name}));
    else if (!StillOnDisk(index))
        m_view.ShowError(FillPhrase(Phrase("ErrSaveChanged"), {name}));
    else
        m_view.ShowError(FillPhrase(Phrase("ErrSaveFailed"), {name}));
}

bool TReview::StillOnDisk(int index) const
{
    const TBookmarkRec &rec = *m_bookmarks->Item(index);
    if (!rec.URL.isEmpty())
        return m_bookmarks->IsUnchanged(index);
    // A shortcut without an address can still be deleted while it has none.
    const std::optional<platform::FileStamp> stamp = platform::stampOf(rec.FileName);
    return stamp && stamp->regular &&
           IniReadString(rec.FileName, QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                         QString())
               .isEmpty();
}

bool TReview::MoveBookmarkToTrash(int index)
{
    const QString name = m_bookmarks->DisplayName(index);
    // The file may have been edited or replaced while the question was open.
    if (!StillOnDisk(index)) {
        m_view.ShowError(FillPhrase(Phrase("ErrDeleteChanged"), {name}));
        return false;
    }
    if (!m_trash.MoveToTrash(m_bookmarks->Item(index)->FileName)) {
        m_view.ShowError(FillPhrase(Phrase("ErrDeleteFailed"), {name}));
        return false;
    }
    OfferEmptyFolder(WideExtractFilePath(m_bookmarks->Item(index)->FileName));
    return true;
}

void TReview::OfferEmptyFolder(const QString &folder)
{
    const QString &favorites = m_bookmarks->FavoritesPath();
    const QString empty = TopmostEmptyFolder(favorites, folder);
    QString relative = empty.mid(favorites.size());
    if (relative.endsWith(u'/'))
        relative.chop(1);
    if (relative.isEmpty())
        return;
    if (!m_confirmer.ShowConfirm(Confirmation,
                                 FillPhrase(Phrase("MsgEmptyTree"), {displayFileName(relative)}),
                                 QStringLiteral("EmptyTree"), 13, YesNo))
        return;
    // Something may have been put into the folder while the question was open.
    if (TopmostEmptyFolder(favorites, folder) == empty)
        m_trash.MoveToTrash(favorites + relative);
}

bool TReview::OpenInBrowser(const QString &address)
{
    if (!platform::IsWebAddress(address)) {
        m_view.ShowError(FillPhrase(Phrase("ErrNotWebAddress"), {address}));
        return false;
    }
    const QString why = m_opener.OpenAddress(address);
    if (!why.isEmpty())
        m_view.ShowError(FillPhrase(Phrase("ErrOpenBrowser"), {address, why}));
    return why.isEmpty();
}

QString TReview::DeleteQuestion(int index) const
{
    QString text = FillPhrase(Phrase("MsgDeleteA"), {m_bookmarks->DisplayName(index)});
    const QString folder = m_bookmarks->FolderName(index);
    if (!folder.isEmpty())
        text += FillPhrase(Phrase("MsgDeleteB"), {folder});
    return text + Phrase("MsgDeleteC");
}
