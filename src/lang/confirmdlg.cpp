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

using namespace ConfirmGeometry;

namespace {
const QColor Cream(0xFF, 0xFB, 0xF0);
const QColor SkyBlue(0xA6, 0xCA, 0xF0);
constexpr int ButtonWidth = 85;
constexpr int ButtonHeight = 25;
constexpr int ButtonsAbovePanelBottom = PanelWithBox - 36; // anchored to the bottom

// Tahoma where the system has it, else the system's sans-serif family.
QFont DialogFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont FontOfPixels(int pixels)
{
    QFont font = DialogFont();
    font.setPixelSize(pixels);
    return font;
}

void Paint(QWidget *widget, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

TScreenSpot CurrentScreenSpot()
{
    const QPoint cursor = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(cursor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return {cursor, screen ? screen->availableGeometry() : QRect()};
}

TConfirmDlg::TConfirmDlg(QWidget *parent, TScreenSpotSource screenSpot)
    : QDialog(parent, FixedDialogFlags), m_screenSpot(std::move(screenSpot)),
      m_registration(this, "ConfirmDlg", TFormOwner::Application, true)
{
    setObjectName(QStringLiteral("ConfirmDlg"));
    setFont(FontOfPixels(11));
    Paint(this, Cream);
    setFixedSize(ClientWidth, ConfirmClientHeight(0, PanelWithBox));
    BtnOk->setDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel *TConfirmDlg::CreateIcon()
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ImgIcon"));
    icon->setGeometry(Margin, Margin, IconSize, IconSize);
    icon->setScaledContents(true);
    return icon;
}

QWidget *TConfirmDlg::CreateBottomPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PnlBottom"));
    panel->setProperty("caption", QString()); // a panel has a translatable caption
    Paint(panel, SkyBlue);
    return panel;
}

QCheckBox *TConfirmDlg::CreateNoConfirmBox()
{
    auto *box = new QCheckBox(QStringLiteral("Do not show this message again"), PnlBottom);
    box->setObjectName(QStringLiteral("CbxNoConfirm"));
    box->setToolTip(QStringLiteral("Tick this if you do not want to see this message again."));
    box->setFont(FontOfPixels(13));
    // The full panel width leaves room for a longer translation.
    box->setGeometry(Margin, 8, ClientWidth - 2 * Margin, box->sizeHint().height());
    return box;
}

QPushButton *TConfirmDlg::CreateButton(const char *name, int left)
{
    auto *button = new QPushButton(PnlBottom);
    button->setObjectName(QLatin1String(name));
    button->resize(ButtonWidth, ButtonHeight);
    button->move(left, PanelWithBox - ButtonsAbovePanelBottom);
    return button;
}

QLabel *TConfirmDlg::CreateMessageLabel()
{
    auto *label = new QLabel(this);
    label->setTextFormat(Qt::PlainText); // "&" is shown as it is
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font = DialogFont();
    font.setPointSize(10);
    label->setFont(font);
    label->move(LabelLeft, LabelTop);
    return label;
}

bool TConfirmDlg::ShowConfirm(int kind, const QString &text, const QString &messageKey,
                              quint16 imageIndex, TConfirmOptions options)
{
    if (!IsConfirmKind(kind))
        return false;
    if (const std::optional<bool> answer = SuppressedAnswer(kind, messageKey, options))
        return *answer;
    if (m_open)
        return false; // the question on screen stays as it is
    const bool withBox = !messageKey.isEmpty();
    Prepare(kind, text, imageIndex, options, withBox);
    const QPointer<TConfirmDlg> alive(this);
    m_open = true;
    const bool answer = exec() == QDialog::Accepted;
    if (!alive)
        return false;
    m_open = false;
    RememberAnswer(kind, messageKey, options, answer, withBox && CbxNoConfirm->isChecked());
    return answer;
}

void TConfirmDlg::Prepare(int kind, const QString &text, quint16 imageIndex,
                          TConfirmOptions options, bool withBox)
{
    setWindowTitle(kind == Information ? Phrase("WrdInformation", QStringLiteral("Information"))
                                       : Phrase("WrdConfirmation", QStringLiteral("Confirmation")));
    CbxNoConfirm->setVisible(withBox);
    CbxNoConfirm->setChecked(withBox && (options & CheckedByDefault) != 0);
    SetButtons(options);
    const TScreenSpot spot = m_screenSpot();
    LayOut(text, withBox ? PanelWithBox : PanelWithoutBox, spot);
    const QImage picture = ConfirmIcon(imageIndex);
    if (picture.isNull())
        ImgIcon->clear();
    else
        ImgIcon->setPixmap(QPixmap::fromImage(picture));
    move(PlaceNearCursor(spot, OuterSize()));
    BtnOk->setFocus();
}

void TConfirmDlg::SetButtons(TConfirmOptions options)
{
    const bool yesNo = (options & YesNo) != 0;
    const bool alone = (options & NoCancel) != 0;
    BtnOk->setText(yesNo ? Phrase("WrdYes", QStringLiteral("Yes"))
                         : Phrase("WrdOk", QStringLiteral("OK")));
    BtnCancel->setText(yesNo ? Phrase("WrdNo", QStringLiteral("No"))
                             : Phrase("WrdCancel", QStringLiteral("Cancel")));
    BtnCancel->setVisible(!alone);
    BtnOk->move(alone ? (ClientWidth - ButtonWidth) / 2 : OkLeft, BtnOk->y());
}

void TConfirmDlg::LayOut(const QString &text, int panelHeight, const TScreenSpot &spot)
{
    const int frameHeight = OuterSize().height() - height();
    const TWrappedMessage message =
        WrapMessage(m_message->font(), text, LabelWidth,
                    MaxLabelHeight(spot.WorkArea.height(), panelHeight, frameHeight));
    m_message->setText(message.Text);
    m_message->resize(LabelWidth, message.Height);
    const int clientHeight = ConfirmClientHeight(message.Height, panelHeight);
    setFixedSize(ClientWidth, clientHeight);
    PnlBottom->setGeometry(0, clientHeight - panelHeight, ClientWidth, panelHeight);
    for (QPushButton *button : {BtnOk, BtnCancel})
        button->move(button->x(), panelHeight - ButtonsAbovePanelBottom);
}

// The size with title bar and borders; before the window manager framed the dialog once,
// the style's title bar height stands in for the frame.
QSize TConfirmDlg::OuterSize() const
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.height() > 0)
        return size() + frame;
    return size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
}
