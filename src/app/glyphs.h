#pragma once

#include <QIcon>

// The pictures of the windows' buttons, drawn at 16 x 16.
enum class TGlyph { Suggest, Keep, Remind, Delete, Refresh, Setup, Help, Info, Home, Quit, Hide };

QIcon GlyphIcon(TGlyph glyph);
