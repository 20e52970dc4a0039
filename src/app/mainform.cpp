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
#include <algorithm>

namespace {
constexpr int rowsTop = 40; // below the title band
constexpr int suggestSize = 19;
constexpr int titleGap = 2; // between a title and its suggest button
constexpr int rowSpacing = 8;
constexpr int bottomMargin = 2;
constexpr QRgb navy = qRgb(0, 0, 128);

} // namespace

MainForm::MainForm()
    : BaseForm(nullptr), m_registration(this, "MainForm", FormOwner::Application, true)
{
    createTitle();
    createInfoPanel();
    createRows();
    createRefreshParts();
    menuItem("PopupLinkKeep")->setText(QStringLiteral("Keep for good (do not ask again)"));
    menuItem("PopupLinkRemind")->setText(QStringLiteral("Ask me again in a few days"));
    showInformation();
}

void MainForm::setTaskbarMode(bool on)
{
    if (on == m_taskbarMode)
        return;
    const bool shown = isShowing() && !m_standIn;
    setWindowFlags(on ? Qt::Window | Qt::FramelessWindowHint : floatingWindowFlags);
    setAttribute(Qt::WA_ShowWithoutActivating, !on);
    setWindowTitle(QStringLiteral("Favrake"));
    m_taskbarMode = on;
    setFadeLevel(shown ? maxFadeLevel : 0);
}

// A window minimised where no window manager or taskbar is there would be lost, so in the
// taskbar mode the window never fades: hidden, it stands in for the tray icon.
void MainForm::setFadeLevel(int level)
{
    const bool standIn = m_taskbarMode && level == 0;
    const bool began = standIn && !m_standIn;
    if (standIn != m_standIn) {
        m_standIn = standIn;
        showView(m_data);
    }
    BaseForm::setFadeLevel(m_taskbarMode ? maxFadeLevel : level);
    if (began)
        emit standingIn();
}

void MainForm::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_standIn && event->button() == Qt::LeftButton)
        emit standInClicked();
    else if (event->button() == Qt::LeftButton)
        emit clicked();
    BaseForm::mouseReleaseEvent(event);
}

void MainForm::showTitleOnly()
{
    for (int row = 0; row < entryRowCount; ++row)
        showRow(row, false);
    m_pnlInfo->hide();
    resize(clientWidth, rowsTop - 1);
}

void MainForm::createTitle()
{
    QFont font = sansFont(QStringLiteral("Arial Black"), 13);
    font.setItalic(true);
    font.setWeight(QFont::Black);
    for (QLabel *label :
         {addLabel(this, "LblTitleA", QStringLiteral("Fav"), QRect(12, 2, 40, 18)),
          addLabel(this, "LblTitleB", QStringLiteral("R A K E"), QRect(28, 16, 76, 18))}) {
        label->setFont(font);
        setTextColour(label, navy);
    }
    QToolButton *hide =
        addSpeedButton("SBtHide", QRect(107, 8, 23, 22), Glyph::Hide,
                       QStringLiteral("Hide this: I will deal with it later. (Esc)"));
    addHelpItem(addButtonMenu(hide, "PopupHide"), "PopupHideHelp", helpContextWindow);
    connect(hide, &QToolButton::clicked, this, &MainForm::hideRequested);
}

void MainForm::createRows()
{
    m_popupSuggest = addPopupMenu("PopupSuggest");
    addHelpItem(m_popupSuggest, "PopupSuggestHelp", 3060);
    for (int row = 0; row < entryRowCount; ++row) {
        EntryRow &entry = m_rows[row];
        entry.title = new TextLabel(this);
        entry.title->setProperty("Tag", row);
        entry.title->setLines(3);
        entry.title->setTextWidth(textWidth);
        attachEntryLabel(entry.title);
        entry.time = new TextLabel(this);
        entry.time->setTextWidth(textWidth);
        entry.time->setAutoSize(false);
        entry.time->setAlignment(Qt::AlignRight);
        entry.time->setTextColour(QColor(outlineRgb));
        entry.suggest = new QToolButton(this);
        entry.suggest->setProperty("Tag", row);
        entry.suggest->setAutoRaise(true);
        entry.suggest->setFocusPolicy(Qt::NoFocus);
        entry.suggest->resize(suggestSize, suggestSize);
        entry.suggest->setIcon(glyphIcon(Glyph::Suggest));
        attachButtonMenu(entry.suggest, m_popupSuggest);
        connect(entry.suggest, &QToolButton::clicked, this,
                [this, row] { emit entryActionRequested(row, TagSuggest); });
        showRow(row, false);
    }
}

