#pragma once

#include <QMessageBox>
#include <QString>

#include "interface_language.h"

class QWidget;

namespace tukomi {

// Shows a modal message box and returns when it is closed. Its button speaks
// `language` too: Qt's own button captions follow the translations installed,
// which a child's machine may lack.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                 const QString& text, InterfaceLanguage language);

}  // namespace tukomi
