#include "bookmarkform.h"

#include "entrytext.h"
#include "lang/phrases.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/textutil.h"
#include "uclabel.h"
#include "verdicttext.h"

#include <QMenu>
#include <QToolButton>

namespace {
constexpr int buttonTop = 4;
constexpr int buttonSize = 21;
constexpr int elementsTop = 28; // below the button row
constexpr int textLeft = 8;
constexpr int textWidth = 124;
constexpr int elementSpacing = 4;
constexpr int bottomMargin = 2;

enum Element { ElemName, ElemURL, ElemTitle, ElemDescription, ElemTime };

struct ElementStyle
{
    const char *name;
    bool autoSize;
    int lines;
    Qt::Alignment alignment;
    QRgb colour;
    bool bold;
    bool clickable;
};

constexpr QRgb black = qRgb(0, 0, 0);
constexpr QRgb grey = qRgb(128, 128, 128);
constexpr QRgb verdictRgb = qRgb(176, 64, 0);

constexpr std::array<ElementStyle, BookmarkForm::elementCount> bookmarkElements = {{
    {"Name", true, 2, Qt::AlignLeft, black, true, true},
    {"URL", true, 2, Qt::AlignLeft, grey, false, false},
    {"Title", true, 3, Qt::AlignLeft, black, false, false},
    {"Description", true, 3, Qt::AlignLeft, grey, false, false},
    {"Time", false, 1, Qt::AlignRight, outlineRgb, false, false},
}};

// After a failed download the title and description are the ones the page had; the
// verdict line says what went wrong.
QString elementText(const Bookmarks &bookmarks, int index, int element)
{
    const BookmarkRec &rec = *bookmarks.item(index);
    switch (element) {
    case ElemName:
        return bookmarks.displayName(index);
    case ElemURL:
        return !rec.storedUrl.isEmpty() && !refreshFailed(rec) ? rec.storedUrl : rec.url;
    case ElemTitle:
        return rec.title;
    case ElemDescription:
        return rec.descr;
    default:
        return dateText(rec.referenceTime, true);
    }
}

// What stands in for an empty element of a bookmark whose refresh did not fail.
QString placeholder(const BookmarkRec &rec, int element)
{
    const QString word = phrase(QByteArray("Elem.") + bookmarkElements[element].name);
    const bool fetched = rec.refreshed > 1.0 && unfetchedScheme(toNarrow(rec.url)).isEmpty();
    const QString pattern = fetched ? phrase("ElemMissing") : phrase("ElemNotAvail");
    return fillPhrase(pattern, {word});
}
} // namespace

BookmarkForm::BookmarkForm(QWidget *owner, bool inTemplate)
    : BaseForm(owner), m_registration(this, "TBookmarkForm", FormOwner::Floating, inTemplate)
{
    // Only a window the user asked for takes the focus (see BaseForm::allowFocus).
    setFocusPolicy(Qt::ClickFocus);
    createButtons();
    createElementLabels();
    createNoteLabels();
    addVerdictItems();
    menuItem("PopupLinkKeep")->setToolTip(QStringLiteral("Keep this bookmark for good"));
    menuItem("PopupLinkDelete")->setToolTip(QStringLiteral("Delete this bookmark for good"));
    popupLink()->setToolTipsVisible(true);
}

QToolButton *BookmarkForm::addActionButton(const char *name, int left, Glyph glyph,
                                           const QString &hint, int tag)
{
    QToolButton *button =
        addSpeedButton(name, QRect(left, buttonTop, buttonSize, buttonSize), glyph, hint);
    button->setProperty("Tag", tag);
    connect(button, &QToolButton::clicked, this, [this, tag] { emit actionRequested(tag); });
    return button;
}

