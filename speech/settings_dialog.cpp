#include "settings_dialog.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QUrl>
#include <QtGlobal>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_templates.h"
#include "engine/data_folders.h"
#include "engine/ini_file.h"
#include "engine/voice_tokens.h"
#include "engine_state.h"
#include "interface_language.h"
#include "speech_engine.h"

namespace lenvoro {

namespace {

constexpr const char* kSettingsSection = "Voices";
constexpr const char* kDefaultRateKey = "DefaultTTSRate";

// Where the controls go when the dialog opens, in pixels of the client area.
// A width margin m means "client width - m". A text that is taller than its
// place grows away from the control it labels: the labels upwards, the link
// (under the voice list) downwards.
enum class Growth { Upwards, Downwards };
struct ControlPlace {
    const char* name;
    int left;
    int top;
    int width;
    int widthMargin;
    int height;
    Growth growth = Growth::Upwards;
};
constexpr ControlPlace kRuntimeLayout[] = {
    {kVoiceLabelName, 30, 5, 200, 0, 15},
    {kVoiceListName, 30, 20, 0, 70, 100},
    {kLinkName, 80, 45, 110, 0, 15, Growth::Downwards},
    {kRateLabelName, 30, 70, 200, 0, 15},
    {kRateTrackbarName, 27, 85, 0, 57, 22},
    {kVolumeLabelName, 30, 120, 200, 0, 15},
    {kVolumeTrackbarName, 27, 135, 0, 57, 22},
    {kFormatLabelName, 30, 170, 200, 0, 15},
    {kFormatListName, 30, 185, 0, 70, 150},
};

// The link: blue, underlined, 15 pixels high. The font description asks for
// weight 14, lighter than any weight the faces have, so the face's regular
// weight is what shows.
constexpr int kLinkFontPixels = 15;
constexpr int kNormalVolume = 100;

// A settings file that is there but cannot be read must not be replaced by
// one holding only what we write now.
bool settingsFileSafeToReplace(const std::filesystem::path& path) {
    bool found = false;
    engine::IniFile::load(path, &found);
    std::error_code error;
    return found || !std::filesystem::exists(path, error);
}

// Places the controls. A drop-down list's height in the layout is the extent
// of its open list, which the style decides here: the closed box keeps the
// style's height. A label whose text needs more room than its place (the CJK
// faces are taller and wider than the template's font) grows, so no glyph is
// cut.
void applyRuntimeLayout(QDialog* dialog) {
    const int clientWidth = dialog->width();
    for (const ControlPlace& place : kRuntimeLayout) {
        auto* control = dialog->findChild<QWidget*>(QString::fromLatin1(place.name));
        if (control == nullptr)
            continue;
        int width = place.widthMargin != 0 ? clientWidth - place.widthMargin : place.width;
        int top = place.top;
        int height = place.height;
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            list->setGeometry(place.left, top, width, list->sizeHint().height());
            continue;
        }
        int left = place.left;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            const QFontMetrics metrics(label->font());
            const int neededHeight = metrics.height();
            if (neededHeight > height) {
                if (place.growth == Growth::Upwards)
                    top -= neededHeight - height;
                height = neededHeight;
            }
            const int neededWidth = metrics.horizontalAdvance(label->text()) + 2;
            if (neededWidth > width) {
                // Centred text grows both ways, the others to the right.
                if (label->alignment() & Qt::AlignHCenter)
                    left -= (neededWidth - width + 1) / 2;
                width = neededWidth;
            }
        }
        control->setGeometry(left, top, width, height);
    }
}

// The "more voices" link: hand cursor over it, a left click inside it opens
// the address. The text stays the template's; the address shows as its tip.
class MoreVoicesLink : public QObject {
public:
    explicit MoreVoicesLink(QLabel* link) : QObject(link) {
        QFont font = link->font();
        font.setFamily(QFont().family());  // the system's default face
        font.setPixelSize(kLinkFontPixels);
        font.setWeight(QFont::Normal);
        font.setUnderline(true);
        link->setFont(font);
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, kLinkColour);
        link->setPalette(palette);
        link->setAutoFillBackground(false);
        link->setCursor(LibraryCursor(u"IDC_HAND"));
        link->setToolTip(MoreVoicesAddress());
        link->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* link = static_cast<QLabel*>(watched);
        if (mouse->button() != Qt::LeftButton ||
            !link->rect().contains(mouse->position().toPoint()))
            return false;
        const QUrl url = QUrl::fromUserInput(MoreVoicesAddress());
        if (url.isValid())
            QDesktopServices::openUrl(url);
        return true;
    }
};

