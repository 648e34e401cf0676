// tukomi: a picture puzzle that teaches young children Chinese characters.

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

#include "art.h"
#include "interface_language.h"
#include "main_window.h"
#include "message_box.h"
#include "messages.h"
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
        QStringLiteral(
            "Quit as soon as the main window has painted itself (for timing start-up)."));
    options.addOption(quitAfterFirstFrame);
    options.process(app);

    installFontSubstitutions();

    const PictureLibrary library(
        PictureLibrary::findProgramFolder(QApplication::applicationDirPath()));
    MainWindow window(library);
    window.setProgressFile(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/progress.ini"));
    window.setWindowSettingsFile(
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
        QStringLiteral("/window.ini"));
    if (auto error = window.loadStartingState()) {
        const InterfaceLanguage language = userInterfaceLanguage();
        const QString message = startupFailureText(*error, language);
        std::fprintf(stderr, "tukomi: %s\n", qPrintable(message));
        // The Chinese texts leave the technical details to the terminal.
        if (language != InterfaceLanguage::ENG)
            std::fprintf(stderr, "tukomi: %s\n", qPrintable(error->message()));
        showMessage(nullptr, QMessageBox::Critical, MainWindow::caption(), message, language);
        return 1;
    }

    // A completed picture opens its explanation window.
    QObject::connect(&window, &MainWindow::puzzleCompleted, &window, &MainWindow::ShowExplanation);
    if (options.isSet(quitAfterFirstFrame))
        QObject::connect(&window, &MainWindow::firstFramePainted, &app, &QApplication::quit);

    // As large as it was left, centred on the screen it appears on.
    window.showAsRemembered();
    return QApplication::exec();
}
