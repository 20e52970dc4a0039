#include "lang/confirmdlg.h"

#include "lang/confirmicons.h"
#include "lang/dialogstyle.h"
#include "lang/phrases.h"

#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

using namespace confirm_geometry;

namespace {
const QColor cream(0xFF, 0xFB, 0xF0);
const QColor skyBlue(0xA6, 0xCA, 0xF0);
constexpr int buttonWidth = 85;
constexpr int buttonHeight = 25;
constexpr int buttonsAbovePanelBottom = panelWithBox - 36; // anchored to the bottom

// Tahoma where the system has it, else the system's sans-serif family.
QFont dialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont fontOfPixels(int pixels)
{
    QFont font = dialogFont();
    font.setPixelSize(pixels);
    return font;
}

void paint(QWidget *widget, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

ScreenSpot currentScreenSpot()
{
    const QPoint cursor = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(cursor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return {cursor, screen ? screen->availableGeometry() : QRect()};
}

ConfirmDialog::ConfirmDialog(std::unique_ptr<MessageMemory> memory, QWidget *parent,
                             ScreenSpotSource screenSpot)
    : QDialog(parent, fixedDialogFlags), m_memory(std::move(memory)),
      m_screenSpot(std::move(screenSpot)),
      m_registration(this, "ConfirmDlg", FormOwner::Application, true)
{
    setObjectName(QStringLiteral("ConfirmDlg"));
    setFont(fontOfPixels(11));
    paint(this, cream);
    setFixedSize(clientWidth, confirmClientHeight(0, panelWithBox));
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel *ConfirmDialog::createIcon()
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ImgIcon"));
    icon->setGeometry(margin, margin, iconSize, iconSize);
    icon->setScaledContents(true);
    return icon;
}

QWidget *ConfirmDialog::createBottomPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PnlBottom"));
    panel->setProperty("caption", QString()); // a panel has a translatable caption
    paint(panel, skyBlue);
    return panel;
}

QCheckBox *ConfirmDialog::createNoConfirmBox()
{
    auto *box = new QCheckBox(QStringLiteral("Do not show this message again"), m_pnlBottom);
    box->setObjectName(QStringLiteral("CbxNoConfirm"));
    box->setToolTip(QStringLiteral("Tick this if you do not want to see this message again."));
    box->setFont(fontOfPixels(13));
    // The full panel width leaves room for a longer translation.
    box->setGeometry(margin, 8, clientWidth - 2 * margin, box->sizeHint().height());
    return box;
}

QPushButton *ConfirmDialog::createButton(const char *name, int left)
{
    auto *button = new QPushButton(m_pnlBottom);
    button->setObjectName(QLatin1String(name));
    button->resize(buttonWidth, buttonHeight);
    button->move(left, panelWithBox - buttonsAbovePanelBottom);
    return button;
}

QLabel *ConfirmDialog::createMessageLabel()
{
    auto *label = new QLabel(this);
    label->setTextFormat(Qt::PlainText); // "&" is shown as it is
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font = dialogFont();
    font.setPointSize(10);
    label->setFont(font);
    label->move(labelLeft, labelTop);
    return label;
}

bool ConfirmDialog::showConfirm(int kind, const QString &text, const QString &messageKey,
                                quint16 imageIndex, ConfirmOptions options)
{
    if (!isConfirmKind(kind))
        return false;
    if (const std::optional<bool> answer = suppressedAnswer(*m_memory, kind, messageKey, options))
        return *answer;
    if (m_open)
        return false; // the question on screen stays as it is
    const bool withBox = !messageKey.isEmpty();
    prepare(kind, text, imageIndex, options, withBox);
    const QPointer<ConfirmDialog> alive(this);
    m_open = true;
    const bool answer = exec() == QDialog::Accepted;
    if (!alive)
        return false;
    m_open = false;
    rememberAnswer(*m_memory, kind, messageKey, options, answer,
                   withBox && m_cbxNoConfirm->isChecked());
    return answer;
}

void ConfirmDialog::prepare(int kind, const QString &text, quint16 imageIndex,
                            ConfirmOptions options, bool withBox)
{
    setWindowTitle(kind == Information ? phrase("WrdInformation", QStringLiteral("Information"))
                                       : phrase("WrdConfirmation", QStringLiteral("Confirmation")));
    m_cbxNoConfirm->setVisible(withBox);
    m_cbxNoConfirm->setChecked(withBox && (options & CheckedByDefault) != 0);
    setButtons(options);
    const ScreenSpot spot = m_screenSpot();
    layOut(text, withBox ? panelWithBox : panelWithoutBox, spot);
    const QImage picture = confirmIcon(imageIndex);
    if (picture.isNull())
        m_imgIcon->clear();
    else
        m_imgIcon->setPixmap(QPixmap::fromImage(picture));
    move(placeNearCursor(spot, outerSize()));
    m_btnOk->setFocus();
}

void ConfirmDialog::setButtons(ConfirmOptions options)
{
    const bool yesNo = (options & YesNo) != 0;
    const bool alone = (options & NoCancel) != 0;
    m_btnOk->setText(yesNo ? phrase("WrdYes", QStringLiteral("Yes"))
                           : phrase("WrdOk", QStringLiteral("OK")));
    m_btnCancel->setText(yesNo ? phrase("WrdNo", QStringLiteral("No"))
                               : phrase("WrdCancel", QStringLiteral("Cancel")));
    m_btnCancel->setVisible(!alone);
    m_btnOk->move(alone ? (clientWidth - buttonWidth) / 2 : okLeft, m_btnOk->y());
}

void ConfirmDialog::layOut(const QString &text, int panelHeight, const ScreenSpot &spot)
{
    const int frameHeight = outerSize().height() - height();
    const WrappedMessage message =
        wrapMessage(m_message->font(), text, labelWidth,
                    maxLabelHeight(spot.workArea.height(), panelHeight, frameHeight));
    m_message->setText(message.text);
    m_message->resize(labelWidth, message.height);
    const int clientHeight = confirmClientHeight(message.height, panelHeight);
    setFixedSize(clientWidth, clientHeight);
    m_pnlBottom->setGeometry(0, clientHeight - panelHeight, clientWidth, panelHeight);
    for (QPushButton *button : {m_btnOk, m_btnCancel})
        button->move(button->x(), panelHeight - buttonsAbovePanelBottom);
}

// The size with title bar and borders; before the window manager framed the dialog once,
// the style's title bar height stands in for the frame.
QSize ConfirmDialog::outerSize() const
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.height() > 0)
        return size() + frame;
    return size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
}
