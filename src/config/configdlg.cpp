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
const QColor cream(0xFF, 0xFB, 0xF0);
constexpr int clientWidth = 361;
constexpr int clientHeight = 244;
constexpr int minDays = 1;
constexpr int maxDays = 365;
constexpr int folderPathWidth = 220;

// A spin box whose editor can be watched while its text is no valid number; the spin box
// itself only reports valid values.
class SpinEdit final : public QSpinBox
{
  public:
    using QSpinBox::lineEdit;
    using QSpinBox::QSpinBox;
};

// The number a spin-edit text stands for: one signed decimal integer and nothing else,
// within [MinDays, MaxDays]. Blanks around it are the spin box's to trim.
std::optional<int> daysOf(const QString &text)
{
    bool ok = false;
    const int days = text.toInt(&ok, 10);
    if (!ok || days < minDays || days > maxDays)
        return std::nullopt;
    return days;
}

// The controls of a group sit close together, as in the program's other small dialogs.
template <typename Layout> Layout *compact(Layout *layout)
{
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(4);
    return layout;
}

QFont dialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
} // namespace

ConfigDialog::ConfigDialog(QString programPath, QWidget *parent)
    : QDialog(parent, fixedDialogFlags), m_programPath(std::move(programPath)),
      m_registration(this, "ConfigDlg", FormOwner::Application, true)
{
    setObjectName(QStringLiteral("ConfigDlg"));
    setFont(dialogFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, cream);
    setPalette(palette);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(buildBookmarks());
    layout->addWidget(buildTiming());
    layout->addWidget(buildMessages());
    layout->addWidget(buildVisualization());
    layout->addStretch(1);
    layout->addLayout(buildButtons());
}

QGroupBox *ConfigDialog::newGroup(const char *name, const QString &title)
{
    auto *group = new QGroupBox(title, this);
    group->setObjectName(QLatin1String(name));
    return group;
}

QSpinBox *ConfigDialog::newSpinEdit(QWidget *parent, const char *name, const QString &hint,
                                    int context)
{
    auto *spin = new SpinEdit(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setToolTip(hint);
    spin->setRange(minDays, maxDays);
    spin->setAlignment(Qt::AlignRight);
    spin->setMinimumWidth(64);
    connect(spin->lineEdit(), &QLineEdit::textChanged, this, &ConfigDialog::checkEnables);
    m_helpContexts.insert(spin, context);
    return spin;
}

QCheckBox *ConfigDialog::newCheckBox(QWidget *parent, const char *name, const QString &text,
                                     const QString &hint, int context)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(hint);
    m_helpContexts.insert(box, context);
    return box;
}

QPushButton *ConfigDialog::newButton(const char *name, const QString &text, int context)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(85, 25);
    m_helpContexts.insert(button, context);
    return button;
}

QGroupBox *ConfigDialog::buildBookmarks()
{
    QGroupBox *group = newGroup("GrpBookmarks", QStringLiteral("Bookmarks"));
    auto *grid = compact(new QGridLayout(group));
    grid->setColumnStretch(1, 1);
    auto *caption = new QLabel(QStringLiteral("Bookmark folder:"), group);
    caption->setObjectName(QStringLiteral("LblFolder"));
    m_folderPath = new QLabel(group);
    m_folderPath->setTextFormat(Qt::PlainText);
    m_folderPath->setFixedWidth(folderPathWidth);
    m_btnFolder = newButton("BtnFolder", QStringLiteral("&Choose..."), 6241);
    m_btnFolder->setParent(group);
    connect(m_btnFolder, &QPushButton::clicked, this, &ConfigDialog::chooseFolder);
    m_cbxNoNetAccess = newCheckBox(
        group, "CbxNoNetAccess", QStringLiteral("No network access"),
        QStringLiteral("Never download the bookmarks' pages; bookmarks that wait for a download "
                       "are not shown"),
        6251);
    m_cbxDontDelete = newCheckBox(
        group, "CbxDontDelete", QStringLiteral("Delete only marks the bookmark"),
        QStringLiteral("Delete keeps the file and only takes the bookmark out of the review"),
        6261);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_folderPath, 0, 1);
    grid->addWidget(m_btnFolder, 0, 2);
    grid->addWidget(m_cbxNoNetAccess, 1, 0, 1, 3);
    grid->addWidget(m_cbxDontDelete, 2, 0, 1, 3);
    return group;
}

