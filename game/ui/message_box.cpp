#include "message_box.h"

#include <QPushButton>

#include "messages.h"

namespace tukomi {

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                 const QString& text, InterfaceLanguage language) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(okButtonText(language), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

}  // namespace tukomi
