#include "prompt_dialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include <cstdio>

#include "dialog_templates.h"
#include "engine_state.h"
#include "interface_language.h"
#include "voices.h"

namespace lenvoro {

namespace {

constexpr int kMessageIds[] = {
    kMessageSimplifiedChineseMissing,    kMessageEnglishMissing,
    kMessageSimplifiedAndEnglishMissing, kMessageChineseFemaleMissing,
    kMessageFemaleAndEnglishMissing,
};

// The link of the prompt: blue on the dialog's own background, the library's
// hand cursor over it, and a left click inside it opens the address it shows.
// The dialog stays open; an address that cannot be opened changes nothing.
class LinkBehaviour : public QObject {
public:
    LinkBehaviour(QLabel* link, const QString& address) : QObject(link), address_(address) {
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, kLinkColour);
        link->setPalette(palette);
        link->setAutoFillBackground(false);
        link->setCursor(LibraryCursor(u"IDC_HAND"));
        link->setToolTip(address);
        // Long addresses keep their start and their end.
        const QFontMetrics metrics(link->font());
        link->setText(metrics.elidedText(address, Qt::ElideMiddle, link->width()));
        link->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* link = static_cast<QLabel*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                link->rect().contains(mouse->position().toPoint())) {
                const QUrl url = QUrl::fromUserInput(address_);
                if (url.isValid())
                    QDesktopServices::openUrl(url);
                return true;
            }
        }
        return false;
    }

private:
    QString address_;
};

}  // namespace

int VoicePromptMessageId(int32_t code) {
    if (code >= 1 && code <= 3)
        return kMessageEnglishMissing;
    if (code == 10 || code == 30)
        return kMessageSimplifiedChineseMissing;
    if ((code >= 11 && code <= 13) || (code >= 31 && code <= 33)) {
        return kMessageSimplifiedAndEnglishMissing;
    }
    if (code == 20)
        return kMessageChineseFemaleMissing;
    if (code >= 21 && code <= 23)
        return kMessageFemaleAndEnglishMissing;
    return 0;
}

QString VoicePromptAddress() {
    EnsureInterfaceTexts();
    const EngineState& state = engineState();
    return ToQString(state.voicePage.empty() ? state.texts.defaultDownloadPage.view()
                                             : state.voicePage.view());
}

std::unique_ptr<QDialog> CreateVoicePrompt(int32_t code) {
    const int shown = VoicePromptMessageId(code);
    if (shown == 0)
        return nullptr;
    EnsureInterfaceTexts();
    auto dialog = CreateDialogFromTemplate(engineState().texts.voicePromptTemplate.view());
    if (!dialog)
        return nullptr;
    auto* link = dialog->findChild<QLabel*>(QStringLiteral("link1003"));
    if (link != nullptr)
        new LinkBehaviour(link, VoicePromptAddress());
    for (int id : kMessageIds) {
        if (auto* message = dialog->findChild<QLabel*>(QStringLiteral("message%1").arg(id))) {
            message->setVisible(id == shown);
        }
    }
    return dialog;
}

DialogOutcome RunVoicePrompt(intptr_t owner, int32_t code) {
    if (!CanShowWindows()) {
        WriteMissingVoiceLine(code);
        return DialogOutcome::NotShown;
    }
    return RunOwnedDialog(CreateVoicePrompt(code).release(), owner);
}

void ShowVoicePrompt(intptr_t owner, int32_t code) {
    RunVoicePrompt(owner, code);
}

std::unique_ptr<QDialog> CreateInitialInfo() {
    EnsureInterfaceTexts();
    return CreateDialogFromTemplate(engineState().texts.initialInfoTemplate.view());
}

DialogOutcome ShowInitialInfo(intptr_t owner) {
    if (!CanShowWindows()) {
        std::fprintf(stderr,
                     "lenvoro: the retired initialisation entry was called; call "
                     "Lenvoro_InitialAuth to start the library\n");
        std::fflush(stderr);
        return DialogOutcome::NotShown;
    }
    return RunOwnedDialog(CreateInitialInfo().release(), owner);
}

void ShowParameterError(intptr_t owner) {
    EnsureInterfaceTexts();
    const InterfaceTexts& texts = engineState().texts;
    ShowMessageBox(owner, texts.parameterErrorText.view(), texts.parameterErrorCaption.view(),
                   MessageBoxIcon::Exclamation);
}

}  // namespace lenvoro
