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
constexpr int ButtonTop = 4;
constexpr int ButtonSize = 21;
constexpr int ElementsTop = 28; // below the button row
constexpr int TextLeft = 8;
constexpr int TextWidth = 124;
constexpr int ElementSpacing = 4;
constexpr int BottomMargin = 2;

enum TElement { ElemName, ElemURL, ElemTitle, ElemDescription, ElemTime };

struct TElementStyle
{
    const char *Name;
    bool AutoSize;
    int Lines;
    Qt::Alignment Alignment;
    QRgb Colour;
    bool Bold;
    bool Clickable;
};

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Grey = qRgb(128, 128, 128);
constexpr QRgb Maroon = qRgb(128, 0, 0);
constexpr QRgb VerdictRgb = qRgb(176, 64, 0);

constexpr std::array<TElementStyle, TBookmarkForm::ElementCount> BookmarkElements = {{
    {"Name", true, 2, Qt::AlignLeft, Black, true, true},
    {"URL", true, 1, Qt::AlignLeft, Grey, false, false},
    {"Title", true, 3, Qt::AlignLeft, Black, false, false},
    {"Description", true, 3, Qt::AlignLeft, Grey, false, false},
    {"Time", false, 1, Qt::AlignRight, OutlineRgb, false, false},
}};

QString ElementText(const TBookmarks &bookmarks, int index, int element)
{
    const TBookmarkRec &rec = *bookmarks.Item(index);
    const bool failed = refreshFailed(rec);
    switch (element) {
    case ElemName:
        return bookmarks.DisplayName(index);
    case ElemURL:
        return !rec.StoredURL.isEmpty() && !failed ? rec.StoredURL : rec.URL;
    case ElemTitle:
        return failed ? Phrase("ErrRefresh") : rec.Title;
    case ElemDescription:
        return failed ? FailureCause(rec.RefreshMsg) : rec.Descr;
    default:
        return DateText(rec.ReferenceTime, true);
    }
}

// What stands in for an empty element of a bookmark whose refresh did not fail.
QString Placeholder(const TBookmarkRec &rec, int element)
{
    const QString word = Phrase(QByteArray("Elem.") + BookmarkElements[element].Name);
    const bool fetched = rec.Refreshed > 1.0 && unfetchedScheme(ToNarrow(rec.URL)).isEmpty();
    const QString pattern = fetched ? Phrase("ElemMissing") : Phrase("ElemNotAvail");
    return FillPhrase(pattern, {word});
}
} // namespace

TBookmarkForm::TBookmarkForm(QWidget *owner, bool inTemplate)
    : TBaseForm(owner), m_registration(this, "TBookmarkForm", TFormOwner::Floating, inTemplate)
{
    CreateButtons();
    CreateElementLabels();
    CreateNoteLabels();
    AddVerdictItems();
    MenuItem("PopupLinkKeep")->setToolTip(QStringLiteral("Keep this bookmark for good"));
    MenuItem("PopupLinkDelete")->setToolTip(QStringLiteral("Delete this bookmark for good"));
    PopupLink()->setToolTipsVisible(true);
}

QToolButton *TBookmarkForm::AddActionButton(const char *name, int left, TGlyph glyph,
                                            const QString &hint, int tag)
{
    QToolButton *button =
        AddSpeedButton(name, QRect(left, ButtonTop, ButtonSize, ButtonSize), glyph, hint);
    button->setProperty("Tag", tag);
    connect(button, &QToolButton::clicked, this, [this, tag] { emit actionRequested(tag); });
    return button;
}

void TBookmarkForm::CreateButtons()
{
    m_suggestButton =
        AddActionButton("SBtSuggest", 14, TGlyph::Suggest,
                        QStringLiteral("Show good links on this subject"), TagSuggest);
    m_suggestButton->hide();
    AddHelpItem(AddButtonMenu(m_suggestButton, "PopupSuggest"), "PopupSuggestHelp", 3060);

    QToolButton *keep = AddActionButton("SBtKeep", 57, TGlyph::Keep,
                                        QStringLiteral("Keep this bookmark for good"), TagKeep);
    AddHelpItem(AddButtonMenu(keep, "PopupKeep"), "PopupKeepHelp", 3020);

    QToolButton *remind = AddActionButton(
        "SBtRemind", 81, TGlyph::Remind,
        QStringLiteral("Put this back and remind me again in a few days"), TagRemindDefault);
    QMenu *remindMenu = AddButtonMenu(remind, "PopupRemind");
    AddRemindItems(remindMenu, "PopupRemind");
    remindMenu->addSeparator();
    const QAction *help = AddHelpItem(remindMenu, "PopupRemindHelp", 3030);
    connect(remindMenu, &QMenu::triggered, this, [this, help](QAction *item) {
        if (item != help)
            emit actionRequested(TagOf(item));
    });

    QToolButton *remove = AddActionButton(
        "SBtDel", 105, TGlyph::Delete, QStringLiteral("Delete this bookmark for good"), TagDelete);
    AddHelpItem(AddButtonMenu(remove, "PopupDelete"), "PopupDeleteHelp", 3040);
}

// A link that is not fine says so in a line of its own below the address; a moved one
// offers its new address in the link menu.
void TBookmarkForm::AddVerdictItems()
{
    m_verdict = new TUCLabel(this);
    m_verdict->SetLines(2);
    m_verdict->SetTextWidth(TextWidth);
    m_verdict->SetAutoSize(true);
    m_verdict->SetTextColour(QColor(VerdictRgb));
    m_newAddress = new QAction(QStringLiteral("Use the new address"), PopupLink());
    m_newAddress->setObjectName(QStringLiteral("PopupLinkNewAddress"));
    m_newAddress->setData(int(TagUseNewAddress));
    PopupLink()->insertAction(MenuItem("PopupLinkSuggest"), m_newAddress);
}