// What the dialog does: fills its lists and trackbars when it opens and
// applies every change to the library's current voice.
class SettingsBehaviour : public QObject {
public:
    explicit SettingsBehaviour(QDialog* dialog)
        : QObject(dialog),
          dialog_(dialog),
          voices_(dialog->findChild<QComboBox*>(QString::fromLatin1(kVoiceListName))),
          formats_(dialog->findChild<QComboBox*>(QString::fromLatin1(kFormatListName))),
          rate_(dialog->findChild<QSlider*>(QString::fromLatin1(kRateTrackbarName))),
          volume_(dialog->findChild<QSlider*>(QString::fromLatin1(kVolumeTrackbarName))) {}

    bool complete() const { return voices_ && formats_ && rate_ && volume_; }

    void open() {
        // The link's own font first: the layout makes room for it.
        if (auto* link = dialog_->findChild<QLabel*>(QString::fromLatin1(kLinkName)))
            new MoreVoicesLink(link);
        applyRuntimeLayout(dialog_);
        setTrackbarDefaults();
        fillFormats();
        fillFromVoice();
        connectControls();
    }

private:
    // Without a voice the trackbars show what OK would keep: the stored
    // default rate and the normal volume.
    void setTrackbarDefaults() {
        rate_->setRange(kRateTrackbarMinimum, kRateTrackbarMaximum);
        rate_->setPageStep(kRateTrackbarPage);
        rate_->setValue(StoredDefaultRate().value_or(0));
        volume_->setRange(kVolumeTrackbarMinimum, kVolumeTrackbarMaximum);
        volume_->setPageStep(kVolumeTrackbarPage);
        volume_->setValue(kNormalVolume);
    }

    void fillFormats() {
        for (int32_t number = engine::kFirstPcmFormat; number <= engine::kLastPcmFormat; ++number)
            formats_->addItem(ToQString(StreamFormatName(number)), number);
        formats_->setCurrentIndex(-1);
    }

    // The steps that need the voice; each failure leaves the rest undone.
    void fillFromVoice() {
        const std::shared_ptr<engine::Voice> voice = engineState().voice;
        if (!voice)
            return;
        selectCurrentFormat(*voice);
        if (!fillVoices(*voice))
            return;
        // Opened afresh for each dialog; when that fails, format choices do
        // nothing rather than act on the output of an earlier dialog.
        std::shared_ptr<engine::AudioDevice> output;
        if (engine::failed(CreateDefaultAudioOutput(&output)))
            output.reset();
        engineState().settingsAudioOutput = std::move(output);
        int32_t rate = 0;
        int32_t volume = 0;
        if (engine::failed(voice->getRate(&rate)))
            return;
        rate_->setValue(rate);
        if (engine::succeeded(voice->getVolume(&volume)))
            volume_->setValue(volume);
    }

    // A voice that cannot tell its output shows the first format; an output
    // in a format outside the list shows none.
    void selectCurrentFormat(const engine::Voice& voice) {
        std::shared_ptr<engine::OutputTarget> output;
        if (engine::failed(voice.getOutputStream(&output)) || !output) {
            formats_->setCurrentIndex(0);
            return;
        }
        const std::optional<int32_t> number = StreamFormatNumber(output->format().waveFormat());
        formats_->setCurrentIndex(number ? formats_->findData(*number) : -1);
    }

