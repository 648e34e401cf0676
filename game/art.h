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
// pixels showing `caption`.
QPixmap buttonPicture(const QString& name, const QString& caption, QSize size);

// The stand-in for a piece image that is missing or unreadable: a plain tile
// of the cell size with the piece number.
QPixmap missingPiecePicture(int piece, QSize size);

// The open hand shown over the picture buttons.
QCursor handCursor();

QIcon programIcon();

// Makes the Chinese font names the layout uses resolve to the Noto CJK fonts.
void installFontSubstitutions();

}  // namespace tukomi
