#pragma once

#include "baseform.h"
#include "lang/qtform.h"

#include <array>

class TBookmarks;
class TUCLabel;

// One bookmark in a floating window of its own: name, address, page title, description
// and time, with buttons to keep, remind, delete and look for good links. It only shows:
// what the buttons and menus ask for goes out as signals.
class TBookmarkForm final : public TBaseForm
{
    Q_OBJECT

  public:
    static constexpr int ElementCount = 5; // name, address, title, description, time

    // inTemplate: this window's texts go into the language template (one window does).
    TBookmarkForm(QWidget *owner, bool inTemplate);

    void SetEntry(const TBookmarks *bookmarks, int index);
    // The other files of the same bookmark, as "folder/name"; the window names them and
    // offers to delete this one.
    void SetCopies(const QStringList &copies) { m_copyNames = copies; }
    int Index() const { return m_index; }
    // False, with nothing changed, when the window holds no valid bookmark.
    bool UpdateView() override;

    TUCLabel *ElementLabel(int element) const;

  signals:
    // The action code of the button or menu item the user chose (suggest, keep, remind...).
    void actionRequested(int tag);
    // The name was clicked or "Open in browser" chosen.
    void openRequested();

  protected:
    void OpenEntry(TUCLabel *label) override;
    void actOnEntry(TUCLabel *label, int tag) override;
    void PrepareLinkMenu() override;

  private:
    void CreateButtons();
    void CreateElementLabels();
    QToolButton *AddActionButton(const char *name, int left, TGlyph glyph, const QString &hint,
                                 int tag);
    void ShowElement(int element, int &y);
    void ShowSuggestButton();
    void CreateNoteLabels();
    void AddVerdictItems();
    void ShowNotes(int &y);
    void ShowNote(TUCLabel *label, const QString &text, int &y);

    std::array<TUCLabel *, ElementCount> m_elements{};
    QToolButton *m_suggestButton = nullptr;
    TUCLabel *m_folder = nullptr; // the bookmark's folder below the collection's
    TUCLabel *m_copies = nullptr; // where else the bookmark is saved
    QToolButton *m_deleteCopy = nullptr;
    QStringList m_copyNames;
    TUCLabel *m_verdict = nullptr; // what the last check found, when it is not fine
    QAction *m_newAddress = nullptr;
    const TBookmarks *m_bookmarks = nullptr;
    int m_index = -1;
    TFormRegistration m_registration;
};
