#include "configdlg.h"

#include "config/settings.h"
#include "lang/dialogstyle.h"
#include "lang/phrases.h"
#include "platform/autostart.h"
#include "platform/folders.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <optional>

namespace {
const QColor Cream(0xFF, 0xFB, 0xF0);
constexpr int ClientWidth = 361;
constexpr int ClientHeight = 244;
constexpr int MinDays = 1;
constexpr int MaxDays = 365;
constexpr int FolderPathWidth = 220;

// A spin box whose editor can be watched while its text is no valid number; the spin box
// itself only reports valid values.
class TSpinEdit final : public QSpinBox
{
  public:
    using QSpinBox::lineEdit;
    using QSpinBox::QSpinBox;
};

// The number a spin-edit text stands for: one signed decimal integer and nothing else,
// within [MinDays, MaxDays]. Blanks around it are the spin box's to trim.
std::optional<int> DaysOf(const QString &text)
{
    bool ok = false;
    const int days = text.toInt(&ok, 10);
    if (!ok || days < MinDays || days > MaxDays)
        return std::nullopt;
    return days;
}

// The controls of a group sit close together, as in the program's other small dialogs.
template <typename Layout> Layout *Compact(Layout *layout)
{
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(4);
    return layout;
}

QFont DialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
} // namespace

TConfigDlg::TConfigDlg(QString programPath, QWidget *parent)
    : QDialog(parent, FixedDialogFlags), m_programPath(std::move(programPath)),
      m_registration(this, "ConfigDlg", TFormOwner::Application, true)
{
    setObjectName(QStringLiteral("ConfigDlg"));
    setFont(DialogFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Cream);
    setPalette(palette);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(BuildBookmarks());
    layout->addWidget(BuildTiming());
    layout->addWidget(BuildMessages());
    layout->addWidget(BuildVisualization());
    layout->addStretch(1);
    layout->addLayout(BuildButtons());
}

QGroupBox *TConfigDlg::NewGroup(const char *name, const QString &title)
{
    auto *group = new QGroupBox(title, this);
    group->setObjectName(QLatin1String(name));
    return group;
}

QSpinBox *TConfigDlg::NewSpinEdit(QWidget *parent, const char *name, const QString &hint,
                                  int context)
{
    auto *spin = new TSpinEdit(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setToolTip(hint);
    spin->setRange(MinDays, MaxDays);
    spin->setAlignment(Qt::AlignRight);
    spin->setMinimumWidth(64);
    connect(spin->lineEdit(), &QLineEdit::textChanged, this, &TConfigDlg::CheckEnables);
    m_helpContexts.insert(spin, context);
    return spin;
}

QCheckBox *TConfigDlg::NewCheckBox(QWidget *parent, const char *name, const QString &text,
                                   const QString &hint, int context)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(hint);
    m_helpContexts.insert(box, context);
    return box;
}

QPushButton *TConfigDlg::NewButton(const char *name, const QString &text, int context)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(85, 25);
    m_helpContexts.insert(button, context);
    return button;
}

QGroupBox *TConfigDlg::BuildBookmarks()
{
    QGroupBox *group = NewGroup("GrpBookmarks", QStringLiteral("Bookmarks"));
    auto *grid = Compact(new QGridLayout(group));
    grid->setColumnStretch(1, 1);
    auto *caption = new QLabel(QStringLiteral("Bookmark folder:"), group);
    caption->setObjectName(QStringLiteral("LblFolder"));
    m_folderPath = new QLabel(group);
    m_folderPath->setTextFormat(Qt::PlainText);
    m_folderPath->setFixedWidth(FolderPathWidth);
    BtnFolder = NewButton("BtnFolder", QStringLiteral("&Choose..."), 6241);
    BtnFolder->setParent(group);
    connect(BtnFolder, &QPushButton::clicked, this, &TConfigDlg::ChooseFolder);
    CbxNoNetAccess = NewCheckBox(
        group, "CbxNoNetAccess", QStringLiteral("No network access"),
        QStringLiteral("Never download the bookmarks' pages; bookmarks that wait for a download "
                       "are not shown"),
        6251);
    CbxDontDelete = NewCheckBox(
        group, "CbxDontDelete", QStringLiteral("Delete only marks the bookmark"),
        QStringLiteral("Delete keeps the file and only takes the bookmark out of the review"),
        6261);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_folderPath, 0, 1);
    grid->addWidget(BtnFolder, 0, 2);
    grid->addWidget(CbxNoNetAccess, 1, 0, 1, 3);
    grid->addWidget(CbxDontDelete, 2, 0, 1, 3);
    return group;
}