TextLabel *MainForm::titleLabel(int row) const
{
    return row >= 0 && row < entryRowCount ? m_rows[row].title : nullptr;
}

TextLabel *MainForm::timeLabel(int row) const
{
    return row >= 0 && row < entryRowCount ? m_rows[row].time : nullptr;
}

QToolButton *MainForm::suggestButton(int row) const
{
    return row >= 0 && row < entryRowCount ? m_rows[row].suggest : nullptr;
}

bool MainForm::rowDisplayable(int row) const
{
    return row >= 0 && row < entryRowCount && m_displayable[row];
}

int MainForm::bookmarkOfRow(int row) const
{
    return row >= 0 && row < entryRowCount ? m_data.rows[row] : -1;
}

MainView MainForm::showView(const MainViewData &data)
{
    m_data = data;
    int y = rowsTop;
    bool nothingShown = true;
    for (int row = 0; row < entryRowCount; ++row) {
        const int index = m_data.rows[row];
        m_displayable[row] = !m_data.anyShownAwaitsRefresh && m_data.bookmarks &&
                             m_data.bookmarks->isValidIndex(index) &&
                             (m_data.refreshOff || !m_data.bookmarks->isRefreshDue(index));
        nothingShown = nothingShown && !m_displayable[row];
        const bool inPocket = m_displayable[row] && m_data.pocketView;
        if (inPocket)
            layOutPocketRow(row, y);
        showRow(row, inPocket);
    }
    if (nothingShown) {
        showInformation();
    } else {
        m_pnlInfo->hide();
        m_view = m_data.pocketView ? MainView::Pocket : MainView::BookmarkWindows;
        resize(clientWidth, m_data.pocketView ? y + bottomMargin : rowsTop - 1);
    }
    if (m_standIn)
        showTitleOnly();
    placeSummary();
    // After an action the keyboard goes on to the entry that takes the handled one's place.
    if (m_keyRow >= 0)
        moveKeyboardTo(m_view == MainView::Pocket ? shownRowFrom(m_keyRow, 1) : -1);
    return m_view;
}

bool MainForm::takeKeyboard()
{
    if (m_view != MainView::Pocket || m_standIn)
        return false;
    allowFocus();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    moveKeyboardTo(shownRowFrom(0, 1));
    return true;
}

// The first row shown from row on, going by step and round; -1 when none is shown.
int MainForm::shownRowFrom(int row, int step) const
{
    for (int n = 0; n < entryRowCount; ++n) {
        const int candidate = ((row + n * step) % entryRowCount + entryRowCount) % entryRowCount;
        if (m_displayable[candidate])
            return candidate;
    }
    return -1;
}

void MainForm::moveKeyboardTo(int row)
{
    m_keyRow = row;
    setHotLabel(row >= 0 ? m_rows[row].title : nullptr);
}

TextLabel *MainForm::keyboardEntry() const
{
    return m_keyRow >= 0 ? m_rows[m_keyRow].title : nullptr;
}

void MainForm::stepKeyboard(int step)
{
    moveKeyboardTo(shownRowFrom(m_keyRow + step, step));
}

// Hidden, the window gives the keyboard back; it takes it again only when asked.
void MainForm::hideEvent(QHideEvent *event)
{
    m_keyRow = -1;
    BaseForm::hideEvent(event);
}

