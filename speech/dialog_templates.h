// The library's dialog templates, icons and cursor, looked up by name as
// resources are: a template name gives a fresh dialog built from its Designer
// form, an icon or cursor name gives the image drawn for it.
#pragma once

#include <QColor>
#include <QCursor>
#include <QPixmap>

#include <memory>
#include <string_view>

class QDialog;

namespace lenvoro {

// A new dialog from the form of that template (IDD_DOWNLOAD_VOICE_CN ...),
// or nullptr when the library has no such template or widgets cannot be made
// (no QApplication). Labels that carry the property "libraryIcon" get that
// icon's image.
std::unique_ptr<QDialog> CreateDialogFromTemplate(std::u16string_view templateName);

// IDI_REPAIR, IDI_LOCKKEY: 32 x 32 images; a null pixmap for other names.
QPixmap LibraryIcon(std::u16string_view iconName);

// IDC_HAND: the pointing hand; the arrow for other names.
QCursor LibraryCursor(std::u16string_view cursorName);

// The blue of the links in the library's dialogs.
inline const QColor kLinkColour{0, 0, 255};

}  // namespace lenvoro