void TBookmarkForm::CreateElementLabels()
{
    for (int e = 0; e < ElementCount; ++e) {
        const TElementStyle &style = BookmarkElements[e];
        auto *label = new TUCLabel(this);
        label->move(TextLeft, ElementsTop);
        label->SetLines(style.Lines);
        label->SetTextWidth(TextWidth);
        label->SetAutoSize(style.AutoSize);
        label->SetAlignment(style.Alignment);
        label->SetTextColour(QColor(style.Colour));
        QFont font = label->font();
        font.setBold(style.Bold);
        label->setFont(font);
        if (style.Clickable)
            AttachEntryLabel(label);
        m_elements[e] = label;
    }
}

// Below the name, the folder the bookmark lies in: among thousands, two of one name are
// told apart by it. At the bottom, the other files of the same bookmark and the offer to
// delete this one (with the delete's question and checks).
void TBookmarkForm::CreateNoteLabels()
{
    for (TUCLabel **note : {&m_folder, &m_copies}) {
        *note = new TUCLabel(this);
        (*note)->SetLines(note == &m_copies ? 3 : 1);
        (*note)->SetTextWidth(TextWidth);
        (*note)->SetTextColour(QColor(Grey));
    }
    m_deleteCopy = new QToolButton(this);
    m_deleteCopy->setObjectName(QStringLiteral("SBtDeleteCopy"));
    m_deleteCopy->setText(QStringLiteral("Delete this copy"));
    m_deleteCopy->setToolTip(QStringLiteral("Move this file of the bookmark into the trash"));
    m_deleteCopy->setAutoRaise(true);
    m_deleteCopy->setFocusPolicy(Qt::NoFocus);
    connect(m_deleteCopy, &QToolButton::clicked, this, [this] { emit actionRequested(TagDelete); });
}

void TBookmarkForm::ShowNote(TUCLabel *label, const QString &text, int &y)
{
    label->SetCaption(text);
    label->SetHint(text);
    label->move(TextLeft, y);
    label->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        y += label->height() + ElementSpacing;
}

void TBookmarkForm::ShowNotes(int &y)
{
    const bool copies = !m_copyNames.isEmpty();
    ShowNote(m_copies,
             copies ? FillPhrase(Phrase("AlsoSavedAs"), {m_copyNames.join(QStringLiteral(", "))})
                    : QString(),
             y);
    m_deleteCopy->setVisible(copies);
    if (!copies)
        return;
    m_deleteCopy->adjustSize();
    m_deleteCopy->move(TextLeft + TextWidth - m_deleteCopy->width(), y);
    y += m_deleteCopy->height() + ElementSpacing;
}

TUCLabel *TBookmarkForm::ElementLabel(int element) const
{
    return element >= 0 && element < ElementCount ? m_elements[element] : nullptr;
}

void TBookmarkForm::SetEntry(const TBookmarks *bookmarks, int index)
{
    m_bookmarks = bookmarks;
    m_index = index;
}

bool TBookmarkForm::UpdateView()
{
    if (!m_bookmarks || !m_bookmarks->IsValidIndex(m_index))
        return false;
    int y = ElementsTop;
    for (int e = 0; e < ElementCount; ++e) {
        ShowElement(e, y);
        if (e == ElemName) {
            const QString folder = m_bookmarks->FolderName(m_index);
            ShowNote(m_folder, folder.isEmpty() ? folder : FillPhrase(Phrase("InFolder"), {folder}),
                     y);
        }
        if (e == ElemURL)
            ShowNote(m_verdict, VerdictText(*m_bookmarks->Item(m_index)), y);
    }
    ShowNotes(y);
    ShowSuggestButton();
    resize(ClientWidth, y + BottomMargin);
    return true;
}

void TBookmarkForm::ShowElement(int element, int &y)
{
    const TBookmarkRec &rec = *m_bookmarks->Item(m_index);
    const bool failed = refreshFailed(rec);
    TUCLabel *label = m_elements[element];
    label->move(TextLeft, y);
    QString text = ElementText(*m_bookmarks, m_index, element);
    if (element == ElemTitle)
        label->SetTextColour(QColor(failed ? Maroon : BookmarkElements[element].Colour));
    // A failure's cause is short; its hint gives the HTTP client's own words.
    const bool cause = failed && element == ElemDescription;
    label->SetHint(element == ElemTime ? Phrase("HintBMTime") : cause ? rec.RefreshMsg : text);
    if (text.isEmpty() && !failed)
        text = Placeholder(rec, element);
    label->SetCaption(text);
    if (!label->Caption().isEmpty())
        y += label->height() + ElementSpacing;
}

void TBookmarkForm::ShowSuggestButton()
{
    const bool offered = m_bookmarks->HasSuggestion(m_index);
    if (offered)
        m_suggestButton->setToolTip(
            FillPhrase(Phrase("HintBMSuggest"), {m_bookmarks->MatchText(m_index)}));
    m_suggestButton->setVisible(offered);
}

void TBookmarkForm::OpenEntry(TUCLabel *)
{
    emit openRequested();
}

void TBookmarkForm::actOnEntry(TUCLabel *, int tag)
{
    emit actionRequested(tag);
}

void TBookmarkForm::PrepareLinkMenu()
{
    MenuItem("PopupLinkSuggest")->setVisible(!m_suggestButton->isHidden());
    const TBookmarkRec *rec = m_bookmarks ? m_bookmarks->Item(m_index) : nullptr;
    m_newAddress->setVisible(rec && rec->Verdict == LinkVerdict::Moved &&
                             !rec->StoredURL.isEmpty());
}
