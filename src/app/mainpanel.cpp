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
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

namespace {
constexpr int panelTop = 36;
constexpr int panelHeight = 69;
constexpr int panelBorder = 2;
constexpr int panelBottomMargin = 6;
constexpr int panelLeft = MainForm::textLeft - panelBorder;
constexpr int panelWidth = BaseForm::clientWidth - 2 * panelLeft;
constexpr int pageWidth = panelWidth - 2 * panelBorder;
constexpr int pageHeight = panelHeight - 2 * panelBorder;
constexpr int buttonLeft = 2;
constexpr int buttonWidth = panelWidth - 2 * (buttonLeft + panelBorder);
constexpr int countsHeight = 42;
constexpr int smallButtonHeight = 20;
constexpr int buttonGap = 4;

QWidget *addPage(QStackedWidget *notebook, const char *name)
{
    auto *page = new QWidget(notebook);
    page->setObjectName(QString::fromLatin1(name));
    notebook->addWidget(page);
    return page;
}

// A tool button draws its caption in one line; a long one (or a long translation) is broken
// into two instead of being cut at both ends.
class PanelButton final : public QToolButton
{
  public:
    using QToolButton::QToolButton;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        const QFontMetrics metrics = option.fontMetrics;
        option.text =
            captionInLines(option.text, width() - captionMargin,
                           [&metrics](const QString &t) { return metrics.horizontalAdvance(t); });
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }

  private:
    static constexpr int captionMargin = 8;
};

QToolButton *addPanelButton(QWidget *page, const char *name, const QString &text,
                            const QString &hint)
{
    auto *button = new PanelButton(page);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A label that breaks its text into lines of the page's width. Its text comes from a phrase
// each time, so it is no component to translate and has no name.
QLabel *addTextLabel(QWidget *page, int pixelSize)
{
    QLabel *label = addLabel(page, "", QString(), QRect(0, 0, pageWidth, pageHeight));
    label->setFont(sansFont(QStringLiteral("Tahoma"), pixelSize));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// The height text needs in label, which keeps the page's width.
int fitText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->resize(pageWidth, label->heightForWidth(pageWidth));
    return label->height();
}
} // namespace

void MainForm::createInfoPanel()
{
    m_pnlInfo = new QFrame(this);
    m_pnlInfo->setObjectName(QStringLiteral("PnlInfo"));
    m_pnlInfo->setGeometry(panelLeft, panelTop, panelWidth, panelHeight);
    m_pnlInfo->setAutoFillBackground(true);
    m_nbkInfo = new QStackedWidget(m_pnlInfo);
    m_nbkInfo->setObjectName(QStringLiteral("NbkInfo"));
    m_nbkInfo->setGeometry(panelBorder, panelBorder, pageWidth, pageHeight);
    createCountsPage();
    createDownloadPage();
    createFolderPage();
    QWidget *done = addPage(m_nbkInfo, "PageInfoDone");
    m_lblInfoDone = addTextLabel(done, 12);
}

void MainForm::createCountsPage()
{
    QWidget *page = addPage(m_nbkInfo, "PageInfoNoActive");
    const QFont countFont = sansFont(QStringLiteral("Arial"), 11);
    QLabel *titles = addLabel(page, "LblInfoCountTitle",
                              QStringLiteral("Bookmarks in all:\n- to come again:\n"
                                             "- kept for good:"),
                              QRect(0, 0, pageWidth, countsHeight));
    titles->setFont(countFont);
    titles->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblInfoCount =
        addLabel(page, "LblInfoCount", QString(), QRect(0, 0, pageWidth, countsHeight));
    QFont bold = countFont;
    bold.setBold(true);
    m_lblInfoCount->setFont(bold);
    m_lblInfoCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    setTextColour(m_lblInfoCount, outlineRgb);

    m_nbkInfoAction = new QStackedWidget(page);
    m_nbkInfoAction->setObjectName(QStringLiteral("NbkInfoAction"));
    m_nbkInfoAction->setGeometry(0, countsHeight, pageWidth, pageHeight - countsHeight);
    QWidget *action = addPage(m_nbkInfoAction, "PageAction");
    m_sbtShowPutBack = addPanelButton(
        action, "SBtInfoShowPutBack", QStringLiteral("Show put-back bookmarks"),
        QStringLiteral("Shows at once all bookmarks you put back, whenever you asked to be "
                       "reminded."));
    m_sbtShowPutBack->setGeometry(buttonLeft, 0, buttonWidth, pageHeight - countsHeight);
    addHelpItem(addButtonMenu(m_sbtShowPutBack, "PopupPutBack"), "PopupPutBackHelp", 3050);
    connect(m_sbtShowPutBack, &QToolButton::clicked, this, &MainForm::showPutBackRequested);
    QWidget *noAction = addPage(m_nbkInfoAction, "PageNoAction");
    QLabel *nothing = addLabel(noAction, "LblInfoNoAction", QStringLiteral("Nothing to do."),
                               QRect(0, 0, pageWidth, pageHeight - countsHeight));
    nothing->setFont(sansFont(QStringLiteral("Tahoma"), 13));
    nothing->setAlignment(Qt::AlignCenter);
}

