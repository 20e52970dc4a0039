#pragma once

#include "baseform.h"
#include "lang/qtform.h"

#include <array>

class Bookmarks;
class TextLabel;

// One bookmark in a floating window of its own: name, address, page title, description
// and time, with buttons to keep, remind, delete and look for good links. It only shows:
// what the buttons, menus and keys ask for goes out as signals.
class BookmarkForm final : public BaseForm
{
    Q_OBJECT

  public:
    static constexpr int elementCount = 5; // name, address, title, description, time

    // inTemplate: this window's texts go into the language template (one window does).
    BookmarkForm(QWidget *owner, bool inTemplate);

    void setEntry(const Bookmarks *bookmarks, int index);
    // The other files of the same bookmark, as "folder/name"; the window names them and
    // offers to delete this one.
    void setCopies(const QStringList &copies) { m_copyNames = copies; }
    int index() const { return m_index; }
    // False, with nothing changed, when the window holds no valid bookmark.
    bool updateView() override;

    TextLabel *elementLabel(int element) const;

  signals:
    // The action code of the button or menu item the user chose (suggest, keep, remind...).
    void actionRequested(int tag);
    // The name was clicked, "Open in browser" chosen or Enter pressed.
    void openRequested();
    // Tab or Down (step 1), Shift+Tab or Up (-1): the keyboard goes to the next window.
    void focusStepRequested(int step);

  protected:
    void openEntry(TextLabel *label) override;
    void actOnEntry(TextLabel *label, int tag) override;
    void prepareLinkMenu() override;
    TextLabel *keyboardEntry() const override;
    void showEntryMenu(TextLabel *entry) override; // the remind menu
    void stepKeyboard(int step) override;

  private:
    void createButtons();
    void createElementLabels();
    QToolButton *addActionButton(const char *name, int left, Glyph glyph, const QString &hint,
                                 int tag);
    void showElement(int element, int &y);
    void showSuggestButton();
    void createNoteLabels();
    void addVerdictItems();
    void showNotes(int &y);
    void showVerdict(int &y);
    void showNote(TextLabel *label, const QString &text, int &y, const QString &hint = {});
    // address elided in the middle to lines of the label's text width.
    static QString fitAddress(const TextLabel *label, const QString &address, int lines);

    std::array<TextLabel *, elementCount> m_elements{};
    QToolButton *m_suggestButton = nullptr;
    QToolButton *m_remindButton = nullptr;
    QMenu *m_remindMenu = nullptr;
    TextLabel *m_folder = nullptr; // the bookmark's folder below the collection's
    TextLabel *m_copies = nullptr; // where else the bookmark is saved
    QToolButton *m_deleteCopy = nullptr;
    QStringList m_copyNames;
    TextLabel *m_verdict = nullptr; // what the last check found, when it is not fine
    QAction *m_newAddress = nullptr;
    const Bookmarks *m_bookmarks = nullptr;
    int m_index = -1;
    FormRegistration m_registration;
};