QGroupBox *TConfigDlg::BuildTiming()
{
    QGroupBox *group = NewGroup("GrpTiming", QStringLiteral("Time periods"));
    auto *grid = Compact(new QGridLayout(group));
    grid->setColumnStretch(0, 1);
    // Each label is created before its spin edit, so translation lists them in reading order.
    const auto addRow = [&](int row, const char *labelName, const QString &text,
                            const char *spinName, const QString &hint, int context) {
        auto *label = new QLabel(text, group);
        label->setObjectName(QLatin1String(labelName));
        QSpinBox *spin = NewSpinEdit(group, spinName, hint, context);
        grid->addWidget(label, row, 0);
        grid->addWidget(spin, row, 1);
        return spin;
    };
    SERemind = addRow(
        0, "LblRemind", QStringLiteral("Remind me of put-back bookmarks after (days):"), "SERemind",
        QStringLiteral("After how many days Favrake reminds you of a bookmark you put "
                       "back"),
        6011);
    SERefresh = addRow(
        1, "LblRefresh", QStringLiteral("Check the bookmarks' sites every (days):"), "SERefresh",
        QStringLiteral("How often, in days, Favrake checks whether the sites of your "
                       "bookmarks are available and what changed"),
        6021);
    return group;
}

QGroupBox *TConfigDlg::BuildMessages()
{
    QGroupBox *group = NewGroup("GrpMsgs", QStringLiteral("Messages"));
    auto *column = Compact(new QVBoxLayout(group));
    CbxConfirmations =
        NewCheckBox(group, "CbxConfirmations", QStringLiteral("Show all questions and warnings"),
                    QStringLiteral("Tick this to see all questions and warnings again"), 6111);
    CbxInformations =
        NewCheckBox(group, "CbxInformations", QStringLiteral("Show all notes and explanations"),
                    QStringLiteral("Tick this to see all notes and explanations again"), 6121);
    column->addWidget(CbxConfirmations);
    column->addWidget(CbxInformations);
    return group;
}

QGroupBox *TConfigDlg::BuildVisualization()
{
    QGroupBox *group = NewGroup("GrpMisc", QStringLiteral("Display"));
    auto *grid = Compact(new QGridLayout(group));
    CbxShowHints = NewCheckBox(group, "CbxShowHints", QStringLiteral("Show hints"),
                               QStringLiteral("Tick this to see hints like this one"), 6211);
    CbxSpeedWnd = NewCheckBox(
        group, "CbxSpeedWnd", QStringLiteral("Show the command bar"),
        QStringLiteral("The bar of six command buttons below the bookmark windows"), 6221);
    CbxAutostart = NewCheckBox(
        group, "CbxAutostart", QStringLiteral("Start Favrake when I log in"),
        QStringLiteral("Tick this to have Favrake start by itself whenever you log in"), 6231);
    grid->addWidget(CbxShowHints, 0, 0);
    grid->addWidget(CbxSpeedWnd, 0, 1);
    grid->addWidget(CbxAutostart, 1, 0, 1, 2);
    return group;
}

QLayout *TConfigDlg::BuildButtons()
{
    BtnOk = NewButton("BtnOk", QStringLiteral("OK"), 6911);
    BtnCancel = NewButton("BtnCancel", QStringLiteral("Cancel"), 6921);
    BtnHelp = NewButton("BtnHelp", QStringLiteral("&Help"), 6931);
    BtnOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BtnHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &TConfigDlg::applyAndClose);
    connect(BtnCancel, &QPushButton::clicked, this, &TConfigDlg::discardChanges);
    connect(BtnHelp, &QPushButton::clicked, this, &TConfigDlg::askForHelp);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *button : {BtnOk, BtnCancel, BtnHelp})
        row->addWidget(button);
    return row;
}

void TConfigDlg::ShowSetup()
{
    show();
    raise();
    activateWindow();
}

void TConfigDlg::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) // not when the window manager merely restores it
        fillIn();
    QDialog::showEvent(event);
}

