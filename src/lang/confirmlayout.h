#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;

// Fixed places of the confirmation dialog, in client pixels.
namespace confirm_geometry {
inline constexpr int clientWidth = 327;
inline constexpr int margin = 12;
inline constexpr int iconSize = 32;
inline constexpr int labelLeft = margin + iconSize + margin;
inline constexpr int labelTop = margin;
inline constexpr int labelWidth = clientWidth - (labelLeft + margin);
inline constexpr int gapAbovePanel = 16;
inline constexpr int panelWithBox = 72;
inline constexpr int panelWithoutBox = 48;
inline constexpr int cursorDistance = 12;
} // namespace confirm_geometry

// Where the dialog is about to open: the mouse position, the usable part of the screen
// under it (without task bars) and the program's column of windows, which stays on top.
struct ScreenSpot
{
    QPoint cursor;
    QRect workArea;
    QRect column = QRect(); // null when no window of the column is on the screen
};

// The message beside the picture, or the picture when it is taller, then the bottom panel.
int confirmClientHeight(int labelHeight, int panelHeight);

// The client height left for the message when the whole dialog, with frameAllowance for its
// title bar and borders, has to fit into workAreaHeight.
int maxLabelHeight(int workAreaHeight, int panelHeight, int frameAllowance);

// Top-left corner of a dialog of dialogSize opened beside the cursor of spot: above it when
// it fits there, else below; centred on it unless that passes the right edge; moved beside
// the column where it would lie under it. The result is then pushed fully into the work
// area (top-left wins when the dialog is larger than the area).
QPoint placeNearCursor(const ScreenSpot &spot, QSize dialogSize);

// The message as the label shows it: broken into lines that fit width (at word
// boundaries, anywhere inside a word that is wider than a line), and cut with an ellipsis
// after the last line that fits maxHeight. At least one line is always kept.
struct WrappedMessage
{
    QString text; // the lines joined with line feeds, to be drawn without further wrapping
    int height = 0;
    bool cut = false;
};
WrappedMessage wrapMessage(const QFont &font, const QString &text, int width, int maxHeight);