QGroupBox *ConfigDialog::buildTiming()
{
    QGroupBox *group = newGroup("GrpTiming", QStringLiteral("Time periods"));
    auto *grid = compact(new QGridLayout(group));
    grid->setColumnStretch(0, 1);
    // Each label is created before its spin edit, so translation lists them in reading order.
    const auto addRow = [&](int row, const char *labelName, const QString &text,
                            const char *spinName, const QString &hint, int context) {
        auto *label = new QLabel(text, group);
        label->setObjectName(QLatin1String(labelName));
        QSpinBox *spin = newSpinEdit(group, spinName, hint, context);
        grid->addWidget(label, row, 0);
        grid->addWidget(spin, row, 1);
        return spin;
    };
    m_seRemind = addRow(
        0, "LblRemind", QStringLiteral("Remind me of put-back bookmarks after (days):"), "SERemind",
        QStringLiteral("After how many days Favrake reminds you of a bookmark you put "
                       "back"),
        6011);
    m_seRefresh = addRow(
        1, "LblRefresh", QStringLiteral("Check the bookmarks' sites every (days):"), "SERefresh",
        QStringLiteral("How often, in days, Favrake checks whether the sites of your "
                       "bookmarks are available and what changed"),
        6021);
    return group;
}

QGroupBox *ConfigDialog::buildMessages()
{
    QGroupBox *group = newGroup("GrpMsgs", QStringLiteral("Messages"));
    auto *column = compact(new QVBoxLayout(group));
    m_cbxConfirmations =
        newCheckBox(group, "CbxConfirmations", QStringLiteral("Show all questions and warnings"),
                    QStringLiteral("Tick this to see all questions and warnings again"), 6111);
    m_cbxInformations =
        newCheckBox(group, "CbxInformations", QStringLiteral("Show all notes and explanations"),
                    QStringLiteral("Tick this to see all notes and explanations again"), 6121);
    column->addWidget(m_cbxConfirmations);
    column->addWidget(m_cbxInformations);
    return group;
}

QGroupBox *ConfigDialog::buildVisualization()
{
    QGroupBox *group = newGroup("GrpMisc", QStringLiteral("Display"));
    auto *grid = compact(new QGridLayout(group));
    m_cbxShowHints = newCheckBox(group, "CbxShowHints", QStringLiteral("Show hints"),
                                 QStringLiteral("Tick this to see hints like this one"), 6211);
    m_cbxSpeedWnd = newCheckBox(
        group, "CbxSpeedWnd", QStringLiteral("Show the command bar"),
        QStringLiteral("The bar of six command buttons below the bookmark windows"), 6221);
    m_cbxAutostart = newCheckBox(
        group, "CbxAutostart", QStringLiteral("Start Favrake when I log in"),
        QStringLiteral("Tick this to have Favrake start by itself whenever you log in"), 6231);
    grid->addWidget(m_cbxShowHints, 0, 0);
    grid->addWidget(m_cbxSpeedWnd, 0, 1);
    grid->addWidget(m_cbxAutostart, 1, 0, 1, 2);
    return group;
}

QLayout *ConfigDialog::buildButtons()
{
    m_btnOk = newButton("BtnOk", QStringLiteral("OK"), 6911);
    m_btnCancel = newButton("BtnCancel", QStringLiteral("Cancel"), 6921);
    m_btnHelp = newButton("BtnHelp", QStringLiteral("&Help"), 6931);
    m_btnOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_btnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_btnHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &ConfigDialog::applyAndClose);
    connect(m_btnCancel, &QPushButton::clicked, this, &ConfigDialog::discardChanges);
    connect(m_btnHelp, &QPushButton::clicked, this, &ConfigDialog::askForHelp);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton *button : {m_btnOk, m_btnCancel, m_btnHelp})
        row->addWidget(button);
    return row;
}

void ConfigDialog::showSetup()
{
    show();
    raise();
    activateWindow();
}

void ConfigDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) // not when the window manager merely restores it
        fillIn();
    QDialog::showEvent(event);
}

