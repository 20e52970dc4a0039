// The main window's information panel: counts, the download page, the folder page when
// there are no bookmarks, and the farewell when the last shown bookmark was handled.
#include "entrytext.h"
#include "lang/phrases.h"
#include "mainform.h"
#include "store/bookmarks.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

namespace {
constexpr int PanelTop = 36;
constexpr int PanelHeight = 69;
constexpr int PanelBorder = 2;
constexpr int PanelBottomMargin = 6;
constexpr int PanelLeft = TMainForm::TextLeft - PanelBorder;
constexpr int PanelWidth = TBaseForm::ClientWidth - 2 * PanelLeft;
constexpr int PageWidth = PanelWidth - 2 * PanelBorder;
constexpr int PageHeight = PanelHeight - 2 * PanelBorder;
constexpr int ButtonLeft = 2;
constexpr int ButtonWidth = PanelWidth - 2 * (ButtonLeft + PanelBorder);
constexpr int CountsHeight = 42;
constexpr int SmallButtonHeight = 20;
constexpr int ButtonGap = 4;

QWidget *AddPage(QStackedWidget *notebook, const char *name)
{
    auto *page = new QWidget(notebook);
    page->setObjectName(QString::fromLatin1(name));
    notebook->addWidget(page);
    return page;
}

QToolButton *AddPanelButton(QWidget *page, const char *name, const QString &text,
                            const QString &hint)
{
    auto *button = new QToolButton(page);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A label that breaks its text into lines of the page's width. Its text comes from a phrase
// each time, so it is no component to translate and has no name.
QLabel *AddTextLabel(QWidget *page, int pixelSize)
{
    QLabel *label = AddLabel(page, "", QString(), QRect(0, 0, PageWidth, PageHeight));
    label->setFont(SansFont(QStringLiteral("Tahoma"), pixelSize));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// The height text needs in label, which keeps the page's width.
int FitText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->resize(PageWidth, label->heightForWidth(PageWidth));
    return label->height();
}
} // namespace

void TMainForm::CreateInfoPanel()
{
    m_pnlInfo = new QFrame(this);
    m_pnlInfo->setObjectName(QStringLiteral("PnlInfo"));
    m_pnlInfo->setGeometry(PanelLeft, PanelTop, PanelWidth, PanelHeight);
    m_pnlInfo->setAutoFillBackground(true);
    m_nbkInfo = new QStackedWidget(m_pnlInfo);
    m_nbkInfo->setObjectName(QStringLiteral("NbkInfo"));
    m_nbkInfo->setGeometry(PanelBorder, PanelBorder, PageWidth, PageHeight);
    CreateCountsPage();
    CreateDownloadPage();
    CreateFolderPage();
    QWidget *done = AddPage(m_nbkInfo, "PageInfoDone");
    m_lblInfoDone = AddTextLabel(done, 12);
}

void TMainForm::CreateCountsPage()
{
    QWidget *page = AddPage(m_nbkInfo, "PageInfoNoActive");
    const QFont countFont = SansFont(QStringLiteral("Arial"), 11);
    QLabel *titles = AddLabel(page, "LblInfoCountTitle",
                              QStringLiteral("Bookmarks in all:\n- to come again:\n"
                                             "- kept for good:"),
                              QRect(0, 0, PageWidth, CountsHeight));
    titles->setFont(countFont);
    titles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblInfoCount =
        AddLabel(page, "LblInfoCount", QString(), QRect(0, 0, PageWidth, CountsHeight));
    QFont bold = countFont;
    bold.setBold(true);
    m_lblInfoCount->setFont(bold);
    m_lblInfoCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SetTextColour(m_lblInfoCount, OutlineRgb);

    m_nbkInfoAction = new QStackedWidget(page);
    m_nbkInfoAction->setObjectName(QStringLiteral("NbkInfoAction"));
    m_nbkInfoAction->setGeometry(0, CountsHeight, PageWidth, PageHeight - CountsHeight);
    QWidget *action = AddPage(m_nbkInfoAction, "PageAction");
    m_sbtShowPutBack = AddPanelButton(
        action, "SBtInfoShowPutBack", QStringLiteral("Show put-back bookmarks"),
        QStringLiteral("Shows at once all bookmarks you put back, whenever you asked to be "
                       "reminded."));
    m_sbtShowPutBack->setGeometry(ButtonLeft, 0, ButtonWidth, PageHeight - CountsHeight);
    AddHelpItem(AddButtonMenu(m_sbtShowPutBack, "PopupPutBack"), "PopupPutBackHelp", 3050);
    connect(m_sbtShowPutBack, &QToolButton::clicked, this, &TMainForm::showPutBackRequested);
    QWidget *noAction = AddPage(m_nbkInfoAction, "PageNoAction");
    QLabel *nothing = AddLabel(noAction, "LblInfoNoAction", QStringLiteral("Nothing to do."),
                               QRect(0, 0, PageWidth, PageHeight - CountsHeight));
    nothing->setFont(SansFont(QStringLiteral("Tahoma"), 13));
    nothing->setAlignment(Qt::AlignCenter);
}

void TMainForm::CreateDownloadPage()
{
    QWidget *page = AddPage(m_nbkInfo, "PageInfoDownload");
    QLabel *download = AddLabel(page, "LblInfoDownload",
                                QStringLiteral("Downloading page information.\nPlease wait..."),
                                QRect(0, 0, PageWidth, 46));
    download->setFont(SansFont(QStringLiteral("Tahoma"), 12));
    download->setAlignment(Qt::AlignCenter);
    download->setWordWrap(true);
    auto *progressPanel = new QFrame(page);
    progressPanel->setObjectName(QStringLiteral("PnlInfoProgress"));
    progressPanel->setGeometry(8, 49, PageWidth - 16, 12);
    m_progress = new QProgressBar(progressPanel);
    m_progress->setObjectName(QStringLiteral("PBInfoProgress"));
    m_progress->setGeometry(0, 0, PageWidth - 16, 12);
    m_progress->setTextVisible(false);
    m_progress->setToolTip(QStringLiteral(
        "How far the refresh has got. The bookmarks are shown as soon as their pages are in."));
}

// Without bookmarks the panel names the folder, tells whether it is missing or empty and
// offers another folder or an import.
void TMainForm::CreateFolderPage()
{
    QWidget *page = AddPage(m_nbkInfo, "PageInfoFolder");
    m_lblInfoFolder = AddTextLabel(page, 11);
    m_sbtChooseFolder =
        AddPanelButton(page, "SBtChooseFolder", QStringLiteral("Choose a folder..."),
                       QStringLiteral("Read the bookmarks of another folder"));
    connect(m_sbtChooseFolder, &QToolButton::clicked, this, &TMainForm::chooseFolderRequested);
    m_sbtImport = AddPanelButton(page, "SBtImport", QStringLiteral("Import bookmarks..."),
                                 QStringLiteral("Bring in the bookmarks of a browser or of a "
                                                "bookmark file"));
    connect(m_sbtImport, &QToolButton::clicked, this, [this] {
        emit importRequested(m_sbtImport->mapToGlobal(QPoint(0, m_sbtImport->height())));
    });
}

void TMainForm::ShowInformation()
{
    const TBookmarks *bookmarks = m_data.Bookmarks;
    const int active = bookmarks ? bookmarks->ActiveCount() : 0;
    m_sbtShowPutBack->setEnabled(active > 0);
    m_view = TMainView::Information;
    if (m_data.AnyShownAwaitsRefresh) {
        SetProgress(m_data.RefreshedRows, m_data.AwaitedRows);
        m_view = TMainView::Download;
        ShowPanelPage("PageInfoDownload", PageHeight);
    } else if (!bookmarks || bookmarks->Count() == 0) {
        ShowFolderPage();
    } else {
        m_lblInfoCount->setText(QStringLiteral("%1\n%2\n%3")
                                    .arg(bookmarks->Count())
                                    .arg(active)
                                    .arg(bookmarks->KeptCount()));
        ShowPage(m_nbkInfoAction, active < 1 ? "PageNoAction" : "PageAction");
        ShowPanelPage("PageInfoNoActive", PageHeight);
    }
}

void TMainForm::ShowFolderPage()
{
    const QString text =
        FillPhrase(Phrase(m_data.FolderMissing ? "InfoFolderMissing" : "InfoFolderEmpty"),
                   {ShortFolderName(m_data.FolderPath)});
    int y = FitText(m_lblInfoFolder, text) + ButtonGap;
    for (QToolButton *button : {m_sbtChooseFolder, m_sbtImport}) {
        button->setGeometry(ButtonLeft, y, ButtonWidth, SmallButtonHeight);
        y += SmallButtonHeight + ButtonGap;
    }
    ShowPanelPage("PageInfoFolder", y);
}

void TMainForm::ShowFarewell(const QString &text)
{
    for (int row = 0; row < EntryRowCount; ++row)
        ShowRow(row, false);
    const int height = FitText(m_lblInfoDone, text);
    m_lblInfoDone->move(0, std::max(0, (PageHeight - height) / 2));
    ShowPanelPage("PageInfoDone", std::max(PageHeight, height));
}

void TMainForm::ShowPanelPage(const char *pageName, int pageHeight)
{
    ShowPage(m_nbkInfo, pageName);
    m_nbkInfo->resize(PageWidth, pageHeight);
    m_pnlInfo->resize(PanelWidth, pageHeight + 2 * PanelBorder);
    resize(ClientWidth, PanelTop + m_pnlInfo->height() + PanelBottomMargin);
    m_pnlInfo->show();
}

void TMainForm::SetProgress(int refreshedRows, int awaitedRows)
{
    m_data.RefreshedRows = refreshedRows;
    m_data.AwaitedRows = awaitedRows;
    m_progress->setMaximum(awaitedRows);
    m_progress->setValue(refreshedRows);
}

void TMainForm::ShowPage(QStackedWidget *notebook, const char *pageName)
{
    if (QWidget *page = notebook->findChild<QWidget *>(QString::fromLatin1(pageName)))
        notebook->setCurrentWidget(page);
}
