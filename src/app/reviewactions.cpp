#include "reviewactions.h"

#include "lang/confirm.h"
#include "lang/phrases.h"
#include "platform/files.h"
#include "platform/webaddress.h"
#include "reviewchooser.h"
#include "reviewlinks.h"
#include "reviewrefresh.h"
#include "store/ini.h"
#include "store/scan.h"
#include "store/subject.h"
#include "store/textutil.h"

#include <cmath>

namespace {
bool isRemindDays(int tag)
{
    return tag == 1 || tag == 3 || tag == 7 || tag == 30;
}
} // namespace

BookmarkActions::BookmarkActions(const ReviewCommon &common, BookmarkChooser &chooser,
                                 ReviewRefresh &refresh, Confirmer &confirmer,
                                 AddressOpener &opener, Trash &trash)
    : m_common(common), m_bookmarks(common.bookmarks), m_chooser(chooser), m_refresh(refresh),
      m_confirmer(confirmer), m_opener(opener), m_trash(trash)
{
}

bool BookmarkActions::actOnEntry(int row, int tag)
{
    ActionScope scope(m_common.rows);
    const int index = m_common.rows.entryAt(row);
    if (!dispatchTag(index, tag) && !isGone(index))
        return false;
    removeShownBookmark(index);
    if (m_common.rows.allEmpty()) {
        m_common.view.sayFarewell(-1, nextShowingDay());
    } else {
        m_chooser.updateView();
        m_common.view.showAll();
    }
    return true;
}

bool BookmarkActions::actInBookmarkWindow(int row, int tag)
{
    ActionScope scope(m_common.rows);
    const int index = m_common.rows.entryAt(row);
    if (!dispatchTag(index, tag) && !isGone(index))
        return false;
    removeShownBookmark(index);
    if (m_common.rows.allEmpty())
        m_common.view.sayFarewell(row, nextShowingDay());
    else
        m_common.view.removeBookmarkWindow(row);
    return true;
}

bool BookmarkActions::openEntry(int row)
{
    return openAction(m_common.rows.entryAt(row));
}

bool BookmarkActions::dispatchTag(int index, int tag)
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
    case DeleteCopyTag:
        return deleteAction(index, true);
    case KeepTag:
        return keepAction(index);
    case RemindTag:
        return remindAction(index, m_common.options.intervals.remindInterval);
    default:
        return isRemindDays(tag) && remindAction(index, tag);
    }
}

// The windows come back by themselves on the first day with a bookmark due, but not before
// tomorrow: what is due today already comes on the next click.
DateTime BookmarkActions::nextShowingDay() const
{
    DateTime next = -1;
    for (int i = 0; i < m_bookmarks.count(); ++i) {
        const DateTime remind = m_bookmarks.item(i)->remindTime;
        if (remind >= 0 && (next < 0 || remind < next))
            next = remind;
    }
    return next < 0 ? 0 : std::max(std::floor(next), std::floor(m_common.now()) + 1);
}

void BookmarkActions::removeShownBookmark(int index)
{
    m_common.rows.dropWhere([index](int shown) { return shown == index; });
    m_refresh.cancelFor(index);
}

bool BookmarkActions::keepAction(int index)
{
    ActionScope scope(m_common.rows);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !askAbout(index, *identity, Information, m_common.texts("MsgKeep"),
                               QStringLiteral("Keep"), 1, CheckedByDefault))
        return false;
    suggestAction(index, QStringLiteral("K"));
    return decide(index, *identity, -1.0);
}

// Only on this explicit wish does the bookmark's own address change.
bool BookmarkActions::useNewAddressAction(int index)
{
    ActionScope scope(m_common.rows);
    const BookmarkRec *rec = m_bookmarks.item(index);
    if (!rec || rec->verdict != LinkVerdict::Moved)
        return false; // nothing to take
    m_refresh.cancelFor(index);
    const bool saved = m_bookmarks.useNewAddress(index);
    if (!saved)
        reportSaveFailure(index);
    m_chooser.updateView();
    return saved;
}

bool BookmarkActions::remindAction(int index, int days)
{
    ActionScope scope(m_common.rows);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || days < 0 ||
        !askAbout(index, *identity, Information, m_common.texts("MsgRemind"),
                  QStringLiteral("Remind"), 2, CheckedByDefault))
        return false;
    return decide(index, *identity, m_common.now() + days);
}