void ConfigDialog::fillIn()
{
    showFolder(favoritesFolderInUse());
    // A folder named by the environment wins over any choice made here.
    m_btnFolder->setEnabled(!platform::favoritesFolderFromEnvironment());
    m_cbxNoNetAccess->setChecked(settings.noNetAccess);
    m_cbxDontDelete->setChecked(settings.dontDelete);
    m_seRemind->setValue(settings.remindInterval);
    m_seRefresh->setValue(settings.refreshInterval);
    m_cbxInformations->setChecked(!flagsExist(FlagInfo));
    m_cbxConfirmations->setChecked(!flagsExist(FlagConfirm));
    m_infoShownTicked = m_cbxInformations->isChecked();
    m_confirmShownTicked = m_cbxConfirmations->isChecked();
    m_cbxShowHints->setChecked(!settings.noHints);
    m_cbxSpeedWnd->setChecked(!settings.noSpeedWnd);
    m_cbxAutostart->setChecked(platform::isAutostartEnabled());
    m_cbxAutostart->setEnabled(!platform::isAutostartForeign()); // the user's own entry
    setWindowTitle(phrase("ConfigDlg-Caption", QStringLiteral("Favrake Configuration")));
    checkEnables();
    // At least the designed size; more when a translation needs it.
    setFixedSize(sizeHint().expandedTo(QSize(clientWidth, clientHeight)));
    centreOnCursorScreen(this);
    m_btnOk->setFocus();
}

void ConfigDialog::checkEnables()
{
    m_btnOk->setEnabled(daysOf(m_seRemind->text()) && daysOf(m_seRefresh->text()));
}

void ConfigDialog::applyAndClose()
{
    checkEnables();
    if (!m_btnOk->isEnabled())
        return;
    settings.remindInterval = *daysOf(m_seRemind->text());
    settings.refreshInterval = *daysOf(m_seRefresh->text());
    // Only a box the user ticked here brings its messages back: one suppressed while the
    // dialog stood open keeps its tick.
    if (m_cbxInformations->isChecked() && !m_infoShownTicked)
        clearFlags(FlagInfo);
    if (m_cbxConfirmations->isChecked() && !m_confirmShownTicked)
        clearFlags(FlagConfirm);
    if (m_cbxShowHints->isChecked() == settings.noHints) {
        settings.noHints = !m_cbxShowHints->isChecked();
        emit hintsChanged(!settings.noHints);
    }
    if (m_cbxSpeedWnd->isChecked() == settings.noSpeedWnd) {
        settings.noSpeedWnd = !m_cbxSpeedWnd->isChecked();
        emit rearrangeWindowsRequested();
    }
    settings.noNetAccess = m_cbxNoNetAccess->isChecked();
    settings.dontDelete = m_cbxDontDelete->isChecked();
    storeFolder();
    storeAutostart();
    saveSettings(); // at once: a crash or a second copy's uninstall must not lose them
    accept();
}

void ConfigDialog::storeAutostart()
{
    if (!m_cbxAutostart->isEnabled() ||
        m_cbxAutostart->isChecked() == platform::isAutostartEnabled())
        return;
    if (m_cbxAutostart->isChecked())
        keepFolderInUse();
    platform::setAutostart(m_cbxAutostart->isChecked(), m_programPath);
}

void ConfigDialog::chooseFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, phrase("CapChooseFolder"),
                                                             m_folder, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        showFolder(chosen);
}

void ConfigDialog::showFolder(const QString &folder)
{
    m_folder = folder;
    const QString shown = QDir::toNativeSeparators(QDir::cleanPath(folder));
    m_folderPath->setText(
        m_folderPath->fontMetrics().elidedText(shown, Qt::ElideMiddle, folderPathWidth));
    m_folderPath->setToolTip(shown);
}

void ConfigDialog::storeFolder()
{
    if (QDir::cleanPath(m_folder) == QDir::cleanPath(favoritesFolderInUse()))
        return;
    settings.favoritesFolder = QDir::cleanPath(m_folder);
    emit favoritesFolderChanged();
}

void ConfigDialog::discardChanges()
{
    reject();
}

void ConfigDialog::askForHelp()
{
    emit helpRequested(helpContextHelpButton);
}

void ConfigDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F1) {
        QDialog::keyPressEvent(event);
        return;
    }
    emit helpRequested(helpContextOf(focusWidget()));
}

int ConfigDialog::helpContextOf(const QWidget *widget) const
{
    for (; widget && widget != this; widget = widget->parentWidget()) {
        if (const auto found = m_helpContexts.constFind(widget); found != m_helpContexts.cend())
            return *found;
    }
    return helpContextForm;
}
