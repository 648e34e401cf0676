// Saves pictures of the voice-setting dialog in each interface language, with
// the voices of the build tree listed under their names in that language:
// settings_dialog_screenshots OUTPUT_FOLDER.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine_state.h"
#include "interface_language.h"
#include "settings_dialog.h"
#include "speech_engine.h"

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
    setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 0);
    setenv("LENVORO_AUDIO", "null", 1);
    // Settings of a fresh user: the first voice and the normal rate.
    std::string config = (QDir::tempPath() + QStringLiteral("/lenvoro-shots-XXXXXX")).toStdString();
    if (mkdtemp(config.data()) == nullptr)
        return 1;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QApplication application(argc, argv);
    if (engine::failed(CreateVoice(&engineState().voice)))
        return 1;
    engineState().voice->setVolume(80);

    const QDir out(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char* locale;
        const char* suffix;
    } languages[] = {{"zh_CN.UTF-8", "cn"}, {"zh_TW.UTF-8", "tw"}, {"en_US.UTF-8", "en"}};
    for (const auto& language : languages) {
        setenv("LANG", language.locale, 1);  // voice names in the same language
        ChooseInterfaceLanguage(
            [&](const char* name) -> const char* {
                return std::string_view(name) == "LANG" ? language.locale : nullptr;
            },
            "/usr/share/lenvoro/help");
        const auto dialog = CreateSettingsDialog();
        if (!dialog)
            return 1;
        const QString file =
            out.filePath(QStringLiteral("lenvoro-settings-%1.png").arg(language.suffix));
        if (!framed(dialog.get()).save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }
    engineState().voice.reset();
    QDir(QString::fromStdString(config)).removeRecursively();
    return 0;
}
