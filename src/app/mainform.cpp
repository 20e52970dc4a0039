#include "mainform.h"

#include "entrytext.h"
#include "lang/phrases.h"
#include "store/bookmarks.h"
#include "uclabel.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

namespace {
constexpr int RowsTop = 40; // below the title band
constexpr int SuggestSize = 19;
constexpr int TitleGap = 2; // between a title and its suggest button
constexpr int RowSpacing = 8;
constexpr int BottomMargin = 2;
constexpr QRgb Navy = qRgb(0, 0, 128);

} // namespace

TMainForm::TMainForm()
    : TBaseForm(nullptr), m_registration(this, "MainForm", TFormOwner::Application, true)
{
    CreateTitle();
    CreateInfoPanel();
    CreateRows();
    MenuItem("PopupLinkKeep")->setText(QStringLiteral("Keep for good (do not ask again)"));
    MenuItem("PopupLinkRemind")->setText(QStringLiteral("Ask me again in a few days"));
    ShowInformation();
}

void TMainForm::SetTaskbarMode(bool on)
{
    if (on == m_taskbarMode)
        return;
    const bool shown = IsShowing() && !m_standIn;
    setWindowFlags(on ? Qt::Window | Qt::FramelessWindowHint : FloatingWindowFlags);
    setAttribute(Qt::WA_ShowWithoutActivating, !on);
    setWindowTitle(QStringLiteral("Favrake"));
    m_taskbarMode = on;
    SetFadeLevel(shown ? MaxFadeLevel : 0);
}

// A window minimised where no window manager or taskbar is there would be lost, so in the
// taskbar mode the window never fades: hidden, it stands in for the tray icon.
void TMainForm::SetFadeLevel(int level)
{
    const bool standIn = m_taskbarMode && level == 0;
    const bool began = standIn && !m_standIn;
    if (standIn != m_standIn) {
        m_standIn = standIn;
        UpdateView(m_data);
    }
    TBaseForm::SetFadeLevel(m_taskbarMode ? MaxFadeLevel : level);
    if (began)
        emit standingIn();
}

void TMainForm::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_standIn && event->button() == Qt::LeftButton)
        emit standInClicked();
    TBaseForm::mouseReleaseEvent(event);
}

void TMainForm::ShowTitleOnly()
{
    for (int row = 0; row < EntryRowCount; ++row)
        ShowRow(row, false);
    m_pnlInfo->hide();
    resize(ClientWidth, RowsTop - 1);
}

void TMainForm::CreateTitle()
{
    QFont font = SansFont(QStringLiteral("Arial Black"), 13);
    font.setItalic(true);
    font.setWeight(QFont::Black);
    for (QLabel *label :
         {AddLabel(this, "LblTitleA", QStringLiteral("Fav"), QRect(12, 2, 40, 18)),
          AddLabel(this, "LblTitleB", QStringLiteral("R A K E"), QRect(28, 16, 76, 18))}) {
        label->setFont(font);
        SetTextColour(label, Navy);
    }
    QToolButton *hide = AddSpeedButton("SBtHide", QRect(107, 8, 23, 22), TGlyph::Hide,
                                       QStringLiteral("Hide this: I will deal with it later."));
    AddHelpItem(AddButtonMenu(hide, "PopupHide"), "PopupHideHelp", HelpContextWindow);
    connect(hide, &QToolButton::clicked, this, &TMainForm::hideRequested);
}

void TMainForm::CreateRows()
{
    m_popupSuggest = AddPopupMenu("PopupSuggest");
    AddHelpItem(m_popupSuggest, "PopupSuggestHelp", 3060);
    for (int row = 0; row < EntryRowCount; ++row) {
        TEntryRow &entry = m_rows[row];
        entry.Title = new TUCLabel(this);
        entry.Title->setProperty("Tag", row);
        entry.Title->SetLines(3);
        entry.Title->SetTextWidth(TextWidth);
        AttachEntryLabel(entry.Title);
        entry.Time = new TUCLabel(this);
        entry.Time->SetTextWidth(TextWidth);
        entry.Time->SetAutoSize(false);
        entry.Time->SetAlignment(Qt::AlignRight);
        entry.Time->SetTextColour(QColor(OutlineRgb));
        entry.Suggest = new QToolButton(this);
        entry.Suggest->setProperty("Tag", row);
        entry.Suggest->setAutoRaise(true);
        entry.Suggest->setFocusPolicy(Qt::NoFocus);
        entry.Suggest->resize(SuggestSize, SuggestSize);
        entry.Suggest->setIcon(GlyphIcon(TGlyph::Suggest));
        AttachButtonMenu(entry.Suggest, m_popupSuggest);
        connect(entry.Suggest, &QToolButton::clicked, this,
                [this, row] { emit entryActionRequested(row, TagSuggest); });
        ShowRow(row, false);
    }
}

