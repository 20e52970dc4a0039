#pragma once

#include <Qt>

class QWidget;

// The program's dialogs have a fixed size: a title, a close button and nothing to enlarge.
inline constexpr Qt::WindowFlags fixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// Centres dialog, with its frame, on the free part of the screen under the mouse cursor.
void centreOnCursorScreen(QWidget *dialog);