    // Lists every voice under its name in the user's language. The voice in
    // use is selected, so that OK without a change keeps it; the first voice
    // only when the voice in use is not listed. False when the voices cannot
    // be enumerated or there are none.
    bool fillVoices(const engine::Voice& voice) {
        std::shared_ptr<engine::TokenCategory> category;
        std::shared_ptr<engine::TokenEnumeration> found;
        if (engine::failed(OpenTokenCategory(engine::kVoicesCategoryId, false, &category)) ||
            engine::failed(category->enumTokens(u"", u"", &found)) || !found) {
            return false;
        }
        const uint16_t language = UiLanguageForVoiceNames();
        std::shared_ptr<const engine::ObjectToken> token;
        while (found->next(&token) == engine::kOk && token) {
            const std::optional<std::u16string> name = VoiceDisplayName(*token, language);
            if (!name)
                continue;
            voiceTokens_.push_back(token);
            voices_->addItem(ToQString(*name), static_cast<int>(voiceTokens_.size() - 1));
        }
        if (voiceTokens_.empty())
            return false;

        std::string inUse;
        std::shared_ptr<const engine::ObjectToken> current;
        if (engine::succeeded(voice.getVoice(&current)) && current)
            inUse = current->id();
        else
            category->getDefaultTokenId(&inUse);
        int selected = 0;
        for (size_t i = 0; i < voiceTokens_.size(); ++i) {
            if (voiceTokens_[i]->id() == inUse) {
                selected = static_cast<int>(i);
                break;
            }
        }
        voices_->setCurrentIndex(selected);
        return true;
    }

    std::shared_ptr<const engine::ObjectToken> selectedToken() const {
        const QVariant data = voices_->currentData();
        if (!data.isValid())
            return nullptr;
        const int index = data.toInt();
        if (index < 0 || static_cast<size_t>(index) >= voiceTokens_.size())
            return nullptr;
        return voiceTokens_[static_cast<size_t>(index)];
    }

    // Every handler works on the voice of the moment; failures of the engine
    // calls leave the dialog as it is, and nothing may escape into the
    // toolkit's event loop. What was swallowed is logged with what the
    // handler was doing.
    template <typename Action>
    static void guarded(const char* doing, Action&& action) noexcept {
        try {
            action();
        } catch (const std::exception& error) {
            warnSwallowed(doing, error.what());
        } catch (...) {
            warnSwallowed(doing, "an unknown exception");
        }
    }

    static void warnSwallowed(const char* doing, const char* what) noexcept {
        try {
            qWarning("lenvoro: the voice-setting dialog could not %s: %s", doing, what);
        } catch (...) {
            // Not even the warning could be written (out of memory).
        }
    }

    void connectControls() {
        connect(voices_, &QComboBox::currentIndexChanged, this,
                [this](int) { guarded("choose the voice", [this] { chooseVoice(); }); });
        connect(formats_, &QComboBox::currentIndexChanged, this,
                [this](int) { guarded("choose the output format", [this] { chooseFormat(); }); });
        connect(rate_, &QSlider::valueChanged, this, [](int value) {
            guarded("set the rate", [value] {
                if (const auto voice = engineState().voice)
                    voice->setRate(value);
            });
        });
        connect(volume_, &QSlider::valueChanged, this, [](int value) {
            guarded("set the volume", [value] {
                if (const auto voice = engineState().voice)
                    voice->setVolume(value);
            });
        });
        if (auto* ok = dialog_->findChild<QPushButton*>(QString::fromLatin1(kOkButtonName))) {
            connect(ok, &QPushButton::clicked, this, [this] {
                guarded("store the default voice and rate", [this] { store(); });
                dialog_->accept();
            });
        }
    }

    void chooseVoice() {
        const std::shared_ptr<engine::Voice> voice = engineState().voice;
        if (!voice)
            return;
        const std::shared_ptr<const engine::ObjectToken> chosen = selectedToken();
        std::shared_ptr<const engine::ObjectToken> current;
        if (engine::failed(voice->getVoice(&current)))
            return;
        // Tokens are read afresh for each list, so the same voice is the same id.
        const bool same = chosen && current ? chosen->id() == current->id() : chosen == current;
        if (same)
            return;
        PurgeAndWait(*voice);
        voice->setVoice(chosen);
    }

    void chooseFormat() {
        const std::shared_ptr<engine::Voice> voice = engineState().voice;
        const std::shared_ptr<engine::AudioDevice> output = engineState().settingsAudioOutput;
        if (!voice || !output)
            return;
        const std::optional<engine::StreamFormat> format =
            engine::streamFormatFromId(formats_->currentData().toInt());
        if (!format || engine::failed(output->setFormat(format->waveFormat())))
            return;
        voice->setOutput(output, false);
    }

