#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tukomi {

// The window's own pictures: button images, banner frames, the hand pointer
// and the program icon, built in as resources. Where a picture is missing
// from the build a plain drawn stand-in of the same size takes its place, so
// the window always shows every control.

// The button picture `name` (e.g. "start"), or a drawn button of `size`
// pixels showing `caption`, as sharp as a screen that draws one of its
// pixels over `deviceScale` pixels needs (see image_choice.h).
QPixmap buttonPicture(const QString& name, const QString& caption, QSize size,
                      double deviceScale = 1.0);

// The stand-in for a piece image that is missing or unreadable: a plain tile
// of the cell size with the piece number, drawn for `deviceScale` as above.
QPixmap missingPiecePicture(int piece, QSize size, double deviceScale = 1.0);

// The open hand shown over the picture buttons, drawn `scale` times its
// size of 16 x 16 pixels, so that it grows with the window.
QCursor handCursor(int scale = 1);

QIcon programIcon();

// Makes the Chinese font names the layout uses resolve to the Noto CJK fonts.
void installFontSubstitutions();

}  // namespace tukomi
