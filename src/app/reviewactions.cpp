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
class ActionScope final
{
  public:
    explicit ActionScope(Review &review) : m_review(review) { m_review.beginAction(); }
    ~ActionScope() { m_review.endAction(); }
    ActionScope(const ActionScope &) = delete;
    ActionScope &operator=(const ActionScope &) = delete;

  private:
    Review &m_review;
};

bool isRemindDays(int tag)
{
    return tag == 1 || tag == 3 || tag == 7 || tag == 30;
}
} // namespace

bool Review::actOnEntry(int row, int tag)
{
    ActionScope scope(*this);
    const int index = entryAt(row);
    if (!dispatchTag(index, tag))
        return false;
    removeShownBookmark(index);
    if (allEntriesEmpty()) {
        m_view.sayFarewell(-1, nextShowingDay());
    } else {
        updateView();
        m_view.showAll();
    }
    return true;
}

bool Review::actInBookmarkWindow(int row, int tag)
{
    ActionScope scope(*this);
    const int index = entryAt(row);
    if (!dispatchTag(index, tag))
        return false;
    removeShownBookmark(index);
    if (allEntriesEmpty())
        m_view.sayFarewell(row, nextShowingDay());
    else
        m_view.removeBookmarkWindow(row);
    return true;
}

bool Review::openEntry(int row)
{
    return openAction(entryAt(row));
}

bool Review::dispatchTag(int index, int tag)
{
    switch (tag) {
    case SuggestTag:
        suggestAction(index, QString());
        return false; // a suggestion never settles the bookmark
    case UseNewAddressTag:
        useNewAddressAction(index);
        return false; // nor does a new address
    case DeleteTag:
        return deleteAction(index);
    case KeepTag:
        return keepAction(index);
    case RemindTag:
        return remindAction(index, settings.remindInterval);
    default:
        return isRemindDays(tag) && remindAction(index, tag);
    }
}

// The windows come back by themselves on the first day with a bookmark due, but not before
// tomorrow: what is due today already comes on the next click.
DateTime Review::nextShowingDay() const
{
    DateTime next = -1;
    for (int i = 0; i < m_bookmarks->count(); ++i) {
        const DateTime remind = m_bookmarks->item(i)->remindTime;
        if (remind >= 0 && (next < 0 || remind < next))
            next = remind;
    }
    return next < 0 ? 0 : std::max(std::floor(next), std::floor(m_now()) + 1);
}

void Review::removeShownBookmark(int index)
{
    for (int &entry : m_entries)
        if (entry == index)
            entry = -1;
    if (m_engine->isDownloadingIndex(index))
        m_engine->abortDownload();
}

bool Review::keepAction(int index)
{
    ActionScope scope(*this);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !askAbout(index, *identity, Information, phrase("MsgKeep"),
                               QStringLiteral("Keep"), 1, CheckedByDefault))
        return false;
    suggestAction(index, QStringLiteral("K"));
    return decide(index, *identity, -1.0);
}

// Only on this explicit wish does the bookmark's own address change.
bool Review::useNewAddressAction(int index)
{
    ActionScope scope(*this);
    const BookmarkRec *rec = m_bookmarks->item(index);
    if (!rec || rec->verdict != LinkVerdict::Moved)
        return false; // nothing to take
    if (m_engine->isDownloadingIndex(index))
        m_engine->abortDownload();
    if (!m_bookmarks->useNewAddress(index)) {
        reportSaveFailure(index);
        return false;
    }
    updateView();
    return true;
}

bool Review::remindAction(int index, int days)
{
    ActionScope scope(*this);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || days < 0 ||
        !askAbout(index, *identity, Information, phrase("MsgRemind"), QStringLiteral("Remind"), 2,
                  CheckedByDefault))
        return false;
    return decide(index, *identity, m_now() + days);
}

bool Review::deleteAction(int index)
{
    ActionScope scope(*this);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity)
        return false;
    suggestAction(index, QStringLiteral("D"));
    if (settings.dontDelete) // the file stays, out of the rotation for good
        return decide(index, *identity, -1.0);
    if (!askAbout(index, *identity, Confirmation, deleteQuestion(index), QStringLiteral("Delete"),
                  3, YesNo))
        return false;
    if (!moveBookmarkToTrash(index))
        return false;
    // Not selected again until the folder is read anew.
    m_bookmarks->item(index)->remindTime = -1.0;
    return true;
}

bool Review::openAction(int index)
{
    ActionScope scope(*this);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !askAbout(index, *identity, Information, phrase("MsgWebLink"),
                               QStringLiteral("WebLink"), 4, CheckedByDefault))
        return false;
    // The address itself: no handler for shortcut files is to be relied on.
    return openInBrowser(identity->url);
}

bool Review::suggestAction(int index, const QString &origin)
{
    ActionScope scope(*this);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !m_bookmarks->hasSuggestion(index))
        return false;
    const bool offered = !origin.isEmpty();
    const QString text = fillPhrase(phrase(offered ? "MsgSuggestBTW" : "MsgSuggest"),
                                    {m_bookmarks->matchText(index)});
    const ConfirmOptions options =
        offered ? YesNo | StoreOnNo | SkippedMeansNo : YesNo | CheckedByDefault;
    if (!askAbout(index, *identity, Information, text, QStringLiteral("Suggest") + origin, 14,
                  options))
        return false;
    if (settings.suggestServer.isEmpty())
        return openSubjectPage(index);
    const QByteArray query = queryForm(m_bookmarks->phraseText(index));
    return openInBrowser(linkCollectionAddress(settings.suggestServer, query,
                                               offered ? origin : QStringLiteral("S")));
}