bool BookmarkActions::deleteAction(int index, bool copy)
{
    ActionScope scope(m_common.rows);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity)
        return false;
    if (!copy) // a copy goes while its bookmark stays: no subject to look for
        suggestAction(index, QStringLiteral("D"));
    if (!m_common.options.dontDelete &&
        !askAbout(index, *identity, Confirmation, deleteQuestion(index), QStringLiteral("Delete"),
                  3, YesNo))
        return false;
    return deleteDecided(index, *identity);
}

bool BookmarkActions::deleteDecided(int index, const Identity &identity)
{
    if (m_common.options.dontDelete) // the file stays, out of the rotation for good
        return decide(index, identity, -1.0);
    if (!stillNames(index, identity) || !moveBookmarkToTrash(index))
        return false;
    m_bookmarks.markGone(index);
    return true;
}

int BookmarkActions::deleteSeveral(const std::vector<int> &indexes)
{
    const qint64 count = qint64(indexes.size());
    const QString text =
        m_common.options.dontDelete
            ? QString()
            : m_common.texts("MsgDeleteSeveral" + countSuffix(count), {QString::number(count)});
    return settleSeveral(
        indexes, Confirmation, text, QStringLiteral("DeleteSeveral"), 3, YesNo,
        [this](int index, const Identity &identity) { return deleteDecided(index, identity); });
}

int BookmarkActions::keepSeveral(const std::vector<int> &indexes)
{
    return settleSeveral(indexes, Information, m_common.texts("MsgKeep"), QStringLiteral("Keep"), 1,
                         CheckedByDefault, [this](int index, const Identity &identity) {
                             return decide(index, identity, -1.0);
                         });
}

// Asks once (an empty text asks nothing), then settles each bookmark that is still the one
// chosen; the settled ones leave the rows.
int BookmarkActions::settleSeveral(const std::vector<int> &indexes, int kind, const QString &text,
                                   const QString &key, quint16 image, quint8 options,
                                   const std::function<bool(int, const Identity &)> &settle)
{
    ActionScope scope(m_common.rows);
    std::vector<std::pair<int, Identity>> chosen;
    for (const int index : indexes)
        if (const std::optional<Identity> identity = identityOf(index))
            chosen.emplace_back(index, *identity);
    if (chosen.empty() ||
        (!text.isEmpty() && !m_confirmer.showConfirm(kind, text, key, image, options)))
        return 0;
    int done = 0;
    for (const auto &[index, identity] : chosen) {
        if (!settle(index, identity))
            continue;
        ++done;
        removeShownBookmark(index);
    }
    if (done > 0)
        m_chooser.updateView();
    return done;
}

bool BookmarkActions::openAction(int index)
{
    ActionScope scope(m_common.rows);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !askAbout(index, *identity, Information, m_common.texts("MsgWebLink"),
                               QStringLiteral("WebLink"), 4, CheckedByDefault))
        return false;
    // The address itself: no handler for shortcut files is to be relied on.
    return openInBrowser(identity->url);
}

bool BookmarkActions::suggestAction(int index, const QString &origin)
{
    ActionScope scope(m_common.rows);
    const std::optional<Identity> identity = identityOf(index);
    if (!identity || !m_bookmarks.hasSuggestion(index))
        return false;
    const bool offered = !origin.isEmpty();
    const QString text =
        m_common.texts(offered ? "MsgSuggestBTW" : "MsgSuggest", {m_bookmarks.matchText(index)});
    const ConfirmOptions options =
        offered ? YesNo | StoreOnNo | SkippedMeansNo : YesNo | CheckedByDefault;
    if (!askAbout(index, *identity, Information, text, QStringLiteral("Suggest") + origin, 14,
                  options))
        return false;
    if (m_common.options.suggestServer.isEmpty())
        return openSubjectPage(index);
    const QByteArray query = queryForm(m_bookmarks.phraseText(index));
    return openInBrowser(linkCollectionAddress(m_common.options.suggestServer, query,
                                               offered ? origin : QStringLiteral("S")));
}

bool BookmarkActions::openSubjectPage(int index)
{
    const QString page = writeSubjectPage(m_bookmarks, index, m_common.texts.language());
    const QString why =
        page.isEmpty() ? m_common.texts("ErrPageNotWritten") : m_opener.openFile(page);
    if (!why.isEmpty())
        showError("ErrOpenBrowser", {displayFileName(page), why});
    return why.isEmpty();
}

