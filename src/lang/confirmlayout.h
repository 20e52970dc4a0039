#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;

// Fixed places of the confirmation dialog, in client pixels.
namespace ConfirmGeometry {
inline constexpr int ClientWidth = 327;
inline constexpr int Margin = 12;
inline constexpr int IconSize = 32;
inline constexpr int LabelLeft = Margin + IconSize + Margin;
inline constexpr int LabelTop = Margin;
inline constexpr int LabelWidth = ClientWidth - (LabelLeft + Margin);
inline constexpr int GapAbovePanel = 16;
inline constexpr int PanelWithBox = 72;
inline constexpr int PanelWithoutBox = 48;
inline constexpr int CursorDistance = 12;
} // namespace ConfirmGeometry

// Where the dialog is about to open: the mouse position, the usable part of the screen
// under it (without task bars) and the program's column of windows, which stays on top.
struct TScreenSpot
{
    QPoint Cursor;
    QRect WorkArea;
    QRect Column = QRect(); // null when no window of the column is on the screen
};

// The message beside the picture, or the picture when it is taller, then the bottom panel.
int ConfirmClientHeight(int labelHeight, int panelHeight);

// The client height left for the message when the whole dialog, with frameAllowance for its
// title bar and borders, has to fit into workAreaHeight.
int MaxLabelHeight(int workAreaHeight, int panelHeight, int frameAllowance);

// Top-left corner of a dialog of dialogSize opened beside the cursor of spot: above it when
// it fits there, else below; centred on it unless that passes the right edge; moved beside
// the column where it would lie under it. The result is then pushed fully into the work
// area (top-left wins when the dialog is larger than the area).
QPoint PlaceNearCursor(const TScreenSpot &spot, QSize dialogSize);

// The message as the label shows it: broken into lines that fit width (at word
// boundaries, anywhere inside a word that is wider than a line), and cut with an ellipsis
// after the last line that fits maxHeight. At least one line is always kept.
struct TWrappedMessage
{
    QString Text; // the lines joined with line feeds, to be drawn without further wrapping
    int Height = 0;
    bool Cut = false;
};
TWrappedMessage WrapMessage(const QFont &font, const QString &text, int width, int maxHeight);