bool Review::openSubjectPage(int index)
{
    const QString page = writeSubjectPage(*m_bookmarks, index);
    const QString why = page.isEmpty() ? phrase("ErrPageNotWritten") : m_opener.openFile(page);
    if (!why.isEmpty())
        m_view.showError(fillPhrase(phrase("ErrOpenBrowser"), {displayFileName(page), why}));
    return why.isEmpty();
}

std::optional<Review::Identity> Review::identityOf(int index) const
{
    const BookmarkRec *rec = m_bookmarks->item(index);
    if (!rec)
        return std::nullopt;
    return Identity{rec->fileName, rec->url};
}

bool Review::stillNames(int index, const Identity &identity) const
{
    const BookmarkRec *rec = m_bookmarks->item(index);
    return rec && rec->fileName == identity.fileName && rec->url == identity.url;
}

bool Review::askAbout(int index, const Identity &identity, int kind, const QString &text,
                      const QString &key, quint16 image, quint8 options)
{
    // The list may have been read anew while the question was open; then the index may
    // name another bookmark, and the action is given up.
    return m_confirmer.showConfirm(kind, text, key, image, options) && stillNames(index, identity);
}

bool Review::decide(int index, const Identity &identity, DateTime remindTime)
{
    if (!stillNames(index, identity))
        return false;
    BookmarkRec &rec = *m_bookmarks->item(index);
    const DateTime before = rec.remindTime;
    rec.remindTime = remindTime;
    if (m_bookmarks->save(index))
        return true;
    // Not stored means not decided: the bookmark stays as it was, and the user learns why.
    rec.remindTime = before;
    reportSaveFailure(index);
    return false;
}

void Review::reportSaveFailure(int index)
{
    const QString name = m_bookmarks->displayName(index);
    if (m_bookmarks->item(index)->url.isEmpty())
        m_view.showError(fillPhrase(phrase("ErrSaveNoAddress"), {name}));
    else if (!stillOnDisk(index))
        m_view.showError(fillPhrase(phrase("ErrSaveChanged"), {name}));
    else
        m_view.showError(fillPhrase(phrase("ErrSaveFailed"), {name}));
}

bool Review::stillOnDisk(int index) const
{
    const BookmarkRec &rec = *m_bookmarks->item(index);
    if (!rec.url.isEmpty())
        return m_bookmarks->isUnchanged(index);
    // A shortcut without an address can still be deleted while it has none.
    const std::optional<platform::FileStamp> stamp = platform::stampOf(rec.fileName);
    return stamp && stamp->regular &&
           iniReadString(rec.fileName, QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                         QString())
               .isEmpty();
}

bool Review::moveBookmarkToTrash(int index)
{
    const QString name = m_bookmarks->displayName(index);
    // The file may have been edited or replaced while the question was open.
    if (!stillOnDisk(index)) {
        m_view.showError(fillPhrase(phrase("ErrDeleteChanged"), {name}));
        return false;
    }
    if (!m_trash.moveToTrash(m_bookmarks->item(index)->fileName)) {
        m_view.showError(fillPhrase(phrase("ErrDeleteFailed"), {name}));
        return false;
    }
    offerEmptyFolder(wideExtractFilePath(m_bookmarks->item(index)->fileName));
    return true;
}

void Review::offerEmptyFolder(const QString &folder)
{
    const QString &favorites = m_bookmarks->favoritesPath();
    const QString empty = topmostEmptyFolder(favorites, folder);
    QString relative = empty.mid(favorites.size());
    if (relative.endsWith(u'/'))
        relative.chop(1);
    if (relative.isEmpty())
        return;
    if (!m_confirmer.showConfirm(Confirmation,
                                 fillPhrase(phrase("MsgEmptyTree"), {displayFileName(relative)}),
                                 QStringLiteral("EmptyTree"), 13, YesNo))
        return;
    // Something may have been put into the folder while the question was open.
    if (topmostEmptyFolder(favorites, folder) == empty)
        m_trash.moveToTrash(favorites + relative);
}

bool Review::openInBrowser(const QString &address)
{
    if (!platform::isWebAddress(address)) {
        m_view.showError(fillPhrase(phrase("ErrNotWebAddress"), {address}));
        return false;
    }
    const QString why = m_opener.openAddress(address);
    if (!why.isEmpty())
        m_view.showError(fillPhrase(phrase("ErrOpenBrowser"), {address, why}));
    return why.isEmpty();
}

QString Review::deleteQuestion(int index) const
{
    QString text = fillPhrase(phrase("MsgDeleteA"), {m_bookmarks->displayName(index)});
    const QString folder = m_bookmarks->folderName(index);
    if (!folder.isEmpty())
        text += fillPhrase(phrase("MsgDeleteB"), {folder});
    return text + phrase("MsgDeleteC");
}