TUCLabel *TMainForm::TitleLabel(int row) const
{
    return row >= 0 && row < EntryRowCount ? m_rows[row].Title : nullptr;
}

TUCLabel *TMainForm::TimeLabel(int row) const
{
    return row >= 0 && row < EntryRowCount ? m_rows[row].Time : nullptr;
}

QToolButton *TMainForm::SuggestButton(int row) const
{
    return row >= 0 && row < EntryRowCount ? m_rows[row].Suggest : nullptr;
}

bool TMainForm::RowDisplayable(int row) const
{
    return row >= 0 && row < EntryRowCount && m_displayable[row];
}

int TMainForm::BookmarkOfRow(int row) const
{
    return row >= 0 && row < EntryRowCount ? m_data.Rows[row] : -1;
}

TMainView TMainForm::UpdateView(const TMainViewData &data)
{
    m_data = data;
    int y = RowsTop;
    bool nothingShown = true;
    for (int row = 0; row < EntryRowCount; ++row) {
        const int index = m_data.Rows[row];
        m_displayable[row] = !m_data.AnyShownAwaitsRefresh && m_data.Bookmarks &&
                             m_data.Bookmarks->IsValidIndex(index) &&
                             !m_data.Bookmarks->IsRefreshDue(index);
        nothingShown = nothingShown && !m_displayable[row];
        const bool inPocket = m_displayable[row] && m_data.PocketView;
        if (inPocket)
            LayOutPocketRow(row, y);
        ShowRow(row, inPocket);
    }
    if (nothingShown) {
        ShowInformation();
    } else {
        m_pnlInfo->hide();
        m_view = m_data.PocketView ? TMainView::Pocket : TMainView::BookmarkWindows;
        resize(ClientWidth, m_data.PocketView ? y + BottomMargin : RowsTop - 1);
    }
    if (m_standIn)
        ShowTitleOnly();
    return m_view;
}

bool TMainForm::UpdateView()
{
    UpdateView(m_data);
    return true;
}

void TMainForm::LayOutPocketRow(int row, int &y)
{
    const TBookmarks &bookmarks = *m_data.Bookmarks;
    const int index = m_data.Rows[row];
    const TBookmarkRec &rec = *bookmarks.Item(index);
    const TEntryRow &entry = m_rows[row];
    const bool suggest = bookmarks.HasSuggestion(index);
    entry.Suggest->move(TextLeft + TextWidth - SuggestSize, y);
    entry.Title->SetTextWidth(suggest ? TextWidth - TitleGap - SuggestSize : TextWidth);
    entry.Title->SetCaption(bookmarks.DisplayName(index));
    // A short title ends on one line with its suggest button.
    if (suggest && entry.Title->height() < SuggestSize)
        y += SuggestSize - entry.Title->height();
    entry.Title->move(TextLeft, y);
    entry.Title->SetHint(rec.StoredURL.isEmpty() ? rec.URL : rec.StoredURL);
    y += entry.Title->height();
    entry.Time->move(TextLeft, y);
    entry.Time->SetCaption(DateText(rec.ReferenceTime, true));
    entry.Time->SetHint(Phrase("HintBMTime"));
    y += entry.Time->height() + RowSpacing;
    if (suggest)
        entry.Suggest->setToolTip(
            FillPhrase(Phrase("HintBMSuggest"), {bookmarks.MatchText(index)}));
}

void TMainForm::ShowRow(int row, bool inPocket)
{
    const TEntryRow &entry = m_rows[row];
    entry.Title->setVisible(inPocket);
    entry.Time->setVisible(inPocket);
    entry.Suggest->setVisible(inPocket && m_data.Bookmarks->HasSuggestion(m_data.Rows[row]));
}

int TMainForm::RowOf(const TUCLabel *label) const
{
    for (int row = 0; row < EntryRowCount; ++row) {
        if (label && m_rows[row].Title == label)
            return row;
    }
    return -1;
}

void TMainForm::OpenEntry(TUCLabel *label)
{
    const int row = RowOf(label);
    if (row >= 0)
        emit entryOpenRequested(row);
}

void TMainForm::actOnEntry(TUCLabel *label, int tag)
{
    const int row = RowOf(label);
    if (row >= 0)
        emit entryActionRequested(row, tag);
}

void TMainForm::PrepareLinkMenu()
{
    const int row = RowOf(PopupLabel());
    const bool offered = m_data.Bookmarks && m_data.Bookmarks->HasSuggestion(BookmarkOfRow(row));
    MenuItem("PopupLinkSuggest")->setVisible(offered);
}

void TMainForm::contextMenuEvent(QContextMenuEvent *event)
{
    emit windowMenuRequested(event->globalPos());
}