std::optional<BookmarkActions::Identity> BookmarkActions::identityOf(int index) const
{
    const BookmarkRec *rec = m_bookmarks.item(index);
    if (!rec)
        return std::nullopt;
    return Identity{rec->fileName, rec->url};
}

bool BookmarkActions::stillNames(int index, const Identity &identity) const
{
    const BookmarkRec *rec = m_bookmarks.item(index);
    return rec && rec->fileName == identity.fileName && rec->url == identity.url;
}

bool BookmarkActions::askAbout(int index, const Identity &identity, int kind, const QString &text,
                               const QString &key, quint16 image, quint8 options)
{
    // The list may have been read anew while the question was open; then the index may
    // name another bookmark, and the action is given up.
    return m_confirmer.showConfirm(kind, text, key, image, options) && stillNames(index, identity);
}

bool BookmarkActions::decide(int index, const Identity &identity, DateTime remindTime)
{
    if (!stillNames(index, identity))
        return false;
    if (m_bookmarks.saveDecision(index, remindTime))
        return true;
    // Not stored means not decided: the bookmark shows what its file holds now, and the user
    // learns why.
    reportSaveFailure(index);
    m_chooser.updateView();
    return false;
}

void BookmarkActions::reportSaveFailure(int index)
{
    const SaveFailure failure = m_bookmarks.lastSaveFailure();
    const char *key = failure == SaveFailure::NoAddress ? "ErrSaveNoAddress"
                      : failure == SaveFailure::Changed ? "ErrSaveChanged"
                                                        : "ErrSaveFailed";
    showError(key, {m_bookmarks.displayName(index)});
}

// A bookmark whose file went away meanwhile leaves the column with the message about it.
bool BookmarkActions::isGone(int index) const
{
    const BookmarkRec *rec = m_bookmarks.item(index);
    return rec && !platform::stampOf(rec->fileName);
}

bool BookmarkActions::stillOnDisk(int index) const
{
    const BookmarkRec &rec = *m_bookmarks.item(index);
    if (!rec.url.isEmpty())
        return m_bookmarks.isUnchanged(index);
    // A shortcut without an address can still be deleted while it has none.
    const std::optional<platform::FileStamp> stamp = platform::stampOf(rec.fileName);
    return stamp && stamp->regular &&
           iniReadString(rec.fileName, QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                         QString())
               .isEmpty();
}

bool BookmarkActions::moveBookmarkToTrash(int index)
{
    const QString name = m_bookmarks.displayName(index);
    // The file may have been edited or replaced while the question was open.
    if (!stillOnDisk(index)) {
        showError("ErrDeleteChanged", {name});
        return false;
    }
    if (!m_trash.moveToTrash(m_bookmarks.item(index)->fileName)) {
        showError("ErrDeleteFailed", {name});
        return false;
    }
    offerEmptyFolder(wideExtractFilePath(m_bookmarks.item(index)->fileName));
    return true;
}

void BookmarkActions::offerEmptyFolder(const QString &folder)
{
    const QString &favorites = m_bookmarks.favoritesPath();
    const QString empty = topmostEmptyFolder(favorites, folder);
    QString relative = empty.mid(favorites.size());
    if (relative.endsWith(u'/'))
        relative.chop(1);
    if (relative.isEmpty())
        return;
    if (!m_confirmer.showConfirm(Confirmation,
                                 m_common.texts("MsgEmptyTree", {displayFileName(relative)}),
                                 QStringLiteral("EmptyTree"), 13, YesNo))
        return;
    // Something may have been put into the folder while the question was open.
    if (topmostEmptyFolder(favorites, folder) == empty)
        m_trash.moveToTrash(favorites + relative);
}

bool BookmarkActions::openInBrowser(const QString &address)
{
    if (!platform::isWebAddress(address)) {
        showError("ErrNotWebAddress", {address});
        return false;
    }
    const QString why = m_opener.openAddress(address);
    if (!why.isEmpty())
        showError("ErrOpenBrowser", {address, why});
    return why.isEmpty();
}

QString BookmarkActions::deleteQuestion(int index) const
{
    QString text = m_common.texts("MsgDeleteA", {m_bookmarks.displayName(index)});
    const QString folder = m_bookmarks.folderName(index);
    if (!folder.isEmpty())
        text += m_common.texts("MsgDeleteB", {folder});
    return text + m_common.texts("MsgDeleteC");
}

void BookmarkActions::showError(QByteArrayView key, const QStringList &arguments)
{
    m_common.view.showError(m_common.texts(key, arguments));
}