void MainForm::createDownloadPage()
{
    QWidget *page = addPage(m_nbkInfo, "PageInfoDownload");
    QLabel *download = addLabel(page, "LblInfoDownload",
                                QStringLiteral("Downloading page information.\nPlease wait..."),
                                QRect(0, 0, pageWidth, 46));
    download->setFont(sansFont(QStringLiteral("Tahoma"), 12));
    download->setAlignment(Qt::AlignCenter);
    download->setWordWrap(true);
    auto *progressPanel = new QFrame(page);
    progressPanel->setObjectName(QStringLiteral("PnlInfoProgress"));
    progressPanel->setGeometry(8, 49, pageWidth - 16, 12);
    m_progress = new QProgressBar(progressPanel);
    m_progress->setObjectName(QStringLiteral("PBInfoProgress"));
    m_progress->setGeometry(0, 0, pageWidth - 16, 12);
    m_progress->setTextVisible(false);
    m_progress->setToolTip(QStringLiteral(
        "How far the refresh has got. The bookmarks are shown as soon as their pages are in."));
}

// Without bookmarks the panel names the folder, tells whether it is missing or empty and
// offers another folder or an import.
void MainForm::createFolderPage()
{
    QWidget *page = addPage(m_nbkInfo, "PageInfoFolder");
    m_lblInfoFolder = addTextLabel(page, 11);
    m_sbtChooseFolder =
        addPanelButton(page, "SBtChooseFolder", QStringLiteral("Choose a folder..."),
                       QStringLiteral("Read the bookmarks of another folder"));
    connect(m_sbtChooseFolder, &QToolButton::clicked, this, &MainForm::chooseFolderRequested);
    m_sbtImport = addPanelButton(page, "SBtImport", QStringLiteral("Import bookmarks..."),
                                 QStringLiteral("Bring in the bookmarks of a browser or of a "
                                                "bookmark file"));
    connect(m_sbtImport, &QToolButton::clicked, this, [this] {
        emit importRequested(m_sbtImport->mapToGlobal(QPoint(0, m_sbtImport->height())));
    });
}

void MainForm::showInformation()
{
    const Bookmarks *bookmarks = m_data.bookmarks;
    const int active = bookmarks ? bookmarks->activeCount() : 0;
    m_sbtShowPutBack->setEnabled(active > 0);
    m_view = MainView::Information;
    if (m_data.anyShownAwaitsRefresh) {
        setProgress(m_data.refreshedRows, m_data.awaitedRows);
        m_view = MainView::Download;
        showPanelPage("PageInfoDownload", pageHeight);
    } else if (!bookmarks || bookmarks->count() == 0) {
        showFolderPage();
    } else {
        m_lblInfoCount->setText(QStringLiteral("%1\n%2\n%3")
                                    .arg(bookmarks->count())
                                    .arg(active)
                                    .arg(bookmarks->keptCount()));
        showPage(m_nbkInfoAction, active < 1 ? "PageNoAction" : "PageAction");
        showPanelPage("PageInfoNoActive", pageHeight);
    }
}

void MainForm::showFolderPage()
{
    const QString text =
        fillPhrase(phrase(m_data.folderMissing ? "InfoFolderMissing" : "InfoFolderEmpty"),
                   {shortFolderName(m_data.folderPath)});
    int y = fitText(m_lblInfoFolder, text) + buttonGap;
    for (QToolButton *button : {m_sbtChooseFolder, m_sbtImport}) {
        button->setGeometry(buttonLeft, y, buttonWidth, smallButtonHeight);
        y += smallButtonHeight + buttonGap;
    }
    showPanelPage("PageInfoFolder", y);
}

void MainForm::showFarewell(const QString &text)
{
    for (int row = 0; row < entryRowCount; ++row)
        showRow(row, false);
    const int height = fitText(m_lblInfoDone, text);
    m_lblInfoDone->move(0, std::max(0, (pageHeight - height) / 2));
    showPanelPage("PageInfoDone", std::max(pageHeight, height));
}

void MainForm::showPanelPage(const char *pageName, int pageHeight)
{
    showPage(m_nbkInfo, pageName);
    m_nbkInfo->resize(pageWidth, pageHeight);
    m_pnlInfo->resize(panelWidth, pageHeight + 2 * panelBorder);
    resize(clientWidth, panelTop + m_pnlInfo->height() + panelBottomMargin);
    m_pnlInfo->show();
}

void MainForm::setProgress(int refreshedRows, int awaitedRows)
{
    m_data.refreshedRows = refreshedRows;
    m_data.awaitedRows = awaitedRows;
    m_progress->setMaximum(awaitedRows);
    m_progress->setValue(refreshedRows);
}

void MainForm::showPage(QStackedWidget *notebook, const char *pageName)
{
    if (QWidget *page = notebook->findChild<QWidget *>(QString::fromLatin1(pageName)))
        notebook->setCurrentWidget(page);
}
