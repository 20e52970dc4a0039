#pragma once

#include "reviewrows.h"

#include <functional>
#include <optional>
#include <vector>

class BookmarkChooser;
class ReviewRefresh;

// The action codes carried as Tag by the buttons and menu items of the entries; a positive
// Tag of 1, 3, 7 or 30 reminds after that many days.
enum ActionTag {
    DeleteCopyTag = -5,
    UseNewAddressTag = -4,
    SuggestTag = -3,
    DeleteTag = -2,
    KeepTag = -1,
    RemindTag = 0
};

// The user's decisions on one bookmark, each with its question. What an action acts on is
// checked again after every question, and a file that someone else changed meanwhile is left
// alone: nothing is lost silently, and never is the wrong file touched.
class BookmarkActions final
{
  public:
    BookmarkActions(const ReviewCommon &common, BookmarkChooser &chooser, ReviewRefresh &refresh,
                    Confirmer &confirmer, AddressOpener &opener, Trash &trash);

    // An action by Tag on the bookmark of a row, from the main window's pocket entries or
    // from the row's bookmark window. True when done.
    bool actOnEntry(int row, int tag);
    bool actInBookmarkWindow(int row, int tag);
    bool openEntry(int row); // opens the row's bookmark in the browser

    // Each answers whether it took place.
    bool keepAction(int index);
    bool useNewAddressAction(int index);
    bool remindAction(int index, int days);
    bool deleteAction(int index, bool copy = false); // a copy: no subject question
    bool openAction(int index);
    // True when the browser was opened; origin "" when asked for, "K" on the way of a keep,
    // "D" on the way of a delete.
    bool suggestAction(int index, const QString &origin);
    // The same decisions on several bookmarks at once, as the broken-links window asks: one
    // question for all (a delete names the count), then the checks of the single action
    // for each. Each answers how many took place.
    int deleteSeveral(const std::vector<int> &indexes);
    int keepSeveral(const std::vector<int> &indexes);
    void removeShownBookmark(int index);
    DateTime nextShowingDay() const; // 0 when no bookmark is in the rotation

  private:
    struct Identity
    {
        QString fileName;
        QString url;
    };

    bool dispatchTag(int index, int tag);
    std::optional<Identity> identityOf(int index) const;
    bool stillNames(int index, const Identity &identity) const;
    bool askAbout(int index, const Identity &identity, int kind, const QString &text,
                  const QString &key, quint16 image, quint8 options);
    bool decide(int index, const Identity &identity, DateTime remindTime);
    bool deleteDecided(int index, const Identity &identity); // the question was answered
    int settleSeveral(const std::vector<int> &indexes, int kind, const QString &text,
                      const QString &key, quint16 image, quint8 options,
                      const std::function<bool(int, const Identity &)> &settle);
    void reportSaveFailure(int index);
    bool stillOnDisk(int index) const;
    bool isGone(int index) const;
    bool moveBookmarkToTrash(int index);
    void offerEmptyFolder(const QString &folder);
    bool openInBrowser(const QString &address);
    bool openSubjectPage(int index);
    QString deleteQuestion(int index) const;
    void showError(QByteArrayView key, const QStringList &arguments);

    ReviewCommon m_common;
    Bookmarks &m_bookmarks;
    BookmarkChooser &m_chooser;
    ReviewRefresh &m_refresh;
    Confirmer &m_confirmer;
    AddressOpener &m_opener;
    Trash &m_trash;
};