    // OK: the selected voice becomes the default voice, the rate the default
    // rate. Volume and format are not kept.
    void store() {
        const std::filesystem::path settings = engine::engineSettingsPath();
        if (!settingsFileSafeToReplace(settings))
            return;
        if (engineState().voice) {
            if (const auto token = selectedToken()) {
                std::shared_ptr<engine::TokenCategory> category;
                if (engine::succeeded(
                        OpenTokenCategory(engine::kVoicesCategoryId, false, &category)))
                    category->setDefaultTokenId(token->id());
            }
        }
        StoreDefaultRate(rate_->value());
    }

    QDialog* dialog_;
    QComboBox* voices_;
    QComboBox* formats_;
    QSlider* rate_;
    QSlider* volume_;
    std::vector<std::shared_ptr<const engine::ObjectToken>> voiceTokens_;
};

}  // namespace

std::u16string StreamFormatName(int32_t formatNumber) {
    const std::optional<engine::StreamFormat> format = engine::streamFormatFromId(formatNumber);
    if (!format)
        return {};
    return std::u16string(format->name());
}

std::optional<int32_t> StreamFormatNumber(const engine::WaveFormat& wave) {
    const std::optional<engine::StreamFormat> format = engine::streamFormatFromWave(wave);
    if (!format)
        return std::nullopt;
    return format->id;
}

std::optional<std::u16string> VoiceDisplayName(const engine::ObjectToken& token,
                                               uint16_t languageId) {
    std::u16string name;
    if (engine::succeeded(token.getStringValue(LanguageIdValueName(languageId), &name)))
        return name;
    if (engine::succeeded(token.getStringValue(u"", &name)))
        return name;
    return std::nullopt;
}

std::optional<int32_t> StoredDefaultRate() {
    const std::optional<std::string> stored = engine::IniFile::load(engine::engineSettingsPath())
                                                  .value(kSettingsSection, kDefaultRateKey);
    if (!stored)
        return std::nullopt;
    int32_t rate = 0;
    const char* end = stored->data() + stored->size();
    const auto [stop, error] = std::from_chars(stored->data(), end, rate);
    if (error != std::errc() || stop != end || rate < kRateTrackbarMinimum ||
        rate > kRateTrackbarMaximum) {
        return std::nullopt;
    }
    return rate;
}

engine::Result StoreDefaultRate(int32_t rate) {
    const std::filesystem::path path = engine::engineSettingsPath();
    bool found = false;
    engine::IniFile settings = engine::IniFile::load(path, &found);
    std::error_code error;
    if (!found && std::filesystem::exists(path, error))
        return engine::kAccessDenied;
    rate = std::clamp<int32_t>(rate, kRateTrackbarMinimum, kRateTrackbarMaximum);
    settings.set(kSettingsSection, kDefaultRateKey, std::to_string(rate));
    return settings.saveAtomically(path);
}

QString MoreVoicesAddress() {
    EnsureInterfaceTexts();
    const EngineState& state = engineState();
    return ToQString(state.moreVoicesPage.empty() ? state.texts.defaultDownloadPage.view()
                                                  : state.moreVoicesPage.view());
}

std::unique_ptr<QDialog> CreateSettingsDialog() {
    EnsureInterfaceTexts();
    std::unique_ptr<QDialog> dialog =
        CreateDialogFromTemplate(engineState().texts.settingsDialogTemplate.view());
    if (!dialog)
        return nullptr;
    auto* behaviour = new SettingsBehaviour(dialog.get());
    if (!behaviour->complete())
        return nullptr;
    behaviour->open();
    return dialog;
}

DialogOutcome RunSettingsDialog(intptr_t owner) {
    if (!CanShowWindows()) {
        std::fprintf(stderr,
                     "lenvoro: the voice-setting dialog needs a QApplication on the calling "
                     "thread; nothing was shown\n");
        std::fflush(stderr);
        return DialogOutcome::NotShown;
    }
    std::unique_ptr<QDialog> dialog = CreateSettingsDialog();
    if (!dialog)
        return DialogOutcome::NotShown;
    return RunOwnedDialog(dialog.release(), owner);
}

}  // namespace lenvoro