void BookmarkForm::createButtons()
{
    m_suggestButton =
        addActionButton("SBtSuggest", 14, Glyph::Suggest,
                        QStringLiteral("Show good links on this subject"), TagSuggest);
    m_suggestButton->hide();
    addHelpItem(addButtonMenu(m_suggestButton, "PopupSuggest"), "PopupSuggestHelp", 3060);

    QToolButton *keep = addActionButton("SBtKeep", 57, Glyph::Keep,
                                        QStringLiteral("Keep this bookmark for good (K)"), TagKeep);
    addHelpItem(addButtonMenu(keep, "PopupKeep"), "PopupKeepHelp", 3020);

    m_remindButton = addActionButton(
        "SBtRemind", 81, Glyph::Remind,
        QStringLiteral("Put this back and remind me again in a few days (R: choose when)"),
        TagRemindDefault);
    m_remindMenu = addButtonMenu(m_remindButton, "PopupRemind");
    addRemindItems(m_remindMenu, "PopupRemind");
    m_remindMenu->addSeparator();
    const QAction *help = addHelpItem(m_remindMenu, "PopupRemindHelp", 3030);
    connect(m_remindMenu, &QMenu::triggered, this, [this, help](QAction *item) {
        if (item != help)
            emit actionRequested(tagOf(item));
    });

    QToolButton *remove =
        addActionButton("SBtDel", 105, Glyph::Delete,
                        QStringLiteral("Delete this bookmark for good (Del)"), TagDelete);
    addHelpItem(addButtonMenu(remove, "PopupDelete"), "PopupDeleteHelp", 3040);
}

// A link that is not fine says so in a line of its own below the address; a moved one
// offers its new address in the link menu.
void BookmarkForm::addVerdictItems()
{
    m_verdict = new TextLabel(this);
    m_verdict->setLines(2);
    m_verdict->setTextWidth(textWidth);
    m_verdict->setAutoSize(true);
    m_verdict->setTextColour(QColor(verdictRgb));
    m_newAddress = new QAction(QStringLiteral("Use the new address"), popupLink());
    m_newAddress->setObjectName(QStringLiteral("PopupLinkNewAddress"));
    m_newAddress->setData(int(TagUseNewAddress));
    popupLink()->insertAction(menuItem("PopupLinkSuggest"), m_newAddress);
}

void BookmarkForm::createElementLabels()
{
    for (int e = 0; e < elementCount; ++e) {
        const ElementStyle &style = bookmarkElements[e];
        auto *label = new TextLabel(this);
        label->move(textLeft, elementsTop);
        label->setLines(style.lines);
        label->setTextWidth(textWidth);
        label->setAutoSize(style.autoSize);
        label->setAlignment(style.alignment);
        label->setTextColour(QColor(style.colour));
        QFont font = label->font();
        font.setBold(style.bold);
        label->setFont(font);
        if (style.clickable)
            attachEntryLabel(label);
        m_elements[e] = label;
    }
}

// Below the name, the folder the bookmark lies in: among thousands, two of one name are
// told apart by it. At the bottom, the other files of the same bookmark and the offer to
// delete this one (with the delete's question and checks).
void BookmarkForm::createNoteLabels()
{
    for (TextLabel **note : {&m_folder, &m_copies}) {
        *note = new TextLabel(this);
        (*note)->setLines(note == &m_copies ? 3 : 1);
        (*note)->setTextWidth(textWidth);
        (*note)->setTextColour(QColor(grey));
    }
    m_deleteCopy = new QToolButton(this);
    m_deleteCopy->setObjectName(QStringLiteral("SBtDeleteCopy"));
    m_deleteCopy->setText(QStringLiteral("Delete this copy"));
    m_deleteCopy->setToolTip(QStringLiteral("Move this file of the bookmark into the trash"));
    m_deleteCopy->setAutoRaise(true);
    m_deleteCopy->setFocusPolicy(Qt::NoFocus);
    connect(m_deleteCopy, &QToolButton::clicked, this,
            [this] { emit actionRequested(TagDeleteCopy); });
}

void BookmarkForm::showNote(TextLabel *label, const QString &text, int &y, const QString &hint)
{
    label->setCaption(text);
    label->setHint(hint.isEmpty() ? text : hint);
    label->move(textLeft, y);
    label->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        y += label->height() + elementSpacing;
}

void BookmarkForm::showNotes(int &y)
{
    const bool copies = !m_copyNames.isEmpty();
    showNote(m_copies,
             copies ? fillPhrase(phrase("AlsoSavedAs"), {m_copyNames.join(QStringLiteral(", "))})
                    : QString(),
             y);
    m_deleteCopy->setVisible(copies);
    if (!copies)
        return;
    m_deleteCopy->adjustSize();
    m_deleteCopy->move(textLeft + textWidth - m_deleteCopy->width(), y);
    y += m_deleteCopy->height() + elementSpacing;
}

