// Saves pictures of the missing-voice prompt and the information dialog in
// each interface language: dialog_screenshots OUTPUT_FOLDER.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QStyle>

#include <cstdio>
#include <cstdlib>

#include "interface_language.h"
#include "prompt_dialogs.h"

using namespace lenvoro;

namespace {

// The dialog with a plain caption bar above it, as a window manager would
// draw it, so that the caption text can be checked too.
QImage framed(QDialog* dialog) {
    dialog->show();
    QApplication::processEvents();
    const QPixmap body = dialog->grab();
    constexpr int kCaptionHeight = 26;
    QImage image(body.width() + 2, body.height() + kCaptionHeight + 1, QImage::Format_RGB32);
    image.fill(QColor(0x5a, 0x6f, 0x8c));
    QPainter painter(&image);
    painter.setPen(Qt::white);
    QFont font = dialog->font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, image.width() - 40, kCaptionHeight), Qt::AlignVCenter,
                     dialog->windowTitle());
    painter.drawText(QRect(image.width() - 24, 0, 20, kCaptionHeight), Qt::AlignCenter,
                     QStringLiteral("✕"));
    painter.drawPixmap(1, kCaptionHeight, body);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char* locale;
        const char* suffix;
        int code;
    } languages[] = {
        {"zh_CN.UTF-8", "cn", 11}, {"zh_TW.UTF-8", "tw", 11}, {"en_US.UTF-8", "en", 20}};
    for (const auto& language : languages) {
        ChooseInterfaceLanguage(
            [&](const char* name) -> const char* {
                return std::string_view(name) == "LANG" ? language.locale : nullptr;
            },
            "/usr/share/lenvoro/help");
        const auto prompt = CreateVoicePrompt(language.code);
        const auto info = CreateInitialInfo();
        if (!prompt || !info)
            return 1;
        const QString promptFile =
            out.filePath(QStringLiteral("lenvoro-voice-prompt-%1.png").arg(language.suffix));
        const QString infoFile =
            out.filePath(QStringLiteral("lenvoro-initial-info-%1.png").arg(language.suffix));
        if (!framed(prompt.get()).save(promptFile) || !framed(info.get()).save(infoFile))
            return 1;
        std::printf("%s\n%s\n", qPrintable(promptFile), qPrintable(infoFile));
    }
    return 0;
}