void TConfigDlg::fillIn()
{
    ShowFolder(FavoritesFolderInUse());
    // A folder named by the environment wins over any choice made here.
    BtnFolder->setEnabled(!platform::favoritesFolderFromEnvironment());
    CbxNoNetAccess->setChecked(Settings.NoNetAccess);
    CbxDontDelete->setChecked(Settings.DontDelete);
    SERemind->setValue(Settings.RemindInterval);
    SERefresh->setValue(Settings.RefreshInterval);
    CbxInformations->setChecked(!FlagsExist(FlagInfo));
    CbxConfirmations->setChecked(!FlagsExist(FlagConfirm));
    m_infoShownTicked = CbxInformations->isChecked();
    m_confirmShownTicked = CbxConfirmations->isChecked();
    CbxShowHints->setChecked(!Settings.NoHints);
    CbxSpeedWnd->setChecked(!Settings.NoSpeedWnd);
    CbxAutostart->setChecked(platform::IsAutostartEnabled());
    CbxAutostart->setEnabled(!platform::IsAutostartForeign()); // the user's own entry
    setWindowTitle(Phrase("ConfigDlg-Caption", QStringLiteral("Favrake Configuration")));
    CheckEnables();
    // At least the designed size; more when a translation needs it.
    setFixedSize(sizeHint().expandedTo(QSize(ClientWidth, ClientHeight)));
    CentreOnCursorScreen(this);
    BtnOk->setFocus();
}

void TConfigDlg::CheckEnables()
{
    BtnOk->setEnabled(DaysOf(SERemind->text()) && DaysOf(SERefresh->text()));
}

void TConfigDlg::applyAndClose()
{
    CheckEnables();
    if (!BtnOk->isEnabled())
        return;
    Settings.RemindInterval = *DaysOf(SERemind->text());
    Settings.RefreshInterval = *DaysOf(SERefresh->text());
    // Only a box the user ticked here brings its messages back: one suppressed while the
    // dialog stood open keeps its tick.
    if (CbxInformations->isChecked() && !m_infoShownTicked)
        ClearFlags(FlagInfo);
    if (CbxConfirmations->isChecked() && !m_confirmShownTicked)
        ClearFlags(FlagConfirm);
    if (CbxShowHints->isChecked() == Settings.NoHints) {
        Settings.NoHints = !CbxShowHints->isChecked();
        emit HintsChanged(!Settings.NoHints);
    }
    if (CbxSpeedWnd->isChecked() == Settings.NoSpeedWnd) {
        Settings.NoSpeedWnd = !CbxSpeedWnd->isChecked();
        emit RearrangeWindowsRequested();
    }
    Settings.NoNetAccess = CbxNoNetAccess->isChecked();
    Settings.DontDelete = CbxDontDelete->isChecked();
    StoreFolder();
    StoreAutostart();
    SaveSettings(); // at once: a crash or a second copy's uninstall must not lose them
    accept();
}

void TConfigDlg::StoreAutostart()
{
    if (!CbxAutostart->isEnabled() || CbxAutostart->isChecked() == platform::IsAutostartEnabled())
        return;
    if (CbxAutostart->isChecked())
        KeepFolderInUse();
    platform::SetAutostart(CbxAutostart->isChecked(), m_programPath);
}

void TConfigDlg::ChooseFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, Phrase("CapChooseFolder"),
                                                             m_folder, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        ShowFolder(chosen);
}

void TConfigDlg::ShowFolder(const QString &folder)
{
    m_folder = folder;
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(folder));
    m_folderPath->setText(
        m_folderPath->fontMetrics().elidedText(shown, Qt::ElideMiddle, FolderPathWidth));
    m_folderPath->setToolTip(shown);
}

void TConfigDlg::StoreFolder()
{
    if (QDir::cleanPath(m_folder) == QDir::cleanPath(FavoritesFolderInUse()))
        return;
    Settings.FavoritesFolder = QDir::cleanPath(m_folder);
    emit FavoritesFolderChanged();
}

void TConfigDlg::discardChanges()
{
    reject();
}

void TConfigDlg::askForHelp()
{
    emit helpRequested(HelpContextHelpButton);
}

void TConfigDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F1) {
        QDialog::keyPressEvent(event);
        return;
    }
    emit helpRequested(HelpContextOf(focusWidget()));
}

int TConfigDlg::HelpContextOf(const QWidget *widget) const
{
    for (; widget && widget != this; widget = widget->parentWidget()) {
        if (const auto found = m_helpContexts.constFind(widget); found != m_helpContexts.cend())
            return *found;
    }
    return HelpContextForm;
}
