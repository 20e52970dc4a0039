#pragma once

#include <QImage>

// The pictures of the confirmation dialog, 32 x 32 pixels each, drawn rather than shipped:
// 0 pocket view, 1 keep, 2 remind, 3 delete, 4 web link, 5 homepage, 6 information,
// 7 warning, 8 error, 9 quit, 10 hide, 11 put back, 12 refresh, 13 empty folder,
// 14 suggestion.
inline constexpr int confirmIconCount = 15;
inline constexpr int confirmIconSize = 32;
inline constexpr int errorIcon = 8;

// A null image for an index outside 0 to ConfirmIconCount - 1.
QImage confirmIcon(int index);
