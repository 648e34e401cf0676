#include "module_backend.h"

#include <cmath>
#include <filesystem>
#include <iostream>

#include "engine/synthesizer.h"
#include "lenvoro_audio/wave_file.h"

namespace lenvoro::speechd {

namespace {

constexpr int kLogErrors = 2;
constexpr int kLogInfo = 4;
// A sound icon is a short signal; a longer file is refused, not loaded.
constexpr size_t kMaximumIconFrames = size_t{30} * 48000;

// Mixes a wave to mono and brings it to the synthesizer's rate, by linear
// interpolation: good enough for the clicks and chimes of sound icons.
std::vector<int16_t> toSynthesizerFormat(const audio::WaveData& wave) {
    const size_t frames = wave.frameCount();
    const auto channels = static_cast<size_t>(wave.format.channels);
    std::vector<float> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (size_t c = 0; c < channels; ++c)
            sum += wave.samples[f * channels + c];
        mono[f] = sum / static_cast<float>(channels);
    }
    const double step = static_cast<double>(wave.format.sampleRate) / kSampleRate;
    std::vector<int16_t> out;
    for (double at = 0; frames > 0 && at <= static_cast<double>(frames - 1); at += step) {
        const auto i = static_cast<size_t>(at);
        const double fraction = at - static_cast<double>(i);
        const float next = i + 1 < frames ? mono[i + 1] : mono[i];
        out.push_back(static_cast<int16_t>(std::lround(mono[i] + (next - mono[i]) * fraction)));
    }
    return out;
}

}  // namespace

LenvoroBackend::LenvoroBackend(ModuleConfig config, Send send)
    : config_(std::move(config)),
      reader_(std::move(send), [this](const std::string& message) { log(kLogErrors, message); }) {
    for (const std::string& problem : config_.problems)
        log(kLogErrors, problem);
}

LenvoroBackend::~LenvoroBackend() {
    reader_.shutdown();
}

bool LenvoroBackend::initialize(std::string* status) {
    if (engine::failed(engine::Synthesizer::instance().initialize())) {
        *status = "lenvoro: espeak-ng cannot start (is espeak-ng-data installed?)";
        return false;
    }
    catalog_ = loadCatalog();
    if (catalog_.empty()) {
        *status = "lenvoro: no voices found in the voices/ folders of the lenvoro data folders";
        return false;
    }
    *status = "lenvoro: " + std::to_string(catalog_.size()) + " voices:";
    for (const CatalogVoice& voice : catalog_)
        status->append(" " + voice.name + " (" + voice.language + ")");
    log(kLogInfo, *status);
    return true;
}

bool LenvoroBackend::configureAudio(const SettingsBlock& settings) {
    for (const auto& [name, value] : settings) {
        if (name == "audio_output_method" && value == "server") {
            // Declined, the server offers its other methods; we then play ourselves.
            if (!config_.serverAudio)
                return false;
            reader_.useServerAudio(true);
            log(kLogInfo, "audio goes to the server");
            return true;
        }
    }
    // Any other method: the server cannot play for us, we play ourselves.
    reader_.useServerAudio(false);
    log(kLogInfo, "audio goes to our own output");
    return true;
}

std::vector<VoiceListing> LenvoroBackend::listVoices() {
    std::vector<VoiceListing> voices;
    for (const CatalogVoice& voice : catalog_) {
        // The protocol's third column is the variant; our voices differ by gender.
        voices.push_back(
            {voice.name, voice.language, voice.gender.empty() ? "none" : voice.gender});
    }
    return voices;
}

bool LenvoroBackend::prepare(MessageKind kind, std::string_view data,
                             const SpeechSettings& settings) {
    prepared_.reset();
    if (reader_.busy()) {
        log(kLogErrors, "a message came while another was being read");
        return false;
    }
    const VoiceSelection voices = chooseVoices(catalog_, settings);
    if (voices.primary == nullptr)
        return false;
    Reading reading;
    switch (kind) {
        case MessageKind::Text:
            reading.steps = planText(readSsml(data), voices, settings.punctuationMode == "all");
            break;
        case MessageKind::Character:
            reading.steps = planCharacter(decodeUtf8(data), voices);
            break;
        case MessageKind::Key:
            reading.steps = planKey(data, voices);
            break;
        case MessageKind::SoundIcon:
            reading.steps = soundIcon(data, voices);
            break;
    }
    for (ReadingStep& step : reading.steps) {
        step.voice.pitch = espeakLevel(settings.pitch, step.voice.pitch);
        step.voice.range = espeakLevel(settings.pitchRange, step.voice.range);
    }
    reading.rate = engineRate(settings.rate);
    reading.gain = outputGain(settings.volume);
    prepared_ = std::move(reading);
    return true;
}

void LenvoroBackend::start() {
    if (prepared_)
        reader_.start(std::move(*prepared_));
    prepared_.reset();
}

std::vector<ReadingStep> LenvoroBackend::soundIcon(std::string_view name,
                                                   const VoiceSelection& voices) {
    namespace fs = std::filesystem;
    // An icon is a file name in the icon folder, never a path out of it.
    if (!name.empty() && name[0] != '.' && name.find('/') == std::string_view::npos) {
        for (const std::string& file : {std::string(name), std::string(name) + ".wav"}) {
            const fs::path path = fs::path(config_.soundIconFolder) / file;
            std::error_code error;
            if (!fs::is_regular_file(path, error))
                continue;
            std::string problem;
            if (const auto wave =
                    audio::readWaveFile(path.string(), &problem, kMaximumIconFrames)) {
                ReadingStep step;
                step.kind = ReadingStep::Kind::Sound;
                step.samples = toSynthesizerFormat(*wave);
                return {std::move(step)};
            }
            log(kLogErrors, "sound icon " + path.string() + ": " + problem);
        }
    }
    // No sound for it: say its name ("message_new" as "message new").
    std::string words(name);
    for (char& c : words) {
        if (c == '_' || c == '-')
            c = ' ';
    }
    return planText({{SsmlItem::Kind::Text, decodeUtf8(words), {}, 0}}, voices);
}

bool LenvoroBackend::setDebugFile(bool on, std::string_view path) {
    if (!on) {
        debugFile_.reset();
        return true;
    }
    FILE* file = std::fopen(std::string(path).c_str(), "a");
    if (file == nullptr)
        return false;
    debugFile_.reset(file);
    return true;
}

void LenvoroBackend::log(int level, const std::string& message) {
    if (level > logLevel_ && !debugFile_)
        return;
    const std::string line = "sd_lenvoro: " + message + "\n";
    if (level <= logLevel_)
        std::cerr << line << std::flush;
    if (debugFile_) {
        std::fputs(line.c_str(), debugFile_.get());
        std::fflush(debugFile_.get());
    }
}

}  // namespace lenvoro::speechd