TextLabel *BookmarkForm::elementLabel(int element) const
{
    return element >= 0 && element < elementCount ? m_elements[element] : nullptr;
}

void BookmarkForm::setEntry(const Bookmarks *bookmarks, int index)
{
    m_bookmarks = bookmarks;
    m_index = index;
}

bool BookmarkForm::updateView()
{
    if (!m_bookmarks || !m_bookmarks->isValidIndex(m_index))
        return false;
    int y = elementsTop;
    for (int e = 0; e < elementCount; ++e) {
        showElement(e, y);
        if (e == ElemName) {
            const QString folder = m_bookmarks->folderName(m_index);
            showNote(m_folder, folder.isEmpty() ? folder : fillPhrase(phrase("InFolder"), {folder}),
                     y);
        }
        if (e == ElemURL)
            showVerdict(y);
    }
    showNotes(y);
    showSuggestButton();
    resize(clientWidth, y + bottomMargin);
    return true;
}

void BookmarkForm::showElement(int element, int &y)
{
    const BookmarkRec &rec = *m_bookmarks->item(m_index);
    const bool failed = refreshFailed(rec);
    TextLabel *label = m_elements[element];
    label->move(textLeft, y);
    QString text = elementText(*m_bookmarks, m_index, element);
    label->setHint(element == ElemTime ? phrase("HintBMTime") : text);
    if (element == ElemURL)
        text = fitAddress(label, text, 2);
    if (text.isEmpty() && !failed)
        text = placeholder(rec, element);
    label->setCaption(text);
    if (!label->caption().isEmpty())
        y += label->height() + elementSpacing;
}

// In lines that break anywhere; up to a character's room is lost at each break.
QString BookmarkForm::fitAddress(const TextLabel *label, const QString &address, int lines)
{
    const QFontMetrics metrics(label->font());
    const int room = lines * textWidth - (lines - 1) * metrics.horizontalAdvance(QLatin1Char('W'));
    return elidedAddress(
        address, room, [&metrics](const QString &part) { return metrics.horizontalAdvance(part); });
}

// A moved link's new address, too long to share a line, starts a line of its own: it gets two
// more, elided in the middle so that both its host and its end show; the hint has it whole.
void BookmarkForm::showVerdict(int &y)
{
    const BookmarkRec &rec = *m_bookmarks->item(m_index);
    const DateTime now = m_bookmarks->now();
    const bool moved = rec.verdict == LinkVerdict::Moved;
    m_verdict->setLines(moved ? 3 : 2);
    const QString shown = verdictText(
        rec, now, [this](const QString &address) { return fitAddress(m_verdict, address, 2); });
    showNote(m_verdict, shown, y, verdictText(rec, now));
}

void BookmarkForm::showSuggestButton()
{
    const bool offered = m_bookmarks->hasSuggestion(m_index);
    if (offered)
        m_suggestButton->setToolTip(
            fillPhrase(phrase("HintBMSuggest"), {m_bookmarks->matchText(m_index)}));
    m_suggestButton->setVisible(offered);
}

void BookmarkForm::openEntry(TextLabel *)
{
    emit openRequested();
}

void BookmarkForm::actOnEntry(TextLabel *, int tag)
{
    emit actionRequested(tag);
}

// The keys of the buttons, named in their hints, work on the window's bookmark; Enter opens
// it as a click on the name does.
TextLabel *BookmarkForm::keyboardEntry() const
{
    return m_elements[ElemName];
}

void BookmarkForm::showEntryMenu(TextLabel *)
{
    m_remindMenu->popup(m_remindButton->mapToGlobal(QPoint(0, m_remindButton->height())));
}

// Tab, Down and Up go on to the next window of the column.
void BookmarkForm::stepKeyboard(int step)
{
    emit focusStepRequested(step);
}

void BookmarkForm::prepareLinkMenu()
{
    menuItem("PopupLinkSuggest")->setVisible(!m_suggestButton->isHidden());
    const BookmarkRec *rec = m_bookmarks ? m_bookmarks->item(m_index) : nullptr;
    m_newAddress->setVisible(rec && rec->verdict == LinkVerdict::Moved &&
                             !rec->storedUrl.isEmpty());
}