void MainForm::createRefreshParts()
{
    m_refreshProgress = new QProgressBar(this);
    m_refreshProgress->setObjectName(QStringLiteral("PBRefreshAll"));
    m_refreshProgress->setGeometry(textLeft, rowsTop - 6, textWidth - 30, 4);
    m_refreshProgress->setTextVisible(false);
    m_refreshProgress->hide();
    m_lblSummary = new QLabel(this);
    m_lblSummary->setWordWrap(true);
    m_lblSummary->setTextFormat(Qt::RichText);
    m_lblSummary->hide();
    connect(m_lblSummary, &QLabel::linkActivated, this, &MainForm::brokenLinksAsked);
}

void MainForm::setRefreshProgress(int done, int total)
{
    m_refreshProgress->setMaximum(std::max(total, 1));
    m_refreshProgress->setValue(std::clamp(done, 0, std::max(total, 1)));
    m_refreshProgress->setVisible(total > 0 && !m_standIn);
}

void MainForm::showRefreshSummary(const QString &text)
{
    m_lblSummary->setText(
        text.isEmpty() ? QString()
                       : text.toHtmlEscaped() + QStringLiteral(" <a href=\"broken\">") +
                             phrase("LnkBrokenLinks").toHtmlEscaped() + QStringLiteral("</a>"));
    showView(m_data);
}

// The summary goes below whatever the window shows, and the window grows by it.
void MainForm::placeSummary()
{
    const bool shown = !m_lblSummary->text().isEmpty() && !m_standIn;
    m_lblSummary->setVisible(shown);
    if (!shown)
        return;
    const int top = height();
    m_lblSummary->setGeometry(textLeft, top, textWidth, m_lblSummary->heightForWidth(textWidth));
    resize(clientWidth, top + m_lblSummary->height() + bottomMargin);
}

bool MainForm::updateView()
{
    showView(m_data);
    return true;
}

void MainForm::layOutPocketRow(int row, int &y)
{
    const Bookmarks &bookmarks = *m_data.bookmarks;
    const int index = m_data.rows[row];
    const BookmarkRec &rec = *bookmarks.item(index);
    const EntryRow &entry = m_rows[row];
    const bool suggest = bookmarks.hasSuggestion(index);
    entry.suggest->move(textLeft + textWidth - suggestSize, y);
    entry.title->setTextWidth(suggest ? textWidth - titleGap - suggestSize : textWidth);
    entry.title->setCaption(bookmarks.displayName(index));
    // A short title ends on one line with its suggest button.
    if (suggest && entry.title->height() < suggestSize)
        y += suggestSize - entry.title->height();
    entry.title->move(textLeft, y);
    entry.title->setHint(rec.storedUrl.isEmpty() ? rec.url : rec.storedUrl);
    y += entry.title->height();
    entry.time->move(textLeft, y);
    entry.time->setCaption(dateText(rec.referenceTime, true));
    entry.time->setHint(phrase("HintBMTime"));
    y += entry.time->height() + rowSpacing;
    if (suggest)
        entry.suggest->setToolTip(
            fillPhrase(phrase("HintBMSuggest"), {bookmarks.matchText(index)}));
}

void MainForm::showRow(int row, bool inPocket)
{
    const EntryRow &entry = m_rows[row];
    entry.title->setVisible(inPocket);
    entry.time->setVisible(inPocket);
    entry.suggest->setVisible(inPocket && m_data.bookmarks->hasSuggestion(m_data.rows[row]));
}

int MainForm::rowOf(const TextLabel *label) const
{
    for (int row = 0; row < entryRowCount; ++row) {
        if (label && m_rows[row].title == label)
            return row;
    }
    return -1;
}

void MainForm::openEntry(TextLabel *label)
{
    const int row = rowOf(label);
    if (row >= 0)
        emit entryOpenRequested(row);
}

void MainForm::actOnEntry(TextLabel *label, int tag)
{
    const int row = rowOf(label);
    if (row >= 0)
        emit entryActionRequested(row, tag);
}

void MainForm::prepareLinkMenu()
{
    const int row = rowOf(popupLabel());
    const bool offered = m_data.bookmarks && m_data.bookmarks->hasSuggestion(bookmarkOfRow(row));
    menuItem("PopupLinkSuggest")->setVisible(offered);
}

void MainForm::contextMenuEvent(QContextMenuEvent *event)
{
    emit windowMenuRequested(event->globalPos());
}
