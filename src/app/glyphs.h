#pragma once

#include <QIcon>

// The pictures of the windows' buttons, drawn at 16 x 16.
enum class Glyph { Suggest, Keep, Remind, Delete, Refresh, Setup, Help, Info, Home, Quit, Hide };

QIcon glyphIcon(Glyph glyph);
