// lenvoro-qt-example: reads a text aloud with liblenvoro and shows the word
// being read as it is heard. The text may mix Chinese and English.
//
//     lenvoro-qt-example [--speak]
//
// --speak starts reading as soon as the window is shown.
#include <QApplication>
#include <QTimer>

#include "reader_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ReaderWindow window;
    window.show();
    window.startEngine();
    if (application.arguments().contains(QStringLiteral("--speak")))
        QTimer::singleShot(0, &window, &ReaderWindow::speak);
    return application.exec();
}
