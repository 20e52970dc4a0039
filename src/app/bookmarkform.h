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
    void EntryAction(TUCLabel *label, int tag) override;
    void PrepareLinkMenu() override;

  private:
    void CreateButtons();
    void CreateElementLabels();
    QToolButton *AddActionButton(const char *name, int left, TGlyph glyph, const QString &hint,
                                 int tag);
    void ShowElement(int element, int &y);
    void ShowSuggestButton();
    void AddVerdictItems();
    void ShowVerdict(int &y);

    std::array<TUCLabel *, ElementCount> m_elements{};
    QToolButton *m_suggestButton = nullptr;
    TUCLabel *m_verdict = nullptr;
    QAction *m_newAddress = nullptr;
    const TBookmarks *m_bookmarks = nullptr;
    int m_index = -1;
    TFormRegistration m_registration;
};
