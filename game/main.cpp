// tukomi: a picture puzzle that teaches young children Chinese characters.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "art.h"
#include "main_window.h"
#include "picture_library.h"

using namespace tukomi;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tukomi"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setDesktopFileName(QStringLiteral("org.mibaro.Tukomi"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("A picture puzzle that teaches young children Chinese characters."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption quitAfterFirstFrame(
        QStringLiteral("quit-after-first-frame"),
        QStringLiteral("Quit as soon as the main window has painted itself (for timing start-up)."));
    options.addOption(quitAfterFirstFrame);
    options.process(app);

    installFontSubstitutions();

    const PictureLibrary library(PictureLibrary::findProgramFolder(QApplication::applicationDirPath()));
    MainWindow window(library);
    if (auto error = window.Form_Load()) {
        const QString message =
            QStringLiteral("The game cannot start.\n%1").arg(error->message());
        std::fprintf(stderr, "tukomi: %s\n", qPrintable(error->message()));
        QMessageBox::critical(nullptr, MainWindow::caption(), message);
        return 1;
    }

    // A completed picture opens its explanation window.
    QObject::connect(&window, &MainWindow::puzzleCompleted, &window, &MainWindow::ShowExplanation);
    if (options.isSet(quitAfterFirstFrame))
        QObject::connect(&window, &MainWindow::firstFramePainted, &app, &QApplication::quit);

    // Open centred on the screen the window will appear on.
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
